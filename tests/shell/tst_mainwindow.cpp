// The main window on the display scripts/test provides: hiding, the questions before
// quitting, the logout that ends the program even when the service is silent, the
// autostart entry and the banner.
#include "app/AppExit.h"
#include "app/Counter.h"
#include "library/ListFile.h"
#include "library/TranslatorManager.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "media/FrameDecoder.h"
#include "media/Recovery.h"
#include "media/SegmentManifest.h"
#include "net/HttpConnection.h"
#include "net/LoginRequests.h"
#include "platform/DesktopIntegration.h"
#include "shell/MainWindow.h"
#include "resources/Resources.h"
#include "shell/OptionDialog.h"
#include "tests/support/MediaInputs.h"
#include "tests/support/MessageBoxes.h"
#include "tests/support/Screenshot.h"
#include "tests/support/XSession.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestFiles.h"
#include "ui/MainPage.h"
#include "ui/RecordedPage.h"
#include "ui/WebView.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <QSignalSpy>
#include <QHash>

#include <unistd.h>

namespace {

constexpr int kPatienceMs = ServiceProcess::kPatienceMs;

// Accepts connections, reads what comes and never answers.
class SilentServer : public QTcpServer
{
public:
    SilentServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { received += socket->readAll(); });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    int requests(const QByteArray &path) const { return int(received.count("POST " + path + " HTTP")); }
    QByteArray received;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void closeHidesAndQuitAsks();
    void autostartFollowsTheSetting();
    void reopensInsideTheScreen();
    void bannerOnlyWhileShown();
    void logoutEndsWithoutAnAnswer();
    void announcedUpdateOffersARestart();
    void bannerAndGuideReadWell();
    void speaksEachLanguageAtOnce();
    void interruptedRecordingIsSaved();
    void damagedFilesLoseNothing();

private:
    // Starts the window as a program start does, answering Yes to the question it asks
    // first; that question ("title|text").
    QString startAnsweringYes(MainWindow &window);

    QTemporaryDir m_home;
    std::unique_ptr<User> m_user;
    std::unique_ptr<WindowConfig> m_settings;
    std::unique_ptr<Counter> m_counter;
    std::unique_ptr<TranslatorManager> m_translations;
    std::unique_ptr<HttpConnection> m_connection;
    SilentServer m_service;
};

void TestMainWindow::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("BRINDLECAST_SERVICE_URL", m_service.url().toUtf8());
    const QString dir = m_home.filePath(QStringLiteral("user"));
    QVERIFY(ensureDirectories(dir).ok());
    m_user = std::make_unique<User>(std::make_shared<UserInfo>(UserInfo{QString(), QStringLiteral("demo"), QString()}), dir);
    m_settings = std::make_unique<WindowConfig>(m_user->paths());
    m_settings->setShowHelpAtStartup(false);
    // English from its catalogue, as a start under any locale has it.
    m_translations = std::make_unique<TranslatorManager>();
    QVERIFY(m_translations->load(QStringLiteral("English")));
    m_counter = std::make_unique<Counter>();
    m_connection = std::make_unique<HttpConnection>();
}

void TestMainWindow::closeHidesAndQuitAsks()
{
    MainWindow window({QStringLiteral("/opt/brindlecast/brindlecast")});
    window.start();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QFile::exists(window.helpFile()));

    // No tray on this display: closing minimises, and says so once, in words.
    QVERIFY(!window.hasTray());
    QVERIFY(!window.trayIcon()->isVisible());
    window.close();
    QVERIFY(window.isVisible());
    QTRY_VERIFY(window.isMinimized());
    QMessageBox *told = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("closeExplainedBox"))
            told = qobject_cast<QMessageBox *>(top);
    }
    QVERIFY(told && told->isVisible());
    QVERIFY2(told->text().contains(QStringLiteral("minimised instead of closed")), qPrintable(told->text()));
    QVERIFY(m_settings->closeExplained());
    told->close();
    // The guide says what this desktop has.
    const QString guide = QString::fromUtf8(readAll(window.helpFile()));
    QVERIFY(guide.contains(QStringLiteral("This desktop has no tray")));
    QVERIFY(!guide.contains(QStringLiteral("icon in the panel's tray")));
    window.goToTop();
    QTRY_VERIFY(!window.isMinimized());
    window.close();
    QTRY_VERIFY(window.isMinimized());
    for (QWidget *top : QApplication::topLevelWidgets())
        QVERIFY2(!(top->objectName() == QLatin1String("closeExplainedBox") && top->isVisible()), "told twice");
    window.goToTop();

    // A tray appears (a real one, on this display): closing hides the window beside it.
    QProcess tray;
    tray.setProcessChannelMode(QProcess::MergedChannels);
    tray.start(QStringLiteral("trayer"), {QStringLiteral("--SetDockType"), QStringLiteral("false")});
    QVERIFY2(tray.waitForStarted(), qPrintable(tray.errorString()));
    QTRY_VERIFY2_WITH_TIMEOUT(window.hasTray(), tray.readAll().constData(), kPatienceMs);
    window.close();
    QVERIFY(!window.isVisible());
    QVERIFY(!window.isQuitting());
    tray.kill();
    tray.waitForFinished();

    // Two recordings running: quitting asks first, and No keeps everything.
    Counter::increment();
    Counter::increment();
    QString asked;
    answerNextMessageBox(QMessageBox::No, &asked);
    window.tryQuit();
    // Nothing is discarded by quitting: the question says what becomes of the recordings.
    QCOMPARE(asked, QStringLiteral("Confirm Exit|2 recordings are running. Stop them? Their last minutes are kept and "
                                   "will be offered for saving at the next start."));
    QVERIFY(!window.isQuitting());
    QCOMPARE(window.trayIcon()->toolTip(), QStringLiteral("Brindlecast - 2 recordings ongoing"));
    Counter::decrement();
    QCOMPARE(window.trayIcon()->toolTip(), QStringLiteral("Brindlecast - 1 recording ongoing"));
    Counter::decrement();
    QCOMPARE(window.trayIcon()->toolTip(), QStringLiteral("Brindlecast"));
}

void TestMainWindow::autostartFollowsTheSetting()
{
    m_settings->setAutoStart(false);
    // Started by a relative path, as from a build folder: the session must still find it.
    MainWindow window({QStringLiteral("./brindlecast")});
    window.start();
    QVERIFY(!QFile::exists(desktop::autostartFile()));
    QVERIFY(QString::fromUtf8(readAll(window.helpFile())).contains(QStringLiteral("does not start by itself")));
    m_settings->setAutoStart(true);
    const QString entry = QString::fromUtf8(readAll(desktop::autostartFile()));
    const QString program = QCoreApplication::applicationFilePath();
    QVERIFY(QFileInfo(program).isAbsolute());
    QVERIFY2(entry.contains(QStringLiteral("Exec=\"%1\" \"autoLogin\"").arg(program)), qPrintable(entry));
    // The guide says the program starts with the session, and where that is turned off.
    const QString guide = QString::fromUtf8(readAll(window.helpFile()));
    QVERIFY(guide.contains(QStringLiteral("starts by itself when you log in")));
    QVERIFY(guide.contains(QStringLiteral("Automatic startup and login")));
    m_settings->setAutoStart(false);
    QVERIFY(!QFile::exists(desktop::autostartFile()));
}

void TestMainWindow::reopensInsideTheScreen()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        // Left partly below the screen's bottom edge, as a taller screen or a panel allowed.
        MainWindow window({QStringLiteral("brindlecast")});
        window.start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.move(available.left() + 40, available.bottom() - 200);
        QTRY_COMPARE(window.pos(), QPoint(available.left() + 40, available.bottom() - 200));
        m_settings->setMainWindowGeometry(window.saveGeometry());
        window.hide();
    }
    MainWindow window({QStringLiteral("brindlecast")});
    window.start();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(available.contains(window.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(window.x()).arg(window.y())
                                                                       .arg(window.width()).arg(window.height())));
    // Where it was put across, as far as it fits.
    QCOMPARE(window.x(), available.left() + 40);
    window.hide();
    m_settings->setMainWindowGeometry(QByteArray());
    // The silent service holds every request of these starts: they must not take the
    // connections the later tests' requests need.
    emit m_connection->abortEach();
}

void TestMainWindow::bannerOnlyWhileShown()
{
    MainWindow window({QStringLiteral("brindlecast")});
    window.start();
    WebView *banner = window.mainPage()->adView();
    QTRY_COMPARE_WITH_TIMEOUT(banner->loadCount(), 1, kPatienceMs);
    window.hide();
    window.reloadAd();
    // Nothing is even waiting to be loaded.
    QVERIFY(!banner->isLoadPending());
    QCOMPARE(banner->loadCount(), 1);
    window.show();
    window.reloadAd();
    QTRY_COMPARE_WITH_TIMEOUT(banner->loadCount(), 2, kPatienceMs);
}

void TestMainWindow::logoutEndsWithoutAnAnswer()
{
    AppExit appExit;
    MainWindow window({QStringLiteral("/opt/brindlecast/brindlecast")});
    window.start();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.logOut();
    QVERIFY(window.isQuitting());
    QCOMPARE(appExit.commandText(), QStringLiteral("\"%1\" \"reLogin\"").arg(QCoreApplication::applicationFilePath()));
    // The service never answers the logout: the window closes all the same.
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kPatienceMs);
    // A second quit (the session ending meanwhile) sends nothing more: a request
    // posted now would be running at once.
    QTRY_VERIFY(m_connection->findChildren<LogoutRequest *>().isEmpty());
    window.doQuit();
    QVERIFY(m_connection->findChildren<LogoutRequest *>().isEmpty());
    QCOMPARE(m_service.requests("/auth/logout"), 1);
    QVERIFY(!window.recorderManager().isVisible());
}

namespace {

// WCAG's contrast ratio of two colours (1 to 21).
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The most frequent colour of an image (its background) and the one most unlike it
// among those covering at least minPixels (its text).
QPair<QColor, QColor> backgroundAndText(const QImage &image, int minPixels = 20)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    QColor text(background);
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() >= minPixels && contrast(QColor(it.key()), QColor(background)) > contrast(text, QColor(background)))
            text = QColor(it.key());
    return {QColor(background), text};
}

} // namespace

void TestMainWindow::bannerAndGuideReadWell()
{
    ServiceProcess service;
    QVERIFY(service.start());
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    // The program's look, as a start sets it.
    const QString previousLook = qApp->styleSheet();
    qApp->setStyleSheet(applicationStyleSheet());
    m_settings->setShowHelpAtStartup(true);
    MainWindow window({QStringLiteral("brindlecast")});
    window.start();
    m_settings->setShowHelpAtStartup(false);
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The guide's heading reads well on its band, as the screen shows it.
    QuickStart *guide = window.quickStart();
    QTRY_VERIFY(guide->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(guide));
    QTRY_VERIFY_WITH_TIMEOUT(guide->webView()->loadCount() > 0, kPatienceMs);
    QImage shown;
    QTRY_VERIFY_WITH_TIMEOUT(distinctColours(shown = keepScreenshot(QStringLiteral("quick-start"), guide->winId())) > 20,
                             kPatienceMs);
    QLabel *title = guide->titleLabel();
    const QImage heading = shown.copy(QRect(title->mapTo(guide, QPoint(0, 0)), title->size()));
    const auto [background, text] = backgroundAndText(heading);
    QVERIFY2(contrast(background, text) >= 4.5,
             qPrintable(QStringLiteral("%1 on %2").arg(text.name(), background.name())));
    guide->close();
    // The guide's page went with it, and nothing of it stays on the screen.
    QVERIFY(!guide->webView()->hasPage());

    // The banner's page fits its band: nothing of it is cut off.
    WebView *banner = window.mainPage()->adView();
    QTRY_VERIFY_WITH_TIMEOUT(banner->loadCount() > 0, kPatienceMs);
    int contentHeight = -1;
    // Asked again until the page's text is there.
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                banner->runJavaScript(
                        QStringLiteral("document.body && document.body.innerText.indexOf('News') >= 0"
                                       " ? document.documentElement.scrollHeight : -1"),
                        [&contentHeight](const QVariant &v) { contentHeight = v.toInt(); });
                return contentHeight > 0;
            }(),
            kPatienceMs);
    QVERIFY2(contentHeight <= banner->height(), qPrintable(QStringLiteral("%1 > %2").arg(contentHeight).arg(banner->height())));
    QTRY_VERIFY_WITH_TIMEOUT(distinctColours(keepScreenshot(QStringLiteral("banner"), window.winId())) > 20, kPatienceMs);
    qApp->setStyleSheet(previousLook);
    qputenv("BRINDLECAST_SERVICE_URL", m_service.url().toUtf8());
    emit m_connection->abortEach();
}

void TestMainWindow::announcedUpdateOffersARestart()
{
    ServiceProcess service;
    QVERIFY(service.start({QStringLiteral("--new-version-page"), QStringLiteral("http://get.example/")}));
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    AppExit appExit;
    MainWindow window({QStringLiteral("/opt/brindlecast/brindlecast")});
    window.start();
    QVERIFY(window.updateTimer().isActive());
    QCOMPARE(window.updateTimer().interval(), 30 * 60 * 1000);
    window.checkUpdate();
    NewUpdateNotifier *offer = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(!window.notifierQueue().notifiers().isEmpty()
                                     && (offer = qobject_cast<NewUpdateNotifier *>(window.notifierQueue().notifiers().first())),
                             kPatienceMs);
    // One offer per run.
    QVERIFY(!window.updateTimer().isActive());
    offer->accept();
    QCOMPARE(appExit.commandText(), QStringLiteral("\"%1\"").arg(QCoreApplication::applicationFilePath()));
    QVERIFY(window.isQuitting());
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kPatienceMs);
    qputenv("BRINDLECAST_SERVICE_URL", m_service.url().toUtf8());
}

void TestMainWindow::speaksEachLanguageAtOnce()
{
    m_translations->setConfFile(m_home.filePath(QStringLiteral("lang.conf")));
    MainWindow window({QStringLiteral("brindlecast")});
    window.start();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The options button opens the options, once however often it is pressed.
    auto *options = window.findChild<QPushButton *>(QStringLiteral("btnOptions"));
    options->click();
    options->click();
    QVERIFY(window.optionDialog() && window.optionDialog()->isVisible());
    // Beside the main window, so that the pictures show it whole.
    window.optionDialog()->move(window.frameGeometry().right() + 20, 0);
    int dialogs = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        dialogs += qobject_cast<const OptionDialog *>(widget) && widget->isVisible();
    QCOMPARE(dialogs, 1);
    const auto *loggedInAs = window.findChild<QLabel *>(QStringLiteral("lblUsernameX"));
    const QMenu *file = window.menuBar()->actions().first()->menu();
    const QString english = loggedInAs->text();
    QCOMPARE(english, QStringLiteral("You're logged in as"));
    QImage shown;
    QVERIFY(QTest::qWaitFor(
            [&] { return !(shown = keepScreenshot(QStringLiteral("main-window-before"), window.winId())).isNull(); },
            kPatienceMs));
    for (const QString &language : {QStringLiteral("French"), QStringLiteral("Italian"), QStringLiteral("Spanish"),
                                    QStringLiteral("English")}) {
        // Chosen in the options' general page: every open window follows at once.
        QComboBox *languages = window.optionDialog()->general()->languageBox();
        languages->setCurrentIndex(languages->findData(language));
        QCOMPARE(currentLanguage(), language);
        QCOMPARE(loggedInAs->text(), QCoreApplication::translate("MainPage", "You're logged in as"));
        QCOMPARE(loggedInAs->text() == english, language == QStringLiteral("English"));
        QCOMPARE(file->title(), QCoreApplication::translate("MainWindow", "&File"));
        QCOMPARE(window.optionDialog()->windowTitle(), QCoreApplication::translate("OptionDialog", "Options"));
        QCOMPARE(window.mainPage()->findChild<QTabWidget *>()->tabText(0),
                 QCoreApplication::translate("MainPage", "Recorded (%1)").arg(0));
        // Laid out anew for the longer texts, then painted; the screen shows it once
        // the X server has it.
        QTRY_VERIFY(loggedInAs->width() >= loggedInAs->sizeHint().width());
        window.repaint();
        // Each look is a new picture: waited for once, not looked at again after.
        const QImage before = shown;
        QVERIFY2(QTest::qWaitFor(
                         [&] {
                             shown = keepScreenshot(QStringLiteral("main-window-") + language, window.winId());
                             return !shown.isNull() && shown != before;
                         },
                         kPatienceMs),
                 qPrintable(language));
    }
    window.optionDialog()->close();
    QTRY_VERIFY(!window.optionDialog());
}

QString TestMainWindow::startAnsweringYes(MainWindow &window)
{
    // Earlier tests ended the program's loop with exit() while none ran, after which Qt
    // ends every nested loop (a message box's) at once until the next application loop.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QString asked;
    answerNextMessageBox(QMessageBox::Yes, &asked);
    window.start();
    return asked;
}

void TestMainWindow::interruptedRecordingIsSaved()
{
    // A recording of the user's, killed in the middle of its second segment.
    QProcess table;
    // Beside the main window, whose pictures other tests keep.
    table.start(QStringLiteral(X_TEST_WINDOW), {QStringLiteral("busy table"), QStringLiteral("1500"), QStringLiteral("800"),
                                                QStringLiteral("160"), QStringLiteral("120"), QStringLiteral("206040"),
                                                QStringLiteral("animate")});
    QVERIFY(table.waitForReadyRead(15000));
    const QString tmp = m_user->paths().tmp.path();
    QProcess recording;
    recording.start(QStringLiteral(RECORD_TOOL), {QStringLiteral("--region"), QStringLiteral("1500,800,160,120"),
                                                  QStringLiteral("--keep"), QStringLiteral("2"), QStringLiteral("--out"),
                                                  QFileInfo(tmp).path()});
    SegmentManifest manifest;
    const auto inSecondSegment = [&] {
        const QStringList found = SegmentManifest::findIn(tmp);
        return found.size() == 1 && SegmentManifest::read(found.first(), manifest).ok() && manifest.units.count() == 2
               && readableLength(manifest.units.units().last()->videoFile, MediaKind::Video) >= 500;
    };
    QTRY_VERIFY_WITH_TIMEOUT(inSecondSegment(), kPatienceMs);
    recording.kill();
    QVERIFY(recording.waitForFinished(10000));
    table.write("quit\n");
    table.waitForFinished(3000);

    // The next start offers it, and saves the kept minutes among the user's recordings.
    MainWindow window({QStringLiteral("brindlecast")});
    const QString asked = startAnsweringYes(window);
    QCOMPARE(asked, QStringLiteral("Interrupted recording|A recording was interrupted. Save the last minutes?"));
    QTRY_VERIFY_WITH_TIMEOUT(SegmentManifest::findIn(tmp).isEmpty(), kPatienceMs);
    const QStringList saved = m_user->paths().recorded.entryList({QStringLiteral("*.avi")}, QDir::Files);
    QCOMPARE(saved.size(), 1);
    bc_ret result;
    const qint64 duration = probeDuration(m_user->paths().recorded.filePath(saved.first()), result);
    QVERIFY2(result.ok() && qAbs(duration - 2000) <= 150, qPrintable(QString::number(duration)));
    QTRY_COMPARE(window.mainPage()->recordedPage()->count(), 1);
    // The queue deletes the segments after the assembly.
    QTRY_COMPARE(QDir(tmp).entryList({QStringLiteral("*.avi")}, QDir::Files), QStringList());
}

void TestMainWindow::damagedFilesLoseNothing()
{
    const UserPaths &paths = m_user->paths();
    for (const QString &file : paths.recorded.entryList({QStringLiteral("*.avi")}, QDir::Files))
        QVERIFY(QFile::remove(paths.recorded.filePath(file)));
    // The recorded list cut off in its second entry: the first one is whole.
    const QString kept = paths.recorded.filePath(QStringLiteral("kept.avi"));
    QVERIFY(makeVideo(kept, 10));
    QVERIFY(writeAll(paths.pendingList, "<Brindlecast><item><videoName value=\"hand one\"/><info><fileName value=\""
                                                + kept.toUtf8() + "\"/></info></item><item><videoName value=\"hand"));
    // A description of segments that cannot be read, and segments of two recordings
    // side by side that no readable description names.
    const QString tmp = paths.tmp.path();
    QVERIFY(writeAll(paths.tmp.filePath(QStringLiteral("damaged") + QLatin1String(kSegmentsDescriptionSuffix)), "<Brindlecast><units"));
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-60);
    const auto segment = [&](qint64 atMs, int lengthMs, const char *tag) {
        const QString base = paths.tmp.filePath(start.addMSecs(atMs).toString(QStringLiteral("yyyyMMdd-HHmmss-zzz-")) + QLatin1String(tag));
        return makeVideo(base + QLatin1String(kSegmentVideoSuffix), lengthMs / 100)
               && makeAudio(base + QLatin1String(kSegmentAudioSuffix), lengthMs);
    };
    QVERIFY(segment(0, 2000, "a1") && segment(2000, 2000, "a2") && segment(1000, 3000, "b1"));

    MainWindow window({QStringLiteral("brindlecast")});
    const QString asked = startAnsweringYes(window);
    QCOMPARE(asked, QStringLiteral("Interrupted recording|2 recordings were interrupted. Save the last minutes of each?"));
    // Each saved once, joined in time order, and listed beside the entry that was read;
    // a recording's segments go once it is saved.
    QTRY_COMPARE_WITH_TIMEOUT(QDir(tmp).entryList({QStringLiteral("*.avi")}, QDir::Files), QStringList(), kPatienceMs);
    QCOMPARE(paths.recorded.entryList({QStringLiteral("*.avi")}, QDir::Files).size(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(window.mainPage()->recordedPage()->count(), 3, kPatienceMs);
    QList<qint64> durations;
    for (const QString &file : paths.recorded.entryList({QStringLiteral("*.avi")}, QDir::Files)) {
        if (file == QLatin1String("kept.avi"))
            continue;
        bc_ret result;
        durations.append(probeDuration(paths.recorded.filePath(file), result));
        QVERIFY(result.ok());
    }
    std::sort(durations.begin(), durations.end());
    QCOMPARE(durations, (QList<qint64>{3000, 4000}));
    QVERIFY(findRecoverable(tmp).isEmpty());

    // Told once, in the window, with where the damaged list now is.
    QTRY_VERIFY(window.findChild<QMessageBox *>(QStringLiteral("fileDamageBox")));
    auto *told = window.findChild<QMessageBox *>(QStringLiteral("fileDamageBox"));
    QVERIFY2(told->text().contains(QFileInfo(paths.pendingList).fileName() + QStringLiteral(": 1 entr"))
                     && told->text().contains(QStringLiteral(".damaged-")),
             qPrintable(told->text()));
    const QStringList aside = QFileInfo(paths.pendingList).absoluteDir().entryList(
            {QFileInfo(paths.pendingList).fileName() + QStringLiteral(".damaged-*")});
    QCOMPARE(aside.size(), 1);
    told->close();
}

int main(int argc, char **argv)
{
    // A screen of its own: its pictures show only its own windows.
    XSession session;
    if (!session.startPrivateScreen()) {
        qCritical("Cannot start a private X server");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
