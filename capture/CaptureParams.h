#pragma once

#include "capture/Target.h"

#include <QImage>

#include <memory>

// Size and rate of recorded frames.
struct VideoFormat
{
    int width = 0;
    int height = 0;
    int frameRate = 10;     // frames per second
    int frameInterval = 100; // milliseconds
};
using VideoFormatSptr = std::shared_ptr<VideoFormat>;

// What one recording's video is made of. The watermark is a QImage (not a pixmap)
// because the frames are made on the video worker thread.
struct VideoRecParams
{
    TargetSptr target;
    QImage watermark;
    VideoFormatSptr format;
};
using VideoRecParamsSptr = std::shared_ptr<VideoRecParams>;
