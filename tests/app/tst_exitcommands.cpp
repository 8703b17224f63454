#include "app/AppExit.h"
#include "app/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/TestFiles.h"

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
    void elevatedRunInstallsThenRestarts();
    void failedElevatedRunsAreReported();
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
    QCOMPARE(errors.entries().first().context, QStringLiteral("QProcess::start"));
    QCOMPARE(reason, QStringLiteral("Error while installing the update, please try again later or install the "
                                    "latest version from <a href=\"%1\">%1</a>.")
                             .arg(serviceUrl()));
}

namespace {

bool writeExecutable(const QString &path, const QByteArray &bytes)
{
    return writeAll(path, bytes)
           && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

// A copy of the real program in a folder of its own, to be updated, and a stand-in
// for the elevation helper on PATH.
struct Installation
{
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("brindlecast"));
    QString bin = dir.filePath(QStringLiteral("bin"));

    bool create(const QByteArray &helper)
    {
        return QFile::copy(QStringLiteral(BRINDLECAST_BINARY), program) && QDir().mkpath(bin)
               && writeExecutable(QDir(bin).filePath(QStringLiteral("pkexec")), helper);
    }
};

} // namespace

void TestExitCommands::elevatedRunInstallsThenRestarts()
{
    Installation installation;
    QVERIFY(installation.create("#!/bin/sh\necho \"$@\" > \"${0%/*}/asked\"\nexec \"$@\"\n"));
    const QString marker = installation.dir.filePath(QStringLiteral("restarted"));
    const QByteArray newProgram = "#!/bin/sh\necho \"restarted with $# arguments\" > '" + marker.toUtf8() + "'\n";
    const QString download = installation.dir.filePath(QStringLiteral("download"));
    QVERIFY(writeAll(download, newProgram));
    PathOverride path(installation.bin.toLocal8Bit());

    UpdateCmd cmd(installation.program, QStringLiteral("updateMe \"%1\"").arg(download));
    bc_ret errors;
    QString reason;
    cmd.execute(errors, reason);
    QVERIFY2(errors.ok(), qPrintable(errors.details(QStringLiteral(", "))));
    // The program asked for the rights with its absolute path, and replaced itself.
    QCOMPARE(readAll(installation.dir.filePath(QStringLiteral("bin/asked"))),
             QStringLiteral("%1 updateMe %2\n").arg(installation.program, download).toUtf8());
    QCOMPARE(readAll(installation.program), newProgram);
    QVERIFY(!QFile::exists(download));
    // Then the new version starts, with the user's own rights.
    QTRY_COMPARE(readAll(marker), QByteArray("restarted with 0 arguments\n"));
}

void TestExitCommands::failedElevatedRunsAreReported()
{
    const QString advice = QStringLiteral("Error while installing the update, please try again later");
    struct Case
    {
        QByteArray helper;
        QString why;
    };
    const QList<Case> cases{
            {"#!/bin/sh\nexit 126\n", QStringLiteral("The request for administrator rights was dismissed.")},
            {"#!/bin/sh\nexit 127\n", QStringLiteral("The administrator rights to install the update were refused.")},
            // The program itself fails: its own words reach the user.
            {"#!/bin/sh\nexec \"$@\"\n", QStringLiteral("failed to move")},
    };
    for (const Case &each : cases) {
        Installation installation;
        QVERIFY(installation.create(each.helper));
        const QByteArray original = readAll(installation.program);
        PathOverride path(installation.bin.toLocal8Bit());
        UpdateCmd cmd(installation.program, QStringLiteral("updateMe \"%1\"").arg(installation.dir.filePath(QStringLiteral("gone"))));
        bc_ret errors;
        QString reason;
        cmd.execute(errors, reason);
        const QString shown = AppExit::failureText(reason, errors);
        QVERIFY2(shown.startsWith(advice) && shown.contains(each.why), qPrintable(shown));
        QVERIFY(readAll(installation.program) == original);
    }
}

QTEST_GUILESS_MAIN(TestExitCommands)
#include "tst_exitcommands.moc"
