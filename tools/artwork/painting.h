#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>

namespace artwork {

// The house colours of every picture, so the window, the logo and the gallery look like one product.
namespace colour {
inline const QColor body{0x24, 0x25, 0x28};         // camera body, upper part
inline const QColor bodyLow{0x17, 0x18, 0x1a};      // camera body, lower part
inline const QColor recess{0x0f, 0x10, 0x11};       // recessed areas (bezel, slots)
inline const QColor light{0xf2, 0xf2, 0xf0};        // text and marks on dark ground
inline const QColor muted{0x8a, 0x8e, 0x94};        // secondary text, line drawings
inline const QColor accent{0xe0, 0xa8, 0x40};       // amber accent; far from red, which cuts the skin
inline const QColor galleryBack{0x0b, 0x0b, 0x0c};  // the gallery page's background (see shutterhand.css)
}  // namespace colour

// A transparent ARGB picture of the given size.
QImage transparentImage(QSize size);
// An opaque RGB picture of the given size, filled with one colour.
QImage filledImage(QSize size, const QColor& colour);

// The program's typeface (DejaVu Sans, present on every Debian desktop) at a pixel size.
QFont typeface(int pixelSize, QFont::Weight weight = QFont::Normal, qreal letterSpacing = 0);

// The six-bladed iris that stands for the product: a ring with blades around an open aperture.
void drawIris(QPainter& painter, QPointF centre, qreal radius, const QColor& ring, const QColor& blades);

// Text cut into a dark surface: a dark copy one pixel up and a faint highlight one pixel down.
void drawEngravedText(QPainter& painter, const QRectF& box, int flags, const QString& text, const QColor& surface);

}  // namespace artwork
