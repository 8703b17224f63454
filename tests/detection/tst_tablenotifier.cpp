#include "Detection.h"
#include "TableNotifier.h"
#include "User.h"
#include "XSession.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPatienceMs = 20000;

// A window of another process, run from a copy of the test window program under a
// poker program's file name, as a poker client's windows are.
class ProgramWindow
{
public:
    ProgramWindow(const QString &program, const QString &title, int x)
    {
        m_process.start(program, {title, QString::number(x), QStringLiteral("100"), QStringLiteral("300"),
                                  QStringLiteral("200"), QStringLiteral("1f6f3f")});
        if (m_process.waitForReadyRead(kPatienceMs))
            m_id = m_process.readLine().trimmed().toUInt();
    }
    ~ProgramWindow()
    {
        quit();
    }
    WindowId id() const { return m_id; }
    bool command(const QByteArray &line)
    {
        m_process.write(line + '\n');
        return m_process.waitForReadyRead(kPatienceMs) && m_process.readLine().trimmed() == "done";
    }
    void quit()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("quit\n");
        if (!m_process.waitForFinished(kPatienceMs))
            m_process.kill();
        m_process.waitForFinished(kPatienceMs);
        // X reuses a departed client's window ids at once: the window manager must be
        // done with this window before a later one could take its id.
        if (!QTest::qWaitFor([this] { return !desktop::topLevelWindows().contains(m_id); }, kPatienceMs))
            qWarning("Window %u is still listed", m_id);
    }

private:
    QProcess m_process;
    WindowId m_id = 0;
};

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
    ProgramWindow early(stars, QStringLiteral("Table 1 - NLH 1/2"), 0);
    ProgramWindow hidden(stars, QStringLiteral("Table 2 - NLH 1/2"), 40);
    QVERIFY(early.id() && hidden.id());
    QVERIFY(hidden.command("minimise"));
    QTRY_VERIFY(!desktop::isWindowVisible(hidden.id()));
    // Not a poker program: never looked at.
    ProgramWindow other(program(QStringLiteral("notes")), QStringLiteral("Omaha notes"), 80);

    TableNotifier notifier;
    QSignalSpy tables(&notifier, &TableNotifier::newTable);
    QSignalSpy gone(&notifier, &TableNotifier::destroyed);
    notifier.start();
    QCOMPARE(reported(tables), QList<WindowId>{early.id()});
    QVERIFY(notifier.tableDetection(early.id()));
    QCOMPARE(notifier.tableDetection(early.id())->exeName(), QStringLiteral("PokerStars.exe"));

    // New windows: a lobby is rejected, a welcome screen waits, a table is reported.
    ProgramWindow lobby(stars, QStringLiteral("PokerStars Lobby"), 120);
    ProgramWindow welcome(stars, QStringLiteral("Welcome"), 160);
    ProgramWindow table(stars, QStringLiteral("Table 3 - Omaha hi-lo"), 200);
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
    ProgramWindow unchecked(party, QStringLiteral("Table 6 - NLH"), 240);
    // A window created after it, of a program still checked: once it is reported, the
    // first has been handled too.
    ProgramWindow checked(everest, QStringLiteral("Table 7 - NLH"), 280);
    QTRY_VERIFY_WITH_TIMEOUT(reported(tables).contains(checked.id()), kPatienceMs);
    QCOMPARE(reported(tables), QList<WindowId>{checked.id()});
}

BC_XSESSION_TEST_MAIN(TestTableNotifier)
#include "tst_tablenotifier.moc"
