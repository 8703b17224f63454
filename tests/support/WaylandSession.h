#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

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
    // Starts the desktop's screen sharing: a private session bus (nothing is started on
    // demand there), PipeWire with WirePlumber, the desktop portal and its wlroots
    // backend sharing the output without asking. They run as the test's user in a
    // runtime folder of their own. Exports DBUS_SESSION_BUS_ADDRESS. Needs the application
    // object (it waits for the bus). allow false: the
    // backend's output chooser fails, as when the user refuses.
    bool startScreenSharing(bool allow = true);
    // Restarts the portal's backend allowing or refusing from now on.
    bool setScreenSharingAllowed(bool allow);
    QString busAddress() const { return m_bus; }
    // sway's own output and that of the screen-sharing daemons, for a failure message.
    QString log();
    // The compositor's own picture of the screen (grim), null on failure.
    QImage screenshot() const;

private:
    struct Daemon
    {
        QString name;
        std::unique_ptr<QProcess> process;
        QByteArray output;
    };
    QProcess *startDaemon(const QString &name, const QString &program, const QStringList &arguments,
                          const QProcessEnvironment &environment);
    bool waitForName(const QString &name);
    bool startBackend(bool allow);

    QTemporaryDir m_home;
    QTemporaryDir m_sharing; // the runtime folder of the screen-sharing daemons
    std::unique_ptr<QProcess> m_compositor;
    QByteArray m_output; // read so far
    std::vector<Daemon> m_daemons; // in the order started
    QString m_bus;
    QProcessEnvironment m_sharingEnvironment;
    QString m_display;
    QString m_socket;
};
