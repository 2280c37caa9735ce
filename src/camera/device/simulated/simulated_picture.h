#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace shutterhand {

// A picture of the simulated camera: a colour field that changes from shot to shot with the time of
// the shot and its number written large on it, encoded as JPEG with an EXIF block like a camera's.
struct SimulatedShot {
    int width = 2400;
    int height = 1600;
    int number = 1;
    QDateTime time;
    QString model;
};

// The JPEG file's bytes; empty when the encoder failed.
QByteArray RenderSimulatedPicture(const SimulatedShot& shot);

}  // namespace shutterhand
