#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A headless Wayland session of the tests' own: sway with its XWayland started at once,
// on a 1920 x 1080 output, in a runtime folder of its own and cut off from any session
// bus. sway refuses to run as root: a test run as root runs it as nobody, and the X
// server then lets root in. start() exports DISPLAY (XWayland) and WAYLAND_DISPLAY for
// the test and the programs it starts; the X11 side is reached through Qt's xcb.
class WaylandSession
{
public:
    ~WaylandSession();
    bool start();
    QString display() const { return m_display; }
    QString waylandSocket() const { return m_socket; }
    // sway's own output, for a failure message.
    QString log();
    // The compositor's own picture of the screen (grim), null on failure.
    QImage screenshot() const;

private:
    QTemporaryDir m_home;
    std::unique_ptr<QProcess> m_compositor;
    QByteArray m_output; // read so far
    QString m_display;
    QString m_socket;
};
