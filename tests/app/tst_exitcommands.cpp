#include "AppExit.h"
#include "Paths.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"

namespace {

// Records that it ran, so the tests can see which command was kept and how often it ran.
class ProbeCmd : public PostExitCmd
{
public:
    ProbeCmd(QString name, QStringList *runs)
        : m_name(std::move(name))
        , m_runs(runs)
    {
    }
    QString commandText() const override { return m_name; }
    void execute(bc_ret &errors, QString &reason) override
    {
        m_runs->append(m_name);
        errors.add(QStringLiteral("probe"), 1, m_name);
        reason = QStringLiteral("reason of %1").arg(m_name);
    }

private:
    QString m_name;
    QStringList *m_runs;
};

// The environment variable PATH for the duration of a scope.
class PathOverride
{
public:
    explicit PathOverride(const QByteArray &value)
        : m_old(qgetenv("PATH"))
    {
        qputenv("PATH", value);
    }
    ~PathOverride() { qputenv("PATH", m_old); }

private:
    QByteArray m_old;
};

} // namespace

class TestExitCommands : public QObject
{
    Q_OBJECT
private slots:
    void firstCommandWinsAndRunsOnce();
    void restartStartsTheCommandLine();
    void updateAsksForRightsWhenPossible();
    void missingProgramsAreReported();
};

void TestExitCommands::firstCommandWinsAndRunsOnce()
{
    QStringList runs;
    AppExit appExit;
    QCOMPARE(AppExit::instance(), &appExit);
    QVERIFY(!appExit.hasCommand());
    QCOMPARE(appExit.commandText(), QString());

    appExit.setCommand(std::make_shared<ProbeCmd>(QStringLiteral("restart"), &runs));
    appExit.setCommand(std::make_shared<ProbeCmd>(QStringLiteral("nothing"), &runs));
    QVERIFY(appExit.hasCommand());
    QCOMPARE(appExit.commandText(), QStringLiteral("restart"));

    bc_ret errors;
    QString reason;
    appExit.execute(errors, reason);
    QCOMPARE(runs, QStringList{QStringLiteral("restart")});
    QCOMPARE(errors.messages(QString()), QStringLiteral("restart"));
    QCOMPARE(reason, QStringLiteral("reason of restart"));

    // Executed once: the command is gone afterwards.
    QVERIFY(!appExit.hasCommand());
    appExit.execute(errors, reason);
    QCOMPARE(runs.size(), 1);
}

void TestExitCommands::restartStartsTheCommandLine()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A program whose path has a blank, writing the arguments it got one per line.
    const QString program = dir.filePath(QStringLiteral("my program.sh"));
    const QString output = dir.filePath(QStringLiteral("args.txt"));
    QVERIFY(writeAll(program, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"%1.part\" && mv \"%1.part\" \"%1\"\n")
                                      .arg(output)
                                      .toUtf8()));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QString commandLine = RestartCmd::commandLineFor(
            {program, QStringLiteral("reLogin"), QStringLiteral("two words"), QStringLiteral("say \"hi\"")});
    RestartCmd cmd(commandLine);
    QCOMPARE(cmd.commandText(), commandLine);
    bc_ret errors;
    QString reason;
    cmd.execute(errors, reason);
    QVERIFY2(errors.ok(), qPrintable(errors.details(QStringLiteral(", "))));
    QCOMPARE(reason, QStringLiteral("Error while restarting."));
    QTRY_VERIFY(QFile::exists(output));
    QCOMPARE(readAll(output), QByteArray("reLogin\ntwo words\nsay \"hi\"\n"));
}

void TestExitCommands::updateAsksForRightsWhenPossible()
{
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    const UpdateCmd cmd(QStringLiteral("/opt/b/brindlecast"), QStringLiteral("updateMe \"/tmp/my update.run\""));
    const QStringList plain{QStringLiteral("/opt/b/brindlecast"), QStringLiteral("updateMe"),
                            QStringLiteral("/tmp/my update.run")};
    {
        PathOverride path(bin.path().toLocal8Bit());
        QCOMPARE(cmd.launchCommand(), plain);
    }
    // An elevation helper on the path is put in front of the program.
    const QString helper = bin.filePath(QStringLiteral("pkexec"));
    QVERIFY(writeAll(helper, "#!/bin/sh\nexit 0\n"));
    QVERIFY(QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    PathOverride path(bin.path().toLocal8Bit());
    QCOMPARE(cmd.launchCommand(), QStringList{helper} + plain);
}

void TestExitCommands::missingProgramsAreReported()
{
    QTemporaryDir bin;
    PathOverride path(bin.path().toLocal8Bit());
    bc_ret errors;
    QString reason;
    RestartCmd(bin.filePath(QStringLiteral("gone/brindlecast")) + QStringLiteral(" reLogin")).execute(errors, reason);
    QCOMPARE(errors.entries().size(), 1);
    QCOMPARE(errors.entries().first().context, QStringLiteral("QProcess::startDetached"));
    QVERIFY(!errors.entries().first().text.isEmpty());
    QCOMPARE(reason, QStringLiteral("Error while restarting."));
    errors = bc_ret();
    RestartCmd(QStringLiteral("   ")).execute(errors, reason);
    QVERIFY(errors.failed());

    errors = bc_ret();
    UpdateCmd(bin.filePath(QStringLiteral("missing-installer")), QStringLiteral("updateMe \"x\"")).execute(errors, reason);
    QCOMPARE(errors.entries().size(), 1);
    QCOMPARE(errors.entries().first().context, QStringLiteral("QProcess::startDetached"));
    QCOMPARE(reason, QStringLiteral("Error while installing the update, please try again later or install the "
                                    "latest version from <a href=\"%1\">%1</a>.")
                             .arg(serviceUrl()));
}

QTEST_GUILESS_MAIN(TestExitCommands)
#include "tst_exitcommands.moc"
