#pragma once

#include "platform/FrameSource.h"
#include "platform/wayland/PipeWireStream.h"
#include "platform/wayland/PortalScreenCast.h"

#include <memory>

class X11FrameSource;

// The frame source of a Wayland session. Tables (XWayland windows) are copied from
// their own content, as on X11; the screen holds no pictures there, so regions and
// monitors come from the desktop's screen sharing: one monitor's stream, of which a
// region is a part.
class WaylandFrameSource : public FrameSource
{
public:
    WaylandFrameSource(const FrameSourceOptions &options);
    ~WaylandFrameSource() override;

    // Asks the desktop to share the screen when rectangles of it will be copied.
    bc_ret open();

    Result copyRect(const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors) override;
    Result copyWindow(WindowId window, const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors) override;
    bool cursor(CursorImage &out) override;
    bool rectMayHaveChanged(const QRect &rect) override;
    bool windowMayHaveChanged(WindowId window) override;

private:
    FrameSourceOptions m_options;
    std::unique_ptr<X11FrameSource> m_windows;
    std::unique_ptr<PortalScreenCast> m_portal;
    std::unique_ptr<PipeWireStream> m_stream;
    QRect m_shared; // where the shared monitor lies on the desktop
    quint64 m_copiedSerial = 0;
    QRect m_copiedRect;
    bool m_endLogged = false;
    bool m_elsewhereLogged = false;
};
