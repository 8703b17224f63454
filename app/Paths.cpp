#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef BRINDLECAST_SERVICE_URL
#error "BRINDLECAST_SERVICE_URL must be defined by the build"
#endif

namespace {

QString withoutTrailingSlash(QString url)
{
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

QString inAppDir(const char *name)
{
    return QDir(appDataDir()).filePath(QLatin1String(name));
}

} // namespace

QString appDataDir()
{
    return QDir(QDir::homePath()).filePath(QLatin1String(kAppDirName));
}

QString helperProgramPath(const QString &name, const char *environmentVariable, const QString &builtPath)
{
    QStringList candidates{qEnvironmentVariable(environmentVariable)};
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        candidates << dir + QLatin1Char('/') + name << dir + QStringLiteral("/../libexec/brindlecast/") + name;
    }
    candidates << builtPath;
    for (const QString &candidate : candidates) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QString();
}

QString logFilePath()
{
    return inAppDir("log.txt");
}

QString netConfPath()
{
    return inAppDir("net.conf");
}

QString loginConfPath()
{
    return inAppDir("login.conf");
}

QString langConfPath()
{
    return inAppDir("lang.conf");
}

QString serviceUrl()
{
    const QString fromEnvironment = qEnvironmentVariable("BRINDLECAST_SERVICE_URL").trimmed();
    if (!fromEnvironment.isEmpty())
        return withoutTrailingSlash(fromEnvironment);
    return withoutTrailingSlash(QStringLiteral(BRINDLECAST_SERVICE_URL));
}

QString serviceUrl(const QString &path)
{
    return serviceUrl() + path;
}

QString versionLine()
{
    return QStringLiteral("Brindlecast_VERSION_STRING: %1; revision: %2; server: %3;")
            .arg(QLatin1String(kVersion), QLatin1String(kRevision), serviceUrl());
}
