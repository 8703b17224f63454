#include "library/ListFile.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>

namespace {

QMutex g_damagesLock;
QList<FileDamage> g_damages;

} // namespace

bool setDamagedFileAside(const QString &path, const QString &reason, int entriesKept)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = QStringLiteral("%1.damaged-%2").arg(path, stamp);
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = QStringLiteral("%1.damaged-%2-%3").arg(path, stamp).arg(n);
    const bool moved = QFile::rename(path, aside);
    if (moved)
        logWarn(QStringLiteral("'%1' could not be read whole (%2): kept as '%3', %4 entries read from it")
                        .arg(path, reason, aside)
                        .arg(entriesKept));
    else
        logError(QStringLiteral("'%1' could not be read whole (%2) nor moved aside: it is left as it is")
                         .arg(path, reason));
    const QMutexLocker locker(&g_damagesLock);
    g_damages.append(FileDamage{path, moved ? aside : QString(), reason, entriesKept});
    return moved;
}

QList<FileDamage> takeFileDamages()
{
    const QMutexLocker locker(&g_damagesLock);
    return std::exchange(g_damages, {});
}
