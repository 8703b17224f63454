#include "capture/Target.h"

namespace {

CaptureSource screenSource()
{
    return desktop::isAvailable() ? CaptureSource{CaptureSource::Screen, desktop::rootWindow()} : CaptureSource{};
}

} // namespace

RegionTarget::RegionTarget(const QRect &rect)
    : m_rect(rect)
{
}

CaptureSource RegionTarget::captureSource() const
{
    return screenSource();
}

MonitorTarget::MonitorTarget(const QString &name, const QRect &rect)
    : m_name(name)
    , m_rect(rect)
{
}

QRect MonitorTarget::geometry() const
{
    const std::lock_guard lock(m_mutex);
    return m_rect;
}

void MonitorTarget::setGeometry(const QRect &rect)
{
    const std::lock_guard lock(m_mutex);
    m_rect = rect;
}

CaptureSource MonitorTarget::captureSource() const
{
    return screenSource();
}

WindowTarget::WindowTarget(WindowId window)
    : m_window(window)
{
}

QRect WindowTarget::geometry() const
{
    return desktop::windowFrameRect(m_window);
}

CaptureSource WindowTarget::captureSource() const
{
    return screenSource();
}

bool WindowTarget::isShowing() const
{
    return desktop::isWindowVisible(m_window) && !desktop::isWindowMinimised(m_window);
}

TargetView WindowTarget::view() const
{
    return viewOf(desktop::windowState(m_window));
}

TargetView WindowTarget::viewOf(const desktop::WindowState &state) const
{
    return TargetView{state.frame, state.frame, state.visible && !state.minimised};
}

TargetView ClientTarget::viewOf(const desktop::WindowState &state) const
{
    const QRect capture = state.client.isEmpty() ? QRect() : QRect(QPoint(0, 0), state.client.size());
    return TargetView{capture, state.client, state.visible && !state.minimised};
}

TargetView FramedWindowTarget::viewOf(const desktop::WindowState &state) const
{
    const QRect capture = state.frame.isEmpty() ? QRect() : QRect(QPoint(0, 0), state.frame.size());
    return TargetView{capture, state.frame, state.visible && !state.minimised};
}

QRect ClientTarget::captureRect() const
{
    const QRect client = desktop::windowClientRect(m_window);
    return client.isEmpty() ? QRect() : QRect(QPoint(0, 0), client.size());
}

CaptureSource ClientTarget::captureSource() const
{
    return desktop::isAvailable() ? CaptureSource{CaptureSource::Window, m_window} : CaptureSource{};
}

QRect ClientTarget::visibleRect() const
{
    return desktop::windowClientRect(m_window);
}

QRect FramedWindowTarget::captureRect() const
{
    const QRect frame = geometry();
    return frame.isEmpty() ? QRect() : QRect(QPoint(0, 0), frame.size());
}

CaptureSource FramedWindowTarget::captureSource() const
{
    const WindowId frame = desktop::frameWindow(m_window);
    return frame ? CaptureSource{CaptureSource::Window, frame} : CaptureSource{};
}

TargetSptr chooseWindowTarget(WindowId window, bool compositionEnabled, bool recordOverlayWindows, bool xwayland)
{
    if (desktop::isOwnWindow(window) || desktop::isWindowMinimised(window))
        return nullptr;
    if (xwayland)
        return std::make_shared<ClientTarget>(window);
    if (!compositionEnabled)
        return std::make_shared<FramedWindowTarget>(window);
    if (recordOverlayWindows)
        return std::make_shared<WindowTarget>(window);
    return std::make_shared<ClientTarget>(window);
}

TargetSptr chooseWindowTarget(WindowId window, bool recordOverlayWindows)
{
    return chooseWindowTarget(window, desktop::isCompositionEnabled(), recordOverlayWindows, desktop::isXWayland());
}
