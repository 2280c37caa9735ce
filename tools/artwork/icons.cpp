// The small icons: battery states, the info panel's close mark and the series window's chevrons.
// They are drawn at their real size of 16 x 16 pixels on whole pixels, so they stay sharp.

#include "artwork.h"
#include "painting.h"

#include <QPainterPath>

namespace artwork {

QImage paintBattery(int level)
{
    // Four cells of charge for level 0 (full) down to none for level 4 (empty); the colour warns early.
    static const QColor kCellColour[] = {QColor(0x5c, 0xd6, 0x5c), QColor(0x5c, 0xd6, 0x5c), QColor(0xf2, 0xc9, 0x3a),
                                         QColor(0xf2, 0x8c, 0x28), QColor(0xf2, 0x8c, 0x28)};
    const int cells = 4 - level;
    QImage image = transparentImage(QSize(16, 16));
    QPainter painter(&image);
    const QColor casing = level == 4 ? QColor(0xff, 0x5a, 0x4a) : QColor(0xd8, 0xda, 0xdd);

    // Casing 15 x 9 pixels with a one-pixel wall, the terminal at the right; the cells keep one pixel
    // of space from the walls and from each other.
    painter.fillRect(QRect(0, 3, 15, 1), casing);
    painter.fillRect(QRect(0, 11, 15, 1), casing);
    painter.fillRect(QRect(0, 4, 1, 7), casing);
    painter.fillRect(QRect(14, 4, 1, 7), casing);
    painter.fillRect(QRect(15, 5, 1, 5), casing);
    painter.fillRect(QRect(1, 4, 13, 7), QColor(0, 0, 0, 110));
    for (int cell = 0; cell < cells; ++cell)
        painter.fillRect(QRect(2 + cell * 3, 5, 2, 5), kCellColour[level]);
    if (level == 4) {
        // An empty battery shows an exclamation mark in its casing.
        painter.fillRect(QRect(7, 5, 1, 3), casing);
        painter.fillRect(QRect(7, 9, 1, 1), casing);
    }
    return image;
}

QImage paintCloseMark()
{
    QImage image = transparentImage(QSize(16, 16));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(QPen(colour::light, 1.8, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(5, 5), QPointF(11, 11));
    painter.drawLine(QPointF(11, 5), QPointF(5, 11));
    return image;
}

QImage paintChevrons(bool up)
{
    QImage image = transparentImage(QSize(16, 16));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!up) {
        painter.translate(0, 16);
        painter.scale(1, -1);
    }
    // Dark chevrons in a light halo: on a light button the halo disappears, on a dark one it outlines
    // the glyph, so one picture serves every colour scheme.
    QPainterPath chevrons;
    for (const qreal top : {3.5, 8.5}) {
        chevrons.moveTo(3.5, top + 4.5);
        chevrons.lineTo(8, top);
        chevrons.lineTo(12.5, top + 4.5);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 120), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(chevrons);
    painter.setPen(QPen(QColor(0x40, 0x42, 0x46), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(chevrons);
    return image;
}

}  // namespace artwork
