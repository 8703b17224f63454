#include "platform/DesktopWindows.h"
#include "platform/x11/X11FrameSource.h"
#include "platform/ProcessInfo.h"
#include "tests/support/XSession.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <sys/wait.h>
#include <unistd.h>

class TestDesktop : public QObject
{
    Q_OBJECT
public:
    explicit TestDesktop(XSession *session)
        : m_session(session)
    {
    }

private slots:
    void windowFacts();
    void stackingAndMinimised();
    void transientToolWindow();
    void programPaths();
    void endedProcessHasNoPath();
    void grabbingWithAndWithoutSharedMemory();
    void compositionFollowsTheCompositor();

private:
    XSession *m_session;
};

void TestDesktop::windowFacts()
{
    const QString title = QStringLiteral("Table 1 – Hold'em No Limit €0.02 é");
    TestWindow window(title, QRect(100, 100, 640, 480), 0xff0000, QStringLiteral("pokerstars.exe"));
    QVERIFY(window.waitShown());
    const WindowFacts facts = desktop::windowFacts(window.id());
    QCOMPARE(facts.title, title);
    QCOMPARE(facts.className, QStringLiteral("pokerstars.exe"));
    QCOMPARE(facts.processId, qint64(getpid()));
    QVERIFY(facts.ownProcess);
    QCOMPARE(facts.executablePath, QCoreApplication::applicationFilePath());
    // The window manager's frame (1, 1, 20, 5) around the requested client area.
    QCOMPARE(facts.frameRect, QRect(100, 100, 642, 505));
    QCOMPARE(facts.clientRect, QRect(101, 120, 640, 480));
    QVERIFY(facts.visible);
    QVERIFY(!facts.minimised);
    QCOMPARE(facts.owner, WindowId(0));
    QVERIFY(facts.style & WindowStyle::Visible);
    QVERIFY(facts.style & WindowStyle::Caption);
    QVERIFY(!(facts.style & WindowStyle::Minimize));
}

void TestDesktop::stackingAndMinimised()
{
    TestWindow lower(QStringLiteral("lower"), QRect(50, 50, 200, 150), 0x00ff00);
    QVERIFY(lower.waitShown());
    TestWindow upper(QStringLiteral("upper"), QRect(80, 80, 200, 150), 0x0000ff);
    QVERIFY(upper.waitShown());
    upper.raise();
    // The window manager publishes the new order in its own time.
    QTRY_VERIFY(desktop::topLevelWindows().indexOf(upper.id()) >= 0
                && desktop::topLevelWindows().indexOf(upper.id()) < desktop::topLevelWindows().indexOf(lower.id()));

    lower.minimise();
    QTRY_VERIFY(desktop::isWindowMinimised(lower.id()));
    QVERIFY(!desktop::isWindowVisible(lower.id()));
    QVERIFY(desktop::windowStyle(lower.id()) & WindowStyle::Minimize);
    // Minimised windows stay in the list.
    QVERIFY(desktop::topLevelWindows().contains(lower.id()));
    lower.restore();
    QTRY_VERIFY(!desktop::isWindowMinimised(lower.id()));

    const WindowId gone = upper.id();
    upper.close();
    QCOMPARE(desktop::windowFrameRect(gone), QRect());
    QCOMPARE(desktop::windowTitle(gone), QString());
    QTRY_VERIFY(!desktop::topLevelWindows().contains(gone));
}

void TestDesktop::transientToolWindow()
{
    TestWindow table(QStringLiteral("table"), QRect(200, 200, 300, 200), 0x808080);
    QVERIFY(table.waitShown());
    QWidget tool(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    tool.resize(120, 30);
    tool.winId();
    QWindow *foreign = QWindow::fromWinId(table.id());
    tool.windowHandle()->setTransientParent(foreign);
    tool.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tool));
    QTRY_COMPARE(desktop::windowOwner(WindowId(tool.winId())), WindowId(table.id()));
    tool.hide();
    delete foreign;
}

void TestDesktop::programPaths()
{
    // A Wine program is known by its Windows path; Unix paths pass through.
    const QByteArray cmdline("C:\\Program Files\\PokerStars\\PokerStars.exe\0--flag\0", 48);
    QCOMPARE(programPathFrom(QStringLiteral("/usr/lib/wine/wine64"), cmdline),
             QStringLiteral("C:\\Program Files\\PokerStars\\PokerStars.exe"));
    QCOMPARE(programPathFrom(QStringLiteral("/usr/lib/wine/wine64-preloader"),
                             QByteArray("/home/p/.wine/drive_c/Poker/Poker.exe\0", 39)),
             QStringLiteral("/home/p/.wine/drive_c/Poker/Poker.exe"));
    QCOMPARE(programPathFrom(QStringLiteral("/usr/bin/firefox-esr"), cmdline), QStringLiteral("/usr/bin/firefox-esr"));
    QCOMPARE(programPathFrom(QString(), cmdline), QString());
    QCOMPARE(programFileName(QStringLiteral("C:\\Program Files\\PokerStars\\PokerStars.exe")), QStringLiteral("PokerStars.exe"));
    QCOMPARE(programFileName(QStringLiteral("/home/p/.wine/drive_c/Poker/Poker.exe")), QStringLiteral("Poker.exe"));
    QCOMPARE(programFileName(QStringLiteral("Poker.exe")), QStringLiteral("Poker.exe"));
    QCOMPARE(processExecutablePath(0), QString());
}

void TestDesktop::endedProcessHasNoPath()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    QVERIFY(child > 0);
    // Not yet reaped: a zombie whose /proc entry still exists.
    QTRY_VERIFY(processExecutablePath(child).isEmpty());
    QVERIFY(QFile::exists(QStringLiteral("/proc/%1").arg(child)));
    waitpid(child, nullptr, 0);
    QCOMPARE(processExecutablePath(child), QString());
}

void TestDesktop::grabbingWithAndWithoutSharedMemory()
{
    TestWindow window(QStringLiteral("pixels"), QRect(1180, 300, 200, 100), 0x2040c0);
    QVERIFY(window.waitShown());
    movePointer(0, 1000);
    const QRect client = desktop::windowClientRect(window.id());
    for (bool shm : {true, false}) {
        X11FrameSource grabber(QSize(200, 100), shm);
        QImage frame(200, 100, QImage::Format_RGB32);
        frame.fill(Qt::black);
        FrameBuffer buffer{frame.bits(), 200, 100, int(frame.bytesPerLine())};
        bc_ret errors;
        // The window crosses the right edge of the screen: the copy is clipped, not refused.
        QCOMPARE(grabber.copyRect(client, buffer, QPoint(0, 0), errors), FrameSource::Result::Copied);
        QVERIFY(errors.ok());
        QCOMPARE(grabber.usesShm(), shm);
        const int onScreen = 1280 - client.x();
        QCOMPARE(frame.pixel(0, 0), qRgb(0x20, 0x40, 0xc0));
        QCOMPARE(frame.pixel(onScreen - 1, 99), qRgb(0x20, 0x40, 0xc0));
        QCOMPARE(frame.pixel(onScreen, 50), qRgb(0, 0, 0));
        // Its own content is whole, off-screen part included.
        QCOMPARE(grabber.copyWindow(window.id(), QRect(0, 0, 200, 100), buffer, QPoint(0, 0), errors),
                 FrameSource::Result::Copied);
        QCOMPARE(frame.pixel(199, 99), qRgb(0x20, 0x40, 0xc0));

        CursorImage cursor;
        QVERIFY(grabber.cursor(cursor));
        QVERIFY(!cursor.size.isEmpty());
        QCOMPARE(cursor.position, QPoint(0, 1000));
    }
}

void TestDesktop::compositionFollowsTheCompositor()
{
    QVERIFY(!desktop::isCompositionEnabled());
    QVERIFY(m_session->startCompositor());
    QVERIFY(desktop::isCompositionEnabled());
    m_session->stopCompositor();
    QVERIFY(!desktop::isCompositionEnabled());
}

BC_XSESSION_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
