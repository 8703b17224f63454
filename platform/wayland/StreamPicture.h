#pragma once

#include "platform/FrameSource.h"

#include <QRect>

// The pixel layouts a shared screen may come in, byte by byte in memory.
enum class StreamFormat { BGRx, BGRA, RGBx, RGBA };

// One picture of a shared screen as the compositor sent it.
struct StreamPicture
{
    const uchar *bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    StreamFormat format = StreamFormat::BGRx;
    QRect crop; // the part that shows the screen; the whole picture when empty
};

// Copies rect (desktop coordinates) of a shared screen to dest at destPos. screen is
// where the shared screen lies on the desktop, in the same coordinates; the picture
// (its crop) shows all of it, possibly at another scale. The parts of rect off the
// shared screen and those outside dest are left untouched. One pass, no allocation.
void copyStreamRect(const StreamPicture &picture, const QRect &screen, const QRect &rect, FrameBuffer &dest, QPoint destPos);
