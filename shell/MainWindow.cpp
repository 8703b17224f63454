#include "shell/MainWindow.h"

#include "app/AppExit.h"
#include "app/Counter.h"
#include "app/Log.h"
#include "app/Paths.h"
#include "app/PostExitCmd.h"
#include "library/FileNames.h"
#include "library/LibraryItems.h"
#include "library/ListFile.h"
#include "library/TranslatorManager.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "media/Recovery.h"
#include "net/HttpConnection.h"
#include "net/LoginRequests.h"
#include "net/Reports.h"
#include "net/Updates.h"
#include "platform/DesktopIntegration.h"
#include "shell/OptionDialog.h"
#include "ui/EditedPage.h"
#include "ui/EditingPage.h"
#include "ui/HelpPage.h"
#include "ui/LanguageDialog.h"
#include "ui/MainPage.h"
#include "ui/MyApplication.h"
#include "ui/RecordedPage.h"
#include "ui/StatPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QResource>
#include <QScreen>
#include <QUrl>

namespace {

qint64 recordedBytes(const PendingPage *page)
{
    qint64 bytes = 0;
    for (const RecordedItemWidget *widget : page->widgets()) {
        if (widget->item() && widget->item()->info)
            bytes += widget->item()->info->fileSize;
    }
    return bytes;
}

qint64 editedBytes(const EditedPage *page)
{
    qint64 bytes = 0;
    for (const EditedItemWidget *widget : page->widgets()) {
        if (widget->item()->encodedItem)
            bytes += QFileInfo(widget->item()->encodedItem->fileName).size();
    }
    return bytes;
}

// The program's file, absolute: what the session, a restart and a new login start.
QString programPath()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QFileInfo(QCoreApplication::arguments().value(0)).absoluteFilePath() : path;
}

} // namespace

MainWindow::MainWindow(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent)
    , m_quickStart(nullptr)
    , m_arguments(arguments)
{
    setObjectName(QStringLiteral("MainWindow"));
    const User *user = User::current();
    const QDir tmp = user ? user->paths().tmp : QDir(QDir::tempPath());
    m_helpFile = tmp.filePath(newFileName() + QStringLiteral(".html"));
}

MainWindow::~MainWindow()
{
    if (!m_helpFile.isEmpty())
        QFile::remove(m_helpFile);
    delete m_quickStart;
    delete m_optionDialog;
    m_notifierQueue.closeAll();
    m_recorderManager.stopAll();
    m_encoderQueue.stop();
}

void MainWindow::writeHelpFile()
{
    const WindowConfig *settings = WindowConfig::instance();
    const TranslatorManager *translations = TranslatorManager::instance();
    const HelpFacts facts{hasTray(), settings && settings->autoStart()};
    const QString language = translations ? translations->currentLanguage() : QString();
    if (const bc_ret written = writeHelpPage(m_helpFile, language, facts); written.failed())
        logWarn(written.details(QStringLiteral(": ")));
    if (m_quickStart)
        m_quickStart->setPage(QUrl::fromLocalFile(m_helpFile));
}

bool MainWindow::hasTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainWindow::buildMenus()
{
    const auto action = [this](const char *name) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    m_actLogOut = action("actLogOut");
    m_actShow = action("actShow");
    m_actQuit = action("actQuit");
    m_actLanguage = action("actLanguage");
    m_actOptions = action("actOptions");
    m_actStatistic = action("actStatistic");
    m_actFAQ = action("actFAQ");
    m_actAbout = action("actAbout");
    m_actQuickStart = action("actQuickStart");
    m_actHelp = action("actHelp");
    m_actRecorderTool = action("actRecorderTool");
    m_mnuFile = menuBar()->addMenu(QString());
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuFile->addAction(m_actLogOut);
    m_mnuFile->addSeparator();
    m_mnuFile->addAction(m_actQuit);
    m_mnuTools = menuBar()->addMenu(QString());
    m_mnuTools->setObjectName(QStringLiteral("mnuTools"));
    m_mnuTools->addAction(m_actOptions);
    m_mnuTools->addAction(m_actRecorderTool);
    m_mnuTools->addSeparator();
    m_mnuTools->addAction(m_actStatistic);
    m_mnuHelp = menuBar()->addMenu(QString());
    m_mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    m_mnuHelp->addAction(m_actHelp);
    m_mnuHelp->addAction(m_actQuickStart);
    m_mnuHelp->addAction(m_actFAQ);
    m_mnuHelp->addSeparator();
    m_mnuHelp->addAction(m_actAbout);

    connect(m_actShow, &QAction::triggered, this, &MainWindow::goToTop);
    connect(m_actShow, &QAction::triggered, &m_recorderManager, &RecorderManager::goToTop);
    connect(m_actLogOut, &QAction::triggered, this, &MainWindow::logOut);
    connect(m_actQuit, &QAction::triggered, this, &MainWindow::tryQuit);
    connect(m_actStatistic, &QAction::triggered, this, &MainWindow::displayStat);
    connect(m_actFAQ, &QAction::triggered, this, &MainWindow::displayFAQ);
    connect(m_actAbout, &QAction::triggered, this, &MainWindow::displayAbout);
    connect(m_actQuickStart, &QAction::triggered, this, &MainWindow::displayQuickStart);
    connect(m_actHelp, &QAction::triggered, this, &MainWindow::displayHelp);
    connect(m_actRecorderTool, &QAction::triggered, this, &MainWindow::displayRecorderTool);
    connect(m_actOptions, &QAction::triggered, this, &MainWindow::displayOptions);
    connect(m_actLanguage, &QAction::triggered, this, &MainWindow::displayLanguage);
}

void MainWindow::buildTray()
{
    m_trayMenu = new QMenu(this);
    m_trayMenu->addAction(m_actShow);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_actQuit);
    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_trayIcon->setToolTip(QStringLiteral("Brindlecast"));
    // Without a tray the icon would be nowhere; closing the window minimises it then.
    if (hasTray())
        m_trayIcon->show();
    else
        logInfo(QStringLiteral("No tray on this desktop: closing the main window minimises it"));
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onTrayIconActivated);
}

void MainWindow::connectApplication()
{
    if (auto *app = qobject_cast<MyApplication *>(QCoreApplication::instance())) {
        connect(app, &MyApplication::queryEndSession, this, &MainWindow::doQuit);
        connect(app, &MyApplication::mainWindow, this, &MainWindow::goToTop);
        connect(this, &MainWindow::displayChanged, app, &MyApplication::displayChanged);
    }
}

void MainWindow::restoreState()
{
    m_mainPage->loadState();
    m_recorderManager.restorePosition();
    restoreGeometryOnScreen();
}

void MainWindow::restoreGeometryOnScreen()
{
    if (const WindowConfig *settings = WindowConfig::instance())
        restoreGeometry(settings->mainWindowGeometry());
    const QScreen *screen = QGuiApplication::screenAt(geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // The frame is not known before the window manager has framed the window: the
    // title bar and borders are allowed for with a margin.
    constexpr int kFrameAllowance = 40;
    QRect place = geometry();
    place.setSize(place.size().boundedTo(available.size() - QSize(kFrameAllowance, kFrameAllowance)));
    place.moveLeft(qBound(available.left(), place.left(), available.right() - place.width() - kFrameAllowance / 2 + 1));
    place.moveTop(qBound(available.top() + kFrameAllowance / 2, place.top(), available.bottom() - place.height() - kFrameAllowance / 2 + 1));
    if (place != geometry()) {
        logInfo(QStringLiteral("Main window moved inside the screen: %1,%2 %3x%4")
                        .arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height()));
        setGeometry(place);
    }
}

void MainWindow::start()
{
    applyAutostart();
    WindowConfig *settings = WindowConfig::instance();
    if (settings) {
        connect(settings, &WindowConfig::autoStartChanged, this, &MainWindow::applyAutostart);
        connect(settings, &WindowConfig::autoStartChanged, this, &MainWindow::writeHelpFile);
    }
    HttpConnection::post(newAutostartReport(settings && settings->autoStart()), 300, 0);
    buildMenus();
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::StrongFocus);
    m_mainPage = new MainPage(this);
    setCentralWidget(m_mainPage);
    resize(1100, 720);
    connect(m_mainPage, &MainPage::logOut, this, &MainWindow::logOut);
    connect(m_mainPage, &MainPage::showOptions, this, &MainWindow::displayOptions);
    connectLangChanged(this, &MainWindow::retranslate);
    connect(&m_recorderManager.assembleQueue(), &AVAssembleQueue::createDisplayHandler, m_mainPage->recordedPage(),
            &RecordedPage::doCreateDisplayHandler);
    connect(m_mainPage->editedPage(), &EditedPage::totalProgress, this,
            [](int done, int total) { desktop::setLauncherProgress(done, total); });
    connect(&m_adTimer, &QTimer::timeout, this, &MainWindow::reloadAd);
    m_adTimer.start(kAdPeriodMs);
    buildTray();
    QApplication::setQuitOnLastWindowClosed(false);
    connectApplication();
    connect(&m_updateTimer, &QTimer::timeout, this, &MainWindow::checkUpdate);
    m_updateTimer.start(kUpdatePeriodMs);
    if (Counter *counter = Counter::instance())
        connect(counter, &Counter::countChanged, this, &MainWindow::recorderCountChanged);
    m_quickStart = new QuickStart(this);
    retranslate();
    restoreState();
    // Started with the session: only the tray (and the followers) until asked.
    const bool shown = m_arguments.value(1) != QLatin1String("autoLogin");
    if (shown) {
        show();
        logInfo(QStringLiteral("Main window shown"));
        m_recorderManager.goToTop();
    }
    // Kept minutes come first: the guide waits for the answer.
    offerRecovery();
    if (shown && settings && settings->showHelpAtStartup())
        displayQuickStart();
    tellFileDamages();
}

void MainWindow::tellFileDamages()
{
    const QList<FileDamage> damages = takeFileDamages();
    if (damages.isEmpty())
        return;
    QStringList lines;
    for (const FileDamage &damage : damages) {
        QString line = damage.entriesKept >= 0 ? tr("%1: %n entries could be read and are kept.", nullptr, damage.entriesKept)
                                                         .arg(QFileInfo(damage.file).fileName())
                                               : tr("%1: the defaults apply.").arg(QFileInfo(damage.file).fileName());
        line += QLatin1Char(' ');
        line += damage.keptAs.isEmpty() ? tr("The damaged file is left as it is and will not be overwritten.")
                                        : tr("The damaged file is kept as %1.").arg(damage.keptAs);
        lines.append(line);
    }
    // Not modal: the main window stays usable while the user reads it.
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Damaged files"),
                                tr("Some of your files could not be read whole:") + QStringLiteral("\n\n")
                                        + lines.join(QStringLiteral("\n\n")),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("fileDamageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::offerRecovery()
{
    const User *user = User::current();
    if (!user)
        return;
    // Found before asking: recordings started while the question waits are not among them.
    const QList<Recoverable> found = findRecoverable(user->paths().tmp.path());
    if (found.isEmpty())
        return;
    logInfo(QStringLiteral("Recordings to recover: %1").arg(found.size()));
    const QString question = found.size() == 1
                                     ? tr("A recording was interrupted. Save the last minutes?")
                                     : tr("%n recordings were interrupted. Save the last minutes of each?", nullptr,
                                          int(found.size()));
    QMessageBox box(QMessageBox::Question, tr("Interrupted recording"), question, QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("recoveryBox"));
    box.setDefaultButton(QMessageBox::Yes);
    box.exec();
    // Only an answer decides: without one, everything waits for the next start.
    if (!box.clickedButton())
        return;
    if (box.clickedButton() != box.button(QMessageBox::Yes)) {
        discardRecoverable(found);
        return;
    }
    const QDir recorded = user->paths().recorded;
    // Saved among the user's recordings and listed there, as a save from a recorder is.
    auto *run = new RecoveryRun(
            m_recorderManager.assembleQueue(), found,
            [recorded](const Recoverable &, int) { return newSavedVideoPath(recorded); },
            this);
    connect(run, &RecoveryRun::finished, this, [this, run](int saved, int failed) {
        logInfo(QStringLiteral("Recovery: %1 saved, %2 failed").arg(saved).arg(failed));
        run->deleteLater();
        if (failed == 0)
            return;
        auto *box = new QMessageBox(QMessageBox::Warning, tr("Interrupted recording"),
                                    tr("%n of the interrupted recordings could not be saved. They are kept and will be "
                                       "offered again at the next start.",
                                       nullptr, failed),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    run->start();
}

int MainWindow::run()
{
    start();
    const int result = QApplication::exec();
    // Nothing left to run after the program ends unless something asked for it.
    if (AppExit *appExit = AppExit::instance(); appExit && !appExit->hasCommand())
        appExit->setCommand(std::make_shared<DoNopCmd>());
    return result;
}

void MainWindow::applyAutostart()
{
    const WindowConfig *settings = WindowConfig::instance();
    const bc_ret result = settings && settings->autoStart()
                                  ? desktop::enableAutostart(RestartCmd::commandLineFor(
                                            {programPath(), QStringLiteral("autoLogin")}))
                                  : desktop::disableAutostart();
    if (result.failed())
        logWarn(result.details(QStringLiteral(": ")));
}

void MainWindow::goToTop()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::onTrayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (m_quitting)
        return;
    if (reason == QSystemTrayIcon::Context) {
        activateWindow();
        m_trayMenu->popup(QCursor::pos());
    } else if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger) {
        m_actShow->trigger();
    }
}

void MainWindow::recorderCountChanged(int count)
{
    if (m_trayIcon)
        m_trayIcon->setToolTip(count <= 0 ? QStringLiteral("Brindlecast")
                                          : tr("Brindlecast - %n recordings ongoing", nullptr, count));
}

bool MainWindow::confirmStopRecordings()
{
    const int running = Counter::count();
    if (running <= 0)
        return true;
    return QMessageBox::question(this, tr("Confirm Exit"),
                                 tr("%n recordings are running. Stop them? Their last minutes are kept and will be "
                                    "offered for saving at the next start.",
                                    nullptr, running),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void MainWindow::tryQuit()
{
    if (confirmStopRecordings())
        doQuit();
}

void MainWindow::logOut()
{
    if (!confirmStopRecordings())
        return;
    if (AppExit *appExit = AppExit::instance())
        appExit->setCommand(std::make_shared<RestartCmd>(
                RestartCmd::commandLineFor({programPath(), QStringLiteral("reLogin")})));
    doQuit();
}

void MainWindow::checkUpdate()
{
    logDebug(QStringLiteral("MainWindow::checkUpdate"));
    auto *request = new UpdateCheckRequest(serviceUrl(QStringLiteral("/soft/check")));
    connect(request, &UpdateCheckRequest::versionChecked, this, &MainWindow::onVersionChecked);
    // A failed check is simply made again at the next period.
    HttpConnection::post(request, 0, 0);
}

void MainWindow::onVersionChecked(int status, const bc_ret &errors, const QString &)
{
    logDebug(QStringLiteral("MainWindow::onVersionChecked"));
    if (errors.failed() || (status != UpdateCheckRequest::InstallUpdate && status != UpdateCheckRequest::NewVersion))
        return;
    logDebug(QStringLiteral("MainWindow::onVersionChecked (New update)"));
    auto *notifier = new NewUpdateNotifier;
    connect(notifier, &Notifier::accepted, this, &MainWindow::restart);
    m_notifierQueue.add(notifier);
    // One offer per run is enough.
    m_updateTimer.stop();
}

void MainWindow::restart()
{
    if (!confirmStopRecordings())
        return;
    if (AppExit *appExit = AppExit::instance())
        appExit->setCommand(std::make_shared<RestartCmd>(RestartCmd::commandLineFor({programPath()})));
    doQuit();
}

void MainWindow::doQuit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    logDebug(QStringLiteral("MainWindow::doQuit"));
    m_recorderManager.hide();
    auto *logout = new LogoutRequest;
    connect(logout, &LogoutRequest::logOutDone, this, &MainWindow::onLogOutDone);
    HttpConnection::post(logout, 0, kLogoutTimeoutSeconds);
    saveWindowState();
    m_recorderManager.stopAll();
    m_encoderQueue.stop();
    m_notifierQueue.closeAll();
}

void MainWindow::saveWindowState()
{
    if (WindowConfig *settings = WindowConfig::instance())
        settings->setMainWindowGeometry(saveGeometry());
    m_recorderManager.savePosition();
    m_mainPage->saveState();
}

void MainWindow::onLogOutDone(const bc_ret &errors)
{
    logDebug(QStringLiteral("MainWindow::onLogOutDone"));
    if (errors.failed())
        logWarn(QStringLiteral("Error while logging out: %1").arg(errors.details(QStringLiteral(": "))));
    if (HttpConnection *connection = HttpConnection::instance())
        emit connection->abortEach();
    close();
    // Followers refuse to close, so the loop is ended, not the last window closed.
    QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    logDebug(QStringLiteral("MainWindow::closeEvent"));
    m_mainPage->editingItem()->finish();
    if (m_quitting) {
        event->accept();
        logDebug(QStringLiteral("Really quit!?"));
        QCoreApplication::exit(0);
        return;
    }
    if (hasTray()) {
        event->accept();
        return;
    }
    event->ignore();
    minimiseInsteadOfClosing();
}

void MainWindow::minimiseInsteadOfClosing()
{
    showMinimized();
    WindowConfig *settings = WindowConfig::instance();
    if (settings && settings->closeExplained())
        return;
    if (settings) {
        settings->setCloseExplained(true);
        settings->delaySave();
    }
    // Not a child of the minimised window: it must stay in sight on its own.
    auto *box = new QMessageBox(QMessageBox::Information, tr("Brindlecast goes on running"),
                                tr("This desktop has no tray, so the main window was minimised instead of closed. "
                                   "Brindlecast goes on running and recording your tables.\n\n"
                                   "To bring the window back, use your desktop's window list or start Brindlecast "
                                   "again. To end Brindlecast, use File, Quit."),
                                QMessageBox::Ok);
    box->setObjectName(QStringLiteral("closeExplainedBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QObject::destroyed, box, &QWidget::close);
    box->show();
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible())
        m_recorderManager.raiseAll();
    QMainWindow::changeEvent(event);
}

void MainWindow::reloadAd()
{
    // Nobody looks at a hidden window's banner.
    if (!isVisible())
        return;
    qDebug("MainWindow::reloadAd");
    m_mainPage->reloadAd();
}

void MainWindow::displayStat()
{
    const RecordedPage *recorded = m_mainPage->recordedPage();
    StatPage page(recordedBytes(recorded->pendingPage()), recordedBytes(recorded->archivePage()),
                  editedBytes(m_mainPage->editedPage()), this);
    page.exec();
}

void MainWindow::displayAbout()
{
    AboutBox box(this);
    box.exec();
}

void MainWindow::displayOptions()
{
    if (!m_optionDialog) {
        m_optionDialog = new OptionDialog;
        connect(m_optionDialog, &OptionDialog::closed, this, &MainWindow::onOptionsClosed);
    }
    m_optionDialog->show();
    m_optionDialog->raise();
    m_optionDialog->activateWindow();
}

void MainWindow::onOptionsClosed()
{
    if (m_optionDialog)
        m_optionDialog->deleteLater();
    m_optionDialog = nullptr;
}

void MainWindow::displayLanguage()
{
    LanguageDialog dialog(this);
    dialog.exec();
}

void MainWindow::displayQuickStart()
{
    m_quickStart->show();
    m_quickStart->raise();
    m_quickStart->activateWindow();
}

void MainWindow::displayHelp()
{
    writeHelpFile();
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_helpFile));
}

void MainWindow::displayRecorderTool()
{
    m_recorderManager.showOnScreen();
}

void MainWindow::displayFAQ()
{
    QDesktopServices::openUrl(QUrl(serviceUrl(tr("/faq"))));
}

void MainWindow::retranslate()
{
    setWindowTitle(tr("Brindlecast - Main Window"));
    m_actLogOut->setText(tr("Log &out"));
    m_actShow->setText(tr("&Show"));
    m_actQuit->setText(tr("&Quit"));
    m_actLanguage->setText(tr("&Language..."));
    m_actOptions->setText(tr("&Options..."));
    m_actStatistic->setText(tr("&Statistics..."));
    m_actFAQ->setText(tr("&FAQ..."));
    m_actAbout->setText(tr("&About..."));
    m_actQuickStart->setText(tr("&Quick start..."));
    m_actHelp->setText(tr("&Help..."));
    m_actRecorderTool->setText(tr("&Recorder tool"));
    m_mnuFile->setTitle(tr("&File"));
    m_mnuTools->setTitle(tr("&Tools"));
    m_mnuHelp->setTitle(tr("&Help"));
    m_mainPage->retranslate();
    m_quickStart->retranslate();
    writeHelpFile();
}
