#include "platform/ProcessInfo.h"

#include <QFile>
#include <QFileInfo>

namespace {

// "Z" (zombie) or "X" (dead) in /proc/PID/stat: the process has ended.
bool hasEnded(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    // The state follows the command name, which is in parentheses and may hold blanks.
    const int close = text.lastIndexOf(')');
    if (close < 0 || close + 2 >= text.size())
        return true;
    const char state = text.at(close + 2);
    return state == 'Z' || state == 'X';
}

} // namespace

QString programPathFrom(const QString &executable, const QByteArray &cmdline)
{
    if (executable.isEmpty())
        return QString();
    const QString name = executable.section(QLatin1Char('/'), -1);
    if (!name.startsWith(QLatin1String("wine")))
        return executable;
    const QByteArray first = cmdline.left(cmdline.indexOf('\0'));
    return QString::fromLocal8Bit(first);
}

QString processExecutablePath(qint64 pid)
{
    if (pid <= 0 || hasEnded(pid))
        return QString();
    const QString executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    const QByteArray raw = cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : QByteArray();
    return programPathFrom(executable, raw);
}

QString programFileName(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}
