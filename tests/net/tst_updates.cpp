// The update requests against the bundled service, what their answers mean, the
// checks an installer must pass, and the replacement of a program file.
#include "net/HttpConnection.h"
#include "net/Updates.h"
#include "platform/ProgramFile.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestFiles.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

constexpr int kPatienceMs = ServiceProcess::kPatienceMs;
const QByteArray kScript = "#!/bin/sh\necho new version\n";

QByteArray ownElfHead()
{
    QFile self(QStringLiteral("/proc/self/exe"));
    return self.open(QIODevice::ReadOnly) ? self.read(64) : QByteArray();
}

bool writeProgram(const QString &path, const QByteArray &bytes)
{
    return writeAll(path, bytes)
           && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                  | QFile::ExeGroup);
}

} // namespace

class TestUpdates : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void answersOfTheCheck_data();
    void answersOfTheCheck();
    void announcedInstallerIsDownloaded();
    void onlyAPlainAnswerIsAnInstaller();
    void installerChecks();
    void programFileReplaced();
    void failedReplacementRestoresTheProgram();

private:
    HttpConnection m_connection;
};

void TestUpdates::initTestCase()
{
    registerResultMetaType();
}

void TestUpdates::answersOfTheCheck_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("reason");
    const QString page = QStringLiteral("http://127.0.0.1/soft");
    QTest::newRow("current") << QByteArray("{\"code\":1,\"url\":\"http://127.0.0.1/soft\"}") << 1 << page << QString();
    QTest::newRow("code as text") << QByteArray("{\"code\":\"3\",\"url\":\"http://127.0.0.1/soft\"}") << 3 << page << QString();
    QTest::newRow("empty url") << QByteArray("{\"code\":1,\"url\":\"\"}") << 0 << QString() << QString();
    QTest::newRow("invalid url") << QByteArray("{\"code\":2,\"url\":\"http://[::1\"}") << 0 << QString() << QString();
    QTest::newRow("unknown code") << QByteArray("{\"code\":9,\"url\":\"http://127.0.0.1/soft\"}") << 0 << page
                                  << QStringLiteral("Error exchange content: {\"code\":9,\"url\":\"http://127.0.0.1/soft\"}");
    QTest::newRow("not json") << QByteArray("<html>busy</html>") << 0 << QString()
                              << QStringLiteral("Error exchange format: HTTP status code (503): <html>busy</html>");
}

void TestUpdates::answersOfTheCheck()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QString, url);
    QFETCH(QString, reason);
    QString gotUrl;
    QString sha256;
    bc_ret errors;
    QCOMPARE(UpdateCheckRequest::parseReply(body, 503, gotUrl, sha256, errors), status);
    QCOMPARE(gotUrl, url);
    QCOMPARE(errors.messages(QStringLiteral(": ")), reason);
    QVERIFY(sha256.isNull());
}

void TestUpdates::announcedInstallerIsDownloaded()
{
    QTemporaryDir dir;
    const QString installer = dir.filePath(QStringLiteral("brindlecast-1.3.5"));
    QVERIFY(writeAll(installer, kScript));
    ServiceProcess service;
    QVERIFY(service.start({QStringLiteral("--installer"), installer}));
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());

    auto *check = new UpdateCheckRequest(service.url(QStringLiteral("/soft/check")));
    QSignalSpy checksum(check, &UpdateCheckRequest::checksumAnnounced);
    QSignalSpy checked(check, &UpdateCheckRequest::versionChecked);
    HttpConnection::post(check, 0, 0);
    QVERIFY(checked.wait(kPatienceMs));
    QCOMPARE(checked.first().at(0).toInt(), int(UpdateCheckRequest::InstallUpdate));
    QVERIFY(checked.first().at(1).value<bc_ret>().ok());
    const QString url = checked.first().at(2).toString();
    QCOMPARE(url, service.url(QStringLiteral("/files/brindlecast-1.3.5")));
    QCOMPARE(checksum.size(), 1);
    QCOMPARE(checksum.first().first().toString(),
             QString::fromLatin1(QCryptographicHash::hash(kScript, QCryptographicHash::Sha256).toHex()));

    auto *download = new UpdateDownloadRequest(url, checksum.first().first().toString());
    QSignalSpy done(download, &UpdateDownloadRequest::updateDownloadDone);
    HttpConnection::post(download, 0, 0);
    QVERIFY(done.wait(kPatienceMs));
    const QString path = done.first().at(0).toString();
    QVERIFY2(done.first().at(1).value<bc_ret>().ok(), qPrintable(done.first().at(1).value<bc_ret>().details(", ")));
    QCOMPARE(readAll(path), kScript);
    // Nobody else may change it before it is installed.
    QCOMPARE(QFileInfo(path).permissions() & (QFile::WriteGroup | QFile::WriteOther), QFile::Permissions());
    QFile::remove(path);

    // An address on another host is refused before anything is sent.
    auto *elsewhere = new UpdateDownloadRequest(QStringLiteral("http://localhost:%1/files/brindlecast-1.3.5").arg(service.port),
                                                QString());
    QSignalSpy refused(elsewhere, &UpdateDownloadRequest::updateDownloadDone);
    HttpConnection::post(elsewhere, 0, 0);
    QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 1, kPatienceMs);
    QVERIFY(refused.first().at(0).toString().isEmpty());
    QCOMPARE(refused.first().at(1).value<bc_ret>().messages(QString()), QStringLiteral("The update is not offered by 127.0.0.1."));

    // The same installer from a second service on another port of the same host.
    ServiceProcess second;
    QVERIFY(second.start({QStringLiteral("--installer"), installer}));
    auto *otherPort = new UpdateDownloadRequest(second.url(QStringLiteral("/files/brindlecast-1.3.5")),
                                                checksum.first().first().toString());
    QSignalSpy otherPortDone(otherPort, &UpdateDownloadRequest::updateDownloadDone);
    HttpConnection::post(otherPort, 0, 0);
    QTRY_COMPARE_WITH_TIMEOUT(otherPortDone.size(), 1, kPatienceMs);
    QVERIFY(otherPortDone.first().at(0).toString().isEmpty());
    QCOMPARE(otherPortDone.first().at(1).value<bc_ret>().messages(QString()),
             QStringLiteral("The update is not offered by 127.0.0.1."));
    qunsetenv("BRINDLECAST_SERVICE_URL");
}

void TestUpdates::onlyAPlainAnswerIsAnInstaller()
{
    // A redirect whose body is a perfect installer, checksum and all.
    QTcpServer peer;
    QVERIFY(peer.listen(QHostAddress::LocalHost));
    connect(&peer, &QTcpServer::newConnection, &peer, [&peer] {
        while (QTcpSocket *socket = peer.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                if (!socket->readAll().isEmpty())
                    socket->write("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nConnection: close\r\nContent-Length: "
                                  + QByteArray::number(kScript.size()) + "\r\n\r\n" + kScript);
            });
        }
    });
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(peer.serverPort());
    qputenv("BRINDLECAST_SERVICE_URL", base.toUtf8());
    auto *download = new UpdateDownloadRequest(base + QStringLiteral("/files/update"),
                                               QString::fromLatin1(QCryptographicHash::hash(kScript, QCryptographicHash::Sha256).toHex()));
    QSignalSpy done(download, &UpdateDownloadRequest::updateDownloadDone);
    HttpConnection::post(download, 0, 0);
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, kPatienceMs);
    QVERIFY(done.first().at(0).toString().isEmpty());
    QCOMPARE(done.first().at(1).value<bc_ret>().messages(QString()),
             QStringLiteral("The service answered with the HTTP status 302 instead of the update."));
    qunsetenv("BRINDLECAST_SERVICE_URL");
}

void TestUpdates::installerChecks()
{
    const QByteArray elf = ownElfHead() + QByteArray(200, 'x');
    const auto sumOf = [](const QByteArray &body) {
        return QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex());
    };
    QVERIFY(UpdateDownloadRequest::verifyInstaller(elf, sumOf(elf)).ok());
    QVERIFY(UpdateDownloadRequest::verifyInstaller(kScript, sumOf(kScript).toUpper()).ok());

    const auto reason = [](const QByteArray &body, const QString &sha256) {
        return UpdateDownloadRequest::verifyInstaller(body, sha256).messages(QString());
    };
    QCOMPARE(reason(QByteArray(), sumOf(QByteArray())), QStringLiteral("The downloaded update is empty."));
    QCOMPARE(reason(kScript + ' ', sumOf(kScript)), QStringLiteral("The downloaded update does not match its checksum."));
    // Without a checksum nothing is proven, however good the file looks.
    const QString unproven = QStringLiteral("The update was announced without a checksum, so it cannot be verified.");
    for (const QString &none : {QString(), QStringLiteral(""), QStringLiteral("  ")}) {
        QCOMPARE(reason(kScript, none), unproven);
        QCOMPARE(reason(elf, none), unproven);
    }
    // A checksum proves where it came from, not that it runs here.
    const QString notAProgram = QStringLiteral("The downloaded update is not a program for this computer.");
    QCOMPARE(reason("<html>Service busy</html>", sumOf("<html>Service busy</html>")), notAProgram);
    QByteArray otherMachine = elf;
    otherMachine[18] = char(otherMachine[18] ^ 0x55);
    QCOMPARE(reason(otherMachine, sumOf(otherMachine)), notAProgram);
    QByteArray otherClass = elf;
    otherClass[4] = char(otherClass[4] == 2 ? 1 : 2);
    QCOMPARE(reason(otherClass, sumOf(otherClass)), notAProgram);

    qputenv("BRINDLECAST_SERVICE_URL", "http://brindle.example:8470");
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("http://BRINDLE.example:8470/files/x")).ok());
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("http://brindle.example/files/x")).failed());
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("http://brindle.example:8471/files/x")).failed());
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("https://brindle.example:8470/files/x")).failed());
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("http://brindle.example.evil.net:8470/files/x")).failed());
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("/files/x")).failed());
    // A port said or left to the scheme is the same port.
    qputenv("BRINDLECAST_SERVICE_URL", "https://brindle.example");
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("https://brindle.example:443/files/x")).ok());
    QVERIFY(UpdateDownloadRequest::verifyAddress(QStringLiteral("https://brindle.example:80/files/x")).failed());
    qunsetenv("BRINDLECAST_SERVICE_URL");
}

void TestUpdates::programFileReplaced()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("brindlecast"));
    const QString download = dir.filePath(QStringLiteral("download"));
    QVERIFY(writeProgram(program, "old program"));
    QVERIFY(writeAll(download, kScript));
    const QFile::Permissions mode = QFileInfo(program).permissions();
    // The running program keeps reading its own copy.
    QFile running(program);
    QVERIFY(running.open(QIODevice::ReadOnly));

    const bc_ret result = desktop::replaceProgramFile(program, download, QStringLiteral("-backup"));
    QVERIFY2(result.ok(), qPrintable(result.details(QStringLiteral(", "))));
    QCOMPARE(readAll(program), kScript);
    QCOMPARE(QFileInfo(program).permissions(), mode);
    QCOMPARE(running.readAll(), QByteArray("old program"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("brindlecast")});

    QCOMPARE(desktop::absoluteProgramPath(program), QFileInfo(program).canonicalFilePath());
    QCOMPARE(desktop::absoluteProgramPath(QStringLiteral("sh")), QFileInfo(QStringLiteral("/bin/sh")).canonicalFilePath());
}

void TestUpdates::failedReplacementRestoresTheProgram()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("brindlecast"));
    QVERIFY(writeProgram(program, "old program"));
    // The new file cannot be put in place: the old one is back, nothing is left over.
    bc_ret result = desktop::replaceProgramFile(program, dir.filePath(QStringLiteral("gone")), QStringLiteral("-backup"));
    QVERIFY(result.failed());
    QVERIFY2(result.messages(QStringLiteral(", ")).startsWith(QStringLiteral("failed to move")),
             qPrintable(result.details(QStringLiteral(", "))));
    QCOMPARE(readAll(program), QByteArray("old program"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("brindlecast")});

    if (geteuid() == 0)
        QSKIP("The administrator may rename in a read-only folder");
    // No right to rename in the program's folder: nothing is touched.
    const QString download = dir.filePath(QStringLiteral("download"));
    QVERIFY(writeAll(download, kScript));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    result = desktop::replaceProgramFile(program, download, QStringLiteral("-backup"));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(result.failed());
    QVERIFY(result.messages(QStringLiteral(", ")).startsWith(QStringLiteral("failed to backup")));
    QCOMPARE(readAll(program), QByteArray("old program"));
    QCOMPARE(readAll(download), kScript);
}

QTEST_GUILESS_MAIN(TestUpdates)
#include "tst_updates.moc"
