#include "library/User.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "library/FileNames.h"
#include "library/XmlElement.h"

#include <QSet>

#include <QCoreApplication>

User *User::s_current = nullptr;

UserPaths::UserPaths(const QString &userDirectory)
    : userDir(userDirectory)
    , tmp(userDir.filePath(QStringLiteral("tmp")))
    , out(userDir.filePath(QStringLiteral("out")))
    , recorded(out.filePath(QStringLiteral("recorded")))
    , edited(out.filePath(QStringLiteral("edited")))
    , thumbnail(out.filePath(QStringLiteral("thumbnail")))
    , paramsFile(userDir.filePath(QStringLiteral("params.conf")))
    , languageFile(userDir.filePath(QStringLiteral("lang.conf")))
    , pendingList(userDir.filePath(QStringLiteral("pending.conf")))
    , archiveList(userDir.filePath(QStringLiteral("archive.conf")))
    , editedList(userDir.filePath(QStringLiteral("edited.conf")))
    , windowFile(userDir.filePath(QStringLiteral("window.conf")))
    , recognitionFile(userDir.filePath(QStringLiteral("recognition.conf")))
    , detectionFile(userDir.filePath(QStringLiteral("detection.conf")))
{
}

QString userDirectoryPath(const QString &userName)
{
    return QDir::home().filePath(
            QStringLiteral("%1/%2/%3").arg(QLatin1String(kAppDirName), QLatin1String(kUsersDirName), userName));
}

bc_ret ensureDirectories(const QString &userDirectory)
{
    const UserPaths paths(userDirectory);
    const struct
    {
        const QDir &dir;
        const char *failure;
    } steps[] = {
        {paths.userDir, QT_TRANSLATE_NOOP("User", "Can not access user directory")},
        {paths.tmp, QT_TRANSLATE_NOOP("User", "Can not access tmp directory")},
        {paths.out, QT_TRANSLATE_NOOP("User", "Can not access out directory")},
        {paths.recorded, QT_TRANSLATE_NOOP("User", "Can not access recorded directory")},
        {paths.edited, QT_TRANSLATE_NOOP("User", "Can not access edited directory")},
        {paths.thumbnail, QT_TRANSLATE_NOOP("User", "Can not access thumbnail directory")},
    };
    for (const auto &step : steps) {
        if (!QDir().mkpath(step.dir.absolutePath()))
            return bc_ret(QString(), 0, QCoreApplication::translate("User", step.failure));
    }
    return bc_ret();
}

namespace {

// Minutes that a crash, a stop at exit or a failed save left to be saved: segment
// files (with or without a readable description: those without are offered by
// themselves) and their descriptions. Sound without its picture is nothing to save.
bool isKeptSegmentFile(const QFileInfo &file)
{
    const QString name = file.fileName();
    if (name.endsWith(QLatin1String(kSegmentsDescriptionSuffix)) || name.endsWith(QLatin1String(kSegmentVideoSuffix)))
        return true;
    if (name.endsWith(QLatin1String(kSegmentAudioSuffix))) {
        const QString video =
                file.absoluteFilePath().chopped(qsizetype(qstrlen(kSegmentAudioSuffix))) + QLatin1String(kSegmentVideoSuffix);
        return QFileInfo::exists(video);
    }
    return false;
}

} // namespace

void removeTemporaryFiles(const UserPaths &paths)
{
    const QFileInfoList files = paths.tmp.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &file : files) {
        if (isKeptSegmentFile(file))
            continue;
        if (!QFile::remove(file.absoluteFilePath()))
            logWarn(QStringLiteral("Can not delete temporary file '%1'").arg(file.absoluteFilePath()));
    }
}

User::User(const UserInfoSptr &info, const QString &userDirectory, QObject *parent)
    : QObject(parent)
    , m_info(info)
    , m_paths(userDirectory)
{
    s_current = this;
}

User::~User()
{
    if (s_current == this)
        s_current = nullptr;
}

User *User::current()
{
    return s_current;
}
