#include "app/AppExit.h"
#include "app/bc_ret.h"
#include "app/Log.h"
#include "main/Platform.h"
#include "main/Startup.h"
#include "ui/MyApplication.h"
#include "ui/UpdateManager.h"

#include <QMessageBox>

#include <clocale>

// The run that installs an update with raised rights has no display (the elevation
// helper clears the environment) and no window: it only replaces the program file.
int runElevatedInstall(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return UpdateManager::runElevatedInstall(QCoreApplication::arguments());
}

int main(int argc, char **argv)
{
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    if (UpdateManager::isElevatedRun(given))
        return runElevatedInstall(argc, argv);
    preferX11UnderWayland();
    registerResultMetaType();
    MyApplication app(argc, argv);
    // The editor's player (libmpv) needs numbers written the C way; the application
    // object has just set them from the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    AppExit appExit;

    int result = -1;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.isEmpty()) {
        const bc_ret error(QStringLiteral("QCoreApplication::arguments"), -1,
                           QCoreApplication::translate("main", "The command line holds no program name."));
        QMessageBox::critical(nullptr, QCoreApplication::translate("main", "Error"), error.messages(QStringLiteral(": ")));
    } else {
        result = runStartup(app, arguments);
    }

    bc_ret errors;
    QString reason;
    appExit.execute(errors, reason);
    if (errors.failed()) {
        logError(QStringLiteral("Exit command failed: %1").arg(errors.details(QStringLiteral(": "))));
        QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("main", "Brindlecast - Error on exit"),
                        AppExit::failureText(reason, errors),
                        QMessageBox::Ok);
        box.exec();
    }
    return result;
}
