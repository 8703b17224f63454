// Choosing and following on a desktop of two monitors with a gap between them,
// run once as it is and once with QT_SCALE_FACTOR=2: whatever Qt's own pixels are,
// what gets recorded and where followers sit is counted in the screen's pixels.
#include "library/User.h"
#include "library/WindowConfig.h"
#include "resources/Resources.h"
#include "tests/support/ProgramWindow.h"
#include "tests/support/PulseSession.h"
#include "tests/support/TestUser.h"
#include "tests/support/XSession.h"
#include "tool/Follower.h"
#include "tool/RecorderManager.h"
#include "tool/Snipers.h"
#include "ui/MyApplication.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPatienceMs = 20000;
const QRect kFirstMonitor(0, 0, 1280, 1024);
const QRect kSecondMonitor(2560, 0, 1280, 1024);

// The device pixels per Qt pixel on every monitor of this run.
qreal scale()
{
    return QGuiApplication::primaryScreen()->devicePixelRatio();
}

// Qt's coordinates of a point of the first monitor, which starts at 0,0.
QPoint onFirstMonitor(const QPoint &native)
{
    return (QPointF(native) / scale()).toPoint();
}

TargetSptr shotOf(const QSignalSpy &result)
{
    return result.isEmpty() ? nullptr : result.first().first().value<TargetSptr>();
}

} // namespace

class TestMonitors : public QObject
{
    Q_OBJECT
public:
    explicit TestMonitors(XSession *) {}

private slots:
    void initTestCase();
    void monitorChosenAndRecordedWhole();
    void regionInScreenPixels();
    void windowChosenAndFollowed();
    void followerJumpsToAnotherMonitor();
    void cleanupTestCase();

private:
    PulseSession m_pulse;
    QTemporaryDir m_home;
    std::unique_ptr<User> m_user;
    std::unique_ptr<WindowConfig> m_settings;
};

void TestMonitors::initTestCase()
{
    QCOMPARE(QGuiApplication::screens().size(), 2);
    QVERIFY(m_pulse.start());
    qApp->setStyleSheet(applicationStyleSheet());
    QVERIFY(openTestUser(m_home, m_user, m_settings));
    m_settings->setAutoDetection(false);
    m_settings->setRecorderDockedIn(false);
}

void TestMonitors::cleanupTestCase()
{
    m_settings.reset();
    m_user.reset();
}

void TestMonitors::monitorChosenAndRecordedWhole()
{
    RecorderManager manager;
    MonitorSniper sniper;
    QSignalSpy result(&sniper, &AbstractSniper::result);
    sniper.start();
    QVERIFY(QTest::qWaitForWindowExposed(&sniper));
    const QScreen *second = QGuiApplication::screenAt(kSecondMonitor.topLeft());
    QVERIFY(second);
    const QPoint inside = sniper.mapFromGlobal(second->geometry().center());
    // The pointer really moves there: wait until the sniper has seen it.
    QTest::mouseMove(&sniper, inside);
    QTRY_VERIFY(sniper.selection() && sniper.selection()->geometry() == kSecondMonitor);
    QTest::mouseClick(&sniper, Qt::LeftButton, {}, inside);
    const auto monitor = std::dynamic_pointer_cast<MonitorTarget>(shotOf(result));
    QVERIFY(monitor);
    QCOMPARE(monitor->name(), QStringLiteral("M2"));
    QCOMPARE(monitor->captureRect(), kSecondMonitor);

    // Its recorder sits on that monitor.
    manager.onSniperResult(monitor);
    QPointer<MonitorFollower> follower = manager.monitorObserver().follower(monitor->name());
    QVERIFY(follower);
    QVERIFY(QTest::qWaitForWindowExposed(follower));
    QTRY_VERIFY(kSecondMonitor.contains(desktop::windowFrameRect(WindowId(follower->winId()))));

    follower->abort();
    QTRY_VERIFY_WITH_TIMEOUT(follower.isNull(), kPatienceMs);
}

void TestMonitors::regionInScreenPixels()
{
    RegionSniper sniper;
    QSignalSpy result(&sniper, &AbstractSniper::result);
    sniper.start();
    QVERIFY(QTest::qWaitForWindowExposed(&sniper));
    const QPoint from = sniper.mapFromGlobal(QPoint(240, 150));
    const QPoint to = sniper.mapFromGlobal(QPoint(40, 50));
    QTest::mousePress(&sniper, Qt::LeftButton, {}, from);
    QTest::mouseMove(&sniper, to);
    QTest::mouseRelease(&sniper, Qt::LeftButton, {}, to);
    const auto region = std::dynamic_pointer_cast<RegionTarget>(shotOf(result));
    QVERIFY(region);
    const qreal s = scale();
    // As many pixels as the mouse went over: 200 across, 100 down.
    QCOMPARE(region->captureRect(), QRect((QPointF(40, 50) * s).toPoint(), (QSizeF(200, 100) * s).toSize()));
}

void TestMonitors::windowChosenAndFollowed()
{
    RecorderManager manager;
    const QRect placed(100, 300, 1000, 400);
    ProgramWindow table(QStringLiteral(X_TEST_WINDOW), QStringLiteral("Wide table"), placed, true);
    QVERIFY(table.id());
    const QRect tableRect = desktop::windowFrameRect(table.id());

    // Pointing at the table picks it, in whichever pixels the pointer moves.
    WindowSniper sniper;
    QSignalSpy result(&sniper, &AbstractSniper::result);
    sniper.start();
    QVERIFY(QTest::qWaitForWindowExposed(&sniper));
    const QPoint inside = sniper.mapFromGlobal(onFirstMonitor(tableRect.center()));
    QTest::mouseMove(&sniper, inside);
    QTRY_VERIFY(sniper.selection());
    QTest::mouseClick(&sniper, Qt::LeftButton, {}, inside);
    const auto window = std::dynamic_pointer_cast<WindowTarget>(shotOf(result));
    QVERIFY(window);
    QCOMPARE(window->window(), table.id());

    // Its recorder is centred on the table's top edge, just above it.
    manager.onSniperResult(window);
    QPointer<WindowFollower> follower = manager.windowObserver().follower(table.id());
    QVERIFY(follower);
    QVERIFY(QTest::qWaitForWindowExposed(follower));
    const WindowId own = WindowId(follower->winId());
    const int slack = qCeil(2 * scale());
    QTRY_VERIFY(qAbs(desktop::windowFrameRect(own).center().x() - tableRect.center().x()) <= slack);
    QTRY_VERIFY(qAbs(desktop::windowFrameRect(own).bottom() + 1 - tableRect.top()) <= slack);
    follower->stop();
    QTRY_VERIFY(follower.isNull());
}

void TestMonitors::followerJumpsToAnotherMonitor()
{
    ProgramWindow table(QStringLiteral(X_TEST_WINDOW), QStringLiteral("Travelling table"), QRect(100, 300, 1000, 400));
    QVERIFY(table.id());
    // Driven by hand here, not by an observer's timer.
    WindowFollower follower(table.id(), std::make_shared<WindowTarget>(table.id()), 400, false);
    follower.attach(nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&follower));

    // Onto the other monitor, far away: it is there at once, not gliding across.
    QVERIFY(table.command(QByteArray("move ") + QByteArray::number(kSecondMonitor.x() + 100) + " 320"));
    QTRY_VERIFY(kSecondMonitor.contains(desktop::windowFrameRect(table.id())));
    follower.follow();
    QVERIFY(!follower.isGliding());
    QTRY_VERIFY(kSecondMonitor.contains(desktop::windowFrameRect(WindowId(follower.winId()))));
    follower.abort();
}

int main(int argc, char **argv)
{
    XSession session;
    if (!session.start(true, {kFirstMonitor, kSecondMonitor})) {
        qCritical("Cannot start a private X server of two monitors with a window manager");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    MyApplication app(argc, argv);
    TestMonitors test(&session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_monitors.moc"
