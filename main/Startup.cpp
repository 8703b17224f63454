#include "main/Startup.h"

#include "app/AppExit.h"
#include "app/Counter.h"
#include "app/Log.h"
#include "app/Paths.h"
#include "app/SingleApplication.h"
#include "detection/Detection.h"
#include "library/TranslatorManager.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "media/MediaOperations.h"
#include "net/HttpConnection.h"
#include "platform/TerminationWatcher.h"
#include "resources/Resources.h"
#include "shell/MainWindow.h"
#include "ui/LoginDialog.h"
#include "ui/MyApplication.h"
#include "ui/UpdateManager.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>

namespace {

constexpr char kActivateMessage[] = "activate";

// True when a start-up stage has left an exit command: the program must end now.
bool exitRequested()
{
    return AppExit::instance() && AppExit::instance()->hasCommand();
}

// Ends the event loop now. Not quit(): that first asks every window to close, and a
// floating recorder refuses, which would cancel the end.
void endEventLoop()
{
    QCoreApplication::exit(0);
}

bool openAppDirectoryAndLog(const QStringList &arguments)
{
    if (!QDir().mkpath(appDataDir())) {
        QMessageBox::critical(nullptr, QCoreApplication::translate("Startup", "Error"),
                              QCoreApplication::translate("Startup", "Can not access home directory"));
        return false;
    }
    // Without a log file the program still runs; log calls then write nothing.
    openLog(logFilePath());
    setLogLevel(0);
    logInfo(versionLine());
    logInfo(QStringLiteral("main # %1").arg(arguments.join(QStringLiteral(" # "))));
    return true;
}

void logInstanceMessage(const QString &text)
{
    logInfo(QStringLiteral("Message from another instance: %1").arg(text));
}

// The login stage: a user, or null when the window was closed without one (the
// dialog has then left a do-nothing exit command).
std::unique_ptr<User> logIn(const QStringList &arguments, SingleApplication &single)
{
    LoginDialog dialog(arguments);
    // A later start brings the login window forward when it is shown.
    QObject::connect(&single, &SingleApplication::messageAvailable, &dialog, [&dialog](const QString &text) {
        logInstanceMessage(text);
        if (dialog.isVisible()) {
            dialog.raise();
            dialog.activateWindow();
        }
    });
    dialog.run();
    return dialog.takeUser();
}

// The main window until the program ends: messages from later starts bring it forward.
void runMainWindow(const QStringList &arguments, SingleApplication &single)
{
    MainWindow window(arguments);
    QObject::connect(&single, &SingleApplication::messageAvailable, &window, [&window](const QString &text) {
        logInstanceMessage(text);
        window.goToTop();
    });
    window.run();
    logInfo(QStringLiteral("Event loop ended"));
}

} // namespace

int runStartup(MyApplication &app, const QStringList &arguments)
{
    SingleApplication single(QLatin1String(SingleApplication::kInstanceKey));
    if (single.isRunning()) {
        single.sendMessage(QLatin1String(kActivateMessage));
        return 0;
    }
    if (!openAppDirectoryAndLog(arguments))
        return 0;
    initMediaLibraries();
    // Each window decides when the program ends: closing a hidden tool window must not.
    app.setQuitOnLastWindowClosed(false);

    // A logout or kill asks for the same orderly quit as the session manager.
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &app,
                     &MyApplication::queryEndSession);

    // The language saved on this computer, else the system's.
    TranslatorManager translations;
    translations.setConfFile(langConfPath());
    translations.init();
    app.setWindowIcon(QIcon(QStringLiteral(":/images/favicon_soft.png")));
    // The update check sets up the network, which then serves the whole run. Unless this
    // version is current it leaves an exit command (restart, install, or just end).
    UpdateManager updates(arguments, serviceUrl(QStringLiteral("/soft/check")));
    {
        const QMetaObject::Connection quitCheck =
                QObject::connect(&app, &MyApplication::queryEndSession, &updates, &UpdateManager::doCancelDownload);
        updates.runStartupCheck();
        QObject::disconnect(quitCheck);
    }
    if (exitRequested())
        return 0;
    app.setStyleSheet(applicationStyleSheet());

    // A termination during the login ends it like closing its window.
    const QMetaObject::Connection quitLogin =
            QObject::connect(&app, &MyApplication::queryEndSession, &app, &endEventLoop);
    std::unique_ptr<User> user = logIn(arguments, single);
    QObject::disconnect(quitLogin);
    if (exitRequested() || !user)
        return 0;

    // A failed load keeps the defaults.
    auto counter = std::make_unique<Counter>();
    auto settings = std::make_unique<WindowConfig>(user->paths());
    if (!QFileInfo::exists(user->paths().windowFile))
        logInfo(QStringLiteral("No settings saved yet: the defaults apply"));
    else if (const bc_ret loaded = settings->load(); loaded.failed())
        logWarn(QStringLiteral("Settings not loaded: %1").arg(loaded.details(QStringLiteral(": "))));
    // The user's poker programs; a first start has none yet.
    auto detection = std::make_unique<DetectionManager>(user->paths());
    if (const bc_ret loaded = detection->load(); loaded.failed())
        logInfo(QStringLiteral("No poker programs known yet: %1").arg(loaded.messages(QStringLiteral(": "))));
    // The user's own language, when the user has chosen one; otherwise the one in force
    // (perhaps just chosen in the login window) stays.
    translations.setConfFile(user->paths().languageFile);
    if (QFileInfo::exists(user->paths().languageFile))
        translations.init();
    runMainWindow(arguments, single);

    if (const bc_ret saved = detection->save(); saved.failed())
        logWarn(QStringLiteral("Poker programs not saved: %1").arg(saved.details(QStringLiteral(": "))));
    if (const bc_ret saved = settings->save(); saved.failed())
        logWarn(QStringLiteral("Settings not saved: %1").arg(saved.details(QStringLiteral(": "))));
    detection.reset();
    settings.reset();
    counter.reset();
    removeTemporaryFiles(user->paths());
    logInfo(QStringLiteral("Start-up body finished"));
    return 0;
}
