#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The bundled web service, run for real on a free port it picks itself, with its
// own data directory. It creates the demo user demo@brindlecast.local / "demo".
struct ServiceProcess
{
    // Generous: only a hang reaches it.
#ifdef BC_TEST_SLOW_BUILD
    // The sanitizer build runs the program several times slower.
    static constexpr int kPatienceMs = 180000;
#else
    static constexpr int kPatienceMs = 60000;
#endif

    QTemporaryDir scratch;
    QString data = scratch.filePath(QStringLiteral("data"));
    QProcess process;
    QByteArray output;
    int port = 0;

    // Starts it and waits for its ready line.
    bool start(const QStringList &extra = {});
    void stop();
    ~ServiceProcess() { stop(); }
    // Adds a user with the service's own command; true when it worked.
    bool addUser(const QString &email, const QString &password, const QString &userName) const;
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path); }
    QString file(const QString &name) const { return QDir(data).filePath(name); }
    // The most memory the service has held so far, in KiB.
    qint64 peakMemoryKiB() const;
};
