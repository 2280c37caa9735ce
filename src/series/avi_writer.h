#pragma once

#include "common/atomic_file.h"
#include "series/avi_bitmap.h"
#include "series/avi_container.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace shutterhand {

// The frame format by its name in the system variable AVICodec: "DIB8" or "MJPG" (any letter case).
std::optional<AviCodec> AviCodecFromName(const QString& name);

// Writes a list of pictures as an AVI film: one video stream of key frames, `FrameTime` milliseconds
// each, every picture rendered into a frame of `Width` × `Height` pixels. The film is written to a work
// file beside the target and renamed over it when complete, so a failure leaves neither a half film nor
// a destroyed old one, and no work file.
class TAviWriter_2 {
public:
    // Frames written so far and the number of frames of the film; called on the writing thread.
    using Progress = std::function<void(int written, int total)>;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Frame sizes are rounded down to multiples of 16 (1000 becomes 992, 15 becomes 0).
    void setWidth(int width);
    void setHeight(int height);

    int FrameTime = 1000;  // milliseconds per frame
    bool Stretch = true;   // fill the frame; otherwise keep the picture's proportions
    QString filename;      // the film's full path
    QList<AviBitmap> Bitmaps;
    AviCodec Codec = AviCodec::Dib8;
    int Threads = 0;  // render threads; 0 means one per core

    // Writes every entry of Bitmaps as a frame to `filename`, replacing a file of that name. The error
    // text is one of the writer's messages, or the decoder's message for a picture it cannot read.
    FileResult Write(const Progress& progress = {});

private:
    int m_width = 0;
    int m_height = 0;
};

}  // namespace shutterhand
