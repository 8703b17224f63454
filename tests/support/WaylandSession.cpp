#include "tests/support/WaylandSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

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
    return QString::fromLocal8Bit(m_output);
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
