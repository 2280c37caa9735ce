// The skin of the frameless main window. The window's shape is cut from this picture: every pixel
// similar to pure red becomes transparent, so red is painted only outside the outline, and the outline
// keeps at least three pixels away from every control of the window's fixed layout.

#include "artwork.h"
#include "painting.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <cmath>
#include <cstdio>
#include <queue>

namespace artwork {

namespace {

constexpr int kWidth = 433;
constexpr int kHeight = 502;
constexpr int kDragStrip = 20;  // a press above this line moves the window

// The camera body seen from behind: rounded corners and, in the middle of the top edge, the hump of a
// viewfinder prism. Its top edge lies at y 10; controls begin at y 16. The straight edges lie on even
// pixel lines, where the 2 x 2 colour blocks of JPEG do not mix the red surround into the body.
QPainterPath bodyOutline()
{
    const qreal left = 4, right = kWidth - 3, top = 10, bottom = kHeight - 2, radius = 18;
    const QPointF humpFoot1(128, top), humpTop1(144, 2), humpTop2(289, 2), humpFoot2(305, top);
    const qreal round = 4;
    auto towards = [](QPointF from, QPointF to, qreal distance) {
        const QPointF d = to - from;
        const qreal length = std::hypot(d.x(), d.y());
        return from + d * (distance / length);
    };

    QPainterPath path(QPointF(left, top + radius));
    path.arcTo(QRectF(left, top, 2 * radius, 2 * radius), 180, -90);
    path.lineTo(towards(humpFoot1, QPointF(left, top), round));
    path.quadTo(humpFoot1, towards(humpFoot1, humpTop1, round));
    path.lineTo(towards(humpTop1, humpFoot1, round));
    path.quadTo(humpTop1, towards(humpTop1, humpTop2, round));
    path.lineTo(towards(humpTop2, humpTop1, round));
    path.quadTo(humpTop2, towards(humpTop2, humpFoot2, round));
    path.lineTo(towards(humpFoot2, humpTop2, round));
    path.quadTo(humpFoot2, towards(humpFoot2, QPointF(right, top), round));
    path.lineTo(right - radius, top);
    path.arcTo(QRectF(right - 2 * radius, top, 2 * radius, 2 * radius), 90, -90);
    path.lineTo(right, bottom - radius);
    path.arcTo(QRectF(right - 2 * radius, bottom - 2 * radius, 2 * radius, 2 * radius), 0, -90);
    path.lineTo(left + radius, bottom);
    path.arcTo(QRectF(left, bottom - 2 * radius, 2 * radius, 2 * radius), 270, -90);
    path.closeSubpath();
    return path;
}

// The outline moved inwards by `distance` pixels all round.
QPainterPath inset(const QPainterPath& path, qreal distance)
{
    QPainterPathStroker stroker;
    stroker.setWidth(2 * distance);
    stroker.setJoinStyle(Qt::RoundJoin);
    return path.subtracted(stroker.createStroke(path)).simplified();
}

// A recessed area: darker than the body, shadowed at the top edge and lit at the bottom edge.
void drawRecess(QPainter& painter, const QRectF& box, qreal radius)
{
    painter.setBrush(colour::recess);
    QLinearGradient edge(box.topLeft(), box.bottomLeft());
    edge.setColorAt(0, QColor(0x04, 0x04, 0x05));
    edge.setColorAt(0.5, QColor(0x15, 0x16, 0x18));
    edge.setColorAt(1, QColor(0x44, 0x46, 0x4b));
    painter.setPen(QPen(QBrush(edge), 1));
    painter.drawRoundedRect(box, radius, radius);
}

// A line cut into the body: dark above, a faint highlight below.
void drawGroove(QPainter& painter, qreal x1, qreal x2, qreal y)
{
    painter.setPen(QPen(QColor(0x0c, 0x0c, 0x0d), 1));
    painter.drawLine(QPointF(x1, y + 0.5), QPointF(x2, y + 0.5));
    painter.setPen(QPen(QColor(0x35, 0x37, 0x3b), 1));
    painter.drawLine(QPointF(x1, y + 1.5), QPointF(x2, y + 1.5));
}

void drawTopStrip(QPainter& painter, const QPainterPath& body)
{
    painter.save();
    painter.setClipPath(body);
    QLinearGradient strip(0, 0, 0, kDragStrip);
    strip.setColorAt(0, QColor(0x46, 0x48, 0x4d));
    strip.setColorAt(1, QColor(0x30, 0x32, 0x36));
    painter.fillRect(QRectF(0, 0, kWidth, kDragStrip), strip);
    drawGroove(painter, 0, kWidth, kDragStrip - 1);

    // Knurled grip on the prism hump, in two halves around the ready lamp: it says "hold here".
    for (int x = 154; x <= 279; x += 3) {
        if (x > 204 && x < 229)
            continue;
        painter.setPen(QPen(QColor(0x1d, 0x1e, 0x21), 1));
        painter.drawLine(QPointF(x + 0.5, 6), QPointF(x + 0.5, 14));
        painter.setPen(QPen(QColor(0x5a, 0x5d, 0x63), 1));
        painter.drawLine(QPointF(x + 1.5, 6), QPointF(x + 1.5, 14));
    }
    QRadialGradient glow(QPointF(216.5, 10), 6);
    glow.setColorAt(0, QColor(colour::accent.red(), colour::accent.green(), colour::accent.blue(), 150));
    glow.setColorAt(1, Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(216.5, 10), 6, 6);
    painter.setBrush(colour::accent);
    painter.drawEllipse(QPointF(216.5, 10), 2.2, 2.2);
    painter.restore();
}

// The controls of the main window (left, top, width, height). Labels take the room of their longest
// text; the logo that of its picture.
constexpr QRect kControls[] = {
    {17, 16, 192, 29},    // menu bar
    {208, 16, 200, 30},   // logo
    {16, 56, 120, 16},    // label "Kameramodel:"
    {16, 72, 393, 21},    // camera list
    {16, 96, 75, 25},     // button "Auslösen"
    {312, 96, 97, 25},    // button "Kamerainfos"
    {18, 128, 391, 297},  // picture frame, which also holds the info panel
    {16, 432, 120, 16},   // ISO label
    {393, 433, 16, 16},   // battery icon
    {16, 472, 401, 17},   // status line
};

// The test the window applies, with some room to spare: every channel within 100 of pure red.
bool similarToRed(QRgb pixel) { return 255 - qRed(pixel) <= 100 && qGreen(pixel) <= 100 && qBlue(pixel) <= 100; }

}  // namespace

bool checkSkin(const QImage& skin)
{
    bool good = skin.size() == QSize(kWidth, kHeight);
    if (!good)
        std::fprintf(stderr, "skin: size %dx%d\n", skin.width(), skin.height());
    for (const QRect& control : kControls) {
        const QRect margin = control.adjusted(-3, -3, 3, 3).intersected(skin.rect());
        for (int y = margin.top(); y <= margin.bottom(); ++y) {
            for (int x = margin.left(); x <= margin.right(); ++x) {
                if (similarToRed(skin.pixel(x, y))) {
                    std::fprintf(stderr, "skin: red at %d,%d, near a control\n", x, y);
                    good = false;
                }
            }
        }
    }

    // Red that cannot be reached from the corners would punch a hole into the window.
    QImage reached(skin.size(), QImage::Format_Mono);
    reached.fill(0);
    std::queue<QPoint> open;
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(kWidth - 1, 0), QPoint(0, kHeight - 1), QPoint(kWidth - 1, kHeight - 1)}) {
        if (!similarToRed(skin.pixel(corner))) {
            std::fprintf(stderr, "skin: corner %d,%d is not red\n", corner.x(), corner.y());
            good = false;
        } else {
            reached.setPixel(corner, 1);
            open.push(corner);
        }
    }
    while (!open.empty()) {
        const QPoint p = open.front();
        open.pop();
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint next = p + step;
            if (skin.rect().contains(next) && reached.pixelIndex(next) == 0 && similarToRed(skin.pixel(next))) {
                reached.setPixel(next, 1);
                open.push(next);
            }
        }
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (similarToRed(skin.pixel(x, y)) && reached.pixelIndex(x, y) == 0) {
                std::fprintf(stderr, "skin: red inside the outline at %d,%d\n", x, y);
                good = false;
            }
        }
    }
    return good;
}

QImage paintSkin()
{
    QImage image = filledImage(QSize(kWidth, kHeight), QColor(255, 0, 0));
    QPainter painter(&image);
    const QPainterPath outline = bodyOutline();

    // The outermost two pixels are near black and drawn without smoothing: the window mask cuts along
    // them, and a dark edge hides the colour that JPEG compression bleeds in from the red surround.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(outline, QColor(0x0b, 0x0b, 0x0c));
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QPainterPath rim = inset(outline, 2);
    QLinearGradient metal(0, 0, kWidth, kHeight);
    metal.setColorAt(0.00, QColor(0x8c, 0x90, 0x96));
    metal.setColorAt(0.22, QColor(0x3b, 0x3d, 0x41));
    metal.setColorAt(0.50, QColor(0xa3, 0xa7, 0xad));
    metal.setColorAt(0.78, QColor(0x34, 0x36, 0x39));
    metal.setColorAt(1.00, QColor(0x7a, 0x7e, 0x84));
    painter.fillPath(rim, metal);

    const QPainterPath body = inset(outline, 4);
    QLinearGradient bodyShade(0, 0, 0, kHeight);
    bodyShade.setColorAt(0, colour::body);
    bodyShade.setColorAt(1, colour::bodyLow);
    painter.fillPath(body, bodyShade);
    painter.setPen(QPen(QColor(0x0d, 0x0d, 0x0e), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(body);

    drawTopStrip(painter, body);

    // Below the menu bar, above the camera label: a groove that closes off the title area.
    drawGroove(painter, 16, 417, 49);
    // The bezel of the picture (frame 18, 128, 391 x 297) and the slot of the status line.
    drawRecess(painter, QRectF(11.5, 121.5, 404, 309), 5);
    drawRecess(painter, QRectF(12.5, 468.5, 408, 24), 4);

    // The maker's plate between the battery row and the status line.
    painter.setFont(typeface(9, QFont::Bold, 3));
    const QRectF plate(116, 451, 200, 14);
    drawEngravedText(painter, plate, Qt::AlignCenter, QStringLiteral("SHUTTERHAND"), QColor(0x26, 0x27, 0x2b));
    drawGroove(painter, 24, 124, 457);
    drawGroove(painter, 308, 409, 457);
    painter.end();
    return image;
}

}  // namespace artwork
