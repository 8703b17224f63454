#pragma once

#include <QList>
#include <QRect>
#include <QString>

// Top-level windows of the X11 desktop, answered by the calling thread's own
// connection (safe from any thread). A window that is gone gives empty answers.

using WindowId = quint32;

// X11 has no window styles; these bits are synthesised from what it says, with
// the values Windows gives them, so that stored rules can still be compared:
//   WS_VISIBLE     0x10000000  the window is viewable
//   WS_MINIMIZE    0x20000000  _NET_WM_STATE_HIDDEN or iconic WM_STATE
//   WS_MAXIMIZE    0x01000000  both _NET_WM_STATE_MAXIMIZED_* set
//   WS_CAPTION     0x00C00000  decorated (the window manager gives it a title bar)
//   WS_SYSMENU     0x00080000  decorated
//   WS_THICKFRAME  0x00040000  resizable (WM_NORMAL_HINTS min size differs from max)
//   WS_MINIMIZEBOX 0x00020000  decorated
//   WS_MAXIMIZEBOX 0x00010000  decorated and resizable
//   WS_POPUP       0x80000000  not decorated
// Rules comparing exact style values rarely match these; for Wine programs the
// detection reads Windows' own from inside Wine (WineWindows.h).
namespace WindowStyle {
constexpr quint32 Visible = 0x10000000;
constexpr quint32 Minimize = 0x20000000;
constexpr quint32 Maximize = 0x01000000;
constexpr quint32 Caption = 0x00C00000;
constexpr quint32 SysMenu = 0x00080000;
constexpr quint32 ThickFrame = 0x00040000;
constexpr quint32 MinimizeBox = 0x00020000;
constexpr quint32 MaximizeBox = 0x00010000;
constexpr quint32 Popup = 0x80000000;
} // namespace WindowStyle

struct WindowFacts
{
    WindowId id = 0;
    QString title;
    QString className;
    qint64 processId = 0;
    QString executablePath;
    QRect frameRect;
    QRect clientRect;
    bool visible = false;
    bool minimised = false;
    WindowId owner = 0;
    bool ownProcess = false;
    quint32 style = 0;
};

namespace desktop {

// False when no X server can be reached from this thread.
bool isAvailable();
// Waits until the X server has carried out every request the program's windows have
// made so far (a window hidden is then off the screen for every later grab).
void syncWithDisplay();
// Takes the windows another program drew inside one of ours out of it (hidden, onto
// the root), before ours is destroyed: destroyed with it, the other program would
// make them anew as windows of their own.
void detachChildWindows(WindowId window);
WindowId rootWindow();

// Managed top-level windows, topmost first.
QList<WindowId> topLevelWindows();

QString windowTitle(WindowId window);
QString windowClass(WindowId window);
qint64 windowProcessId(WindowId window);
// The program's path; for a Wine program its Windows path. Empty when unknown.
QString windowExecutablePath(WindowId window);
// Screen rectangle with the window manager's frame; empty when the window is gone.
QRect windowFrameRect(WindowId window);
QRect windowClientRect(WindowId window);
bool isWindowVisible(WindowId window);
bool isWindowMinimised(WindowId window);
// All of the above at once, in one exchange with the X server (asked every frame).
struct WindowState
{
    bool exists = false;
    QRect client;
    QRect frame;
    bool visible = false;
    bool minimised = false;
};
WindowState windowState(WindowId window);
bool isWindowMaximised(WindowId window);
// The window manager keeps it above other windows (_NET_WM_STATE_ABOVE).
bool isWindowAbove(WindowId window);
WindowId windowOwner(WindowId window);
bool isOwnWindow(WindowId window);
quint32 windowStyle(WindowId window);
// The window manager's frame around a client (the root's child holding it);
// the window itself when it is not reparented; 0 when it is gone.
WindowId frameWindow(WindowId window);
WindowFacts windowFacts(WindowId window);

// A compositing manager runs (it owns _NET_WM_CM_S<screen>).
bool isCompositionEnabled();
// The X server is XWayland, the X11 server of a Wayland session: its screen holds no
// pictures (a copy of it is black) but each window's own content can be read. Any thread.
bool isXWayland();

// Pointer position in screen coordinates; false when unknown.
bool cursorPosition(QPoint &position);

} // namespace desktop
