#include "PulseSession.h"

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
    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProcessEnvironment(env);
    m_daemon->setStandardOutputFile(QProcess::nullDevice());
    m_daemon->setStandardErrorFile(QProcess::nullDevice());
    m_daemon->start(QStringLiteral("pulseaudio"),
                    {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                     QStringLiteral("--disallow-exit"), QStringLiteral("-F"), QStringLiteral(BC_TEST_SOUND_SERVER_SCRIPT)});
    if (!m_daemon->waitForStarted(5000))
        return false;
    const QString socket = m_runtime.filePath(QStringLiteral("pulse/native"));
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(socket)) {
        if (deadline.hasExpired() || m_daemon->state() != QProcess::Running)
            return false;
        QThread::msleep(20);
    }
    qputenv("PULSE_SERVER", QByteArray("unix:") + socket.toLocal8Bit());
    return true;
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
