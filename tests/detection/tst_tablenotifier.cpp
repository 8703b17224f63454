#include "detection/Detection.h"
#include "detection/TableNotifier.h"
#include "library/User.h"
#include "tests/support/ProgramWindow.h"
#include "tests/support/XSession.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPatienceMs = 20000;


QList<WindowId> reported(const QSignalSpy &spy)
{
    QList<WindowId> windows;
    for (const QList<QVariant> &arguments : spy)
        windows.append(arguments.first().value<WindowId>());
    return windows;
}

} // namespace

class TestTableNotifier : public QObject
{
    Q_OBJECT
public:
    explicit TestTableNotifier(XSession *) {}

private slots:
    void initTestCase();
    void tablesOfPokerPrograms();
    void uncheckedProgramsGiveNoTables();

private:
    // A copy of the test window program under the file name given.
    QString program(const QString &fileName);

    QTemporaryDir m_dir;
    std::unique_ptr<DetectionManager> m_manager;
};

void TestTableNotifier::initTestCase()
{
    m_manager = std::make_unique<DetectionManager>(UserPaths(m_dir.filePath(QStringLiteral("user"))));
}

QString TestTableNotifier::program(const QString &fileName)
{
    const QString path = m_dir.filePath(fileName);
    if (!QFile::exists(path)) {
        QFile::copy(QStringLiteral(X_TEST_WINDOW), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return path;
}

void TestTableNotifier::tablesOfPokerPrograms()
{
    const QString stars = program(QStringLiteral("PokerStars.exe"));
    // Shown before the notifier starts: examined once at start; a minimised one is not.
    ProgramWindow early(stars, QStringLiteral("Table 1 - NLH 1/2"), QRect(0, 100, 300, 200));
    ProgramWindow hidden(stars, QStringLiteral("Table 2 - NLH 1/2"), QRect(40, 100, 300, 200));
    QVERIFY(early.id() && hidden.id());
    QVERIFY(hidden.command("minimise"));
    QTRY_VERIFY(!desktop::isWindowVisible(hidden.id()));
    // Not a poker program: never looked at.
    ProgramWindow other(program(QStringLiteral("notes")), QStringLiteral("Omaha notes"), QRect(80, 100, 300, 200));

    TableNotifier notifier;
    QSignalSpy tables(&notifier, &TableNotifier::newTable);
    QSignalSpy gone(&notifier, &TableNotifier::destroyed);
    notifier.start();
    QCOMPARE(reported(tables), QList<WindowId>{early.id()});
    QVERIFY(notifier.tableDetection(early.id()));
    QCOMPARE(notifier.tableDetection(early.id())->exeName(), QStringLiteral("PokerStars.exe"));

    // New windows: a lobby is rejected, a welcome screen waits, a table is reported.
    ProgramWindow lobby(stars, QStringLiteral("PokerStars Lobby"), QRect(120, 100, 300, 200));
    ProgramWindow welcome(stars, QStringLiteral("Welcome"), QRect(160, 100, 300, 200));
    ProgramWindow table(stars, QStringLiteral("Table 3 - Omaha hi-lo"), QRect(200, 100, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(reported(tables).contains(table.id()), kPatienceMs);
    QVERIFY(notifier.isPending(welcome.id()));
    QVERIFY(!notifier.isPending(lobby.id()) && !notifier.tableDetection(lobby.id()));

    // Retitled: the rejected window stays rejected; the waiting one becomes a table.
    QVERIFY(lobby.command("title Table 4 - NLH 2/4"));
    QVERIFY(welcome.command("title Table 5 - Stud"));
    QTRY_VERIFY_WITH_TIMEOUT(reported(tables).contains(welcome.id()), kPatienceMs);
    QVERIFY(!reported(tables).contains(lobby.id()));
    QCOMPARE(tables.size(), 3);

    // Every window that goes is reported, and forgotten.
    table.quit();
    QTRY_VERIFY_WITH_TIMEOUT(reported(gone).contains(table.id()), kPatienceMs);
    QVERIFY(!notifier.tableDetection(table.id()));
    QVERIFY(!reported(tables).contains(hidden.id()));
    QVERIFY(!reported(tables).contains(other.id()));
}

void TestTableNotifier::uncheckedProgramsGiveNoTables()
{
    const QString party = program(QStringLiteral("PartyPoker.exe"));
    const QString everest = program(QStringLiteral("Everest Poker.exe"));
    m_manager->detectionFor(party)->setRecordable(false);

    TableNotifier notifier;
    QSignalSpy tables(&notifier, &TableNotifier::newTable);
    notifier.start();
    ProgramWindow unchecked(party, QStringLiteral("Table 6 - NLH"), QRect(240, 100, 300, 200));
    // A window created after it, of a program still checked: once it is reported, the
    // first has been handled too.
    ProgramWindow checked(everest, QStringLiteral("Table 7 - NLH"), QRect(280, 100, 300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(reported(tables).contains(checked.id()), kPatienceMs);
    QCOMPARE(reported(tables), QList<WindowId>{checked.id()});
}

BC_XSESSION_TEST_MAIN(TestTableNotifier)
#include "tst_tablenotifier.moc"
