#include "platform/DesktopIntegration.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QVariantMap>

namespace desktop {

QString autostartFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("autostart/Brindlecast.desktop"));
}

bc_ret enableAutostart(const QString &commandLine)
{
    const QString path = autostartFile();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return bc_ret(QStringLiteral("enableAutostart"), -1, QStringLiteral("Cannot create the folder of %1").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return bc_ret(QStringLiteral("enableAutostart"), -1, file.errorString());
    // Exec follows the desktop entry rules: the command line is already quoted.
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Brindlecast\n"
                                         "Comment=Poker table recorder\nExec=%1\nIcon=brindlecast\n"
                                         "Terminal=false\nX-GNOME-Autostart-enabled=true\n")
                                  .arg(commandLine);
    const QByteArray bytes = entry.toUtf8();
    // A full disk shows only when the buffer is flushed: commit() alone would then put
    // an empty entry in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return bc_ret(QStringLiteral("enableAutostart"), -1, error);
    }
    if (!file.commit())
        return bc_ret(QStringLiteral("enableAutostart"), -1, file.errorString());
    return bc_ret();
}

bc_ret disableAutostart()
{
    const QString path = autostartFile();
    if (QFile::exists(path) && !QFile::remove(path))
        return bc_ret(QStringLiteral("disableAutostart"), -1, QStringLiteral("Cannot remove %1").arg(path));
    return bc_ret();
}

void setLauncherProgress(qint64 done, qint64 total)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/com/brindlecast/launcher"),
                                                     QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress-visible"), total > 0);
    properties.insert(QStringLiteral("progress"), total > 0 ? double(done) / double(total) : 0.0);
    signal << QStringLiteral("application://%1").arg(QLatin1String(kDesktopId)) << properties;
    bus.send(signal);
}

} // namespace desktop
