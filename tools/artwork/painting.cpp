#include "painting.h"

#include <QPainterPath>
#include <QtMath>

namespace artwork {

QImage transparentImage(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage filledImage(QSize size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QFont typeface(int pixelSize, QFont::Weight weight, qreal letterSpacing)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    if (letterSpacing != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

namespace {

// Where the ray from `from` through `through` leaves the circle of `radius` around the origin.
QPointF leaveCircle(QPointF from, QPointF through, qreal radius)
{
    const QPointF d = through - from;
    const qreal a = QPointF::dotProduct(d, d);
    const qreal b = 2 * QPointF::dotProduct(from, d);
    const qreal c = QPointF::dotProduct(from, from) - radius * radius;
    const qreal t = (-b + qSqrt(b * b - 4 * a * c)) / (2 * a);
    return from + t * d;
}

}  // namespace

void drawIris(QPainter& painter, QPointF centre, qreal radius, const QColor& ring, const QColor& blades)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(centre);

    // Six blades around a hexagonal opening: each side of the hexagon, drawn on until it meets the
    // housing, is the edge of one blade, which gives the familiar turned look of an aperture.
    constexpr int kBlades = 6;
    const qreal housing = radius * 0.8;
    const qreal opening = radius * 0.36;
    QPointF corner[kBlades];
    for (int i = 0; i < kBlades; ++i) {
        const qreal angle = qDegreesToRadians(360.0 / kBlades * i - 90.0);
        corner[i] = QPointF(opening * qCos(angle), opening * qSin(angle));
    }
    QPointF edgeEnd[kBlades];
    for (int i = 0; i < kBlades; ++i)
        edgeEnd[i] = leaveCircle(corner[i], corner[(i + 1) % kBlades], housing);

    for (int i = 0; i < kBlades; ++i) {
        const QPointF start = corner[(i + 1) % kBlades];
        QPainterPath blade(start);
        blade.lineTo(edgeEnd[i]);
        const qreal from = qRadiansToDegrees(qAtan2(-edgeEnd[i].y(), edgeEnd[i].x()));
        qreal to = qRadiansToDegrees(qAtan2(-edgeEnd[(i + 1) % kBlades].y(), edgeEnd[(i + 1) % kBlades].x()));
        qreal sweep = to - from;
        while (sweep > 0)
            sweep -= 360;
        blade.arcTo(QRectF(-housing, -housing, 2 * housing, 2 * housing), from, sweep);
        blade.lineTo(corner[(i + 2) % kBlades]);
        blade.closeSubpath();
        QColor shade = blades;
        shade.setAlphaF(blades.alphaF() * (i % 2 == 0 ? 1.0 : 0.72));
        painter.fillPath(blade, shade);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ring, radius * 0.2));
    painter.drawEllipse(QPointF(0, 0), radius * 0.9, radius * 0.9);
    painter.restore();
}

void drawEngravedText(QPainter& painter, const QRectF& box, int flags, const QString& text, const QColor& surface)
{
    painter.save();
    painter.setPen(surface.darker(230));
    painter.drawText(box.translated(0, -1), flags, text);
    painter.setPen(surface.lighter(190));
    painter.drawText(box.translated(0, 1), flags, text);
    painter.setPen(surface.lighter(125));
    painter.drawText(box, flags, text);
    painter.restore();
}

}  // namespace artwork
