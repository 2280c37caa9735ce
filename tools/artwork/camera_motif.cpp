// The camera motif: a line drawing of a camera above the word "Shutterhand" on a dark, softly lit
// ground. It fills the picture frame until the first picture arrives, and scripts show it again with
// Image.Clear. It is drawn for a 391 x 297 frame and scaled to any other size.

#include "artwork.h"
#include "painting.h"

#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>

namespace artwork {

namespace {

void drawCamera(QPainter& painter)
{
    const QColor line = colour::muted;
    const QColor face(0x22, 0x24, 0x27);
    painter.setPen(QPen(line, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    // Prism hump and hot shoe first, so the body's top edge is drawn over their feet.
    QPainterPath hump;
    hump.moveTo(-36, -44);
    hump.lineTo(-24, -64);
    hump.lineTo(24, -64);
    hump.lineTo(36, -44);
    painter.setBrush(face);
    painter.drawPath(hump);
    painter.drawLine(QPointF(-12, -69), QPointF(12, -69));

    // Shutter button and mode dial on the top plate.
    painter.drawRoundedRect(QRectF(-66, -51, 18, 7), 2.5, 2.5);
    painter.drawRoundedRect(QRectF(44, -50, 22, 6), 2, 2);

    // The body with its grip.
    painter.drawRoundedRect(QRectF(-80, -44, 160, 92), 12, 12);
    painter.setBrush(QColor(0x1a, 0x1b, 0x1e));
    painter.drawRoundedRect(QRectF(-80, -44, 30, 92), 12, 12);

    // The lens: barrel, front ring and the iris inside.
    painter.setBrush(QColor(0x17, 0x18, 0x1b));
    painter.drawEllipse(QPointF(6, 4), 38, 38);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(line.darker(140), 1.4));
    painter.drawEllipse(QPointF(6, 4), 31, 31);
    QColor blades = colour::accent;
    blades.setAlphaF(0.55);
    drawIris(painter, QPointF(6, 4), 28, line, blades);

    // A glint on the front glass.
    painter.setPen(QPen(QColor(255, 255, 255, 70), 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(-20, -22, 52, 52), 110 * 16, 45 * 16);
}

}  // namespace

QImage paintCameraMotif(QSize size)
{
    QImage image = filledImage(size, QColor(0x0d, 0x0d, 0x0e));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const qreal width = size.width(), height = size.height();
    QRadialGradient light(QPointF(width / 2, height * 0.42), std::max(width, height) * 0.62);
    light.setColorAt(0, QColor(0x2e, 0x31, 0x36));
    light.setColorAt(0.6, QColor(0x17, 0x18, 0x1b));
    light.setColorAt(1, QColor(0x0b, 0x0b, 0x0c));
    painter.fillRect(image.rect(), light);

    const qreal scale = std::min(width / 391.0, height / 297.0);
    painter.save();
    painter.translate(width / 2, height * 0.43);
    painter.scale(scale, scale);
    drawCamera(painter);
    painter.restore();

    painter.setFont(typeface(qRound(22 * scale), QFont::Bold, 1.5 * scale));
    painter.setPen(QColor(0xc8, 0xca, 0xcd));
    const QRectF wordBox(0, height * 0.43 + 62 * scale, width, 34 * scale);
    painter.drawText(wordBox, Qt::AlignCenter, QStringLiteral("Shutterhand"));
    painter.setPen(QPen(colour::accent, 2 * scale, Qt::SolidLine, Qt::RoundCap));
    const qreal rule = height * 0.43 + 100 * scale;
    painter.drawLine(QPointF(width / 2 - 18 * scale, rule), QPointF(width / 2 + 18 * scale, rule));
    return image;
}

}  // namespace artwork
