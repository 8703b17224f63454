#include "DesktopWindows.h"
#include "FrameDecoder.h"
#include "PulseSession.h"
#include "RecorderManager.h"
#include "RecorderWidget.h"
#include "Resources.h"
#include "User.h"
#include "WindowConfig.h"
#include "XSession.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
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
    const QString dir = m_home.filePath(QStringLiteral("user"));
    QVERIFY(ensureDirectories(dir).ok());
    m_user = std::make_unique<User>(std::make_shared<UserInfo>(), dir);
    m_settings = std::make_unique<WindowConfig>(m_user->paths());
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
    QTRY_COMPARE(manager.pos(), QPoint(available.right() - 179, available.top() + 100));

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

BC_XSESSION_TEST_MAIN(TestRecorderUi)
#include "tst_recorderui.moc"
