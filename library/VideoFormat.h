#pragma once

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
