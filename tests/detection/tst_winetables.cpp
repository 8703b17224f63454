// Tables of poker programs under Wine, told from their other windows by what only Windows
// knows of them (class and style), read from inside their Wine prefix: real Wine, real
// X windows, the notifier with the desktop's own facts.
#include "detection/Detection.h"
#include "detection/TableNotifier.h"
#include "library/User.h"
#include "platform/WineWindows.h"
#include "tests/support/WinePrefix.h"
#include "tests/support/XSession.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPatienceMs = 60000;

WindowId windowTitled(const QString &title)
{
    for (WindowId window : desktop::topLevelWindows()) {
        if (desktop::windowTitle(window) == title)
            return window;
    }
    return 0;
}

} // namespace

class TestWineTables : public QObject
{
    Q_OBJECT
public:
    explicit TestWineTables(XSession *) {}

private slots:
    void initTestCase();
    void factsComeFromInsideWine();
    void tablesOfTheFourPrograms();

private:
    // Waits for the desktop to list a window of this title.
    WindowId waitForWindow(const QString &title);

    QTemporaryDir m_dir;
    std::unique_ptr<DetectionManager> m_manager;
    WinePrefix m_wine;
};

void TestWineTables::initTestCase()
{
    QVERIFY(m_wine.start());
    m_manager = std::make_unique<DetectionManager>(UserPaths(m_dir.filePath(QStringLiteral("user"))));
}

WindowId TestWineTables::waitForWindow(const QString &title)
{
    WindowId window = 0;
    if (!QTest::qWaitFor([&] { return (window = windowTitled(title)) != 0; }, kPatienceMs))
        qWarning("No window titled %s", qPrintable(title));
    return window;
}

void TestWineTables::factsComeFromInsideWine()
{
    QVERIFY(m_wine.runProgram(QStringLiteral("facts.exe"),
                              {QStringLiteral("BPGameTable"), QStringLiteral("960F0003"), QStringLiteral("Facts table"),
                               QStringLiteral("#32770"), QStringLiteral("94C800C4"), QStringLiteral("Facts dialog")}));
    const WindowId table = waitForWindow(QStringLiteral("Facts table"));
    const WindowId dialog = waitForWindow(QStringLiteral("Facts dialog"));
    QVERIFY(table && dialog);
    // What X11 says of them is the program's file name, and no style.
    QCOMPARE(desktop::windowClass(table), QStringLiteral("facts.exe"));

    WineWindowFacts facts;
    QSignalSpy answered(&facts, &WineWindowFacts::answered);
    QCOMPARE(facts.request(table, desktop::windowProcessId(table)), WineWindowFacts::Request::Asked);
    QCOMPARE(facts.request(dialog, desktop::windowProcessId(dialog)), WineWindowFacts::Request::Asked);
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 2, kPatienceMs);
    const std::optional<WineWindow> tableFacts = facts.find(table);
    const std::optional<WineWindow> dialogFacts = facts.find(dialog);
    QVERIFY(tableFacts && dialogFacts);
    QCOMPARE(tableFacts->className, QStringLiteral("BPGameTable"));
    QCOMPARE(tableFacts->style, 0x960F0003u);
    QCOMPARE(dialogFacts->className, QStringLiteral("#32770"));
    QCOMPARE(dialogFacts->style, 0x94C800C4u);

    // A window that is gone is forgotten; one of another process is no Wine window.
    facts.forget(table);
    QVERIFY(!facts.find(table));
    QCOMPARE(facts.request(table, QCoreApplication::applicationPid()), WineWindowFacts::Request::NotWine);

    // A helper that cannot run leaves the window without facts, answered all the same.
    WineWindowFacts broken(m_dir.filePath(QStringLiteral("missing.exe")));
    QSignalSpy brokenAnswered(&broken, &WineWindowFacts::answered);
    QCOMPARE(broken.request(table, desktop::windowProcessId(table)), WineWindowFacts::Request::Asked);
    QTRY_COMPARE_WITH_TIMEOUT(brokenAnswered.size(), 1, kPatienceMs);
    QVERIFY(!broken.find(table));
}

void TestWineTables::tablesOfTheFourPrograms()
{
    TableNotifier notifier;
    QSignalSpy tables(&notifier, &TableNotifier::newTable);
    notifier.start();

    // Each program: the title a table has, and windows of other kinds.
    const QString dialogStyle = QStringLiteral("94C800C4");
    QVERIFY(m_wine.runProgram(QStringLiteral("BPGame.exe"),
                              {QStringLiteral("BPTable"), QStringLiteral("960F0003"), QStringLiteral("Bodog table 1"),
                               QStringLiteral("#32770"), dialogStyle, QStringLiteral("Bodog cashier")}));
    QVERIFY(m_wine.runProgram(QStringLiteral("PokerClient.exe"),
                              {QStringLiteral("CakeTable"), QStringLiteral("160F0000"), QStringLiteral("Cake NLH 1/2"),
                               QStringLiteral("CakeTable"), QStringLiteral("160F0000"), QStringLiteral("Cake Lobby"),
                               QStringLiteral("#32770"), dialogStyle, QStringLiteral("Cake NLH buy-in")}));
    QVERIFY(m_wine.runProgram(QStringLiteral("casino.exe"),
                              {QStringLiteral("CasinoTable"), QStringLiteral("16040000"), QStringLiteral("Casino table 3"),
                               QStringLiteral("#32770"), dialogStyle, QStringLiteral("Casino Lobby")}));
    QVERIFY(m_wine.runProgram(QStringLiteral("poker.exe"),
                              {QStringLiteral("Afx:00400000:0"), QStringLiteral("16CF0000"), QStringLiteral("Hold'em table 12"),
                               QStringLiteral("Afx:00400000:0"), QStringLiteral("16CF0000"), QStringLiteral("Tourney (#1234567) table 1"),
                               QStringLiteral("#32770"), dialogStyle, QStringLiteral("Poker Lobby")}));

    const QStringList tableTitles{QStringLiteral("Bodog table 1"), QStringLiteral("Cake NLH 1/2"),
                                  QStringLiteral("Casino table 3"), QStringLiteral("Hold'em table 12")};
    for (const QString &title : tableTitles) {
        const WindowId window = waitForWindow(title);
        QVERIFY2(window, qPrintable(title));
        QTRY_VERIFY2_WITH_TIMEOUT(notifier.tableDetection(window), qPrintable(title), kPatienceMs);
    }
    QCOMPARE(tables.size(), tableTitles.size());

    // Lobbies, dialogs and tournament windows: rejected, or (where the program's rule
    // never rejects) left undecided, never a table.
    const QStringList rejected{QStringLiteral("Cake Lobby"), QStringLiteral("Casino Lobby"),
                               QStringLiteral("Tourney (#1234567) table 1"), QStringLiteral("Poker Lobby")};
    const QStringList undecided{QStringLiteral("Bodog cashier"), QStringLiteral("Cake NLH buy-in")};
    for (const QString &title : rejected + undecided) {
        const WindowId window = waitForWindow(title);
        QVERIFY2(window, qPrintable(title));
        QTRY_VERIFY2_WITH_TIMEOUT(rejected.contains(title) ? !notifier.isPending(window) : notifier.isPending(window),
                                  qPrintable(title), kPatienceMs);
        QVERIFY2(!notifier.tableDetection(window), qPrintable(title));
    }
}

BC_XSESSION_TEST_MAIN(TestWineTables)
#include "tst_winetables.moc"
