#pragma once

#include "capture/Target.h"
#include "library/VideoFormat.h"

#include <QImage>

#include <memory>

// What one recording's video is made of. The watermark is a QImage (not a pixmap)
// because the frames are made on the video worker thread.
struct VideoRecParams
{
    TargetSptr target;
    QImage watermark;
    VideoFormatSptr format;
};
using VideoRecParamsSptr = std::shared_ptr<VideoRecParams>;
