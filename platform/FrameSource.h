#pragma once

#include "app/bc_ret.h"
#include "platform/DesktopWindows.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <memory>

// A caller-owned picture of 32-bit pixels, bytes B, G, R, X (QImage::Format_RGB32
// on little-endian machines), rows top-down.
struct FrameBuffer
{
    uchar *bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// The mouse cursor: screen position, hot spot and premultiplied ARGB pixels.
struct CursorImage
{
    QPoint position;
    QPoint hotSpot;
    QSize size;
    const quint32 *pixels = nullptr;
    quint32 serial = 0; // changes with the cursor's picture
};

// Where recorded pixels come from: one desktop's way of copying the screen, or one
// window's own content, into a frame. A source is used by one thread at a time.
class FrameSource
{
public:
    enum class Result {
        Copied,      // done (possibly nothing, when the rectangle lies outside)
        Unavailable, // the window is unmapped or minimised: nothing can be copied now
        Failed       // the copy failed; errors says why
    };

    virtual ~FrameSource() = default;

    // Copies rect (screen coordinates) to dest at destPos. The parts of rect off
    // the screen and the parts that fall outside dest are left untouched.
    virtual Result copyRect(const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors) = 0;
    // Copies rect (window coordinates) of the window's own content to dest at destPos.
    virtual Result copyWindow(WindowId window, const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors) = 0;
    // The current cursor; false when there is none to show. Pixels stay valid until
    // the next call.
    virtual bool cursor(CursorImage &out) = 0;
    // Whether copying the rectangle (screen coordinates), or the window's own
    // content, now could give other pixels than the last copy of the same. A source
    // that cannot tell answers true. Asked right before copying.
    virtual bool rectMayHaveChanged(const QRect &rect) = 0;
    virtual bool windowMayHaveChanged(WindowId window) = 0;
};

struct FrameSourceOptions
{
    QSize maxSize;                // the largest rectangle ever copied (the frame size)
    bool allowSharedMemory = true; // false: plain copies, for measurements
    bool screen = true;            // rectangles of the screen are copied, not a window
};

// The source of the desktop the program runs on: "x11", or "wayland" when the X server
// is a Wayland session's XWayland. BRINDLECAST_CAPTURE names one instead. Null when
// nothing can be copied (an unknown name, screen sharing refused or missing); errors
// says why. May wait for the user to allow sharing the screen.
std::unique_ptr<FrameSource> makeFrameSource(const FrameSourceOptions &options, bc_ret &errors);
