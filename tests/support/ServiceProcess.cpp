#include "tests/support/ServiceProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>

bool ServiceProcess::start(const QStringList &extra)
{
    output.clear();
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(SERVICE),
                  QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), data} + extra);
    static const QRegularExpression ready(QStringLiteral("Brindlecast service on http://[0-9.]+:(\\d+) "));
    const QDeadlineTimer deadline(kPatienceMs);
    while (process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
        output += process.readAll();
        const QRegularExpressionMatch match = ready.match(QString::fromUtf8(output));
        if (match.hasMatch()) {
            port = match.captured(1).toInt();
            return true;
        }
    }
    return false;
}

void ServiceProcess::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kPatienceMs))
        process.kill();
    process.waitForFinished(kPatienceMs);
}

bool ServiceProcess::addUser(const QString &email, const QString &password, const QString &userName) const
{
    QProcess add;
    add.start(QStringLiteral(SERVICE),
              {QStringLiteral("--data"), data, QStringLiteral("--add-user"), email, password, userName});
    return add.waitForFinished(kPatienceMs) && add.exitStatus() == QProcess::NormalExit && add.exitCode() == 0;
}

qint64 ServiceProcess::peakMemoryKiB() const
{
    QFile values(QStringLiteral("/proc/%1/status").arg(process.processId()));
    if (!values.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : values.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}
