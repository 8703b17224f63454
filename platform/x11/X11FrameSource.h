#pragma once

#include "platform/FrameSource.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <memory>
#include <vector>

class XConnection;

// Copies pixels of the screen or of one window's own content into a FrameBuffer.
// Uses MIT-SHM (one segment, made on first use, sized for the largest copy) and
// falls back to plain GetImage without it. A window's own content comes from
// redirecting it with Composite, which gives all of it even where other windows
// cover it, with or without a compositing manager. One thread at a time.
class X11FrameSource : public FrameSource
{
public:
    // maxSize: the largest rectangle ever copied (the frame size).
    explicit X11FrameSource(QSize maxSize, bool allowShm = true);
    ~X11FrameSource() override;
    X11FrameSource(const X11FrameSource &) = delete;
    X11FrameSource &operator=(const X11FrameSource &) = delete;

    // Copies rect (screen coordinates) to dest at destPos. The parts of rect off
    // the screen and the parts that fall outside dest are left untouched.
    Result copyRect(const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors) override;
    // Copies rect (window coordinates) of the window's own content to dest at destPos.
    Result copyWindow(WindowId window, const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors) override;

    // The current cursor; false when XFixes gives none. Pixels stay valid until the next call.
    // Its reply also brings in the server's reports for the next ...MayHaveChanged().
    bool cursor(CursorImage &out) override;

    // Whether copying rect of the screen (screen coordinates), or the window's own
    // content, now could give other pixels than the last copy of the same: false only
    // when the X server (Damage) reports nothing drawn, shown, hidden or moved there
    // since. Takes in the server's reports first, so call it right before copying.
    bool rectMayHaveChanged(const QRect &rect) override;
    bool windowMayHaveChanged(WindowId window) override;

    // True once the shared-memory path is in use.
    bool usesShm() const { return m_shmAddress != nullptr; }

private:
    bool bind();
    void releaseWindow();
    void watch(quint32 window, bool screen);
    void copied(quint32 window, const QRect &rect);
    Result copyDrawable(quint32 drawable, const QSize &drawableSize, const QRect &rect, FrameBuffer &dest,
                        QPoint destPos, bc_ret &errors);

    QSize m_maxSize;
    bool m_allowShm;
    std::shared_ptr<XConnection> m_connection;
    quint32 m_shmSegment = 0;
    uchar *m_shmAddress = nullptr;
    quint32 m_redirected = 0;   // window we redirected, 0 when none
    quint32 m_pixmap = 0;       // its content pixmap, 0 when not named
    QSize m_pixmapSize;
    std::vector<quint32> m_cursorPixels;
    // Damage watches held, and what the last copy took at which report number (0: unknown).
    quint32 m_watchedWindow = 0;
    bool m_watchingScreen = false;
    bool m_synced = false; // a reply was read since the last poll
    quint64 m_copiedSerial = 0;
    quint32 m_copiedWindow = 0; // 0: the screen
    QRect m_copiedRect;
};
