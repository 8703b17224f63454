// Video upload: the body on the wire against a peer that keeps what it gets, what
// the service's replies mean, and a whole upload to the bundled service.
#include "net/HttpConnection.h"
#include "net/LoginRequests.h"
#include "net/VideoUpload.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TestFiles.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPatienceMs = ServiceProcess::kPatienceMs;

// A peer on loopback that reads whole requests, keeps them and answers each with
// the same reply body. How it meets a client that asks before sending its body:
// it says go on, says nothing (as old servers do), or refuses at once; or it says go
// on and refuses after the first bytes of the body, reading no more.
class KeepingServer : public QTcpServer
{
public:
    enum Manner { SaysContinue, SaysNothing, RefusesAtOnce, RefusesMidway };
    static constexpr qsizetype kMidway = 100 * 1024;

    explicit KeepingServer(QByteArray answer, Manner manner = SaysContinue)
        : m_answer(std::move(answer))
        , m_manner(manner)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                take(socket);
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }

    int connections = 0;
    QList<QByteArray> heads;
    QList<QByteArray> bodies;
    // Bytes of bodies received, whole or not.
    qint64 bodyBytes = 0;

private:
    // hangUp: close after the answer; otherwise the connection stays, unread.
    void answer(QTcpSocket *socket, bool hangUp = true)
    {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(m_answer.size()) + "\r\n\r\n" + m_answer);
        if (hangUp)
            socket->disconnectFromHost();
    }

    void take(QTcpSocket *socket)
    {
        ++connections;
        auto *pending = new QByteArray;
        auto *answered = new bool(false);
        connect(socket, &QObject::destroyed, this, [pending, answered] {
            delete pending;
            delete answered;
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, pending, answered] {
            if (*answered && m_manner == RefusesMidway)
                return; // reads no more
            pending->append(socket->readAll());
            const qsizetype headEnd = pending->indexOf("\r\n\r\n");
            if (headEnd < 0 || *answered)
                return;
            const QByteArray head = pending->left(headEnd);
            const qsizetype received = pending->size() - headEnd - 4;
            if (received == 0 && head.contains("Expect: 100-continue") && !heads.contains(head)) {
                heads.append(head);
                if (m_manner == RefusesAtOnce) {
                    *answered = true;
                    answer(socket);
                } else if (m_manner != SaysNothing) {
                    socket->write("HTTP/1.1 100 Continue\r\n\r\n");
                }
                return;
            }
            bodyBytes = qMax(bodyBytes, qint64(received));
            if (m_manner == RefusesMidway && received >= kMidway) {
                *answered = true;
                answer(socket, false);
                return;
            }
            const QRegularExpression length(QStringLiteral("Content-Length: (\\d+)"),
                                            QRegularExpression::CaseInsensitiveOption);
            const qsizetype size = length.match(QString::fromLatin1(head)).captured(1).toLongLong();
            if (received < size)
                return;
            if (!heads.contains(head))
                heads.append(head);
            bodies.append(pending->mid(headEnd + 4, size));
            pending->clear();
            *answered = true;
            answer(socket);
        });
    }

    QByteArray m_answer;
    Manner m_manner;
};

EncodedItemSptr encoded(const QString &path, const QString &title, int room)
{
    auto item = std::make_shared<EncodedItem>();
    item->fileName = path;
    item->params = std::make_shared<UploadParams>(UploadParams{title, room});
    return item;
}

// Runs an upload to its end: its result and key.
QPair<bc_ret, QString> upload(const EncodedItemSptr &item)
{
    auto *request = new VideoUploadRequest(item);
    QSignalSpy finished(request, &VideoUploadRequest::uploadFinished);
    HttpConnection::post(request, 0, 0);
    if (finished.isEmpty() && !finished.wait(kPatienceMs))
        return {bc_ret(QStringLiteral("no result")), QString()};
    return {finished.first().at(0).value<bc_ret>(), finished.first().at(1).toString()};
}

QByteArray part(const QByteArray &delimiter, const char *name, const QByteArray &value)
{
    return "\r\n" + delimiter + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value;
}

} // namespace

class TestUpload : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void bodyOnTheWire();
    void replies_data();
    void replies();
    void missingFileSendsNothing();
    void refusalsStopTheSending();
    void silentPeerGetsTheVideoAnyway();
    void uploadedToTheService();

private:
    std::unique_ptr<HttpConnection> m_connection;
    QTemporaryDir m_dir;
    QString m_video;
    QByteArray m_bytes;
};

void TestUpload::initTestCase()
{
    m_connection = std::make_unique<HttpConnection>();
    m_video = m_dir.filePath(QStringLiteral("hand ä.flv"));
    m_bytes.resize(300 * 1024);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(m_bytes.data()), m_bytes.size() / 4);
    QVERIFY(writeAll(m_video, m_bytes));
}

void TestUpload::bodyOnTheWire()
{
    KeepingServer peer(R"({"key":"00ff"})");
    qputenv("BRINDLECAST_SERVICE_URL", peer.base().toUtf8());
    const QString title = QStringLiteral("Kings \"full\" – won");
    for (int i = 0; i < 2; ++i) {
        const auto [result, key] = upload(encoded(m_video, title, -1));
        QVERIFY2(result.ok(), qPrintable(result.details(QStringLiteral("; "))));
        QCOMPARE(key, QStringLiteral("00ff"));
    }
    QCOMPARE(peer.bodies.size(), 2);

    // One boundary for the process: two dashes and a number.
    const QRegularExpression type(QStringLiteral("Content-Type: multipart/form-data; boundary=(--\\d+)\r?$"),
                                  QRegularExpression::MultilineOption);
    const QString boundary = type.match(QString::fromLatin1(peer.heads.first())).captured(1);
    QVERIFY2(!boundary.isEmpty(), peer.heads.first().constData());
    QVERIFY(peer.heads.first().startsWith("POST /video/upload HTTP/1.1"));
    // It asks before it sends the video.
    QVERIFY(peer.heads.first().contains("\r\nExpect: 100-continue"));
    QCOMPARE(type.match(QString::fromLatin1(peer.heads.last())).captured(1), boundary);

    // A new UUID for every attempt, and otherwise the same bytes, laid out exactly so.
    const QRegularExpression uuid(QStringLiteral("name=\"uuid\"\r\n\r\n(\\{[0-9a-f-]{36}\\})"));
    const QString first = uuid.match(QString::fromLatin1(peer.bodies.first())).captured(1);
    const QString second = uuid.match(QString::fromLatin1(peer.bodies.last())).captured(1);
    QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
    const QByteArray delimiter = "--" + boundary.toLatin1();
    const QByteArray expected = delimiter + "\r\nContent-Disposition: form-data; name=\"form_name\"\r\n\r\nForm_upload"
                                + "\r\n" + delimiter + "\r\nContent-Disposition: form-data; name=\"sfile\"; filename=\""
                                + QByteArray("hand ä.flv") + "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + m_bytes
                                + part(delimiter, "title", title.toUtf8()) + part(delimiter, "id_table", "-1")
                                + part(delimiter, "uuid", first.toLatin1()) + part(delimiter, "upload", "upload") + "\r\n"
                                + delimiter + "--\r\n";
    QCOMPARE(peer.bodies.first().size(), expected.size());
    QVERIFY(peer.bodies.first() == expected);
}

void TestUpload::replies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("error");
    QTest::newRow("stored") << QByteArray(R"({"key":"3f2a","title":"Aces"})") << "3f2a" << "";
    QTest::newRow("refused") << QByteArray(R"({"error":"Please log in first"})") << "" << "Please log in first";
    QTest::newRow("empty key") << QByteArray(R"({"key":"","error":"Too large"})") << "" << "Too large";
    QTest::newRow("nothing said") << QByteArray("{}") << "" << "Unknown upload error";
    QTest::newRow("error page") << QByteArray("<html><body>502 Bad Gateway</body></html>") << ""
                                << "Internal upload protocol error";
}

void TestUpload::replies()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, key);
    QFETCH(QString, error);
    QString read = QStringLiteral("left over");
    const bc_ret result = VideoUploadRequest::parseReply(reply, read);
    QCOMPARE(read, key);
    QCOMPARE(result.messages(QStringLiteral("; ")), error);
}

void TestUpload::missingFileSendsNothing()
{
    KeepingServer peer("{}");
    qputenv("BRINDLECAST_SERVICE_URL", peer.base().toUtf8());
    const QString gone = m_dir.filePath(QStringLiteral("deleted.flv"));
    const auto [result, key] = upload(encoded(gone, QStringLiteral("Gone"), 12));
    QCOMPARE(result.messages(QStringLiteral("; ")), QStringLiteral("Error opening file '%1'").arg(gone));
    QVERIFY(key.isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(peer.connections, 0);
}

void TestUpload::refusalsStopTheSending()
{
    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("large.flv"));
    QVERIFY(QFile(large).open(QIODevice::WriteOnly) && QFile::resize(large, qint64(40) << 20));
    for (const KeepingServer::Manner manner : {KeepingServer::RefusesAtOnce, KeepingServer::RefusesMidway}) {
        KeepingServer peer(R"({"error":"Your account is full"})", manner);
        qputenv("BRINDLECAST_SERVICE_URL", peer.base().toUtf8());
        auto *request = new VideoUploadRequest(encoded(large, QStringLiteral("Big"), 12));
        QSignalSpy progress(request, &HttpPostRequest::uploadProgress);
        QSignalSpy finished(request, &VideoUploadRequest::uploadFinished);
        HttpConnection::post(request, 0, 0);
        QVERIFY(finished.wait(kPatienceMs));
        // The peer's reason, not a broken connection.
        QCOMPARE(finished.first().at(0).value<bc_ret>().messages(QStringLiteral("; ")), QStringLiteral("Your account is full"));
        qint64 sent = 0;
        for (const QList<QVariant> &step : progress)
            sent = qMax(sent, step.first().toLongLong());
        if (manner == KeepingServer::RefusesAtOnce) {
            QCOMPARE(peer.bodyBytes, 0);
            QCOMPARE(sent, 0);
        } else {
            // Sending stopped with the answer: far from the 40 MB.
            QVERIFY2(sent < qint64(8) << 20, qPrintable(QString::number(sent)));
        }
        QCOMPARE(peer.connections, 1);
    }
}

void TestUpload::silentPeerGetsTheVideoAnyway()
{
    // A peer that does not answer the question gets the video after a wait.
    KeepingServer peer(R"({"key":"77"})", KeepingServer::SaysNothing);
    qputenv("BRINDLECAST_SERVICE_URL", peer.base().toUtf8());
    const auto [result, key] = upload(encoded(m_video, QStringLiteral("Quiet"), 12));
    QVERIFY2(result.ok(), qPrintable(result.details(QStringLiteral("; "))));
    QCOMPARE(key, QStringLiteral("77"));
    QCOMPARE(peer.bodies.size(), 1);
    QVERIFY(peer.bodies.first().contains(m_bytes));
}

void TestUpload::uploadedToTheService()
{
    ServiceProcess service;
    QVERIFY(service.start({QStringLiteral("--max-upload-mb"), QStringLiteral("1")}));
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    // Refused with the service's reason, before the video is sent.
    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("large.flv"));
    QVERIFY(QFile(large).open(QIODevice::WriteOnly) && QFile::resize(large, qint64(30) << 20));
    QCOMPARE(upload(encoded(large, QStringLiteral("Too soon"), 12)).first.messages(QString()), QStringLiteral("Please log in first"));
    auto *login = new LoginRequest(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
    QSignalSpy loggedIn(login, &LoginRequest::replyParsed);
    HttpConnection::post(login, 0, 0);
    QVERIFY(loggedIn.wait(kPatienceMs));
    QVERIFY(loggedIn.first().first().value<bc_ret>().ok());

    QCOMPARE(upload(encoded(large, QStringLiteral("Too big"), 12)).first.messages(QString()),
             QStringLiteral("The video is larger than 1 MB"));

    const QString title = QStringLiteral("Set over set <3");
    const auto [result, key] = upload(encoded(m_video, title, 12));
    QVERIFY2(result.ok(), qPrintable(result.details(QStringLiteral("; "))));
    QVERIFY(!key.isEmpty());
    const QFileInfoList stored = QDir(service.file(QStringLiteral("uploads"))).entryInfoList(QDir::Files);
    QCOMPARE(stored.size(), 1);
    QVERIFY(readAll(stored.first().filePath()) == m_bytes);

    // Both pages of the video are there, the public one under its title.
    QCOMPARE(videoPageUrl(key), service.url(QStringLiteral("/video/")) + key);
    QCOMPARE(videoEditUrl(key), service.url(QStringLiteral("/account/hands/edit/")) + key);
    for (const QString &page : {videoPageUrl(key), videoEditUrl(key)}) {
        QNetworkReply *reply = m_connection->manager()->get(QNetworkRequest(QUrl(page)));
        QSignalSpy done(reply, &QNetworkReply::finished);
        QVERIFY(done.wait(kPatienceMs));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        if (page == videoPageUrl(key))
            QVERIFY(reply->readAll().contains("Set over set &lt;3"));
        reply->deleteLater();
    }
}

QTEST_GUILESS_MAIN(TestUpload)
#include "tst_upload.moc"
