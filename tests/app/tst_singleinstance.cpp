#include "SingleApplication.h"

#include <QDir>
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
};

std::unique_ptr<QProcess> startProgram(const Session &session)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(session.environment());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QStringLiteral(BRINDLECAST_BINARY), QStringList{});
    return process;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondObjectDeliversAnyText();
    void notRunningSendsNothing();
    void secondProgramExitsAndFirstReceives();
    void staleLockOfKilledProgram();
};

void TestSingleInstance::secondObjectDeliversAnyText()
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

void TestSingleInstance::notRunningSendsNothing()
{
    SingleApplication only(QStringLiteral("test-alone-%1").arg(QCoreApplication::applicationPid()));
    QVERIFY(!only.isRunning());
    QVERIFY(!only.sendMessage(QStringLiteral("activate")));
}

void TestSingleInstance::secondProgramExitsAndFirstReceives()
{
    Session session;
    auto first = startProgram(session);
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(session.log().contains(QStringLiteral("main # ")), 20000);
    // The first record of a run is its version line.
    QVERIFY2(session.log().section(QStringLiteral("\r\n"), 0, 0).contains(QStringLiteral(
                     "[INFO]  Brindlecast_VERSION_STRING: 1.3.4; revision: 2936; server: ")),
             qPrintable(session.log()));

    auto second = startProgram(session);
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(session.log().contains(QStringLiteral("Message from another instance: activate")), 10000);
    // The second start wrote nothing of its own to the log.
    QCOMPARE(session.log().count(QStringLiteral("VERSION_STRING")), 1);
    QCOMPARE(first->state(), QProcess::Running);

    // SIGTERM (a logout or kill) runs the orderly quit.
    first->terminate();
    QVERIFY(first->waitForFinished(10000));
    QCOMPARE(first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(first->exitCode(), 0);
    QVERIFY(session.log().contains(QStringLiteral("Event loop ended")));
    QVERIFY(session.log().contains(QStringLiteral("Start-up body finished")));
}

void TestSingleInstance::staleLockOfKilledProgram()
{
    Session session;
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
    QTest::qWait(300);
    QCOMPARE(next->state(), QProcess::Running);

    auto third = startProgram(session);
    QVERIFY(third->waitForFinished(10000));
    QCOMPARE(third->exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(session.log().contains(QStringLiteral("Message from another instance: activate")), 10000);

    next->terminate();
    QVERIFY(next->waitForFinished(10000));
    QCOMPARE(next->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
