#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace shutterhand {

// The box every thumbnail fills, its background and its JPEG quality.
inline constexpr int ThumbnailBoxWidth = 250;
inline constexpr int ThumbnailBoxHeight = 250;
inline constexpr int ThumbnailQuality = 85;

struct RgbColor {
    std::uint8_t red, green, blue;
};
inline constexpr RgbColor ThumbnailBackground{255, 255, 255};

// Where the scaled picture lies in the box.
struct ThumbnailLayout {
    int width, height;  // the scaled picture
    int x, y;           // its top-left corner in the box
    bool operator==(const ThumbnailLayout&) const = default;
};

enum class ThumbnailOutcome {
    Written,   // the thumbnail file was written
    Present,   // a thumbnail exists and the call was not forced: nothing done
    TooSmall,  // the picture fits into the box already: no thumbnail file
    OwnName,   // the thumbnail's name would be the picture's own: never written over the picture
    Failed,    // the picture could not be decoded or the thumbnail not written; see error
};

struct ThumbnailResult {
    ThumbnailOutcome outcome = ThumbnailOutcome::Failed;
    QString target;  // the thumbnail's full path
    QString error;   // what failed, for Failed
};

// Called with the picture's path right before its thumbnail is made; the program raises the event
// CreateThumbnail through it and lets its action run to the end.
using ThumbnailEvent = std::function<void(const QString& pictureFile)>;

// The thumbnail's file name for a picture's file name (without folder): every ".jpg" becomes
// "_thumb.jpg"; a name without a lower-case ".jpg" that ends in ".jpg" or ".jpeg" in any case gets
// "_thumb.jpg" in place of that extension; any other name comes back unchanged.
QString ThumbnailName(const QString& fileName);

// The thumbnail's full path beside the picture.
QString ThumbnailPath(const QString& pictureFile);

// Size and place of a W × H picture in the box; none when the picture already fits into the box.
std::optional<ThumbnailLayout> ThumbnailLayoutFor(int width, int height, int boxWidth, int boxHeight);

// Makes the thumbnail of `pictureFile` when it has none, or in any case when `force` is set; `onCreate`
// (may be empty) runs first. Failures are returned, never thrown, so the caller's work goes on.
ThumbnailResult MakeThumbnail(const QString& pictureFile, bool force, const ThumbnailEvent& onCreate = {});

// Whether a usable thumbnail file is there: it exists and is not empty.
bool ThumbnailPresent(const QString& thumbnailFile);

// Writes the picture scaled into the box, centred on `background`, as a JPEG of quality 85, replacing
// `targetFile` atomically. Written, TooSmall (nothing written) or Failed.
ThumbnailResult CreateThumbnailImage(const QString& sourceFile, const QString& targetFile, int boxWidth, int boxHeight,
                                     RgbColor background);

}  // namespace shutterhand
