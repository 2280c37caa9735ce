#pragma once

#include "web/thumbnail.h"

#include <QList>
#include <QStringList>

namespace shutterhand {

// Makes the thumbnails of many pictures with MakeThumbnail's rules, decoding on every core. The calling
// thread raises `onCreate` for each picture that needs a thumbnail, in list order and before that
// picture's thumbnail is made, while worker threads make the thumbnails already announced. Returns when
// all are done, one result per picture in list order. `threads` 0 means one per core.
QList<ThumbnailResult> MakeThumbnails(const QStringList& pictureFiles, bool force, const ThumbnailEvent& onCreate = {},
                                      int threads = 0);

}  // namespace shutterhand
