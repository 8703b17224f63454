#include "tests/support/PulseSession.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cmath>

PulseSession::~PulseSession()
{
    if (m_player) {
        m_player->kill();
        m_player->waitForFinished(3000);
    }
    kill();
}

bool PulseSession::start()
{
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.remove(QStringLiteral("PULSE_SERVER"));
    // Cut off from any session: with no bus address libdbus would start one through X11
    // autolaunch (dbus-x11), and the daemon would then wait on, or register with, it.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_runtime.filePath(QStringLiteral("no-bus")));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProcessEnvironment(env);
    m_daemon->setProcessChannelMode(QProcess::MergedChannels);
    m_daemon->setStandardOutputFile(logFile(), QIODevice::Append);
    m_daemon->start(QStringLiteral("pulseaudio"),
                    {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                     QStringLiteral("--disallow-exit"), QStringLiteral("-F"), QStringLiteral(BC_TEST_SOUND_SERVER_SCRIPT)});
    if (!m_daemon->waitForStarted(5000))
        return failed(QStringLiteral("pulseaudio could not be started: ") + m_daemon->errorString());
    const QString socket = m_runtime.filePath(QStringLiteral("pulse/native"));
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(socket)) {
        if (m_daemon->state() != QProcess::Running)
            return failed(QStringLiteral("pulseaudio ended before it listened"));
        if (deadline.hasExpired())
            return failed(QStringLiteral("pulseaudio did not listen within 10 s"));
        QThread::msleep(20);
    }
    qputenv("PULSE_SERVER", QByteArray("unix:") + socket.toLocal8Bit());
    return true;
}

QString PulseSession::logFile() const
{
    return m_runtime.filePath(QStringLiteral("pulseaudio.log"));
}

bool PulseSession::failed(const QString &what)
{
    QFile log(logFile());
    const QByteArray output = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray("(no output)");
    qWarning("%s; its output:\n%s", qPrintable(what), output.constData());
    kill();
    return false;
}

void PulseSession::kill()
{
    if (!m_daemon)
        return;
    m_daemon->kill();
    m_daemon->waitForFinished(3000);
    m_daemon.reset();
}

bool PulseSession::playTone(double frequency, double seconds, qint16 amplitude)
{
    constexpr int kRate = 22050;
    QByteArray samples(int(seconds * kRate) * 2, Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(samples.data());
    for (int i = 0; i < samples.size() / 2; ++i)
        out[i] = qint16(amplitude * std::sin(2 * M_PI * frequency * i / kRate));
    m_player = std::make_unique<QProcess>();
    m_player->start(QStringLiteral("pacat"), {QStringLiteral("--playback"), QStringLiteral("--device=null"),
                                              QStringLiteral("--format=s16le"), QStringLiteral("--rate=22050"),
                                              QStringLiteral("--channels=1"), QStringLiteral("--raw")});
    if (!m_player->waitForStarted(5000))
        return false;
    m_player->write(samples);
    m_player->closeWriteChannel();
    return true;
}
