#pragma once

#include <QImage>
#include <QSize>

namespace artwork {

// The main window's skin, 433 x 502: the dark camera body, with pure red outside the window's outline.
QImage paintSkin();
// Checks a decoded skin against the window's layout: no pixel similar to red within three pixels of
// a control, and no red inside the outline (every red pixel joined to the corners). Prints each fault.
bool checkSkin(const QImage& skin);
// The word mark for the top right of the main window, about 200 x 30, light on transparent.
QImage paintLogo();
// The camera motif with the word "Shutterhand", shown while there is no picture yet, at any size.
QImage paintCameraMotif(QSize size);
// The title banner of the gallery page, on the page's own background colour.
QImage paintTitleBanner();
// A 16 x 16 battery icon; level 0 is full, 4 is empty.
QImage paintBattery(int level);
// The 16 x 16 close mark of the info panel (light, for its dark green ground).
QImage paintCloseMark();
// The 16 x 16 glyph of the series window's expand button: chevrons pointing up or down.
QImage paintChevrons(bool up);

}  // namespace artwork
