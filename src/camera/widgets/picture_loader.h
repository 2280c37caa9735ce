#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace shutterhand {

// The size of a `picture` shown whole in a `frame`, as large as the frame allows with its aspect ratio
// kept (the frame's rest stays as bars); at least 1 × 1.
QSize FitIntoFrame(QSize picture, QSize frame);

// A JPEG picture file decoded at the size it is shown in `frame` (the decoder scales in the DCT domain,
// so a large picture is never decoded at full size), letterboxed as FitIntoFrame says. Other pictures
// are read by Qt. A null image when the file cannot be read.
QImage LoadPictureForFrame(const QString& file, QSize frame);

}  // namespace shutterhand
