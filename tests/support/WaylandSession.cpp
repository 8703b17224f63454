#include "tests/support/WaylandSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

WaylandSession::~WaylandSession()
{
    for (auto it = m_daemons.rbegin(); it != m_daemons.rend(); ++it) {
        it->process->terminate();
        if (!it->process->waitForFinished(5000))
            it->process->kill();
        it->process->waitForFinished(5000);
    }
    if (m_compositor && m_compositor->state() != QProcess::NotRunning) {
        m_compositor->terminate();
        if (!m_compositor->waitForFinished(5000))
            m_compositor->kill();
        m_compositor->waitForFinished(5000);
    }
}

bool WaylandSession::start()
{
    if (!m_home.isValid())
        return false;
    const bool asRoot = geteuid() == 0;
    const QString dir = m_home.path();
    // Whoever the test runs as may use the X server; sway tells the display once it is up.
    const QByteArray user = asRoot ? QByteArrayLiteral("root") : qgetenv("USER");
    const QByteArray config = "xwayland force\n"
                              "output HEADLESS-1 resolution 1920x1080 position 0 0\n"
                              "exec sh -c 'xhost +si:localuser:"
                              + user + " >/dev/null 2>&1; echo \"bc-display=$DISPLAY\"'\n";
    if (!writeFile(dir + QStringLiteral("/config"), config))
        return false;
    if (asRoot && (chown(QFile::encodeName(dir).constData(), kNobody, kNobody) != 0
                   || chown(QFile::encodeName(dir + QStringLiteral("/config")).constData(), kNobody, kNobody) != 0))
        return false;
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), dir);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir);
    // No session bus of the machine's: a path where none listens.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=%1/no-bus").arg(dir));
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    m_compositor = std::make_unique<QProcess>();
    m_compositor->setProcessEnvironment(environment);
    m_compositor->setProcessChannelMode(QProcess::MergedChannels);
    const QStringList sway{QStringLiteral("sway"), QStringLiteral("-c"), dir + QStringLiteral("/config")};
    if (asRoot)
        m_compositor->start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                                   QStringLiteral("--clear-groups")}
                                                               + sway);
    else
        m_compositor->start(sway.first(), sway.mid(1));
    if (!m_compositor->waitForStarted(10000))
        return false;

    // Told on sway's own output, among its messages.
    static const QRegularExpression announced(QStringLiteral("bc-display=(:\\d+)"));
    QDeadlineTimer deadline(30000);
    QRegularExpressionMatch match;
    while (!(match = announced.match(QString::fromLocal8Bit(m_output))).hasMatch()) {
        if (m_compositor->state() == QProcess::NotRunning
            || !m_compositor->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
        m_output += m_compositor->readAll();
    }
    m_display = match.captured(1);
    const QStringList sockets = QDir(dir).entryList({QStringLiteral("wayland-*")}, QDir::System);
    for (const QString &name : sockets) {
        if (!name.endsWith(QLatin1String(".lock")))
            m_socket = dir + QLatin1Char('/') + name;
    }
    if (m_display.isEmpty() || m_socket.isEmpty())
        return false;
    qputenv("DISPLAY", m_display.toLocal8Bit());
    qputenv("WAYLAND_DISPLAY", m_socket.toLocal8Bit());
    return true;
}

QString WaylandSession::log()
{
    if (m_compositor)
        m_output += m_compositor->readAll();
    QString text = QString::fromLocal8Bit(m_output);
    for (Daemon &daemon : m_daemons) {
        daemon.output += daemon.process->readAll();
        text += QStringLiteral("\n--- %1 ---\n%2").arg(daemon.name, QString::fromLocal8Bit(daemon.output.right(20000)));
    }
    return text;
}

QProcess *WaylandSession::startDaemon(const QString &name, const QString &program, const QStringList &arguments,
                                      const QProcessEnvironment &environment)
{
    Daemon daemon{name, std::make_unique<QProcess>(), QByteArray()};
    daemon.process->setProcessEnvironment(environment);
    daemon.process->setProcessChannelMode(QProcess::MergedChannels);
    daemon.process->start(program, arguments);
    QProcess *process = daemon.process.get();
    m_daemons.push_back(std::move(daemon));
    return process->waitForStarted(10000) ? process : nullptr;
}

bool WaylandSession::waitForName(const QString &name)
{
    // Our own connection to the private bus, asked until the name is owned.
    QDBusConnection bus = QDBusConnection::connectToBus(m_bus, QStringLiteral("bc-wayland-session"));
    const bool owned = QTest::qWaitFor([&] { return bus.interface() && bus.interface()->isServiceRegistered(name).value(); },
                                       30000);
    QDBusConnection::disconnectFromBus(QStringLiteral("bc-wayland-session"));
    return owned;
}

bool WaylandSession::startBackend(bool allow)
{
    const QString config = m_sharing.filePath(QStringLiteral("portal.conf"));
    if (!writeFile(config, allow ? QByteArrayLiteral("[screencast]\nchooser_type=none\noutput_name=HEADLESS-1\n")
                                 : QByteArrayLiteral("[screencast]\nchooser_type=simple\nchooser_cmd=false\n")))
        return false;
    QProcessEnvironment backend = m_sharingEnvironment;
    backend.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(BC_SHARING_SHIM));
    return startDaemon(QStringLiteral("xdg-desktop-portal-wlr"), QStringLiteral("/usr/libexec/xdg-desktop-portal-wlr"),
                       {QStringLiteral("-c"), config}, backend)
           && waitForName(QStringLiteral("org.freedesktop.impl.portal.desktop.wlr"));
}

bool WaylandSession::setScreenSharingAllowed(bool allow)
{
    for (auto it = m_daemons.begin(); it != m_daemons.end(); ++it) {
        if (it->name != QLatin1String("xdg-desktop-portal-wlr"))
            continue;
        it->process->terminate();
        if (!it->process->waitForFinished(10000))
            return false;
        m_daemons.erase(it);
        return startBackend(allow);
    }
    return false;
}

bool WaylandSession::startScreenSharing(bool allow)
{
    if (!m_sharing.isValid() || m_socket.isEmpty())
        return false;
    const QString dir = m_sharing.path();
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // No service directories: nothing of the machine's is started on demand.
    const QByteArray busConfig = "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                                 "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                 "<busconfig><type>session</type><listen>unix:path="
                                 + QFile::encodeName(dir) + "/bus</listen><auth>EXTERNAL</auth>"
                                 "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    if (!writeFile(dir + QStringLiteral("/bus.conf"), busConfig))
        return false;
    m_bus = QStringLiteral("unix:path=%1/bus").arg(dir);

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), dir);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir);
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus);
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=%1/no-system-bus").arg(dir));

    QProcess *bus = startDaemon(QStringLiteral("dbus-daemon"), QStringLiteral("dbus-daemon"),
                                {QStringLiteral("--config-file=") + dir + QStringLiteral("/bus.conf"), QStringLiteral("--nofork"),
                                 QStringLiteral("--print-address")},
                                environment);
    // The address is printed once the bus listens.
    if (!bus || !QTest::qWaitFor([&] { return bus->canReadLine() || bus->state() == QProcess::NotRunning; }, 30000)
        || bus->state() == QProcess::NotRunning)
        return false;
    if (!startDaemon(QStringLiteral("pipewire"), QStringLiteral("pipewire"), {}, environment)
        || !QTest::qWaitFor([&] { return QFile::exists(dir + QStringLiteral("/pipewire-0")); }, 30000)
        || !startDaemon(QStringLiteral("wireplumber"), QStringLiteral("wireplumber"), {}, environment))
        return false;
    m_sharingEnvironment = environment;
    if (!startBackend(allow))
        return false;
    // The portal takes its backends as it finds them when it starts.
    if (!startDaemon(QStringLiteral("xdg-desktop-portal"), QStringLiteral("/usr/libexec/xdg-desktop-portal"), {}, environment)
        || !waitForName(QStringLiteral("org.freedesktop.portal.Desktop")))
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.toLocal8Bit());
    return true;
}

QImage WaylandSession::screenshot() const
{
    const QString file = m_home.filePath(QStringLiteral("screen.png"));
    QProcess grim;
    grim.start(QStringLiteral("grim"), {file});
    if (!grim.waitForFinished(20000) || grim.exitCode() != 0)
        return QImage();
    return QImage(file);
}
