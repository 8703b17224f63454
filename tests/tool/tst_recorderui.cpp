#include "library/User.h"
#include "library/WindowConfig.h"
#include "media/FrameDecoder.h"
#include "platform/DesktopWindows.h"
#include "platform/ScreenPixels.h"
#include "resources/Resources.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/PulseSession.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestUser.h"
#include "tests/support/XSession.h"
#include "tool/Follower.h"
#include "tool/RecorderManager.h"
#include "tool/RecorderWidget.h"
#include "tool/Snipers.h"
#include "ui/MyApplication.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestRecorderUi : public QObject
{
    Q_OBJECT
public:
    explicit TestRecorderUi(XSession *session)
        : m_session(session)
    {
    }

private slots:
    void initTestCase();
    void levelBarValues();
    void timeWatcherSkipsPauses();
    void stopBeforeStartIsImmediate();
    void toolWindowOnTheDesktop();
    void recordSaveAndStop();
    void failedStartShowsTheError();
    void followerPlacement();
    void snipersReportOnce();
    void regionRecordedByHand();
    void monitorRecordingFollowsResolution();
    void cleanupTestCase();

private:
    XSession *m_session;
    PulseSession m_pulse;
    QTemporaryDir m_home;
    std::unique_ptr<User> m_user;
    std::unique_ptr<WindowConfig> m_settings;
};

void TestRecorderUi::initTestCase()
{
    QVERIFY(m_pulse.start());
    qApp->setStyleSheet(applicationStyleSheet());
    QVERIFY(openTestUser(m_home, m_user, m_settings));
    m_settings->setMaxRecordedDuration(60000);
}

void TestRecorderUi::cleanupTestCase()
{
    m_settings.reset();
    m_user.reset();
}

void TestRecorderUi::levelBarValues()
{
    QCOMPARE(LevelBar::valueFor(-54), 0);
    QCOMPARE(LevelBar::valueFor(-60), 0);
    QCOMPARE(LevelBar::valueFor(-27), 8);
    QCOMPARE(LevelBar::valueFor(0), 16);
    QCOMPARE(LevelBar::valueFor(3), 16);
}

void TestRecorderUi::timeWatcherSkipsPauses()
{
    qint64 now = 5000;
    TimeWatcher watcher;
    watcher.setClock([&now] { return now; });
    watcher.reset();
    QCOMPARE(watcher.text(), QStringLiteral("00:00:00"));
    watcher.start();
    now += 1100;
    watcher.updateTime();
    QCOMPARE(watcher.text(), QStringLiteral("00:00:01"));
    watcher.setPaused(true);
    now += 3600 * 1000;
    watcher.updateTime();
    QCOMPARE(watcher.text(), QStringLiteral("00:00:01"));
    watcher.setPaused(false);
    now += 1000;
    watcher.updateTime();
    QCOMPARE(watcher.text(), QStringLiteral("00:00:02"));
    // Restarting after a stop goes on from the time shown.
    watcher.setPaused(true);
    watcher.start();
    now += 62 * 1000;
    watcher.updateTime();
    QCOMPARE(watcher.text(), QStringLiteral("00:01:04"));
}

void TestRecorderUi::stopBeforeStartIsImmediate()
{
    RecorderWidget widget(std::make_shared<RegionTarget>(QRect(0, 0, 64, 48)), nullptr);
    QSignalSpy stopped(&widget, &RecorderWidget::stopped);
    widget.stop(false);
    QCOMPARE(stopped.size(), 1);
}

void TestRecorderUi::toolWindowOnTheDesktop()
{
    RecorderManager manager;
    m_settings->setAutoDetection(true);
    manager.goToTop();
    QVERIFY(!manager.isVisible());

    // A position on a monitor that is no longer there.
    m_settings->setToolWindowPosition(QPoint(5000, 3000));
    manager.restorePosition();
    m_settings->setAutoDetection(false); // shows it again
    QTRY_VERIFY(manager.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&manager));
    const QRect available = manager.screen()->availableGeometry();
    // 179 pixels left of the right edge, or less when the tool is wider: all of it shows.
    const int fromRight = qMax(179, manager.frameGeometry().width() - 1);
    QTRY_COMPARE(manager.pos(), QPoint(available.right() - fromRight, available.top() + 100));
    QVERIFY(available.contains(manager.frameGeometry()));

    // Under the window manager: no frame, kept above other windows.
    const WindowId id = WindowId(manager.winId());
    QTRY_VERIFY(desktop::isWindowVisible(id));
    QVERIFY(!(desktop::windowStyle(id) & WindowStyle::Caption));
    QCOMPARE(manager.findChild<QPushButton *>(QStringLiteral("btnClose"))->toolTip(), QStringLiteral("Hide"));

    // What the X server shows there is the tool, not an empty rectangle, once painted.
    auto shownColours = [&manager] {
        const QImage shot =
                manager.screen()->grabWindow(0, manager.x(), manager.y(), manager.width(), manager.height()).toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                colours.insert(shot.pixel(x, y));
        return colours.size();
    };
    QTRY_VERIFY2(shownColours() > 5, qPrintable(QString::number(shownColours())));

    manager.savePosition();
    QCOMPARE(m_settings->toolWindowPosition(), manager.pos());
}

void TestRecorderUi::recordSaveAndStop()
{
    RecorderManager manager;
    m_settings->setRecordAudio(false);
    RecorderWidget widget(std::make_shared<RegionTarget>(QRect(0, 0, 64, 48)), nullptr);
    // Without sound recording the microphone starts muted.
    QVERIFY(widget.micButton()->isChecked());
    widget.show();
    QSignalSpy stopped(&widget, &RecorderWidget::stopped);
    QStringList finished;
    connect(&manager.assembleQueue(), &AVAssembleQueue::createDisplayHandler, this, [&finished](const AVAssemblerSptr &a) {
        connect(a.get(), &AVAssembler::buildFinished, qApp,
                [&finished](const bc_ret &result, const QString &file) { finished.append(result.ok() ? file : QString()); });
    });

    widget.recordButton()->click();
    QVERIFY(widget.session());
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY(widget.pauseButton()->isVisible());
    QTest::qWait(1500);
    widget.save();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QVERIFY(!finished.first().isEmpty());
    QCOMPARE(QFileInfo(finished.first()).absolutePath(), m_user->paths().recorded.absolutePath());
    bc_ret probed;
    const qint64 savedMs = probeDuration(finished.first(), probed);
    QVERIFY2(savedMs >= 1000 && savedMs <= clock.elapsed() + 100, qPrintable(QString::number(savedMs)));

    QPointer<AVRecorder> session = widget.session();
    widget.stop(true);
    QVERIFY(stopped.wait(5000));
    // The stopped session is gone, and with it its hold on what it recorded.
    QVERIFY(!widget.session());
    QTRY_VERIFY(session.isNull());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
    QVERIFY(!finished.last().isEmpty());
    QTRY_COMPARE(m_user->paths().tmp.entryList(QDir::Files), QStringList());
    m_settings->setRecordAudio(true);
}

void TestRecorderUi::failedStartShowsTheError()
{
    RecorderManager manager;
    // A region off the screen cannot be made into frames of that size.
    RecorderWidget widget(std::make_shared<RegionTarget>(QRect(0, 0, 0, 0)), nullptr);
    QSignalSpy stopped(&widget, &RecorderWidget::stopped);
    widget.start();
    QCOMPARE(stopped.size(), 1);
    QMessageBox *box = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *b = qobject_cast<QMessageBox *>(top); b && b->isVisible())
            box = b;
    }
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("Recording error"));
    QVERIFY(box->text().startsWith(QStringLiteral("Error while recording")));
    box->close();
}

void TestRecorderUi::followerPlacement()
{
    const QRect screen(0, 20, 1920, 1060);
    const QSize size(200, 30);
    // Centred on a wider table's top edge, just above it.
    QCOMPARE(followerPosition(QRect(100, 200, 600, 400), size, Follower::kNotSet, Follower::kNotSet, screen),
             QPoint(300, 170));
    // Dragged far right, it stops where its right edge meets the table's.
    QCOMPARE(followerPosition(QRect(100, 200, 600, 400), size, 1000, Follower::kNotSet, screen), QPoint(500, 170));
    QCOMPARE(followerPosition(QRect(100, 200, 600, 400), size, -50, 0, screen), QPoint(100, 200));
    // A table at the top of the screen pushes it down into the available area; one
    // half off the right edge keeps it on the screen.
    QCOMPARE(followerPosition(QRect(100, 0, 600, 400), size, Follower::kNotSet, Follower::kNotSet, screen),
             QPoint(300, 20));
    QCOMPARE(followerPosition(QRect(1800, 500, 600, 400), size, 500, Follower::kNotSet, screen), QPoint(1720, 470));
}

void TestRecorderUi::snipersReportOnce()
{
    {
        // At first sight: the cross-hair where the mouse is (nothing at the corner),
        // and what to do, in words.
        QCursor::setPos(700, 500);
        QTRY_COMPARE(QCursor::pos(), QPoint(700, 500));
        RegionSniper sniper;
        sniper.start();
        QVERIFY(QTest::qWaitForWindowExposed(&sniper));
        QVERIFY(sniper.hint()->isVisible());
        QCOMPARE(sniper.hint()->text(), QStringLiteral("Drag over the area to record. Escape or a right click cancels."));
        const QImage shown = keepScreenshot(QStringLiteral("region-selector"), 0);
        QVERIFY(!shown.isNull());
        const QColor green(0x6C, 0xE9, 0x37);
        QVERIFY(shown.pixelColor(5, 5) != green);
        QCOMPARE(shown.pixelColor(700, 10), green);
        QCOMPARE(shown.pixelColor(10, 500), green);
        const QRect hint(sniper.hint()->mapToGlobal(QPoint(0, 0)), sniper.hint()->size());
        QVERIFY(QGuiApplication::primaryScreen()->geometry().contains(hint));
        QTest::keyClick(&sniper, Qt::Key_Escape);
    }

    // Dragged either way, the same region: as many pixels as the mouse went over.
    const QRect region(QPoint(100, 80), QSize(423, 301));
    const QPoint far = region.topLeft() + QPoint(region.width(), region.height());
    for (const bool upwards : {true, false}) {
        RegionSniper sniper;
        QSignalSpy result(&sniper, &AbstractSniper::result);
        sniper.start();
        QVERIFY(QTest::qWaitForWindowExposed(&sniper));
        const QPoint from = sniper.mapFromGlobal(upwards ? far : region.topLeft());
        const QPoint to = sniper.mapFromGlobal(upwards ? region.topLeft() : far);
        QTest::mousePress(&sniper, Qt::LeftButton, {}, from);
        QTest::mouseMove(&sniper, (from + to) / 2);
        QTest::mouseRelease(&sniper, Qt::LeftButton, {}, to);
        QCOMPARE(result.size(), 1);
        const auto shot = std::dynamic_pointer_cast<RegionTarget>(result.first().first().value<TargetSptr>());
        QVERIFY(shot);
        QCOMPARE(shot->geometry(), region);
        QVERIFY(!sniper.isVisible());
    }

    // A click, a right click and Escape choose nothing, once.
    for (int way = 0; way < 3; ++way) {
        RegionSniper sniper;
        QSignalSpy result(&sniper, &AbstractSniper::result);
        sniper.start();
        QVERIFY(QTest::qWaitForWindowExposed(&sniper));
        const QPoint at = sniper.mapFromGlobal(QPoint(200, 200));
        if (way == 0)
            QTest::mouseClick(&sniper, Qt::LeftButton, {}, at);
        else if (way == 1)
            QTest::mouseClick(&sniper, Qt::RightButton, {}, at);
        else
            QTest::keyClick(&sniper, Qt::Key_Escape);
        sniper.close();
        QCOMPARE(result.size(), 1);
        QVERIFY2(!result.first().first().value<TargetSptr>(), qPrintable(QString::number(way)));
    }

    // The monitor under the mouse.
    MonitorSniper sniper;
    QSignalSpy result(&sniper, &AbstractSniper::result);
    sniper.start();
    QVERIFY(QTest::qWaitForWindowExposed(&sniper));
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QPoint inside = sniper.mapFromGlobal(screen->geometry().center());
    QTest::mouseMove(&sniper, inside);
    QTest::mouseClick(&sniper, Qt::LeftButton, {}, inside);
    QCOMPARE(result.size(), 1);
    const auto monitor = std::dynamic_pointer_cast<MonitorTarget>(result.first().first().value<TargetSptr>());
    QVERIFY(monitor);
    QCOMPARE(monitor->name(), screen->name());
    QCOMPARE(monitor->geometry(), screen->geometry());
}

void TestRecorderUi::regionRecordedByHand()
{
    TestWindow table(QStringLiteral("table"), QRect(300, 300, 480, 300), 0x2a7a3a);
    QVERIFY(table.waitShown());
    RecorderManager manager;
    manager.showOnScreen();
    QVERIFY(QTest::qWaitForWindowExposed(&manager));
    QPointer<AbstractSniper> sniper;
    connect(&manager, &RecorderManager::sniperStarted, this, [&sniper](AbstractSniper *s) { sniper = s; });
    QStringList saved;
    connect(&manager.assembleQueue(), &AVAssembleQueue::createDisplayHandler, this, [&saved](const AVAssemblerSptr &a) {
        connect(a.get(), &AVAssembler::buildFinished, qApp,
                [&saved](const bc_ret &result, const QString &file) { saved.append(result.ok() ? file : QString()); });
    });

    // The tool's region button, and a region dragged over the table.
    auto *button = manager.findChild<QPushButton *>(QStringLiteral("btnRegionSniper"));
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(sniper);
    QVERIFY(QTest::qWaitForWindowExposed(sniper));
    const QRect region(QPoint(310, 320), QPoint(709, 519));
    QTest::mousePress(sniper, Qt::LeftButton, {}, sniper->mapFromGlobal(region.topLeft()));
    QTest::mouseRelease(sniper, Qt::LeftButton, {}, sniper->mapFromGlobal(region.bottomRight() + QPoint(1, 1)));
    QTRY_VERIFY(sniper.isNull());

    // A floating recorder above the region, recording at once.
    QCOMPARE(manager.regionObserver().followers().size(), 1);
    QPointer<RegionFollower> follower = manager.regionObserver().followers().first();
    QVERIFY(QTest::qWaitForWindowExposed(follower));

    // The record button's hover marks the region with a red border and leaves what it
    // records in sight (there is no compositor here).
    QVERIFY(QMetaObject::invokeMethod(follower, "highlight"));
    const auto shownAt = [](const QPoint &at) {
        return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
    };
    QTRY_COMPARE(shownAt(region.topLeft() + QPoint(1, 1)), QColor(0xe0, 0x40, 0x40));
    QCOMPARE(shownAt(region.center()), QColor(0x2a, 0x7a, 0x3a));
    keepScreenshot(QStringLiteral("region-highlight"), 0);
    QVERIFY(QMetaObject::invokeMethod(follower, "unhighlight"));
    QVERIFY(follower->recorder() && follower->recorder()->session());
    QTRY_COMPARE(follower->frameGeometry().bottom(), region.top() - 1);
    QVERIFY(follower->geometry().left() >= region.left() && follower->geometry().right() <= region.right());
    keepScreenshot(QStringLiteral("region-follower"), WId(follower->winId()));

    // Save puts the recording into the user's recorded directory.
    QTRY_VERIFY_WITH_TIMEOUT(follower->recorder()->timeWatcher()->text() != QStringLiteral("00:00:00"), 10000);
    QTest::mouseClick(follower->recorder()->saveButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(saved.size(), 1, 20000);
    QCOMPARE(QFileInfo(saved.first()).absolutePath(), m_user->paths().recorded.absolutePath());
    const VideoProbe video = probeVideo(saved.first(), 1);
    QVERIFY(video.ok);
    QCOMPARE(QSize(video.width, video.height), region.size());
    QVERIFY(!video.frames.isEmpty());
    // The table's colour, not what lay above it.
    const QColor middle = video.frames.first().pixelColor(video.width / 2, video.height / 2);
    QVERIFY2(qAbs(middle.green() - 0x7a) < 24 && qAbs(middle.red() - 0x2a) < 24, qPrintable(middle.name()));

    // Close stops the recording and removes the follower.
    QTest::mouseClick(follower->findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(follower.isNull(), 10000);
    QVERIFY(manager.regionObserver().followers().isEmpty());
}

namespace {

// Sets the screen's one output to a resolution, as the desktop's display settings do.
bool setResolution(const QSize &size)
{
    const QString mode = QStringLiteral("bc%1x%2").arg(size.width()).arg(size.height());
    const QList<QStringList> steps{
            {QStringLiteral("--newmode"), mode, QStringLiteral("0"), QString::number(size.width()), QStringLiteral("0"),
             QStringLiteral("0"), QStringLiteral("0"), QString::number(size.height()), QStringLiteral("0"),
             QStringLiteral("0"), QStringLiteral("0")},
            {QStringLiteral("--addmode"), QStringLiteral("screen"), mode},
            {QStringLiteral("--output"), QStringLiteral("screen"), QStringLiteral("--mode"), mode}};
    bool set = false;
    for (const QStringList &arguments : steps) {
        QProcess xrandr;
        xrandr.setProcessChannelMode(QProcess::ForwardedChannels);
        xrandr.start(QStringLiteral("xrandr"), arguments);
        // The mode may be known from an earlier run of this step: only the last one counts.
        set = xrandr.waitForFinished(10000) && xrandr.exitCode() == 0;
    }
    return set;
}

} // namespace

void TestRecorderUi::monitorRecordingFollowsResolution()
{
    RecorderManager manager;
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect before = desktop::nativeGeometry(screen);
    auto monitor = std::make_shared<MonitorTarget>(screen->name(), before);
    manager.onSniperResult(monitor);
    QPointer<MonitorFollower> follower = manager.monitorObserver().follower(monitor->name());
    QVERIFY(follower);
    QVERIFY(QTest::qWaitForWindowExposed(follower));

    // A smaller resolution: the recording takes the new rectangle and its recorder
    // stays on the screen.
    const QRect smaller(0, 0, 1024, 768);
    QVERIFY(setResolution(smaller.size()));
    QTRY_COMPARE_WITH_TIMEOUT(monitor->captureRect(), smaller, 20000);
    QTRY_VERIFY(smaller.contains(desktop::windowFrameRect(WindowId(follower->winId()))));
    QVERIFY(setResolution(before.size()));
    QTRY_COMPARE_WITH_TIMEOUT(monitor->captureRect(), before, 20000);
    follower->abort();
    QTRY_VERIFY_WITH_TIMEOUT(follower.isNull(), 10000);
}

// The application object of the program: it tells followers of screen changes.
int main(int argc, char **argv)
{
    XSession session;
    if (!session.start(true)) {
        qCritical("Cannot start a private X server with a window manager");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    MyApplication app(argc, argv);
    TestRecorderUi test(&session);
    return QTest::qExec(&test, argc, argv);
}
#include "tst_recorderui.moc"
