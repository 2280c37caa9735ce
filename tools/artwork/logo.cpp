// The word mark: the iris and "Shutterhand", with "hand" in the amber accent. It appears at the top
// right of the main window (over the skin's dark top) and, larger, in the gallery's title banner.

#include "artwork.h"
#include "painting.h"

#include <QFontMetricsF>

namespace artwork {

namespace {

// Draws the iris and the word with the word's baseline at `baseline`, ending at `right`.
void drawWordMark(QPainter& painter, qreal right, qreal baseline, int textSize, qreal irisRadius, qreal gap)
{
    const QFont font = typeface(textSize, QFont::Bold);
    const QFontMetricsF metrics(font);
    const QString first = QStringLiteral("Shutter");
    const QString second = QStringLiteral("hand");
    const qreal secondLeft = right - metrics.horizontalAdvance(second);
    const qreal firstLeft = secondLeft - metrics.horizontalAdvance(first);
    painter.setFont(font);
    painter.setPen(colour::light);
    painter.drawText(QPointF(firstLeft, baseline), first);
    painter.setPen(colour::accent);
    painter.drawText(QPointF(secondLeft, baseline), second);

    // The iris sits on the middle of the lower-case letters.
    const qreal middle = baseline - metrics.xHeight() / 2;
    drawIris(painter, QPointF(firstLeft - gap - irisRadius, middle), irisRadius, colour::light, colour::accent);
}

}  // namespace

QImage paintLogo()
{
    QImage image = transparentImage(QSize(200, 30));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawWordMark(painter, 197, 21, 18, 10, 6);
    return image;
}

QImage paintTitleBanner()
{
    QImage image = filledImage(QSize(380, 96), colour::galleryBack);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawWordMark(painter, 364, 54, 40, 24, 14);
    painter.setFont(typeface(12, QFont::Normal, 5));
    painter.setPen(colour::muted);
    painter.drawText(QRectF(0, 64, 369, 20), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("BILDSPEICHER"));
    return image;
}

}  // namespace artwork
