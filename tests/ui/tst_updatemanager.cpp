// The update stage of the start-up against the bundled service announcing each kind
// of answer: what the user is shown, what is installed and what runs at exit.
#include "app/AppExit.h"
#include "app/PostExitCmd.h"
#include "tests/support/MessageBoxes.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/ShowCounter.h"
#include "tests/support/TestFiles.h"
#include "ui/UpdateManager.h"

#include <QCryptographicHash>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kNewProgram = "#!/bin/sh\necho 1.3.5\n";

// A program file to update, in a folder of its own.
struct Installation
{
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("brindlecast"));

    bool create()
    {
        return writeAll(program, "1.3.4") && QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
};

} // namespace

class TestUpdateManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void currentVersionContinues();
    void answersThatEndTheProgram_data();
    void answersThatEndTheProgram();
    void protocolErrorGoesOn();
    void unreachableServiceGoesOn();
    void updateInstalledAndRestarted();
    void refusedInstallers_data();
    void refusedInstallers();
    void failedReplacementAsksForRights();

private:
    bool startService(const QStringList &options);

    std::unique_ptr<ServiceProcess> m_service;
};

void TestUpdateManager::initTestCase()
{
    registerResultMetaType();
}

bool TestUpdateManager::startService(const QStringList &options)
{
    m_service = std::make_unique<ServiceProcess>();
    if (!m_service->start(options))
        return false;
    qputenv("BRINDLECAST_SERVICE_URL", m_service->url(QString()).toUtf8());
    return true;
}

void TestUpdateManager::currentVersionContinues()
{
    QVERIFY(startService({}));
    for (const QString &start : {QString(), QStringLiteral("autoLogin")}) {
        AppExit appExit;
        UpdateManager updates({QStringLiteral("brindlecast"), start}, m_service->url(QStringLiteral("/soft/check")));
        ShowCounter splash;
        updates.installEventFilter(&splash);
        updates.runStartupCheck();
        QVERIFY(updates.isUpToDate());
        QVERIFY(!appExit.hasCommand());
        QVERIFY(!updates.isVisible());
        // Started with the session, the splash never shows.
        QCOMPARE(splash.shown, start.isEmpty() ? 1 : 0);
    }
}

void TestUpdateManager::answersThatEndTheProgram_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QString>("shown");
    QTest::newRow("new version") << QStringList{QStringLiteral("--new-version-page"), QStringLiteral("http://get.example/new?a=1&b=2")}
                                 << QMessageBox::Ok
                                 << QStringLiteral("New version|A new version is available <a href=\"http://get.example/new?a=1&amp;b=2\">here</a>.");
    QTest::newRow("update declined") << QStringList{QStringLiteral("--check-reply"),
                                                    QStringLiteral("{\"code\":\"2\",\"url\":\"{base}/files/x\"}")}
                                     << QMessageBox::Cancel
                                     << QStringLiteral("New update|A new update is available, please click 'OK' to download and install it.");
}

void TestUpdateManager::answersThatEndTheProgram()
{
    QFETCH(QStringList, options);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QString, shown);
    QVERIFY(startService(options));
    Installation installation;
    QVERIFY(installation.create());
    AppExit appExit;
    UpdateManager updates({installation.program}, m_service->url(QStringLiteral("/soft/check")));
    MessageBoxAnswerer answerer(answer);
    updates.runStartupCheck();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen.first(), QString(shown).replace(QStringLiteral("{base}"), m_service->url(QString())));
    QVERIFY(!updates.isUpToDate());
    // The program ends, with nothing to run after it and nothing installed.
    QVERIFY(appExit.hasCommand());
    QCOMPARE(appExit.commandText(), QString());
    QCOMPARE(readAll(installation.program), QByteArray("1.3.4"));
}

void TestUpdateManager::protocolErrorGoesOn()
{
    QVERIFY(startService({QStringLiteral("--check-reply"), QStringLiteral("{\"code\":1,\"url\":\"\"}")}));
    Installation installation;
    QVERIFY(installation.create());
    AppExit appExit;
    UpdateManager updates({installation.program}, m_service->url(QStringLiteral("/soft/check")));
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    updates.runStartupCheck();
    const QString advice = QStringLiteral("This version goes on running. Please try again later or install the latest "
                                          "version from <a href=\"%1\">%1</a>.")
                                   .arg(m_service->url(QString()));
    QCOMPARE(answerer.seen, QStringList{QStringLiteral("Update error|Error in update protocol.<br>%1<br> Reason:<br>  ").arg(advice)});
    QVERIFY(updates.goesOn());
    QVERIFY(!appExit.hasCommand());
}

void TestUpdateManager::unreachableServiceGoesOn()
{
    // Nothing listens there: the check gives up after a few quick attempts.
    for (const QString &start : {QString(), QStringLiteral("autoLogin")}) {
        AppExit appExit;
        UpdateManager updates({QStringLiteral("brindlecast"), start}, QStringLiteral("http://127.0.0.1:1/soft/check"));
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        updates.runStartupCheck();
        QVERIFY(updates.goesOn());
        QVERIFY(!updates.isUpToDate());
        QVERIFY(!appExit.hasCommand());
        // Said on the splash, not in a box that holds up every start without a network.
        QVERIFY(answerer.seen.isEmpty());
        QCOMPARE(updates.status(),
                 QStringLiteral("The service cannot be reached: this version goes on, and the check is made again later."));
        QVERIFY(!updates.isVisible());
    }
}

void TestUpdateManager::updateInstalledAndRestarted()
{
    Installation installation;
    QVERIFY(installation.create());
    const QString installer = installation.dir.filePath(QStringLiteral("served/brindlecast-1.3.5"));
    QVERIFY(QDir().mkpath(QFileInfo(installer).path()));
    QVERIFY(writeAll(installer, kNewProgram));
    QVERIFY(startService({QStringLiteral("--installer"), installer}));

    AppExit appExit;
    UpdateManager updates({installation.program}, m_service->url(QStringLiteral("/soft/check")));
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    updates.runStartupCheck();
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(answerer.seen.first().startsWith(QStringLiteral("New update|")));
    QCOMPARE(readAll(installation.program), kNewProgram);
    // Still the user's program to run; the old file is gone.
    QVERIFY(QFileInfo(installation.program).isExecutable());
    QCOMPARE(installation.files(), QStringList{QStringLiteral("brindlecast")});
    QCOMPARE(updates.downloadProgressBar()->value(), updates.downloadProgressBar()->maximum());
    QCOMPARE(appExit.commandText(), RestartCmd::commandLineFor({QFileInfo(installation.program).canonicalFilePath()}));
}

void TestUpdateManager::refusedInstallers_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("reason");
    const QString sum = QString::fromLatin1(QCryptographicHash::hash(kNewProgram, QCryptographicHash::Sha256).toHex());
    QTest::newRow("another host") << kNewProgram
                                  << QStringLiteral("{\"code\":2,\"url\":\"http://brindle.example/files/update\",\"sha256\":\"%1\"}").arg(sum)
                                  << QStringLiteral("The update is not offered by 127.0.0.1.");
    QTest::newRow("another port") << kNewProgram
                                  << QStringLiteral("{\"code\":2,\"url\":\"http://127.0.0.1:1/files/update\",\"sha256\":\"%1\"}").arg(sum)
                                  << QStringLiteral("The update is not offered by 127.0.0.1.");
    const QString unproven = QStringLiteral("The update was announced without a checksum, so it cannot be verified.");
    QTest::newRow("no checksum") << kNewProgram << QStringLiteral("{\"code\":2,\"url\":\"{base}/files/update\"}") << unproven;
    QTest::newRow("null checksum") << kNewProgram
                                   << QStringLiteral("{\"code\":2,\"url\":\"{base}/files/update\",\"sha256\":null}") << unproven;
    QTest::newRow("empty checksum") << kNewProgram
                                    << QStringLiteral("{\"code\":2,\"url\":\"{base}/files/update\",\"sha256\":\"\"}") << unproven;
    QTest::newRow("empty") << QByteArray() << QString() << QStringLiteral("The downloaded update is empty.");
    QTest::newRow("checksum") << kNewProgram + "rm -rf ~\n"
                              << QStringLiteral("{\"code\":2,\"url\":\"{base}/files/update\",\"sha256\":\"%1\"}").arg(sum)
                              << QStringLiteral("The downloaded update does not match its checksum.");
    QTest::newRow("not a program") << QByteArray("<html>Maintenance</html>") << QString()
                                   << QStringLiteral("The downloaded update is not a program for this computer.");
}

void TestUpdateManager::refusedInstallers()
{
    QFETCH(QByteArray, served);
    QFETCH(QString, reply);
    QFETCH(QString, reason);
    Installation installation;
    QVERIFY(installation.create());
    const QString installer = installation.dir.filePath(QStringLiteral("served/update"));
    QVERIFY(QDir().mkpath(QFileInfo(installer).path()));
    QVERIFY(writeAll(installer, served));
    QStringList options{QStringLiteral("--installer"), installer};
    if (!reply.isEmpty())
        options << QStringLiteral("--check-reply") << reply;
    QVERIFY(startService(options));

    AppExit appExit;
    UpdateManager updates({installation.program}, m_service->url(QStringLiteral("/soft/check")));
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    updates.runStartupCheck();
    // The error box follows the offer.
    QCOMPARE(answerer.seen.size(), 2);
    QVERIFY(answerer.seen.first().startsWith(QStringLiteral("New update|")));
    const QString error = answerer.seen.last();
    QVERIFY2(error.startsWith(QStringLiteral("Update error|Error while downloading the update.<br>")), qPrintable(error));
    QVERIFY2(error.endsWith(QStringLiteral("Reason:<br>  ") + reason), qPrintable(error));
    QCOMPARE(readAll(installation.program), QByteArray("1.3.4"));
    QCOMPARE(installation.files(), QStringList{QStringLiteral("brindlecast")});
    // Told, and the program goes on with the version it has.
    QVERIFY(updates.goesOn());
    QVERIFY(!appExit.hasCommand());
}

void TestUpdateManager::failedReplacementAsksForRights()
{
    Installation installation;
    QVERIFY(installation.create());
    AppExit appExit;
    UpdateManager updates({installation.program}, QStringLiteral("http://127.0.0.1:1/soft/check"));
    // The downloaded file vanished before it could be put in place.
    const QString download = installation.dir.filePath(QStringLiteral("vanished"));
    updates.onUpdateDownloadDone(download, bc_ret());
    QCOMPARE(readAll(installation.program), QByteArray("1.3.4"));
    QCOMPARE(installation.files(), QStringList{QStringLiteral("brindlecast")});
    // At exit the program runs again with raised rights to install.
    QCOMPARE(appExit.commandText(), QStringLiteral("%1 updateMe \"%2\"").arg(updates.programPath(), download));
}

QTEST_MAIN(TestUpdateManager)
#include "tst_updatemanager.moc"
