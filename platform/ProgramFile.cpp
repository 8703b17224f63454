#include "platform/ProgramFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace desktop {

namespace {

// Copies from into a new file at to, flushed to the disk; on failure removes it.
bc_ret copyToNewFile(const QString &from, const QString &to, QFile::Permissions permissions)
{
    QFile source(from);
    QFile target(to);
    if (!source.open(QIODevice::ReadOnly))
        return bc_ret(QStringLiteral("QFile::open"), source.error(), source.errorString());
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return bc_ret(QStringLiteral("QFile::open"), target.error(), target.errorString());
    bc_ret errors;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (qint64 got; errors.ok() && (got = source.read(buffer.data(), buffer.size())) != 0;) {
        if (got < 0)
            errors = bc_ret(QStringLiteral("QFile::read"), source.error(), source.errorString());
        else if (target.write(buffer.constData(), got) != got)
            errors = bc_ret(QStringLiteral("QFile::write"), target.error(), target.errorString());
    }
    if (errors.ok() && (!target.flush() || ::fsync(target.handle()) != 0))
        errors = bc_ret::fromLastError(QStringLiteral("fsync"));
    if (errors.ok() && !target.setPermissions(permissions))
        errors = bc_ret(QStringLiteral("QFile::setPermissions"), target.error(), target.errorString());
    target.close();
    if (errors.failed())
        QFile::remove(to);
    return errors;
}

// The identity bytes of an ELF header: class, byte order and (at 18, 19) machine.
QByteArray elfIdentity(const QByteArray &head)
{
    if (head.size() < 20 || !head.startsWith("\x7f" "ELF"))
        return QByteArray();
    return head.mid(4, 2) + head.mid(18, 2);
}

const QByteArray &ownElfIdentity()
{
    static const QByteArray identity = [] {
        QFile self(QStringLiteral("/proc/self/exe"));
        return self.open(QIODevice::ReadOnly) ? elfIdentity(self.read(64)) : QByteArray();
    }();
    return identity;
}

} // namespace

bc_ret replaceProgramFile(const QString &programPath, const QString &newFile, const QString &uuidText)
{
    const QString backup = programPath + uuidText;
    const QFile::Permissions mode = QFileInfo(programPath).permissions();
    if (::rename(QFile::encodeName(programPath).constData(), QFile::encodeName(backup).constData()) != 0) {
        bc_ret errors = bc_ret::fromLastError(QStringLiteral("rename"));
        return errors.add(QCoreApplication::translate("ProgramFile", "failed to backup '%1' to '%2'").arg(programPath, backup));
    }
    // Staged beside the program, so that the last step is a rename within one file system.
    const QString staged = programPath + QStringLiteral(".new");
    QFile::remove(staged);
    bc_ret errors = copyToNewFile(newFile, staged, mode);
    if (errors.ok() && ::rename(QFile::encodeName(staged).constData(), QFile::encodeName(programPath).constData()) != 0)
        errors = bc_ret::fromLastError(QStringLiteral("rename"));
    if (errors.failed()) {
        QFile::remove(staged);
        errors.add(QCoreApplication::translate("ProgramFile", "failed to move '%1' to '%2'").arg(newFile, programPath));
        if (::rename(QFile::encodeName(backup).constData(), QFile::encodeName(programPath).constData()) != 0) {
            errors += bc_ret::fromLastError(QStringLiteral("rename"));
            errors.add(QCoreApplication::translate("ProgramFile", "failed to restore '%1' from '%2'").arg(programPath, backup));
        }
        return errors;
    }
    QFile::remove(backup);
    QFile::remove(newFile);
    return bc_ret();
}

bool runsOnThisMachine(const QByteArray &head)
{
    if (head.startsWith("#!"))
        return true;
    const QByteArray identity = elfIdentity(head);
    return !identity.isEmpty() && identity == ownElfIdentity();
}

QString absoluteProgramPath(const QString &firstArgument)
{
    const QString found = firstArgument.contains(QLatin1Char('/')) ? firstArgument
                                                                   : QStandardPaths::findExecutable(firstArgument);
    return found.isEmpty() ? QString() : QFileInfo(found).canonicalFilePath();
}

} // namespace desktop
