#include "detection/Detection.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "media/AVAssembler.h"
#include "resources/Resources.h"
#include "tests/support/ProgramWindow.h"
#include "tests/support/PulseSession.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestUser.h"
#include "tests/support/XSession.h"
#include "tool/Follower.h"
#include "tool/RecorderManager.h"
#include "tool/RecorderWidget.h"
#include "tool/Snipers.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPatienceMs = 20000;


} // namespace

class TestWindowTracking : public QObject
{
    Q_OBJECT
public:
    explicit TestWindowTracking(XSession *) {}

private slots:
    void initTestCase();
    void followerOwnedByItsTable();
    void followerGlides();
    void windowSniperTakesTheTopWindow();
    void windowListChoosesByName();
    void tablesUpToTheLimit();
    void closedTableIsSavedWhenWanted();
    void switchingToAutoTakesUpOpenTables();
    void cleanupTestCase();

private:
    QString pokerProgram(const QString &name);
    // Saved files, as the assembling queue finishes them.
    void collectSaved(RecorderManager &manager);

    PulseSession m_pulse;
    QTemporaryDir m_home;
    std::unique_ptr<User> m_user;
    std::unique_ptr<WindowConfig> m_settings;
    std::unique_ptr<DetectionManager> m_detection;
    QStringList m_saved;
};

void TestWindowTracking::initTestCase()
{
    QVERIFY(m_pulse.start());
    qApp->setStyleSheet(applicationStyleSheet());
    QVERIFY(openTestUser(m_home, m_user, m_settings));
    m_settings->setMaxRecordedDuration(60000);
    m_detection = std::make_unique<DetectionManager>(m_user->paths());
}

void TestWindowTracking::cleanupTestCase()
{
    m_detection.reset();
    m_settings.reset();
    m_user.reset();
}

QString TestWindowTracking::pokerProgram(const QString &name)
{
    const QString path = m_home.filePath(name);
    if (!QFile::exists(path)) {
        QFile::copy(QStringLiteral(X_TEST_WINDOW), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return path;
}

void TestWindowTracking::collectSaved(RecorderManager &manager)
{
    m_saved.clear();
    connect(&manager.assembleQueue(), &AVAssembleQueue::createDisplayHandler, this, [this](const AVAssemblerSptr &a) {
        connect(a.get(), &AVAssembler::buildFinished, this,
                [this](const bc_ret &result, const QString &file) { m_saved.append(result.ok() ? file : QString()); });
    });
}

void TestWindowTracking::followerOwnedByItsTable()
{
    m_settings->setAutoDetection(false);
    RecorderManager manager;
    ProgramWindow table(pokerProgram(QStringLiteral("notes")), QStringLiteral("Some table"), QRect(200, 300, 500, 300), true);
    QVERIFY(table.id());
    manager.windowObserver().follow(table.id(), false);
    QPointer<WindowFollower> follower = manager.windowObserver().follower(table.id());
    QVERIFY(follower);
    QVERIFY(QTest::qWaitForWindowExposed(follower));
    QVERIFY(follower->recorder() && !follower->recorder()->session());

    // Owned by the table, just above its top edge.
    const WindowId own = WindowId(follower->winId());
    QCOMPARE(desktop::windowOwner(own), table.id());
    const QRect tableRect = desktop::windowFrameRect(table.id());
    QTRY_COMPARE(desktop::windowFrameRect(own).bottom() + 1, tableRect.top());
    // Kept for people to look at: the recorder over its table, as the screen shows it.
    QVERIFY(QTest::qWaitFor(
            [own] {
                const QImage screen = keepScreenshot(QStringLiteral("follower-above-table"), 0);
                return distinctColours(screen.copy(desktop::windowFrameRect(own))) > 10;
            },
            kPatienceMs));

    // Minimised with the table, back with it.
    QVERIFY(table.command("minimise"));
    QTRY_VERIFY_WITH_TIMEOUT(!desktop::isWindowVisible(own), kPatienceMs);
    QVERIFY(table.command("restore"));
    QTRY_VERIFY_WITH_TIMEOUT(desktop::isWindowVisible(own), kPatienceMs);

    manager.windowObserver().follower(table.id())->stop();
    QTRY_VERIFY(follower.isNull());
    QCOMPARE(manager.windowObserver().count(), 0);
}

void TestWindowTracking::followerGlides()
{
    ProgramWindow table(pokerProgram(QStringLiteral("notes")), QStringLiteral("Moving"), QRect(100, 300, 500, 300), true);
    // Driven by hand here, not by the observer's timer.
    WindowFollower follower(table.id(), std::make_shared<WindowTarget>(table.id()), 400, false);
    follower.attach(nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&follower));
    const QRect start = desktop::windowFrameRect(table.id());

    // A few pixels: it glides there.
    QVERIFY(table.command("move 130 320"));
    QTRY_VERIFY(desktop::windowFrameRect(table.id()) != start);
    follower.follow();
    QVERIFY(follower.isGliding());
    const QPoint glidedTo = follower.computedPosition();
    QTRY_VERIFY_WITH_TIMEOUT(!follower.isGliding(), kPatienceMs);
    // The X server confirms each step of the way later than it is made.
    QTRY_COMPARE(follower.pos(), glidedTo);

    // Dragged, it slides along the top edge only, and not past the table's right edge.
    const QRect tableRect = desktop::windowFrameRect(table.id());
    const int y = follower.y();
    follower.shift(QPoint(5000, 40));
    QTRY_COMPARE(follower.frameGeometry().right(), tableRect.right());
    QCOMPARE(follower.y(), y);
    follower.abort();
}

void TestWindowTracking::windowSniperTakesTheTopWindow()
{
    const QString program = pokerProgram(QStringLiteral("notes"));
    ProgramWindow lower(program, QStringLiteral("Lower"), QRect(100, 100, 400, 300), true);
    ProgramWindow higher(program, QStringLiteral("Higher"), QRect(300, 200, 400, 300), true);
    ProgramWindow minimised(program, QStringLiteral("Minimised"), QRect(800, 100, 300, 200), true);
    QVERIFY(minimised.command("minimise"));
    QTRY_VERIFY(desktop::isWindowMinimised(minimised.id()));
    const WindowId dialog = lower.openDialog();
    QVERIFY(dialog);
    QTRY_VERIFY(desktop::topLevelWindows().contains(dialog));
    QTRY_VERIFY(desktop::topLevelWindows().indexOf(higher.id()) < desktop::topLevelWindows().indexOf(lower.id()));

    WindowSniper sniper;
    QSignalSpy result(&sniper, &AbstractSniper::result);
    sniper.start();
    QVERIFY(QTest::qWaitForWindowExposed(&sniper));
    QList<WindowId> offered;
    for (const WindowCandidate &candidate : sniper.candidates())
        offered.append(candidate.window);
    QVERIFY(offered.contains(lower.id()) && offered.contains(higher.id()));
    QVERIFY(!offered.contains(minimised.id()));
    QVERIFY(!offered.contains(dialog));
    QVERIFY(!offered.contains(WindowId(sniper.winId())));

    // Where the two overlap, the higher one is taken.
    const QPoint overlap = sniper.mapFromGlobal(QPoint(350, 250));
    QTest::mouseMove(&sniper, overlap);
    QTRY_VERIFY(sniper.selection() && sniper.selection()->geometry().contains(QPoint(350, 250)));
    QTest::mouseClick(&sniper, Qt::LeftButton, {}, overlap);
    QCOMPARE(result.size(), 1);
    const auto shot = std::dynamic_pointer_cast<WindowTarget>(result.first().first().value<TargetSptr>());
    QVERIFY(shot);
    QCOMPARE(shot->window(), higher.id());
}

void TestWindowTracking::windowListChoosesByName()
{
    const QString program = pokerProgram(QStringLiteral("PokerStars.exe"));
    const QString longTitle = QStringLiteral("Tournament 4471 Table 12 - No Limit Hold'em - Blinds 2000/4000 Ante 400 - Level 17");
    ProgramWindow lower(program, longTitle, QRect(100, 100, 300, 200));
    ProgramWindow higher(program, QStringLiteral("Higher"), QRect(200, 150, 300, 200));
    QTRY_VERIFY(desktop::topLevelWindows().indexOf(higher.id()) < desktop::topLevelWindows().indexOf(lower.id()));
    const auto chosen = [](const QSignalSpy &result) {
        const auto shot = std::dynamic_pointer_cast<WindowTarget>(result.first().first().value<TargetSptr>());
        return shot ? shot->window() : WindowId(0);
    };
    enum Way { Keyboard, Pointing, Escape };
    for (const Way way : {Keyboard, Pointing, Escape}) {
        SubWindowSniper sniper;
        QSignalSpy result(&sniper, &AbstractSniper::result);
        sniper.start();
        QVERIFY(QTest::qWaitForWindowExposed(&sniper));
        auto *list = sniper.findChild<QListWidget *>(QStringLiteral("lstWindows"));
        auto *record = sniper.findChild<QPushButton *>(QStringLiteral("btnRecord"));
        QVERIFY(list && record);
        QCOMPARE(record->isEnabled(), sniper.selection() != nullptr);
        QCOMPARE(list->count(), sniper.candidates().size());
        int lowerRow = -1;
        int higherRow = -1;
        for (int row = 0; row < list->count(); ++row) {
            const QString text = list->item(row)->text();
            // Every entry fits the list and still names the program.
            QVERIFY2(list->fontMetrics().horizontalAdvance(text) <= list->viewport()->width(), qPrintable(text));
            QVERIFY2(text.endsWith(QStringLiteral("[PokerStars.exe]")), qPrintable(text));
            if (sniper.candidates().at(row).window == lower.id())
                lowerRow = row;
            if (sniper.candidates().at(row).window == higher.id())
                higherRow = row;
        }
        QVERIFY(lowerRow >= 0 && higherRow >= 0);
        QVERIFY(list->item(lowerRow)->text().startsWith(longTitle.left(10)) && list->item(lowerRow)->text().contains(QChar(0x2026)));
        QCOMPARE(list->item(higherRow)->text(), QStringLiteral("Higher [PokerStars.exe]"));

        if (way == Keyboard) {
            keepScreenshot(QStringLiteral("window-list"), 0);
            list->setFocus();
            while (list->currentRow() != higherRow)
                QTest::keyClick(list, Qt::Key_Down);
            QVERIFY(record->isEnabled());
            QTest::keyClick(list, Qt::Key_Return);
            QCOMPARE(result.size(), 1);
            QCOMPARE(chosen(result), higher.id());
        } else if (way == Pointing) {
            // Pointing at a window chooses it in the list, and only Record takes it.
            QTest::mouseClick(&sniper, Qt::LeftButton, {}, sniper.mapFromGlobal(QPoint(120, 120)));
            QCOMPARE(list->currentRow(), lowerRow);
            QCOMPARE(result.size(), 0);
            QTest::mouseClick(record, Qt::LeftButton);
            QCOMPARE(result.size(), 1);
            QCOMPARE(chosen(result), lower.id());
        } else {
            list->setCurrentRow(lowerRow);
            QTest::keyClick(list, Qt::Key_Escape);
            QCOMPARE(result.size(), 1);
            QVERIFY(!result.first().first().value<TargetSptr>());
        }
    }
}

void TestWindowTracking::tablesUpToTheLimit()
{
    m_settings->setAutoDetection(true);
    m_settings->setAutoRecord(false);
    m_settings->setMaxTables(2);
    RecorderManager manager;
    WindowObserver &observer = manager.windowObserver();
    const QString program = pokerProgram(QStringLiteral("notes"));
    ProgramWindow first(program, QStringLiteral("One"), QRect(0, 100, 300, 200), true);
    ProgramWindow second(program, QStringLiteral("Two"), QRect(320, 100, 300, 200), true);
    ProgramWindow third(program, QStringLiteral("Three"), QRect(640, 100, 300, 200), true);
    ProgramWindow minimised(program, QStringLiteral("Four"), QRect(960, 100, 300, 200), true);
    QVERIFY(minimised.command("minimise"));
    QTRY_VERIFY(desktop::isWindowMinimised(minimised.id()));

    observer.newTable(minimised.id());
    QCOMPARE(observer.count(), 0);
    observer.newTable(first.id());
    observer.newTable(second.id());
    observer.newTable(third.id());
    QCOMPARE(observer.count(), 2);
    QVERIFY(!observer.follower(third.id()));
    // One of them goes (as the notifier reports a closed window): the next table is followed.
    observer.stop(first.id());
    QTRY_VERIFY_WITH_TIMEOUT(!observer.follower(first.id()), kPatienceMs);
    observer.newTable(third.id());
    QVERIFY(observer.follower(third.id()));

    // Tables chosen by hand only bring the tool up.
    m_settings->setAutoDetection(false);
    manager.hide();
    QSignalSpy popup(&observer, &WindowObserver::popup);
    observer.newTable(minimised.id());
    QCOMPARE(popup.size(), 1);
    QVERIFY(manager.isVisible());
    // Unless the user asked not to be disturbed by new tables.
    m_settings->setPopupSelectionTool(false);
    manager.hide();
    observer.newTable(second.id());
    QCOMPARE(popup.size(), 1);
    QVERIFY(!manager.isVisible());
    m_settings->setPopupSelectionTool(true);
}

void TestWindowTracking::closedTableIsSavedWhenWanted()
{
    // A poker program whose room is confirmed, its tables recorded by themselves.
    const QString stars = pokerProgram(QStringLiteral("PokerStars.exe"));
    m_detection->detectionFor(stars)->setRoom(12);
    m_settings->setAutoDetection(true);
    m_settings->setAutoRecord(true);
    m_settings->setMaxTables(4);
    for (const bool saveOnClose : {true, false}) {
        m_settings->setSaveOnClose(saveOnClose);
        RecorderManager manager;
        collectSaved(manager);
        QSignalSpy followed(&manager.windowObserver().notifier(), &TableNotifier::newTable);
        ProgramWindow table(stars, QStringLiteral("Table 1 - NLH 1/2"), QRect(200, 300, 400, 300), true);
        QTRY_VERIFY_WITH_TIMEOUT(manager.windowObserver().follower(table.id()), kPatienceMs);
        QPointer<WindowFollower> follower = manager.windowObserver().follower(table.id());
        QVERIFY(follower->recorder() && follower->recorder()->session());
        QTRY_VERIFY_WITH_TIMEOUT(follower->recorder()->timeWatcher()->text() != QStringLiteral("00:00:00"), kPatienceMs);

        table.quit();
        QTRY_VERIFY_WITH_TIMEOUT(follower.isNull(), kPatienceMs);
        if (saveOnClose) {
            QTRY_COMPARE_WITH_TIMEOUT(m_saved.size(), 1, kPatienceMs);
            QVERIFY(!m_saved.first().isEmpty());
            QCOMPARE(QFileInfo(m_saved.first()).absolutePath(), m_user->paths().recorded.absolutePath());
        } else {
            // Nothing was handed to the assembling queue when the recording ended.
            QCOMPARE(m_saved.size(), 0);
            QCOMPARE(m_user->paths().recorded.entryList(QDir::Files).size(), 1);
        }
    }
}

void TestWindowTracking::switchingToAutoTakesUpOpenTables()
{
    const QString stars = pokerProgram(QStringLiteral("PokerStars.exe"));
    m_detection->detectionFor(stars)->setRoom(12);
    m_settings->setAutoDetection(false);
    m_settings->setAutoRecord(false);
    m_settings->setMaxTables(4);
    RecorderManager manager;
    WindowObserver &observer = manager.windowObserver();
    QSignalSpy found(&observer.notifier(), &TableNotifier::newTable);
    ProgramWindow table(stars, QStringLiteral("Table 2 - NLH 1/2"), QRect(100, 300, 400, 300), true);
    // Chosen by hand: found, not followed.
    QTRY_VERIFY_WITH_TIMEOUT(observer.notifier().tables().contains(table.id()), kPatienceMs);
    QVERIFY(!observer.follower(table.id()));

    // Automatic from now on: the table already open is taken up, once.
    m_settings->setAutoDetection(true);
    QVERIFY(observer.follower(table.id()));
    QCOMPARE(observer.count(), 1);
    m_settings->setAutoDetection(false);
    m_settings->setAutoDetection(true);
    QCOMPARE(observer.count(), 1);
    observer.stopAll();
}

BC_XSESSION_TEST_MAIN(TestWindowTracking)
#include "tst_windowtracking.moc"
