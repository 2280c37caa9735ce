#pragma once

#include <QBitmap>
#include <QPixmap>
#include <QRgb>

namespace shutterhand {

// The frameless main window's look and shape, cut from one picture: pixels similar to pure red are
// outside the window.
struct Skin {
    QPixmap picture;  // with the red pixels made transparent
    QBitmap mask;     // set bits are inside the window
};

// Whether a colour counts as red. A similarity of 75 (percent) accepts colours whose distance from
// pure red is at most a quarter of the largest possible distance, which absorbs JPEG's soft edges.
bool isSimilarToRed(QRgb colour, int similarityPercent);

// Loads the skin picture and cuts its shape; an unreadable picture gives a null skin.
Skin loadSkin(const QString& fileName, int similarityPercent = 75);

}  // namespace shutterhand
