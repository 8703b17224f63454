#include "Startup.h"

#include "AppExit.h"
#include "Counter.h"
#include "Log.h"
#include "MediaOperations.h"
#include "MyApplication.h"
#include "Paths.h"
#include "Resources.h"
#include "SingleApplication.h"
#include "TerminationWatcher.h"
#include "User.h"
#include "WindowConfig.h"

#include <QDir>
#include <QIcon>
#include <QMessageBox>

namespace {

constexpr char kActivateMessage[] = "activate";

// True when a start-up stage has left an exit command: the program must end now.
bool exitRequested()
{
    return AppExit::instance() && AppExit::instance()->hasCommand();
}

} // namespace

int runStartup(MyApplication &app, const QStringList &arguments)
{
    SingleApplication single(QLatin1String(SingleApplication::kInstanceKey));
    if (single.isRunning()) {
        single.sendMessage(QLatin1String(kActivateMessage));
        return 0;
    }

    if (!QDir().mkpath(appDataDir())) {
        QMessageBox::critical(nullptr, QCoreApplication::translate("Startup", "Error"),
                              QCoreApplication::translate("Startup", "Can not access home directory"));
        return 0;
    }

    // Without a log file the program still runs; log calls then write nothing.
    openLog(logFilePath());
    setLogLevel(0);
    logInfo(versionLine());
    logInfo(QStringLiteral("main # %1").arg(arguments.join(QStringLiteral(" # "))));

    initMediaLibraries();

    // A logout or kill asks for the same orderly quit as the session manager.
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &app,
                     &MyApplication::queryEndSession);

    // Stage: translations from lang.conf.
    // Stage: update check at start-up; it may leave an exit command (install an update).
    if (exitRequested())
        return 0;
    app.setStyleSheet(applicationStyleSheet());
    app.setWindowIcon(QIcon(QStringLiteral(":/images/favicon_soft.png")));
    // Stage: login; ending without a logged-in user leaves a do-nothing exit command.
    if (exitRequested())
        return 0;
    // Recording counter, settings (a failed load keeps the defaults), detection rules,
    // then the user's language.
    auto counter = std::make_unique<Counter>();
    std::unique_ptr<WindowConfig> settings;
    if (const User *user = User::current()) {
        settings = std::make_unique<WindowConfig>(user->paths());
        settings->load();
    }

    // Stage: main window. Until it exists, the loop runs here: messages from later
    // starts are logged and queryEndSession() ends the run.
    QObject::connect(&single, &SingleApplication::messageAvailable, &app, [](const QString &text) {
        logInfo(QStringLiteral("Message from another instance: %1").arg(text));
    });
    QObject::connect(&app, &MyApplication::queryEndSession, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    app.exec();
    logInfo(QStringLiteral("Event loop ended"));

    // After the loop: save detection state and settings, destroy the managers,
    // empty the user's "tmp" directory.
    if (settings)
        settings->save();
    settings.reset();
    counter.reset();
    if (const User *user = User::current())
        removeTemporaryFiles(user->paths());
    logInfo(QStringLiteral("Start-up body finished"));
    return 0;
}
