#include "HttpConnection.h"
#include "Paths.h"
#include "ProxyConfig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A peer on loopback that behaves badly in one chosen way, counting connections.
class FakeServer : public QTcpServer
{
public:
    enum Behaviour { Stall, NotFound, Garbage, Ok };
    explicit FakeServer(Behaviour behaviour)
        : m_behaviour(behaviour)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++connections;
                times.append(m_clock.isValid() ? m_clock.elapsed() : (m_clock.start(), 0));
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
                    else if (m_behaviour == Ok)
                        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nhi");
                    socket->flush();
                });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/soft/check").arg(serverPort()); }
    int connections = 0;
    QList<qint64> times;
    QByteArray received;

private:
    Behaviour m_behaviour;
    QElapsedTimer m_clock;
};

// A form request to an address, reporting its outcome.
class FormRequest : public MemPostRequest
{
    Q_OBJECT
public:
    explicit FormRequest(QString url)
        : m_url(std::move(url))
    {
    }
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override
    {
        if (!clock.isValid())
            clock.start();
        attempts.append(clock.elapsed());
        setCommonHeaders(request, m_url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        body = formBody({{QStringLiteral("email"), QStringLiteral("a@b.c")}, {QStringLiteral("version"), QStringLiteral("1.3.4")}});
        return bc_ret();
    }
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override
    {
        emit done(errors, errors.ok() && reply ? reply->readAll() : QByteArray());
    }

    // When each attempt was made (the request itself is gone by the end).
    static inline QList<qint64> attempts;
    static inline QElapsedTimer clock;

signals:
    void done(const bc_ret &errors, const QByteArray &body);

private:
    QString m_url;
};

// An upload whose file cannot be opened.
class UploadRequest : public FilePostRequest
{
    Q_OBJECT
public:
    UploadRequest(QString url, QString path)
        : m_url(std::move(url))
        , m_path(std::move(path))
    {
    }
    bc_ret prepare(QNetworkRequest &request, QIODevice *&device) override
    {
        setCommonHeaders(request, m_url);
        auto *file = new QUpFile(m_path, "head", "tail", this);
        device = file;
        if (!file->open(QIODevice::ReadOnly))
            return bc_ret(QStringLiteral("QUpFile::open"), -1, file->errorText());
        return bc_ret();
    }
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override { emit done(errors, reply == nullptr); }

signals:
    void done(const bc_ret &errors, bool noReply);

private:
    QString m_url;
    QString m_path;
};

bc_ret runToEnd(HttpPostRequest *request, int retries, int timeout, QSignalSpy &spy, int waitMs = 20000)
{
    HttpConnection::post(request, retries, timeout);
    if (spy.isEmpty() && !spy.wait(waitMs))
        return bc_ret(QStringLiteral("no result"));
    return spy.first().first().value<bc_ret>();
}

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void succeedsAndSendsTheForm();
    void retriesAfterNetworkFailures();
    void contentErrorIsNotRetried();
    void timeOut();
    void abortDuringRetryWait();
    void missingUploadFileMakesNoConnection();
    void upFileDeliversEachByteOnce();
    void formEncoding();
    void proxySettings();
    void netOptionsDialog();

private:
    std::unique_ptr<HttpConnection> m_connection;
    QTemporaryDir m_dir;
};

void TestHttp::initTestCase()
{
    QVERIFY(QDir().mkpath(appDataDir()));
    m_connection = std::make_unique<HttpConnection>();
}

void TestHttp::succeedsAndSendsTheForm()
{
    FakeServer server(FakeServer::Ok);
    auto *request = new FormRequest(server.url());
    QSignalSpy done(request, &FormRequest::done);
    const bc_ret result = runToEnd(request, 3, 0, done);
    QVERIFY2(result.ok(), qPrintable(result.details(QStringLiteral(", "))));
    QCOMPARE(done.first().at(1).toByteArray(), QByteArray("hi"));
    QVERIFY(server.received.contains("User-Agent: Brindlecast\r\n"));
    QVERIFY(server.received.contains("Connection: close\r\n"));
    QVERIFY(server.received.endsWith("email=a%40b.c&version=1.3.4"));
}

void TestHttp::retriesAfterNetworkFailures()
{
    FakeServer server(FakeServer::Garbage);
    FormRequest::attempts.clear();
    FormRequest::clock.invalidate();
    auto *request = new FormRequest(server.url());
    QSignalSpy done(request, &FormRequest::done);
    const bc_ret result = runToEnd(request, 3, 0, done);
    // A budget of 3 retries: 4 attempts, 1000 ms apart.
    const QList<qint64> attempts = FormRequest::attempts;
    QCOMPARE(attempts.size(), 4);
    for (int i = 1; i < attempts.size(); ++i)
        QVERIFY2(attempts.at(i) - attempts.at(i - 1) >= 990, qPrintable(QString::number(attempts.at(i))));
    QCOMPARE(result.entries().size(), 2);
    QCOMPARE(result.entries().first().context, QStringLiteral("RequestRunner::retry"));
    QCOMPARE(result.entries().first().code, qint64(QNetworkReply::RemoteHostClosedError));
    QCOMPARE(result.entries().last().text, QStringLiteral("Reached maximum number of retries."));
}

void TestHttp::contentErrorIsNotRetried()
{
    FakeServer server(FakeServer::NotFound);
    auto *request = new FormRequest(server.url());
    QSignalSpy done(request, &FormRequest::done);
    const bc_ret result = runToEnd(request, 5, 0, done);
    QCOMPARE(server.connections, 1);
    QCOMPARE(result.entries().first().code, qint64(QNetworkReply::ContentNotFoundError));
    QCOMPARE(result.entries().last().text, QStringLiteral("Content error."));
}

void TestHttp::timeOut()
{
    FakeServer server(FakeServer::Stall);
    auto *request = new FormRequest(server.url());
    QSignalSpy done(request, &FormRequest::done);
    QElapsedTimer clock;
    clock.start();
    const bc_ret result = runToEnd(request, 0, 2, done);
    QVERIFY(clock.elapsed() >= 1900 && clock.elapsed() < 5000);
    QCOMPARE(result.messages(QString()), QStringLiteral("HTTP request timeout."));
}

void TestHttp::abortDuringRetryWait()
{
    FakeServer server(FakeServer::Garbage);
    FormRequest::attempts.clear();
    FormRequest::clock.invalidate();
    auto *request = new FormRequest(server.url());
    QSignalSpy done(request, &FormRequest::done);
    HttpConnection::post(request, 10, 0);
    // The first attempt has failed and the retry waits its second.
    QTRY_VERIFY(server.connections >= 1);
    QTest::qWait(500);
    QCOMPARE(FormRequest::attempts.size(), 1);
    emit m_connection->abortEach();
    QVERIFY(done.wait(2000) || done.size() == 1);
    const bc_ret result = done.first().first().value<bc_ret>();
    QCOMPARE(result.entries().size(), 2);
    QCOMPARE(result.entries().first().context, QStringLiteral("RequestRunner::abort"));
    QCOMPARE(result.entries().first().code, qint64(QNetworkReply::RemoteHostClosedError));
    QCOMPARE(result.entries().last().text, QStringLiteral("HTTP request timeout."));
    QTest::qWait(1200);
    QCOMPARE(FormRequest::attempts.size(), 1);
}

void TestHttp::missingUploadFileMakesNoConnection()
{
    FakeServer server(FakeServer::Ok);
    auto *request = new UploadRequest(server.url(), m_dir.filePath(QStringLiteral("gone.flv")));
    QSignalSpy done(request, &UploadRequest::done);
    const bc_ret result = runToEnd(request, 300, 0, done, 2000);
    QVERIFY(result.failed());
    QCOMPARE(result.entries().first().context, QStringLiteral("QUpFile::open"));
    QVERIFY(done.first().at(1).toBool());
    QTest::qWait(200);
    QCOMPARE(server.connections, 0);
}

void TestHttp::upFileDeliversEachByteOnce()
{
    const QString path = m_dir.filePath(QStringLiteral("video.flv"));
    QByteArray content;
    for (int i = 0; i < 1000; ++i)
        content.append(char(i % 251));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();

    const QByteArray head("--boundary head\r\n"), tail("\r\n--boundary tail--\r\n");
    QUpFile up(path, head, tail);
    QVERIFY(up.open(QIODevice::ReadOnly));
    QCOMPARE(up.size(), head.size() + 1000 + tail.size());
    QByteArray all;
    char buffer[7];
    qint64 n;
    while ((n = up.read(buffer, sizeof buffer)) > 0)
        all.append(buffer, n);
    QCOMPARE(n, qint64(0));
    QCOMPARE(all, head + content + tail);
}

void TestHttp::formEncoding()
{
    QCOMPARE(formBody({{QStringLiteral("email"), QStringLiteral("shark@poker.example")},
                       {QStringLiteral("password"), QStringLiteral("a&b=c d")}}),
             QByteArray("email=shark%40poker.example&password=a&b=c%20d"));
    QCOMPARE(formBody({{QStringLiteral("name"), QStringLiteral("é")}}), QByteArray("name=%C3%A9"));
}

void TestHttp::proxySettings()
{
    // A manual proxy without host is kept as no proxy.
    ProxyConfig config;
    config.option = ProxyConfig::ManualProxy;
    QVERIFY(saveProxyConfig(config).ok());
    QFile file(netConfPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("<Brindlecast>\n  <option value=\"0\"/>\n</Brindlecast>\n"));
    file.close();
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
    QFile::remove(netConfPath());
    QCOMPARE(loadProxyConfig()->option, int(ProxyConfig::NoProxy));
}

void TestHttp::netOptionsDialog()
{
    ProxyConfig config;
    config.option = ProxyConfig::SystemProxy;
    QVERIFY(saveProxyConfig(config).ok());
    NetOptionsDialog dialog;
    QVERIFY(dialog.findChild<QRadioButton *>(QStringLiteral("rdbAutoProxy"))->isChecked());
    QVERIFY(!dialog.findChild<QWidget *>(QStringLiteral("grpManualProxy"))->isEnabled());
    dialog.findChild<QRadioButton *>(QStringLiteral("rdbManualProxy"))->setChecked(true);
    QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("grpManualProxy"))->isEnabled());
    dialog.findChild<QLineEdit *>(QStringLiteral("txtProxyHost"))->setText(QStringLiteral("10.9.8.7"));
    dialog.findChild<QLineEdit *>(QStringLiteral("txtProxyPort"))->setText(QStringLiteral("not a number"));
    dialog.accept();
    const ProxyConfigSptr saved = loadProxyConfig();
    QCOMPARE(saved->option, int(ProxyConfig::ManualProxy));
    QCOMPARE(saved->host, QStringLiteral("10.9.8.7"));
    QCOMPARE(saved->port, 0);
    QFile::remove(netConfPath());
}

QTEST_MAIN(TestHttp)
#include "tst_http.moc"
