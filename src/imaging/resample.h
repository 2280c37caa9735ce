#pragma once

#include "imaging/rgb_image.h"

namespace shutterhand::imaging {

// Scales `source` to exactly `width` × `height` (both at least 1). Shrinking averages each output
// pixel over the exact area of the source it covers (box filter with partial pixels at the edges), so
// fine detail does not alias; enlarging interpolates linearly. The two directions are independent, so
// the aspect ratio may change (stretching).
RgbImage Resample(const RgbImage& source, int width, int height);

// Copies `picture` into `canvas` with its top-left corner at (x, y); parts outside are clipped.
void Blit(const RgbImage& picture, RgbImage& canvas, int x, int y);

}  // namespace shutterhand::imaging
