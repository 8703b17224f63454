#pragma once

#include "platform/DesktopWindows.h"

#include <QRect>
#include <QString>

#include <memory>
#include <mutex>

// Where a target's pixels are copied from: the whole screen, or one window's own content.
struct CaptureSource
{
    enum Kind { None, Screen, Window };
    Kind kind = None;
    WindowId window = 0;

    bool isValid() const { return kind != None; }
};

// Where a target is now: what a frame is made from.
struct TargetView
{
    QRect captureRect;
    QRect visibleRect;
    bool showing = false;
    bool operator==(const TargetView &) const = default;
};

// One thing on the desktop to record. Targets hold only a window id or a
// rectangle and ask the desktop afresh on every call, so a moved or resized
// window is followed; they are used from the GUI and the video worker thread.
// A closed window answers empty rectangles.
class Target
{
public:
    virtual ~Target() = default;

    // Where the target is, in screen coordinates.
    virtual QRect geometry() const = 0;
    // The rectangle to copy, in the coordinates of captureSource().
    virtual QRect captureRect() const = 0;
    // What to copy from.
    virtual CaptureSource captureSource() const = 0;
    // The screen rectangle the copied pixels show (places the cursor).
    virtual QRect visibleRect() const = 0;
    // False while nothing can be shown (a minimised or unmapped window): the
    // frame is then black instead of showing what lies beneath.
    virtual bool isShowing() const { return true; }
    // All three at once (the video worker asks every frame).
    virtual TargetView view() const { return TargetView{captureRect(), visibleRect(), isShowing()}; }
};
using TargetSptr = std::shared_ptr<Target>;

class RegionTarget : public Target
{
public:
    explicit RegionTarget(const QRect &rect);
    QRect geometry() const override { return m_rect; }
    QRect captureRect() const override { return geometry(); }
    CaptureSource captureSource() const override;
    QRect visibleRect() const override { return geometry(); }

private:
    QRect m_rect;
};

// A whole monitor, named as Qt names the screen; its rectangle is taken when the
// target is made.
class MonitorTarget : public Target
{
public:
    MonitorTarget(const QString &name, const QRect &rect);
    QString name() const { return m_name; }
    QRect geometry() const override;
    QRect captureRect() const override { return geometry(); }
    CaptureSource captureSource() const override;
    QRect visibleRect() const override { return geometry(); }
    // The monitor moved or changed its resolution; read by the video worker.
    void setGeometry(const QRect &rect);

private:
    QString m_name;
    mutable std::mutex m_mutex;
    QRect m_rect;
};

// The screen's pixels inside a window's frame, windows lying over it included.
class WindowTarget : public Target
{
public:
    explicit WindowTarget(WindowId window);
    WindowId window() const { return m_window; }
    QRect geometry() const override;
    QRect captureRect() const override { return geometry(); }
    CaptureSource captureSource() const override;
    QRect visibleRect() const override { return geometry(); }
    bool isShowing() const override;
    TargetView view() const override;

protected:
    // The view from a window state asked for in one exchange.
    virtual TargetView viewOf(const desktop::WindowState &state) const;

    WindowId m_window;
};

// The client area's own content, without windows lying over it.
class ClientTarget : public WindowTarget
{
public:
    using WindowTarget::WindowTarget;
    QRect captureRect() const override;
    CaptureSource captureSource() const override;
    QRect visibleRect() const override;

protected:
    TargetView viewOf(const desktop::WindowState &state) const override;
};

// The whole window with the window manager's frame, from the frame's own content.
class FramedWindowTarget : public WindowTarget
{
public:
    using WindowTarget::WindowTarget;
    QRect captureRect() const override;
    CaptureSource captureSource() const override;

protected:
    TargetView viewOf(const desktop::WindowState &state) const override;
};

// The kind of target for recording a window: null for a window of this program or a
// minimised one; under XWayland, whose screen holds no pictures, always ClientTarget;
// otherwise, with composition on, ClientTarget when windows lying over the table must
// be left out and WindowTarget when they are recorded too; with composition off,
// FramedWindowTarget.
TargetSptr chooseWindowTarget(WindowId window, bool compositionEnabled, bool recordOverlayWindows,
                              bool xwayland = false);
// The same, with what this desktop says of composition and XWayland. GUI thread.
TargetSptr chooseWindowTarget(WindowId window, bool recordOverlayWindows);
