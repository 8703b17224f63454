#include "app/Paths.h"
#include "net/HttpConnection.h"
#include "net/LoginRequests.h"
#include "net/ProxyConfig.h"
#include "tests/support/Requests.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/TestFiles.h"

namespace {

// A peer on loopback that behaves badly in one chosen way, counting connections.
class FakeServer : public QTcpServer
{
public:
    enum Behaviour { Stall, NotFound, Garbage, Redirect, Ok, Answer };
    explicit FakeServer(Behaviour behaviour)
        : m_behaviour(behaviour)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    received += socket->readAll();
                    if (!received.contains("\r\n\r\n"))
                        return;
                    if (m_behaviour == Garbage) {
                        // Not HTTP at all: Qt reports the connection closed, a failure that is retried.
                        socket->write("garbage\r\n\r\n");
                        socket->flush();
                        socket->close();
                        return;
                    }
                    if (m_behaviour == NotFound)
                        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    else if (m_behaviour == Redirect)
                        socket->write("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    else if (m_behaviour == Ok)
                        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nhi");
                    else if (m_behaviour == Answer)
                        socket->write(answer);
                    socket->flush();
                });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/soft/check").arg(serverPort()); }
    int connections = 0;
    QByteArray received;
    QByteArray answer; // what Answer sends

private:
    Behaviour m_behaviour;
};

Post *form(const FakeServer &server)
{
    return new Post(server.url(), formBody({{QStringLiteral("email"), QStringLiteral("a@b.c")},
                                            {QStringLiteral("version"), QLatin1String(kVersion)}}));
}

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void succeedsAndSendsTheForm();
    void redirectIsNotFollowed();
    void retriesAfterNetworkFailures();
    void retriesSpreadOut();
    void contentErrorIsNotRetried();
    void timeOut();
    void abortDuringRetryWait();
    void destroyingTheConnectionEndsItsRequests();
    void upFile();
    void formEncoding();
    void loginReadsTheReplyCookies();
    void proxySettings();

private:
    std::unique_ptr<HttpConnection> m_connection;
    QTemporaryDir m_dir;
};

void TestHttp::initTestCase()
{
    QVERIFY(QDir().mkpath(appDataDir()));
}

void TestHttp::init()
{
    m_connection = std::make_unique<HttpConnection>();
}

void TestHttp::cleanup()
{
    m_connection.reset();
}

void TestHttp::succeedsAndSendsTheForm()
{
    FakeServer server(FakeServer::Ok);
    const Outcome result = runToEnd(form(server), 3);
    QVERIFY2(result.errors.ok(), qPrintable(result.errors.details(QStringLiteral(", "))));
    QCOMPARE(result.body, QByteArray("hi"));
    QVERIFY(server.received.contains("User-Agent: Brindlecast\r\n"));
    QVERIFY(server.received.contains("Connection: close\r\n"));
    QVERIFY(server.received.endsWith(QByteArray("email=a%40b.c&version=") + kVersion));
}

void TestHttp::redirectIsNotFollowed()
{
    FakeServer server(FakeServer::Redirect);
    const Outcome result = runToEnd(form(server), 3);
    QCOMPARE(result.status, 302);
    QCOMPARE(server.connections, 1);
    QVERIFY(!server.received.contains("/elsewhere"));
}

void TestHttp::retriesAfterNetworkFailures()
{
    FakeServer server(FakeServer::Garbage);
    Post *request = form(server);
    QList<qint64> attempts;
    QElapsedTimer clock;
    clock.start();
    connect(request, &Post::attempting, this, [&] { attempts.append(clock.elapsed()); });
    const Outcome result = runToEnd(request, 3);
    // A budget of 3 retries: 4 attempts, a full second apart (a precise timer).
    QCOMPARE(attempts.size(), 4);
    for (int i = 1; i < attempts.size(); ++i)
        QVERIFY2(attempts.at(i) - attempts.at(i - 1) >= 999, qPrintable(QString::number(attempts.at(i))));
    QCOMPARE(result.errors.entries().size(), 2);
    QCOMPARE(result.errors.entries().first().context, QStringLiteral("RequestRunner::retry"));
    QCOMPARE(result.errors.entries().first().code, qint64(QNetworkReply::RemoteHostClosedError));
    QCOMPARE(result.errors.entries().last().text, QStringLiteral("Reached maximum number of retries."));
}

void TestHttp::retriesSpreadOut()
{
    FakeServer server(FakeServer::Garbage);
    Post *request = form(server);
    QList<qint64> attempts;
    QElapsedTimer clock;
    clock.start();
    connect(request, &Post::attempting, this, [&] { attempts.append(clock.elapsed()); });
    const Outcome result = runToEnd(request, 3, 0, RetryDelays::Growing);
    // Each wait twice the one before.
    QCOMPARE(attempts.size(), 4);
    for (int i = 1; i < attempts.size(); ++i)
        QVERIFY2(attempts.at(i) - attempts.at(i - 1) >= (1000 << (i - 1)) - 1, qPrintable(QString::number(attempts.at(i))));
    QCOMPARE(result.errors.entries().last().text, QStringLiteral("Reached maximum number of retries."));
    // The longest wait is a minute.
    QCOMPARE(RequestRunner::retryDelayMs(RetryDelays::Growing, 30), 60000);
}

void TestHttp::contentErrorIsNotRetried()
{
    FakeServer server(FakeServer::NotFound);
    const Outcome result = runToEnd(form(server), 5);
    QCOMPARE(server.connections, 1);
    QCOMPARE(result.errors.entries().first().code, qint64(QNetworkReply::ContentNotFoundError));
    QCOMPARE(result.errors.entries().last().text, QStringLiteral("Content error."));
}

void TestHttp::timeOut()
{
    FakeServer server(FakeServer::Stall);
    QElapsedTimer clock;
    clock.start();
    const Outcome result = runToEnd(form(server), 0, 2);
    // Not before the (precise) 2 s timer; how much later depends on the machine's load.
    QVERIFY2(clock.elapsed() >= 1999, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(result.errors.messages(QString()), QStringLiteral("HTTP request timeout."));
}

void TestHttp::abortDuringRetryWait()
{
    FakeServer server(FakeServer::Garbage);
    Post *request = form(server);
    QPointer<Post> alive(request);
    QSignalSpy done(request, &Post::done);
    QSignalSpy attempts(request, &Post::attempting);
    QSignalSpy failed(request, &Post::attemptEnded);
    HttpConnection::post(request, 10, 0);
    // The first attempt has failed: the runner waits a second before the next.
    QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), 60000);
    const qsizetype attemptsAtAbort = attempts.size();
    emit m_connection->abortEach();
    QCOMPARE(done.size(), 1);
    QCOMPARE(done.first().first().value<Outcome>().errors.entries().last().text, QStringLiteral("HTTP request timeout."));
    // Once the request (and with it its runner) is gone, no attempt is left to come.
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 60000);
    QCOMPARE(attempts.size(), attemptsAtAbort);
}

void TestHttp::destroyingTheConnectionEndsItsRequests()
{
    // One request waits for an answer that never comes, one waits to try again.
    FakeServer stall(FakeServer::Stall), garbage(FakeServer::Garbage);
    QPointer<Post> waiting(form(stall)), retrying(form(garbage));
    QSignalSpy waitingDone(waiting, &Post::done), retryingDone(retrying, &Post::done);
    QSignalSpy failed(retrying, &Post::attemptEnded);
    HttpConnection::post(waiting, 0, 0);
    HttpConnection::post(retrying, 10, 0);
    QTRY_VERIFY_WITH_TIMEOUT(stall.connections == 1 && !failed.isEmpty(), 60000);

    m_connection.reset();
    // Each heard once that it is over, and nothing is left behind to call back later.
    for (QSignalSpy *done : {&waitingDone, &retryingDone}) {
        QCOMPARE(done->size(), 1);
        QCOMPARE(done->first().first().value<Outcome>().errors.entries().first().context, QStringLiteral("RequestRunner::close"));
    }
    QVERIFY(waiting.isNull());
    QVERIFY(retrying.isNull());
    QVERIFY(HttpConnection::instance() == nullptr);
}

void TestHttp::upFile()
{
    const QString path = m_dir.filePath(QStringLiteral("video.flv"));
    QByteArray content;
    for (int i = 0; i < 1000; ++i)
        content.append(char(i % 251));
    QVERIFY(writeAll(path, content));

    const QByteArray head("--boundary head\r\n"), tail("\r\n--boundary tail--\r\n");
    const QByteArray whole = head + content + tail;
    QUpFile up(path, head, tail);
    QVERIFY(up.open(QIODevice::ReadOnly));
    QCOMPARE(up.size(), whole.size());
    auto readToEnd = [&up] {
        QByteArray all;
        char buffer[7];
        qint64 n;
        while ((n = up.read(buffer, sizeof buffer)) > 0)
            all.append(buffer, n);
        return n == 0 ? all : QByteArray("read error");
    };
    QCOMPARE(readToEnd(), whole);
    // Stopped in the middle of the file, then sent again from the start (a re-sent
    // request), or from anywhere.
    QVERIFY(up.seek(head.size() + 500));
    QCOMPARE(up.read(100), content.mid(500, 100));
    QVERIFY(up.reset());
    QCOMPARE(readToEnd(), whole);
    for (qint64 pos : {qint64(3), head.size() - 2, head.size() + 999, whole.size() - 5}) {
        QVERIFY(up.seek(pos));
        QCOMPARE(readToEnd(), whole.mid(pos));
    }
    QVERIFY(!up.seek(whole.size() + 1));

    // A file that cannot be opened fails the upload before anything is sent, at once.
    FakeServer server(FakeServer::Ok);
    const Outcome missing = runToEnd(new Upload(server.url(), m_dir.filePath(QStringLiteral("gone.flv"))), 300);
    QCOMPARE(missing.errors.entries().first().context, QStringLiteral("QUpFile::open"));
    QCOMPARE(missing.status, -1);
}

void TestHttp::formEncoding()
{
    QCOMPARE(formBody({{QStringLiteral("email"), QStringLiteral("shark@poker.example")},
                       {QStringLiteral("password"), QStringLiteral("a&b=c d")}}),
             QByteArray("email=shark%40poker.example&password=a&b=c%20d"));
    QCOMPARE(formBody({{QStringLiteral("name"), QStringLiteral("é")}}), QByteArray("name=%C3%A9"));
}

void TestHttp::loginReadsTheReplyCookies()
{
    FakeServer server(FakeServer::Answer);
    qputenv("BRINDLECAST_SERVICE_URL", QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()).toUtf8());
    auto login = [&server](const QByteArray &cookies) {
        server.received.clear();
        server.answer = "HTTP/1.1 200 OK\r\n" + cookies + "Content-Length: 2\r\nConnection: close\r\n\r\nok";
        auto *request = new LoginRequest(QStringLiteral(" a@b.c "), passwordDigest(QStringLiteral("pw")));
        QSignalSpy parsed(request, &LoginRequest::replyParsed);
        UserInfoSptr info;
        connect(request, &LoginRequest::replyParsed, request, [&info](const bc_ret &, const UserInfoSptr &i) { info = i; });
        HttpConnection::post(request, 0, 0);
        const bool done = parsed.wait(10000);
        return std::make_pair(done ? parsed.first().first().value<bc_ret>() : bc_ret(QStringLiteral("no reply")), info);
    };

    // The form in its order, with the fixed method and the version; the last "username" counts.
    auto [errors, info] = login("Set-Cookie: username=first; Path=/\r\nSet-Cookie: username=second; Path=/\r\n"
                                "Set-Cookie: language=fr; Path=/\r\n");
    QVERIFY(errors.ok() && info);
    QCOMPARE(info->username, QStringLiteral("second"));
    QCOMPARE(info->language, QStringLiteral("fr"));
    QCOMPARE(info->email, QStringLiteral("a@b.c"));
    QVERIFY(server.received.endsWith("form_name=Form_login&connected=1&password=" + passwordDigest(QStringLiteral("pw")).toLatin1()
                                     + "&login=a%40b.c&method=7c41e09ab35d26f8d0a9b17e54c3f62d&logme=Connection&auth=soft"
                                       "&version=" + kVersion));

    // The service's refusal, with "+" as blanks.
    std::tie(errors, info) = login("Set-Cookie: errors=Account+locked; Path=/\r\n");
    QVERIFY(!info);
    QCOMPARE(errors.messages(QStringLiteral(": ")), QStringLiteral("Account locked"));
    std::tie(errors, info) = login("Set-Cookie: language=fr; Path=/\r\n");
    QVERIFY(!info);
    QCOMPARE(errors.messages(QStringLiteral(": ")), QStringLiteral("Internal user name communication error"));

    // A name that would lead out of the users' directory is refused.
    for (const QByteArray &name : {QByteArray("..%2Fx"), QByteArray(".hidden"), QByteArray("a%5Cb")}) {
        std::tie(errors, info) = login("Set-Cookie: username=" + name + "; Path=/\r\n");
        QVERIFY2(!info && errors.failed(), name.constData());
    }
    qunsetenv("BRINDLECAST_SERVICE_URL");
}

void TestHttp::proxySettings()
{
    // A manual proxy without host is kept as no proxy.
    ProxyConfig config;
    config.option = ProxyConfig::ManualProxy;
    QVERIFY(saveProxyConfig(config).ok());
    QCOMPARE(loadProxyConfig()->option, int(ProxyConfig::NoProxy));

    config.host = QStringLiteral("proxy.local");
    config.port = 3128;
    config.user = QStringLiteral("me");
    config.password = QStringLiteral("secret");
    QVERIFY(saveProxyConfig(config).ok());
    // The password is in it: nobody else may read the file.
    const QFile::Permissions permissions = QFile::permissions(netConfPath());
    QVERIFY(permissions & QFileDevice::ReadOwner);
    QVERIFY(!(permissions & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther)));
    const ProxyConfigSptr back = loadProxyConfig();
    QCOMPARE(back->option, int(ProxyConfig::ManualProxy));
    QCOMPARE(back->password, QStringLiteral("secret"));

    QNetworkAccessManager manager;
    applyProxy(&manager, back);
    QCOMPARE(manager.proxy().type(), QNetworkProxy::HttpProxy);
    QCOMPARE(manager.proxy().hostName(), QStringLiteral("proxy.local"));
    QCOMPARE(manager.proxy().port(), quint16(3128));
    QCOMPARE(manager.proxy().user(), QStringLiteral("me"));

    // A port past 65535 (edited by hand) is no port, not another one modulo 65536.
    config.port = 65536 + 3128;
    QVERIFY(saveProxyConfig(config).ok());
    QCOMPARE(loadProxyConfig()->option, int(ProxyConfig::NoProxy));
    QFile::remove(netConfPath());
}

QTEST_MAIN(TestHttp)
#include "tst_http.moc"
