#include "library/JsonReader.h"
#include "net/HttpConnection.h"
#include "net/LoginRequests.h"
#include "net/Reports.h"
#include "tests/support/Requests.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestFiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QNetworkCookieJar>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/socket.h>

namespace {

constexpr int kPatienceMs = ServiceProcess::kPatienceMs;

// The service, and its database read beside it.
struct Service : ServiceProcess
{
    // The first column of the first row of sql, run on the service's database beside it.
    QString sql(const QString &statement) const
    {
        sqlite3 *db = nullptr;
        sqlite3_stmt *query = nullptr;
        QString value;
        if (sqlite3_open(file(QStringLiteral("service.db")).toUtf8().constData(), &db) == SQLITE_OK) {
            sqlite3_busy_timeout(db, kPatienceMs);
            if (sqlite3_prepare_v2(db, statement.toUtf8().constData(), -1, &query, nullptr) == SQLITE_OK
                && sqlite3_step(query) == SQLITE_ROW)
                value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 0)));
        }
        sqlite3_finalize(query);
        sqlite3_close(db);
        return value;
    }
};

QByteArray loginForm(const QString &password)
{
    const QByteArray digest = QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex();
    return formBody({{QStringLiteral("form_name"), QStringLiteral("Form_login")},
                     {QStringLiteral("password"), QString::fromLatin1(digest)},
                     {QStringLiteral("login"), QStringLiteral("demo@brindlecast.local")},
                     {QStringLiteral("version"), QStringLiteral("1.3.4")}});
}

QMap<QString, QString> cookies(const QString &url)
{
    QMap<QString, QString> map;
    for (const QNetworkCookie &cookie : HttpConnection::instance()->manager()->cookieJar()->cookiesForUrl(QUrl(url)))
        map.insert(QString::fromLatin1(cookie.name()), QString::fromLatin1(cookie.value()));
    return map;
}

// Logs the demo user in; the session token, empty when refused.
QString logIn(const Service &service, const QString &password = QStringLiteral("demo"))
{
    const QString url = service.url(QStringLiteral("/auth/login"));
    if (runToEnd(new Post(url, loginForm(password))).errors.failed())
        return QString();
    return cookies(url).value(QStringLiteral("session"));
}

// The program's login, run to its end.
struct Login
{
    bc_ret errors;
    UserInfoSptr info;

    Login(const QString &email, const QString &digest)
    {
        auto *request = new LoginRequest(email, digest);
        bool done = false;
        QObject::connect(request, &LoginRequest::replyParsed, request, [this, &done](const bc_ret &e, const UserInfoSptr &i) {
            errors = e;
            info = i;
            done = true;
        });
        HttpConnection::post(request, 0, 0);
        if (!QTest::qWaitFor([&done] { return done; }, kPatienceMs))
            errors = bc_ret(QStringLiteral("no reply"));
    }
};

QVariantMap jsonMap(const QByteArray &text)
{
    bool parsed = false;
    const QVariantMap map = parseJson(QString::fromUtf8(text), parsed).toMap();
    return parsed ? map : QVariantMap{{QStringLiteral("unparsed"), QString::fromUtf8(text)}};
}

// Sends bytes on a connection of their own and returns all the service answers until
// it closes. halfClose ends a body that has no length by ending the stream.
QByteArray exchange(int port, const QByteArray &request, bool halfClose = false)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(kPatienceMs))
        return QByteArray();
    socket.write(request);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(kPatienceMs)) {
    }
    if (halfClose)
        ::shutdown(int(socket.socketDescriptor()), SHUT_WR);
    QByteArray answer;
    while (socket.waitForReadyRead(kPatienceMs))
        answer += socket.readAll();
    return answer + socket.readAll();
}

// An upload sent by hand: its head at once, its video when told.
struct HeldUpload
{
    static constexpr qsizetype kVideoSize = 64 * 1024;
    QTcpSocket socket;
    QByteArray answer;

    static QByteArray body(const QByteArray &title = "held")
    {
        return "--b\r\nContent-Disposition: form-data; name=\"sfile\"; filename=\"v.flv\"\r\n\r\n" + QByteArray(kVideoSize, 'v')
               + "\r\n--b\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\n" + title + "\r\n--b--\r\n";
    }
    // Sends the head and the first bytes of the video; false when that failed.
    bool begin(int port, const QString &session, const QByteArray &extraHeaders = QByteArray())
    {
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (!socket.waitForConnected(kPatienceMs))
            return false;
        socket.write("POST /video/upload HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: session=" + session.toLatin1()
                     + "\r\nContent-Type: multipart/form-data; boundary=b\r\nContent-Length: "
                     + QByteArray::number(body().size()) + "\r\n" + extraHeaders + "\r\n");
        if (extraHeaders.isEmpty())
            socket.write(body().left(1000));
        return socket.waitForBytesWritten(kPatienceMs);
    }
    // Still going: nothing answered, the connection open.
    bool pending()
    {
        answer += socket.readAll();
        return answer.isEmpty() && socket.state() == QAbstractSocket::ConnectedState;
    }
    // Sends the rest and reads the answer to its end.
    QByteArray finish()
    {
        socket.write(body().mid(1000));
        while (socket.waitForReadyRead(kPatienceMs))
            answer += socket.readAll();
        return answer;
    }
};

} // namespace

class TestService : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listensBeforeItSaysSo();
    void commandLine();
    void updateCheckCodes();
    void loginSetsTheSession();
    void programLogsInAndOut();
    void sessionsEnd();
    void reportsAreKeptAsSent();
    void largeUploadIsStreamed();
    void uploadLimitHoldsForEveryBody();
    void formsNeedALength();
    void refusalsComeBeforeTheVideo();
    void slowUploadsLeaveRoomForLogins();
    void unfinishedUploadsAreRemoved();
    void namesAndTextsAreChecked();
    void dataIsOwnerOnly();

private:
    std::unique_ptr<HttpConnection> m_connection;
};

void TestService::init()
{
    m_connection = std::make_unique<HttpConnection>();
}

void TestService::cleanup()
{
    m_connection.reset();
}

void TestService::listensBeforeItSaysSo()
{
    // The ready line names the port it chose, and the first request is answered.
    Service service;
    QVERIFY(service.start());
    QVERIFY(service.port > 0);
    const Outcome check = runToEnd(new Post(service.url(QStringLiteral("/soft/check")), "version=1.3.4"));
    QVERIFY2(check.errors.ok(), qPrintable(check.errors.details(QStringLiteral(": "))));
    QCOMPARE(jsonMap(check.body).value(QStringLiteral("code")).toInt(), 1);
    QCOMPARE(jsonMap(check.body).value(QStringLiteral("url")).toString(), service.url(QStringLiteral("/soft")));

    // A taken port ends the service before it claims to be ready.
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost));
    for (const QString &port : {QString::number(taken.serverPort()), QStringLiteral("65536"), QStringLiteral("-1"),
                                QStringLiteral("eighty")}) {
        Service refused;
        QVERIFY(!refused.start({QStringLiteral("--port"), port}));
        QVERIFY(refused.process.state() == QProcess::NotRunning || refused.process.waitForFinished(kPatienceMs));
        QCOMPARE(refused.process.exitCode(), 1);
        QVERIFY2(refused.output.contains("port"), refused.output.constData());
    }
}

void TestService::commandLine()
{
    // Help and version need no data folder; the version is the program's.
    QProcess help;
    help.start(QStringLiteral(SERVICE), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(kPatienceMs));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray options = help.readAllStandardOutput();
    for (const char *option : {"--address", "--port", "--public-url", "--data", "--version"})
        QVERIFY2(options.contains(option), option);
    QProcess version;
    version.start(QStringLiteral(SERVICE), {QStringLiteral("--version")});
    QVERIFY(version.waitForFinished(kPatienceMs));
    QCOMPARE(version.readAllStandardOutput().trimmed(), QByteArray("brindlecast-service " BC_VERSION));

    // Hosted for a group under another name: its update answers name that one.
    Service hosted;
    QVERIFY(hosted.start({QStringLiteral("--public-url"), QStringLiteral("http://poker.example:9000/")}));
    const QVariantMap check = jsonMap(runToEnd(new Post(hosted.url(QStringLiteral("/soft/check")), "version=1.3.4")).body);
    QCOMPARE(check.value(QStringLiteral("url")).toString(), QStringLiteral("http://poker.example:9000/soft"));
    // Listening on every network, it names the address each program reached it at.
    Service everywhere;
    QVERIFY(everywhere.start({QStringLiteral("--address"), QStringLiteral("0.0.0.0")}));
    const QVariantMap reached = jsonMap(runToEnd(new Post(everywhere.url(QStringLiteral("/soft/check")), "version=1.3.4")).body);
    QCOMPARE(reached.value(QStringLiteral("url")).toString(), everywhere.url(QStringLiteral("/soft")));
    // An address that is not this machine's is refused in words.
    Service elsewhere;
    QVERIFY(!elsewhere.start({QStringLiteral("--address"), QStringLiteral("192.0.2.1")}));
    QVERIFY(elsewhere.process.state() == QProcess::NotRunning || elsewhere.process.waitForFinished(kPatienceMs));
    QVERIFY2(elsewhere.output.contains("cannot listen on 192.0.2.1"), elsewhere.output.constData());
}

void TestService::updateCheckCodes()
{
    QTemporaryDir dir;
    const QString installer = dir.filePath(QStringLiteral("brindlecast-1.3.5.run"));
    QVERIFY(QFile(installer).open(QIODevice::WriteOnly));
    Service withUpdate, withPage;
    QVERIFY(withUpdate.start({QStringLiteral("--installer"), installer}));
    QVERIFY(withPage.start({QStringLiteral("--new-version-page"), QStringLiteral("http://example.invalid/new")}));
    const QVariantMap update = jsonMap(runToEnd(new Post(withUpdate.url(QStringLiteral("/soft/check")), "version=1.3.4")).body);
    QCOMPARE(update.value(QStringLiteral("code")).toInt(), 2);
    QCOMPARE(update.value(QStringLiteral("url")).toString(), withUpdate.url(QStringLiteral("/files/brindlecast-1.3.5.run")));
    const QVariantMap page = jsonMap(runToEnd(new Post(withPage.url(QStringLiteral("/soft/check")), "version=1.3.4")).body);
    QCOMPARE(page.value(QStringLiteral("code")).toInt(), 3);
    QCOMPARE(page.value(QStringLiteral("url")).toString(), QStringLiteral("http://example.invalid/new"));
}

void TestService::loginSetsTheSession()
{
    Service service;
    QVERIFY(service.start());
    const QString rooms = service.url(QStringLiteral("/soft/listtablesuser"));
    QVERIFY(logIn(service, QStringLiteral("wrong")).isEmpty());
    QCOMPARE(cookies(service.url(QStringLiteral("/"))).value(QStringLiteral("errors")), QStringLiteral("Wrong+e-mail+or+password"));
    QCOMPARE(runToEnd(new Post(rooms, QByteArray())).status, 403);

    QVERIFY(logIn(service).size() >= 32);
    const QMap<QString, QString> jar = cookies(service.url(QStringLiteral("/")));
    QCOMPARE(jar.value(QStringLiteral("username")), QStringLiteral("demo"));
    QCOMPARE(jar.value(QStringLiteral("language")), QStringLiteral("en"));
    QCOMPARE(runToEnd(new Post(rooms, QByteArray())).body, QByteArray("[12,45]"));
    QVERIFY(runToEnd(new Post(service.url(QStringLiteral("/soft/params")), "param={\"auto_start\":1}")).errors.ok());
}

void TestService::programLogsInAndOut()
{
    Service service;
    QVERIFY(service.start());
    // A user whose password is not ASCII: the service holds the digest of its UTF-8 bytes.
    QVERIFY(service.addUser(QStringLiteral("zoe@brindlecast.local"), QStringLiteral("pässwörd"), QStringLiteral("zoé")));
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());

    QCOMPARE(passwordDigest(QStringLiteral("pässwörd")), QStringLiteral("12841e4ba5e37d2fbfc78458c6714ade"));
    const Login zoe(QStringLiteral("  zoe@brindlecast.local "), passwordDigest(QStringLiteral("pässwörd")));
    QVERIFY2(zoe.errors.ok() && zoe.info, qPrintable(zoe.errors.details(QStringLiteral(": "))));
    QCOMPARE(zoe.info->email, QStringLiteral("zoe@brindlecast.local"));
    QCOMPARE(zoe.info->username, QStringLiteral("zoé"));
    QVERIFY(!cookies(service.url(QStringLiteral("/"))).value(QStringLiteral("session")).isEmpty());

    // A refusal shows the service's words; the earlier session's cookie is gone.
    const Login wrong(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("Demo")));
    QVERIFY(!wrong.info);
    QCOMPARE(wrong.errors.messages(QStringLiteral(": ")),
             QStringLiteral("Wrong e-mail or password"));
    QVERIFY(cookies(service.url(QStringLiteral("/"))).value(QStringLiteral("session")).isEmpty());

    const Login demo(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
    QVERIFY(demo.errors.ok() && demo.info);
    QCOMPARE(demo.info->language, QStringLiteral("en"));
    const QString rooms = service.url(QStringLiteral("/soft/listtablesuser"));
    QCOMPARE(runToEnd(new Post(rooms, QByteArray())).status, 200);
    auto *logout = new LogoutRequest;
    QSignalSpy loggedOut(logout, &LogoutRequest::logOutDone);
    HttpConnection::post(logout, 0, 2);
    QVERIFY(loggedOut.wait(kPatienceMs));
    QCOMPARE(runToEnd(new Post(rooms, QByteArray())).status, 403);
}

void TestService::sessionsEnd()
{
    Service service;
    QVERIFY(service.start());
    const QString rooms = service.url(QStringLiteral("/soft/listtablesuser"));
    const QString token = logIn(service);
    QVERIFY(!token.isEmpty());
    const QString used = QStringLiteral("SELECT used FROM sessions WHERE token = '%1'").arg(token);
    auto setLastUse = [&](qint64 daysAgo) {
        service.sql(QStringLiteral("UPDATE sessions SET used = %1 WHERE token = '%2'")
                            .arg(QDateTime::currentSecsSinceEpoch() - daysAgo * 24 * 3600)
                            .arg(token));
    };

    // Used 29 days ago: still good, and this use counts from now.
    setLastUse(29);
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    QCOMPARE(runToEnd(new Post(rooms, QByteArray())).status, 200);
    QVERIFY(service.sql(used).toLongLong() >= before);
    // Unused for 31 days: over, and gone from the database.
    setLastUse(31);
    QCOMPARE(runToEnd(new Post(rooms, QByteArray())).status, 403);
    QCOMPARE(service.sql(used), QString());

    // Sessions nobody shows again are swept out as well.
    service.sql(QStringLiteral("INSERT INTO sessions VALUES ('old', 'demo@brindlecast.local', 0, %1)")
                        .arg(QDateTime::currentSecsSinceEpoch() - 31 * 24 * 3600));
    QCOMPARE(service.sql(QStringLiteral("SELECT COUNT(*) FROM sessions WHERE token = 'old'")), QStringLiteral("1"));
    service.stop();
    QVERIFY(service.start());
    QCOMPARE(service.sql(QStringLiteral("SELECT COUNT(*) FROM sessions WHERE token = 'old'")), QStringLiteral("0"));

    const QString next = logIn(service);
    QVERIFY(!next.isEmpty());
    QVERIFY(runToEnd(new Post(service.url(QStringLiteral("/auth/logout")), QByteArray())).errors.ok());
    QCOMPARE(service.sql(QStringLiteral("SELECT COUNT(*) FROM sessions WHERE token = '%1'").arg(next)), QStringLiteral("0"));
}

void TestService::reportsAreKeptAsSent()
{
    Service service;
    QVERIFY(service.start());
    QVERIFY(service.addUser(QStringLiteral("zoe@brindlecast.local"), QStringLiteral("zoe"), QStringLiteral("zoe")));
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    const Login demo(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
    QVERIFY(demo.errors.ok() && demo.info);
    // The reports say nothing back: they are over when the framework deletes them.
    auto sent = [](HttpPostRequest *request) {
        QSignalSpy gone(request, &QObject::destroyed);
        HttpConnection::post(request, 0, 0);
        return gone.wait(kPatienceMs);
    };
    QVERIFY(sent(newAutostartReport(true)));
    QVERIFY(sent(newActivityReport(
            Activity{12, QStringLiteral("Pokerstädt"), QStringLiteral("NLH 0.5/1 & friends"), QStringLiteral("C:/Poker/room.exe")})));
    // Bytes that are not text are kept as they came too.
    QVERIFY(runToEnd(new Post(service.url(QStringLiteral("/soft/params")), "param=\xff\xfe")).errors.ok());

    const QString body = QStringLiteral("SELECT body FROM reports WHERE kind = '/soft/%1' ORDER BY rowid");
    QCOMPARE(service.sql(body.arg(QLatin1String("params"))), QStringLiteral("param={\"auto_start\":1}"));
    QCOMPARE(service.sql(body.arg(QLatin1String("activity"))),
             QStringLiteral("roomId=12&roomName=Pokerst%C3%A4dt&tableTitle=NLH%200.5%2F1%20%26%20friends&exePath=C%3A%2FPoker%2Froom.exe"));
    QCOMPARE(service.sql(QStringLiteral("SELECT hex(body) FROM reports ORDER BY rowid DESC")), QStringLiteral("706172616D3DFFFE"));

    // The user's own page shows them decoded; another user's shows none, no session no page.
    const QByteArray get = "GET /account/reports HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const QByteArray session = "Cookie: session=" + cookies(service.url(QStringLiteral("/"))).value(QStringLiteral("session")).toLatin1();
    const QString page = QString::fromUtf8(exchange(service.port, get + session + "\r\n\r\n"));
    QVERIFY2(page.startsWith(QLatin1String("HTTP/1.1 200")), qPrintable(page.left(200)));
    for (const char *shown : {"Room 12: Pokerstädt", "Table: NLH 0.5/1 &amp; friends", "Program: C:/Poker/room.exe", "auto_start: 1"})
        QVERIFY2(page.contains(QString::fromUtf8(shown)), shown);
    const Login zoe(QStringLiteral("zoe@brindlecast.local"), passwordDigest(QStringLiteral("zoe")));
    QVERIFY(zoe.errors.ok() && zoe.info);
    const QByteArray zoeSession = "Cookie: session=" + cookies(service.url(QStringLiteral("/"))).value(QStringLiteral("session")).toLatin1();
    QVERIFY(QString::fromUtf8(exchange(service.port, get + zoeSession + "\r\n\r\n")).contains(QLatin1String("No reports yet.")));
    QVERIFY(exchange(service.port, get + "\r\n").startsWith("HTTP/1.1 403"));
}

void TestService::largeUploadIsStreamed()
{
    Service service;
    QVERIFY(service.start());
    QTemporaryDir dir;
    const QString video = dir.filePath(QStringLiteral("hand.flv"));
    QFile file(video);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray chunk(1 << 20, 'v');
    for (int i = 0; i < 50; ++i)
        QCOMPARE(file.write(chunk), chunk.size());
    file.close();

    // Without a session the service says why.
    const QString upload = service.url(QStringLiteral("/video/upload"));
    const QString small = dir.filePath(QStringLiteral("small.flv"));
    QVERIFY(QFile(small).open(QIODevice::WriteOnly) && QFile::resize(small, 1000));
    QCOMPARE(jsonMap(runToEnd(new Upload(upload, small)).body).value(QStringLiteral("error")).toString(),
             QStringLiteral("Please log in first"));
    // The program asks first: the refusal comes before any of the video is sent.
    auto *unread = new Upload(upload, video);
    QSignalSpy progress(unread, &HttpPostRequest::uploadProgress);
    QCOMPARE(jsonMap(runToEnd(unread).body).value(QStringLiteral("error")).toString(), QStringLiteral("Please log in first"));
    QCOMPARE(progress.size(), 0);

    QVERIFY(!logIn(service).isEmpty());
    const qint64 before = service.peakMemoryKiB();
    QVERIFY(before > 0);
    const QString title = QStringLiteral("He said \"all in\" \\ I folded {\"key\": 1}");
    const Outcome stored = runToEnd(new Upload(upload, video, title));
    QVERIFY2(stored.errors.ok(), qPrintable(stored.errors.details(QStringLiteral(": "))));
    const QVariantMap reply = jsonMap(stored.body);
    QVERIFY2(!reply.value(QStringLiteral("key")).toString().isEmpty(), stored.body.constData());
    QCOMPARE(reply.value(QStringLiteral("title")).toString(), title);
    // 50 MB went through while the service grew by far less.
    const qint64 growth = service.peakMemoryKiB() - before;
    QVERIFY2(growth < 20 * 1024, qPrintable(QString::number(growth)));
    const QFileInfoList files = QDir(service.file(QStringLiteral("uploads"))).entryInfoList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QCOMPARE(files.first().size(), qint64(50) << 20);
    QCOMPARE(files.first().permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}

void TestService::uploadLimitHoldsForEveryBody()
{
    Service service;
    QVERIFY(service.start({QStringLiteral("--max-upload-mb"), QStringLiteral("1")}));
    const QString token = logIn(service);
    QVERIFY(!token.isEmpty());
    const QByteArray head = "--XyZ\r\nContent-Disposition: form-data; name=\"sfile\"; filename=\"v.flv\"\r\n"
                            "Content-Type: application/octet-stream\r\n\r\n";
    const QByteArray tail = "\r\n--XyZ\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\nbig\r\n--XyZ--\r\n";
    const QByteArray body = head + QByteArray((1 << 20) + (64 << 10), 'v') + tail;
    const QByteArray headers = "POST /video/upload HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: session=" + token.toLatin1()
                               + "\r\nContent-Type: multipart/form-data; boundary=XyZ\r\n";
    QByteArray chunked;
    for (qsizetype at = 0; at < body.size(); at += 50000)
        chunked += QByteArray::number(qMin<qsizetype>(50000, body.size() - at), 16) + "\r\n" + body.mid(at, 50000) + "\r\n";
    chunked += "0\r\n\r\n";

    // Sent in chunks, or saying its size up front: refused, with the reason.
    for (const QByteArray &answer : {exchange(service.port, headers + "Transfer-Encoding: chunked\r\n\r\n" + chunked),
                                     exchange(service.port, headers + "Content-Length: " + QByteArray::number(5 << 20) + "\r\n\r\n")}) {
        QVERIFY2(answer.startsWith("HTTP/1.1 200"), answer.left(200).constData());
        QCOMPARE(jsonMap(answer.mid(answer.indexOf("\r\n\r\n") + 4)).value(QStringLiteral("error")).toString(),
                 QStringLiteral("The video is larger than 1 MB"));
    }
    // Without any length the body ends only with the stream, and the library answers
    // no half-closed connection: nothing to read back, but refused all the same.
    QVERIFY(!exchange(service.port, headers + "\r\n" + body, true).contains("key"));
    QCOMPARE(QDir(service.file(QStringLiteral("uploads"))).entryList(QDir::Files), QStringList());
    QCOMPARE(service.sql(QStringLiteral("SELECT COUNT(*) FROM videos")), QStringLiteral("0"));
}

void TestService::formsNeedALength()
{
    Service service;
    QVERIFY(service.start());
    // A chunked form could be of any size, and one without a length would be read to
    // the end of the connection: both refused before they are read.
    const QByteArray start = "POST /soft/params HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    QVERIFY(exchange(service.port, start + "Transfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\n").startsWith("HTTP/1.1 411"));
    QVERIFY(exchange(service.port, start + "\r\n").startsWith("HTTP/1.1 411"));
    // A form far larger than any the program sends (refused unread, so the answer may
    // be lost to the reset of the connection closed under it).
    QVERIFY(runToEnd(new Post(service.url(QStringLiteral("/auth/login")), QByteArray(200 * 1024, 'x'))).errors.failed());
    // The service is still there.
    QVERIFY(runToEnd(new Post(service.url(QStringLiteral("/soft/check")), "version=1.3.4")).errors.ok());
}

void TestService::refusalsComeBeforeTheVideo()
{
    Service service;
    QVERIFY(service.start({QStringLiteral("--max-upload-mb"), QStringLiteral("1")}));
    const QString token = logIn(service);
    QVERIFY(!token.isEmpty());
    // A client that asks first is answered from the head alone, before any byte of the video.
    const auto asked = [&](const QString &session, qint64 length) {
        return exchange(service.port, "POST /video/upload HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: session=" + session.toLatin1()
                                              + "\r\nContent-Type: multipart/form-data; boundary=b\r\nContent-Length: "
                                              + QByteArray::number(length) + "\r\nExpect: 100-continue\r\n\r\n");
    };
    const auto reason = [](const QByteArray &answer) {
        return jsonMap(answer.mid(answer.indexOf("\r\n\r\n") + 4)).value(QStringLiteral("error")).toString();
    };
    const QByteArray noSession = asked(QStringLiteral("0000"), 50 << 20);
    QVERIFY2(noSession.startsWith("HTTP/1.1 200"), noSession.constData());
    QCOMPARE(reason(noSession), QStringLiteral("Please log in first"));
    QCOMPARE(reason(asked(token, 50 << 20)), QStringLiteral("The video is larger than 1 MB"));

    // One that may come is told to go on, and then taken.
    HeldUpload upload;
    QVERIFY(upload.begin(service.port, token, "Expect: 100-continue\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT((upload.answer += upload.socket.readAll()).contains("\r\n\r\n"), kPatienceMs);
    QVERIFY2(upload.answer.startsWith("HTTP/1.1 100 Continue\r\n\r\n"), upload.answer.constData());
    upload.answer.clear();
    upload.socket.write(upload.body().left(1000));
    QVERIFY2(upload.finish().contains("\"key\""), upload.answer.constData());
}

void TestService::slowUploadsLeaveRoomForLogins()
{
    Service service;
    QVERIFY(service.start());
    const QString token = logIn(service);
    QVERIFY(!token.isEmpty());
    // As many uploads as the service takes at once, each stalled after its first bytes.
    std::vector<std::unique_ptr<HeldUpload>> uploads;
    for (int i = 0; i < 16; ++i) {
        uploads.push_back(std::make_unique<HeldUpload>());
        QVERIFY(uploads.back()->begin(service.port, token));
    }
    // A login is answered while every one of them is still waiting for its video.
    QVERIFY(!logIn(service).isEmpty());
    for (const auto &upload : uploads)
        QVERIFY2(upload->pending(), upload->answer.constData());
    // One more upload is told to come back later, not left waiting.
    HeldUpload extra;
    QVERIFY(extra.begin(service.port, token));
    const QByteArray busy = extra.finish();
    QVERIFY2(busy.startsWith("HTTP/1.1 503"), busy.constData());
    QVERIFY(busy.contains("Retry-After"));
    for (const auto &upload : uploads)
        QVERIFY2(upload->finish().contains("\"key\""), upload->answer.constData());
    QCOMPARE(service.sql(QStringLiteral("SELECT COUNT(*) FROM videos")), QStringLiteral("16"));
}

void TestService::unfinishedUploadsAreRemoved()
{
    Service service;
    QVERIFY(service.start());
    const QString token = logIn(service);
    QVERIFY(!token.isEmpty());
    HeldUpload kept;
    QVERIFY(kept.begin(service.port, token));
    QVERIFY(kept.finish().contains("\"key\""));
    const QDir uploads(service.file(QStringLiteral("uploads")));
    const QStringList stored = uploads.entryList(QDir::Files);
    QCOMPARE(stored.size(), 1);

    // The service dies in the middle of an upload: the part written so far is not a video.
    HeldUpload cut;
    QVERIFY(cut.begin(service.port, token));
    QTRY_COMPARE_WITH_TIMEOUT(uploads.entryList({QStringLiteral("*.part")}, QDir::Files).size(), 1, kPatienceMs);
    service.process.kill();
    QVERIFY(service.process.waitForFinished(kPatienceMs));
    // And a file no video names, as an older version could leave one.
    QVERIFY(writeAll(uploads.filePath(QStringLiteral("0123.flv")), "partial"));

    QVERIFY(service.start());
    QVERIFY2(service.output.contains("removed 2 unfinished uploads"), service.output.constData());
    QCOMPARE(uploads.entryList(QDir::Files), stored);
}

void TestService::namesAndTextsAreChecked()
{
    Service service;
    QVERIFY(service.start());
    const QString token = logIn(service);
    QVERIFY(!token.isEmpty());
    const auto reason = [&](const QByteArray &body) {
        const QByteArray answer = exchange(service.port, "POST /video/upload HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: session="
                                                                 + token.toLatin1()
                                                                 + "\r\nContent-Type: multipart/form-data; boundary=b\r\n"
                                                                   "Content-Length: "
                                                                 + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        return jsonMap(answer.mid(answer.indexOf("\r\n\r\n") + 4)).value(QStringLiteral("error")).toString();
    };
    QCOMPARE(reason(HeldUpload::body("Aces \xff\xfe up")), QStringLiteral("The title is not valid UTF-8 text"));
    QByteArray longName = HeldUpload::body();
    longName.replace("v.flv", QByteArray(100 * 1024, 'n'));
    QCOMPARE(reason(longName),
             QStringLiteral("The upload could not be read: it ended early, or a file or field name in it is longer than 8 KB"));
    // Text that is UTF-8 is kept as it came.
    QCOMPARE(reason(HeldUpload::body("Pokerstädt \xe2\x99\xa0")), QString());
    QCOMPARE(service.sql(QStringLiteral("SELECT title FROM videos")), QStringLiteral("Pokerstädt ♠"));
    QCOMPARE(service.sql(QStringLiteral("SELECT COUNT(*) FROM videos")), QStringLiteral("1"));
    QCOMPARE(QDir(service.file(QStringLiteral("uploads"))).entryList(QDir::Files).size(), 1);
}

void TestService::dataIsOwnerOnly()
{
    Service service;
    auto open = [&](const QString &name) {
        return QFile::permissions(service.file(name))
               & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
    };
    const QStringList names{QString(), QStringLiteral("uploads"), QStringLiteral("service.db")};
    QVERIFY(service.start());
    for (const QString &name : names)
        QCOMPARE(open(name), QFile::Permissions());

    // Made owner-only again when an earlier start left them open to others.
    service.stop();
    for (const QString &name : names)
        QVERIFY(QFile::setPermissions(service.file(name), QFile::permissions(service.file(name)) | QFile::ReadOther));
    QVERIFY(service.start());
    for (const QString &name : names)
        QCOMPARE(open(name), QFile::Permissions());
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
