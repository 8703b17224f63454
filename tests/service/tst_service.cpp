#include "HttpConnection.h"
#include "JsonReader.h"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkCookieJar>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace {

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// A running service on its own port and data directory.
struct Service
{
    QTemporaryDir data;
    QProcess process;
    int port = freePort();

    bool start(const QStringList &extra = {})
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(SERVICE), QStringList{QStringLiteral("--port"), QString::number(port),
                                                           QStringLiteral("--data"), data.path()} + extra);
        QByteArray out;
        while (process.waitForReadyRead(5000)) {
            out += process.readAll();
            if (out.contains("Brindlecast service on"))
                return true;
        }
        return false;
    }
    ~Service()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
    }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path); }
    // The most memory the service has held so far, in KiB.
    qint64 peakMemoryKiB() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
        return -1;
    }
};

// A POST of a form (or of raw bytes), reporting the reply body.
class Post : public MemPostRequest
{
    Q_OBJECT
public:
    Post(QString url, QByteArray body)
        : m_url(std::move(url))
        , m_body(std::move(body))
    {
    }
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override
    {
        setCommonHeaders(request, m_url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        body = m_body;
        return bc_ret();
    }
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override
    {
        emit done(errors, errors.ok() && reply ? reply->readAll() : QByteArray());
    }

signals:
    void done(const bc_ret &errors, const QByteArray &body);

private:
    QString m_url;
    QByteArray m_body;
};

// A multipart upload streamed from disk, as the program sends videos.
class Upload : public FilePostRequest
{
    Q_OBJECT
public:
    Upload(QString url, QString path)
        : m_url(std::move(url))
        , m_path(std::move(path))
    {
    }
    bc_ret prepare(QNetworkRequest &request, QIODevice *&device) override
    {
        const QByteArray boundary = "----brindlecast" + QUuid::createUuid().toByteArray(QUuid::Id128);
        const QByteArray separator = "--" + boundary + "\r\n";
        auto field = [&](const char *name, const QByteArray &value) {
            return separator + "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
        };
        const QByteArray head = field("form_name", "Form_upload") + separator
                                + "Content-Disposition: form-data; name=\"sfile\"; filename=\"" + m_path.toUtf8()
                                + "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
        const QByteArray tail = "\r\n" + field("title", "Aces up") + field("id_table", "12")
                                + field("uuid", QUuid::createUuid().toByteArray()) + field("upload", "upload") + "--"
                                + boundary + "--\r\n";
        setCommonHeaders(request, m_url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=" + boundary));
        auto *file = new QUpFile(m_path, head, tail, this);
        device = file;
        if (!file->open(QIODevice::ReadOnly))
            return bc_ret(QStringLiteral("QUpFile::open"), -1, file->errorText());
        return bc_ret();
    }
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override
    {
        emit done(errors, errors.ok() && reply ? reply->readAll() : QByteArray());
    }

signals:
    void done(const bc_ret &errors, const QByteArray &body);

private:
    QString m_url;
    QString m_path;
};

template<class Request>
QPair<bc_ret, QByteArray> send(Request *request, int timeout = 30)
{
    QSignalSpy done(request, &Request::done);
    HttpConnection::post(request, 0, timeout);
    if (done.isEmpty() && !done.wait((timeout + 5) * 1000))
        return {bc_ret(QStringLiteral("no reply")), QByteArray()};
    return {done.first().at(0).value<bc_ret>(), done.first().at(1).toByteArray()};
}

QByteArray loginForm(const QString &email, const QString &password)
{
    const QByteArray digest = QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex();
    return formBody({{QStringLiteral("form_name"), QStringLiteral("Form_login")},
                     {QStringLiteral("connected"), QStringLiteral("1")},
                     {QStringLiteral("password"), QString::fromLatin1(digest)},
                     {QStringLiteral("login"), email},
                     {QStringLiteral("method"), QStringLiteral("7c41e09ab35d26f8d0a9b17e54c3f62d")},
                     {QStringLiteral("logme"), QStringLiteral("Connection")},
                     {QStringLiteral("auth"), QStringLiteral("soft")},
                     {QStringLiteral("version"), QStringLiteral("1.3.4")}});
}

QMap<QString, QString> cookies(HttpConnection &connection, const QString &url)
{
    QMap<QString, QString> map;
    for (const QNetworkCookie &cookie : connection.manager()->cookieJar()->cookiesForUrl(QUrl(url)))
        map.insert(QString::fromLatin1(cookie.name()), QString::fromLatin1(cookie.value()));
    return map;
}

} // namespace

class TestService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void loginSetsTheSession();
    void updateCheckCodes();
    void largeUploadIsStreamed();
    void badInputIsRefused();

private:
    Service m_service;
    std::unique_ptr<HttpConnection> m_connection;
    QTemporaryDir m_dir;
};

void TestService::initTestCase()
{
    QVERIFY(m_service.start());
    m_connection = std::make_unique<HttpConnection>();
}

void TestService::loginSetsTheSession()
{
    const QString login = m_service.url(QStringLiteral("/auth/login"));
    auto [failed, body] = send(new Post(login, loginForm(QStringLiteral("demo@brindlecast.local"), QStringLiteral("wrong"))));
    QVERIFY(failed.ok());
    QCOMPARE(cookies(*m_connection, login).value(QStringLiteral("errors")), QStringLiteral("Wrong+e-mail+or+password"));

    // Without a session the room list is refused.
    auto [refused, nothing] = send(new Post(m_service.url(QStringLiteral("/soft/listtablesuser")), QByteArray()));
    QVERIFY(refused.failed());

    m_connection->manager()->setCookieJar(new QNetworkCookieJar);
    auto [ok, reply] = send(new Post(login, loginForm(QStringLiteral("demo@brindlecast.local"), QStringLiteral("demo"))));
    QVERIFY(ok.ok());
    const QMap<QString, QString> jar = cookies(*m_connection, login);
    QCOMPARE(jar.value(QStringLiteral("username")), QStringLiteral("demo"));
    QCOMPARE(jar.value(QStringLiteral("language")), QStringLiteral("en"));
    QVERIFY(jar.value(QStringLiteral("session")).size() >= 32);
    QVERIFY(!jar.contains(QStringLiteral("errors")));

    auto [listed, rooms] = send(new Post(m_service.url(QStringLiteral("/soft/listtablesuser")), QByteArray()));
    QVERIFY(listed.ok());
    QCOMPARE(rooms, QByteArray("[12,45]"));
    auto [reported, ignored] = send(new Post(m_service.url(QStringLiteral("/soft/params")), "param={\"auto_start\":1}"));
    QVERIFY(reported.ok());
}

void TestService::updateCheckCodes()
{
    bool parsed = false;
    auto [ok, reply] = send(new Post(m_service.url(QStringLiteral("/soft/check")), "version=1.3.4"));
    QVariantMap map = parseJson(QString::fromUtf8(reply), parsed).toMap();
    QVERIFY(parsed);
    QCOMPARE(map.value(QStringLiteral("code")).toInt(), 1);

    const QString installer = m_dir.filePath(QStringLiteral("brindlecast-1.3.5.run"));
    QFile file(installer);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0);
    file.close();
    Service withUpdate;
    QVERIFY(withUpdate.start({QStringLiteral("--installer"), installer}));
    std::tie(ok, reply) = send(new Post(withUpdate.url(QStringLiteral("/soft/check")), "version=1.3.4"));
    map = parseJson(QString::fromUtf8(reply), parsed).toMap();
    QCOMPARE(map.value(QStringLiteral("code")).toInt(), 2);
    QCOMPARE(map.value(QStringLiteral("url")).toString(), withUpdate.url(QStringLiteral("/files/brindlecast-1.3.5.run")));

    Service withPage;
    QVERIFY(withPage.start({QStringLiteral("--new-version-page"), QStringLiteral("http://example.invalid/new")}));
    std::tie(ok, reply) = send(new Post(withPage.url(QStringLiteral("/soft/check")), "version=1.3.4"));
    map = parseJson(QString::fromUtf8(reply), parsed).toMap();
    QCOMPARE(map.value(QStringLiteral("code")).toInt(), 3);
}

void TestService::largeUploadIsStreamed()
{
    // Logged in (the previous test left the session in the jar).
    const QString video = m_dir.filePath(QStringLiteral("hand.flv"));
    QFile file(video);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray chunk(1 << 20, 'v');
    for (int i = 0; i < 50; ++i)
        file.write(chunk);
    file.close();
    const qint64 before = m_service.peakMemoryKiB();
    QVERIFY(before > 0);
    auto [ok, reply] = send(new Upload(m_service.url(QStringLiteral("/video/upload")), video), 120);
    QVERIFY2(ok.ok(), qPrintable(ok.details(QStringLiteral(": "))));
    bool parsed = false;
    const QString key = parseJson(QString::fromUtf8(reply), parsed).toMap().value(QStringLiteral("key")).toString();
    QVERIFY2(!key.isEmpty(), reply.constData());
    // 50 MB went through while the service grew by far less.
    const qint64 growth = m_service.peakMemoryKiB() - before;
    QVERIFY2(growth < 20 * 1024, qPrintable(QString::number(growth)));
    QDir uploads(m_service.data.filePath(QStringLiteral("uploads")));
    const QStringList stored = uploads.entryList(QDir::Files);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(QFileInfo(uploads.filePath(stored.first())).size(), qint64(50) << 20);

    // Without a session the service says why.
    m_connection->manager()->setCookieJar(new QNetworkCookieJar);
    std::tie(ok, reply) = send(new Upload(m_service.url(QStringLiteral("/video/upload")), video), 120);
    QCOMPARE(parseJson(QString::fromUtf8(reply), parsed).toMap().value(QStringLiteral("error")).toString(),
             QStringLiteral("Please log in first"));
}

void TestService::badInputIsRefused()
{
    // A chunked form could be of any size: refused before it is read.
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, quint16(m_service.port));
    QVERIFY(raw.waitForConnected(3000));
    raw.write("POST /soft/params HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\n");
    QVERIFY(raw.waitForReadyRead(3000));
    QVERIFY(raw.readAll().startsWith("HTTP/1.1 411"));

    // A form far larger than any the program sends.
    auto [tooBig, ignored] = send(new Post(m_service.url(QStringLiteral("/auth/login")), QByteArray(200 * 1024, 'x')));
    QVERIFY(tooBig.failed());
    auto [unknown, nothing] = send(new Post(m_service.url(QStringLiteral("/no/such/thing")), "a=b"));
    QVERIFY(unknown.failed());
    // The service is still there.
    auto [ok, reply] = send(new Post(m_service.url(QStringLiteral("/soft/check")), "version=1.3.4"));
    QVERIFY(ok.ok());
    QCOMPARE(m_service.process.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
