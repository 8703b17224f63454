#include "app/SingleApplication.h"
#include "library/XmlElement.h"
#include "platform/DesktopWindows.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestFiles.h"
#include "tests/support/XSession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A private HOME and runtime directory that several program starts share.
struct Session
{
    QTemporaryDir home;
    QTemporaryDir runtime;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        return env;
    }
    QString logPath() const { return home.filePath(QStringLiteral("Brindlecast/log.txt")); }
    QString log() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString path(const QString &relative) const { return home.filePath(QStringLiteral("Brindlecast/") + relative); }
    // The program finds the service here; by default no service answers.
    QString serviceUrl = QStringLiteral("http://127.0.0.1:1");
};

std::unique_ptr<QProcess> startProgram(const Session &session, const QString &program = QStringLiteral(BRINDLECAST_BINARY))
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = session.environment();
    env.insert(QStringLiteral("BRINDLECAST_SERVICE_URL"), session.serviceUrl);
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(program, QStringList{});
    return process;
}

// The remembered login of the demo user, as an earlier run left it.
bool rememberDemo(const Session &session)
{
    XmlRootElement document;
    document.addChild(QStringLiteral("email"), QStringLiteral("demo@brindlecast.local"));
    document.addChild(QStringLiteral("encodedPassword"),
                      QString::fromLatin1(QCryptographicHash::hash("demo", QCryptographicHash::Md5).toHex()));
    return QDir().mkpath(session.path(QString())) && document.writeToFile(session.path(QStringLiteral("login.conf"))).ok();
}

// The windows the process shows on the screen.
QList<WindowId> shownWindowsOf(const QProcess &process)
{
    QList<WindowId> shown;
    for (WindowId window : desktop::topLevelWindows()) {
        if (desktop::windowProcessId(window) == process.processId() && desktop::isWindowVisible(window))
            shown.append(window);
    }
    return shown;
}

// A window of the process on the screen whose title holds title; 0 when none.
WindowId shownWindowTitled(const QProcess &process, const QString &title)
{
    for (WindowId window : shownWindowsOf(process)) {
        if (desktop::windowTitle(window).contains(title))
            return window;
    }
    return 0;
}

// A window of the process, other than known ones, that covers the whole screen or not.
WindowId otherWindowOf(const QProcess &process, const QList<WindowId> &known, bool wholeScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (WindowId window : shownWindowsOf(process)) {
        if (!known.contains(window) && desktop::windowFrameRect(window).contains(screen) == wholeScreen)
            return window;
    }
    return 0;
}

// Drags a region on the screen with the real pointer, as the user would.
void dragPointer(const QPoint &from, const QPoint &to)
{
    movePointer(from.x(), from.y());
    pressPointer(true);
    movePointer(to.x(), to.y());
    pressPointer(false);
}

bool endsWithCode0(QProcess &process)
{
    return process.waitForFinished(ServiceProcess::kPatienceMs) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void secondObjectDeliversAnyText();
    void notRunningSendsNothing();
    void cancelledLoginEndsQuietly();
    void loggedInUntilTerminated();
    void staleLockOfKilledProgram();
    void updateInstalledAndRestartedInto();
};

void TestStartup::secondObjectDeliversAnyText()
{
    const QString key = QStringLiteral("test-key-%1").arg(QCoreApplication::applicationPid());
    SingleApplication first(key);
    QVERIFY(!first.isRunning());
    QSignalSpy received(&first, &SingleApplication::messageAvailable);

    SingleApplication second(key);
    QVERIFY(second.isRunning());
    QVERIFY(second.sendMessage(QStringLiteral("bring to front é")));
    QVERIFY(received.wait(5000));
    QCOMPARE(received.first().first().toString(), QStringLiteral("bring to front é"));

    // The socket is not reachable by other users.
    const QFile::Permissions perms = QFileInfo(SingleApplication::serverPath(key)).permissions();
    QVERIFY(!(perms & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup)));
}

void TestStartup::notRunningSendsNothing()
{
    SingleApplication only(QStringLiteral("test-alone-%1").arg(QCoreApplication::applicationPid()));
    QVERIFY(!only.isRunning());
    QVERIFY(!only.sendMessage(QStringLiteral("activate")));
}

void TestStartup::cancelledLoginEndsQuietly()
{
    ServiceProcess service;
    QVERIFY(service.start());
    Session session;
    session.serviceUrl = service.url(QString());
    auto program = startProgram(session);
    // Past the update check; nothing remembered: the login window waits for the user.
    QTRY_VERIFY_WITH_TIMEOUT(shownWindowTitled(*program, QStringLiteral("Login")) != 0, ServiceProcess::kPatienceMs);
    // The first record of a run is its version line.
    QVERIFY2(session.log().section(QStringLiteral("\r\n"), 0, 0).contains(QStringLiteral(
                     "[INFO]  Brindlecast_VERSION_STRING: 1.3.4; revision: 2936; server: ")),
             qPrintable(session.log()));

    // Ending the session (SIGTERM) gives up the login like closing its window.
    program->terminate();
    QVERIFY(endsWithCode0(*program));
    QVERIFY(session.log().contains(QStringLiteral("Login window closed without a login")));
    QVERIFY(!session.log().contains(QStringLiteral("Main window shown")));
    QVERIFY(!QFileInfo::exists(session.path(QStringLiteral("users"))));
}

void TestStartup::loggedInUntilTerminated()
{
    ServiceProcess service;
    QVERIFY(service.start());
    Session session;
    session.serviceUrl = service.url(QString());
    QVERIFY(rememberDemo(session));
    // Segments left by an earlier run, and a folder that is not the program's to delete.
    QVERIFY(QDir().mkpath(session.path(QStringLiteral("users/demo/tmp/kept"))));
    QFile stale(session.path(QStringLiteral("users/demo/tmp/0123.avi")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();

    // Tables chosen by hand, so that the recorder tool shows beside the main window.
    XmlRootElement settings;
    settings.addChild(QStringLiteral("autoDetection"), QStringLiteral("false"));
    settings.addChild(QStringLiteral("showHelpAtStartup"), QStringLiteral("false"));
    settings.addChild(QStringLiteral("migrate_1_2_5"), QStringLiteral("true"));
    settings.addChild(QStringLiteral("migrate_1_2_9"), QStringLiteral("true"));
    QVERIFY(settings.writeToFile(session.path(QStringLiteral("users/demo/window.conf"))).ok());

    auto first = startProgram(session);
    QTRY_VERIFY_WITH_TIMEOUT(session.log().contains(QStringLiteral("Main window shown")), ServiceProcess::kPatienceMs);
    for (const QString &dir : {QStringLiteral("out"), QStringLiteral("out/recorded"), QStringLiteral("out/edited")})
        QVERIFY2(QFileInfo(session.path(QStringLiteral("users/demo/") + dir)).isDir(), qPrintable(dir));
    // The main window and the small tool.
    WindowId main = 0;
    WindowId tool = 0;
    const auto titles = [&first] {
        QStringList all;
        for (WindowId window : shownWindowsOf(*first))
            all.append(desktop::windowTitle(window));
        return all.join(QStringLiteral(", "));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(shownWindowsOf(*first).size() == 2, qPrintable(titles()), ServiceProcess::kPatienceMs);
    for (WindowId window : shownWindowsOf(*first))
        (desktop::windowFrameRect(window).width() > 500 ? main : tool) = window;
    QVERIFY2(main && tool, qPrintable(titles()));
    // Screen checks wait once: a second look may catch a page being painted anew.
    QVERIFY2(QTest::qWaitFor([tool] { return distinctColours(keepScreenshot(QStringLiteral("recorder-tool"), tool)) > 10; },
                             ServiceProcess::kPatienceMs),
             "the recorder tool is not on the screen");
    QVERIFY(desktop::windowTitle(main).contains(QStringLiteral("Main Window")));
    // The service's pages rendered inside it: the page beside the tabs shows its text.
    const auto webText = [main] {
        const QImage shot = keepScreenshot(QStringLiteral("main-window"), main);
        return distinctColours(shot.copy(QRect(shot.width() * 3 / 4, shot.height() / 4, shot.width() / 4 - 10,
                                               shot.height() / 4)));
    };
    QVERIFY2(QTest::qWaitFor([&webText] { return webText() > 4; }, ServiceProcess::kPatienceMs),
             "the service's page is not shown");

    // A second start hands its message to the first and ends; the tool stays.
    auto second = startProgram(session);
    QVERIFY(endsWithCode0(*second));
    QTRY_VERIFY_WITH_TIMEOUT(session.log().contains(QStringLiteral("Message from another instance: activate")),
                             ServiceProcess::kPatienceMs);
    QCOMPARE(session.log().count(QStringLiteral("VERSION_STRING")), 1);
    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(desktop::isWindowVisible(tool));

    // A region recorded by hand: the tool's middle button, then a drag on the desktop.
    const QRect toolRect = desktop::windowFrameRect(tool);
    const QPoint regionButton(toolRect.center().x(), toolRect.bottom() - 12);
    dragPointer(regionButton, regionButton);
    WindowId sniper = 0;
    QTRY_VERIFY_WITH_TIMEOUT((sniper = otherWindowOf(*first, {tool, main}, true)) != 0, ServiceProcess::kPatienceMs);
    dragPointer(QPoint(100, 150), QPoint(500, 450));
    WindowId follower = 0;
    QTRY_VERIFY_WITH_TIMEOUT((follower = otherWindowOf(*first, {tool, sniper, main}, false)) != 0,
                             ServiceProcess::kPatienceMs);
    QTRY_VERIFY_WITH_TIMEOUT(QDir(session.path(QStringLiteral("users/demo/tmp"))).entryList(QDir::Files).size() > 1,
                             ServiceProcess::kPatienceMs);

    // Recording until a whole second of picture is on disk (the picture file is flushed
    // once a second: it grows twice): a recording of no length has nothing to keep.
    const QDir recordingTmp(session.path(QStringLiteral("users/demo/tmp")));
    const auto pictureBytes = [&recordingTmp] {
        const QFileInfoList videos = recordingTmp.entryInfoList({QStringLiteral("*_v.avi")}, QDir::Files);
        return videos.isEmpty() ? qint64(-1) : videos.first().size();
    };
    QTRY_VERIFY_WITH_TIMEOUT(pictureBytes() > 0, ServiceProcess::kPatienceMs);
    for (int flush = 0; flush < 2; ++flush) {
        const qint64 before = pictureBytes();
        QTRY_VERIFY_WITH_TIMEOUT(pictureBytes() > before, ServiceProcess::kPatienceMs);
    }
    // SIGTERM (a logout or kill) runs the orderly end, a recording in progress
    // notwithstanding: settings saved, and the recording's minutes kept with their
    // description for the next start; nothing else is left in tmp.
    first->terminate();
    QVERIFY(endsWithCode0(*first));
    QVERIFY(session.log().contains(QStringLiteral("Start-up body finished")));
    QVERIFY(session.log().contains(QStringLiteral("Recording kept for a recovery")));
    QVERIFY(QFileInfo::exists(session.path(QStringLiteral("users/demo/window.conf"))));
    const QDir tmp(session.path(QStringLiteral("users/demo/tmp")));
    QCOMPARE(tmp.entryList({QStringLiteral("*.segments.xml")}, QDir::Files).size(), 1);
    QVERIFY(!tmp.entryList({QStringLiteral("*_v.avi")}, QDir::Files).isEmpty());
    QCOMPARE(tmp.entryList(QDir::Files).size(),
             tmp.entryList({QStringLiteral("*.segments.xml"), QStringLiteral("*_v.avi"), QStringLiteral("*_a.avi")},
                           QDir::Files).size());
    QVERIFY(QFileInfo(session.path(QStringLiteral("users/demo/tmp/kept"))).isDir());
}

void TestStartup::staleLockOfKilledProgram()
{
    ServiceProcess service;
    QVERIFY(service.start());
    Session session;
    session.serviceUrl = service.url(QString());
    auto crashed = startProgram(session);
    QTRY_VERIFY_WITH_TIMEOUT(session.log().contains(QStringLiteral("main # ")), 20000);
    crashed->kill();
    QVERIFY(crashed->waitForFinished(10000));
    QCOMPARE(crashed->exitStatus(), QProcess::CrashExit);
    // The killed program left its lock file and socket behind.
    const QString key = QLatin1String(SingleApplication::kInstanceKey);
    QVERIFY(QFile::exists(session.runtime.filePath(key + QStringLiteral(".lock"))));
    QVERIFY(QFileInfo::exists(session.runtime.filePath(key)));

    // The next start takes over the lock and the socket left behind.
    auto next = startProgram(session);
    QTRY_COMPARE_WITH_TIMEOUT(session.log().count(QStringLiteral("VERSION_STRING")), 2, 20000);
    // It runs on as the first instance: its login window shows.
    QTRY_VERIFY_WITH_TIMEOUT(shownWindowTitled(*next, QStringLiteral("Login")) != 0, ServiceProcess::kPatienceMs);
    QCOMPARE(next->state(), QProcess::Running);

    auto third = startProgram(session);
    QVERIFY(third->waitForFinished(10000));
    QCOMPARE(third->exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(session.log().contains(QStringLiteral("Message from another instance: activate")), 10000);

    next->terminate();
    QVERIFY(next->waitForFinished(10000));
    QCOMPARE(next->exitCode(), 0);
}

void TestStartup::updateInstalledAndRestartedInto()
{
    // The program to update: a copy, in a folder of its own.
    QTemporaryDir installation;
    const QString program = installation.filePath(QStringLiteral("brindlecast"));
    QVERIFY(QFile::copy(QStringLiteral(BRINDLECAST_BINARY), program));
    ServiceProcess service;
    const QString started = service.scratch.filePath(QStringLiteral("new-version-started"));
    const QByteArray newVersion = "#!/bin/sh\necho started > '" + started.toUtf8() + "'\n";
    const QString installer = service.scratch.filePath(QStringLiteral("brindlecast-1.3.5"));
    QVERIFY(writeAll(installer, newVersion));
    QVERIFY(service.start({QStringLiteral("--installer"), installer}));
    Session session;
    session.serviceUrl = service.url(QString());

    auto old = startProgram(session, program);
    WindowId offer = 0;
    QTRY_VERIFY_WITH_TIMEOUT((offer = shownWindowTitled(*old, QStringLiteral("New update"))) != 0,
                             ServiceProcess::kPatienceMs);
    // Return takes the default answer, OK.
    const QRect box = desktop::windowFrameRect(offer);
    movePointer(box.center().x(), box.center().y());
    pressKey(0xff0d);
    QVERIFY(endsWithCode0(*old));
    QCOMPARE(readAll(program), newVersion);
    QCOMPARE(QDir(installation.path()).entryList(QDir::Files), QStringList{QStringLiteral("brindlecast")});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(started), ServiceProcess::kPatienceMs);
    QVERIFY(session.log().contains(QStringLiteral("OnExit: \"%1\"").arg(QFileInfo(program).canonicalFilePath())));
}

BC_PRIVATE_SCREEN_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
