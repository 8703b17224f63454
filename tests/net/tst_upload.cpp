// Video upload: the body on the wire against a peer that keeps what it gets, what
// the service's replies mean, and a whole upload to the bundled service.
#include "HttpConnection.h"
#include "LoginRequests.h"
#include "ServiceProcess.h"
#include "TestFiles.h"
#include "VideoUpload.h"

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
// the same reply body.
class KeepingServer : public QTcpServer
{
public:
    explicit KeepingServer(QByteArray answer)
        : m_answer(std::move(answer))
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++connections;
                auto *pending = new QByteArray;
                connect(socket, &QObject::destroyed, this, [pending] { delete pending; });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, pending] {
                    pending->append(socket->readAll());
                    const qsizetype headEnd = pending->indexOf("\r\n\r\n");
                    if (headEnd < 0)
                        return;
                    const QByteArray head = pending->left(headEnd);
                    const QRegularExpression length(QStringLiteral("Content-Length: (\\d+)"),
                                                    QRegularExpression::CaseInsensitiveOption);
                    const qsizetype size = length.match(QString::fromLatin1(head)).captured(1).toLongLong();
                    if (pending->size() < headEnd + 4 + size)
                        return;
                    heads.append(head);
                    bodies.append(pending->mid(headEnd + 4, size));
                    pending->clear();
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
                                  + QByteArray::number(m_answer.size()) + "\r\n\r\n" + m_answer);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }

    int connections = 0;
    QList<QByteArray> heads;
    QList<QByteArray> bodies;

private:
    QByteArray m_answer;
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
    QCOMPARE(type.match(QString::fromLatin1(peer.heads.last())).captured(1), boundary);

    // A new UUID for every attempt, and otherwise the same bytes, laid out exactly so.
    const QRegularExpression uuid(QStringLiteral("name=\"uuid\"\r\n\r\n(\\{[0-9a-f-]{36}\\})"));
    const QString first = uuid.match(QString::fromLatin1(peer.bodies.first())).captured(1);
    const QString second = uuid.match(QString::fromLatin1(peer.bodies.last())).captured(1);
    QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
    const QByteArray delimiter = "--" + boundary.toLatin1();
    const QByteArray expected = delimiter + "\r\nContent-Disposition: form-data; name=\"form_name\"\r\n\r\nForm_upload"
                                + "\r\n" + delimiter + "\r\nContent-Disposition: form-data; name=\"sfile\"; filename=\""
                                + m_video.toUtf8() + "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + m_bytes
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

void TestUpload::uploadedToTheService()
{
    ServiceProcess service;
    QVERIFY(service.start());
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    auto *login = new LoginRequest(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
    QSignalSpy loggedIn(login, &LoginRequest::replyParsed);
    HttpConnection::post(login, 0, 0);
    QVERIFY(loggedIn.wait(kPatienceMs));
    QVERIFY(loggedIn.first().first().value<bc_ret>().ok());

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
