#include "net/UploadReply.h"

#include <QTcpSocket>
#include <QUrl>

#if QT_CONFIG(ssl)
#include <QSslSocket>
#endif

namespace {

// What the socket may hold unsent: enough to keep the line busy, little enough that a
// refusal stops the sending soon.
constexpr qint64 kQueuedMost = 256 * 1024;
constexpr qint64 kChunkSize = 64 * 1024;
// An answer head larger than this is not one.
constexpr qsizetype kHeadMost = 64 * 1024;

// The error Qt's own replies give an HTTP status of 400 and above.
QNetworkReply::NetworkError errorOfStatus(int status)
{
    switch (status) {
    case 401:
        return QNetworkReply::AuthenticationRequiredError;
    case 403:
        return QNetworkReply::ContentAccessDenied;
    case 404:
        return QNetworkReply::ContentNotFoundError;
    case 405:
        return QNetworkReply::ContentOperationNotPermittedError;
    case 409:
        return QNetworkReply::ContentConflictError;
    case 410:
        return QNetworkReply::ContentGoneError;
    case 500:
        return QNetworkReply::InternalServerError;
    case 501:
        return QNetworkReply::OperationNotImplementedError;
    case 503:
        return QNetworkReply::ServiceUnavailableError;
    default:
        return status < 500 ? QNetworkReply::UnknownContentError : QNetworkReply::UnknownServerError;
    }
}

QNetworkReply::NetworkError errorOfSocket(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::HostNotFoundError:
        return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return QNetworkReply::TimeoutError;
    case QAbstractSocket::SslHandshakeFailedError:
        return QNetworkReply::SslHandshakeFailedError;
    case QAbstractSocket::RemoteHostClosedError:
        return QNetworkReply::RemoteHostClosedError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

} // namespace

UploadReply::UploadReply(const QNetworkRequest &request, QIODevice *body, const QByteArray &cookies, QObject *parent)
    : QNetworkReply(parent)
    , m_body(body)
    , m_cookies(cookies)
{
    setRequest(request);
    setUrl(request.url());
    setOperation(QNetworkAccessManager::PostOperation);
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_total = body ? body->size() : 0;
    m_continueWait.setSingleShot(true);
    connect(&m_continueWait, &QTimer::timeout, this, &UploadReply::allowBody);
    // Started from the event loop: whoever made it connects its signals first.
    QMetaObject::invokeMethod(this, &UploadReply::start, Qt::QueuedConnection);
}

UploadReply::~UploadReply()
{
    end();
}

void UploadReply::start()
{
    if (m_over)
        return;
    const QUrl address = url();
    const bool secure = address.scheme() == QLatin1String("https");
    if (!secure && address.scheme() != QLatin1String("http")) {
        fail(ProtocolUnknownError, tr("Protocol \"%1\" is unknown").arg(address.scheme()));
        return;
    }
#if QT_CONFIG(ssl)
    if (secure) {
        auto *socket = new QSslSocket(this);
        connect(socket, &QSslSocket::encrypted, this, &UploadReply::onConnected);
        m_socket = socket;
    }
#endif
    if (!m_socket) {
        if (secure) {
            fail(ProtocolUnknownError, tr("Protocol \"%1\" is unknown").arg(address.scheme()));
            return;
        }
        m_socket = new QTcpSocket(this);
        connect(m_socket, &QTcpSocket::connected, this, &UploadReply::onConnected);
    }
    connect(m_socket, &QTcpSocket::bytesWritten, this, &UploadReply::onBytesWritten);
    connect(m_socket, &QTcpSocket::readyRead, this, &UploadReply::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &UploadReply::onSocketGone);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &UploadReply::onSocketGone);
#if QT_CONFIG(ssl)
    if (secure) {
        static_cast<QSslSocket *>(m_socket)->connectToHostEncrypted(address.host(), quint16(address.port(443)));
        return;
    }
#endif
    m_socket->connectToHost(address.host(), quint16(address.port(80)));
}

QByteArray UploadReply::requestHead() const
{
    const QUrl address = url();
    const QByteArray target = address.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    QByteArray head = "POST " + (target.isEmpty() ? QByteArray("/") : target) + " HTTP/1.1\r\nHost: "
                      + address.host(QUrl::FullyEncoded).toLatin1();
    if (address.port() > 0)
        head += ':' + QByteArray::number(address.port());
    head += "\r\n";
    // These are this exchange's own.
    const QList<QByteArray> own{"host", "connection", "expect", "content-length", "cookie", "transfer-encoding"};
    for (const QByteArray &name : request().rawHeaderList()) {
        if (!own.contains(name.toLower()))
            head += name + ": " + request().rawHeader(name) + "\r\n";
    }
    if (!m_cookies.isEmpty())
        head += "Cookie: " + m_cookies + "\r\n";
    return head + "Content-Length: " + QByteArray::number(m_total) + "\r\nExpect: 100-continue\r\nConnection: close\r\n\r\n";
}

void UploadReply::onConnected()
{
    const QByteArray head = requestHead();
    m_headUnacknowledged = head.size();
    m_socket->write(head);
    m_continueWait.start(kContinueWaitMs);
}

void UploadReply::allowBody()
{
    if (m_over || m_answerStarted)
        return;
    m_continueWait.stop();
    m_bodyAllowed = true;
    sendMore();
}

void UploadReply::sendMore()
{
    while (m_bodyAllowed && !m_over && m_bodyQueued < m_total && m_socket->bytesToWrite() < kQueuedMost) {
        m_chunk.resize(qMin(kChunkSize, m_total - m_bodyQueued));
        const qint64 read = m_body->read(m_chunk.data(), m_chunk.size());
        if (read <= 0) {
            fail(UnknownContentError, tr("The file to upload could not be read: %1").arg(m_body->errorString()));
            return;
        }
        m_socket->write(m_chunk.constData(), read);
        m_bodyQueued += read;
    }
}

void UploadReply::onBytesWritten(qint64 bytes)
{
    const qint64 ofHead = qMin(bytes, m_headUnacknowledged);
    m_headUnacknowledged -= ofHead;
    if (bytes > ofHead) {
        m_bodyAcknowledged += bytes - ofHead;
        emit uploadProgress(m_bodyAcknowledged, m_total);
    }
    sendMore();
}

void UploadReply::onReadyRead()
{
    if (m_over)
        return;
    m_received += m_socket->readAll();
    if (readAnswer(false))
        succeed();
}

void UploadReply::onSocketGone()
{
    if (m_over)
        return;
    // What came before the connection ended may be the whole answer.
    m_received += m_socket->readAll();
    if (readAnswer(true)) {
        succeed();
        return;
    }
    if (m_over)
        return;
    const bool failed = m_socket->error() != QAbstractSocket::UnknownSocketError;
    fail(failed ? errorOfSocket(m_socket->error()) : RemoteHostClosedError,
         failed ? m_socket->errorString() : tr("Connection closed"));
}

bool UploadReply::readAnswerHead()
{
    for (;;) {
        const qsizetype end = m_received.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_received.size() > kHeadMost)
                fail(ProtocolFailure, tr("The service's answer is not HTTP."));
            return false;
        }
        const QList<QByteArray> lines = m_received.left(end).split('\n');
        m_received.remove(0, end + 4);
        const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
        bool isNumber = false;
        const int status = statusLine.value(1).toInt(&isNumber);
        if (!statusLine.first().startsWith("HTTP/1.") || !isNumber) {
            fail(ProtocolFailure, tr("The service's answer is not HTTP."));
            return false;
        }
        if (status >= 100 && status < 200) {
            if (status == 100)
                allowBody();
            continue;
        }
        m_status = status;
        m_reason = statusLine.mid(2).join(' ');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines.at(i).indexOf(':');
            if (colon > 0)
                m_headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
        }
        // The service has answered: whatever of the body it has not read, it will not.
        m_answerStarted = true;
        m_bodyAllowed = false;
        m_continueWait.stop();
        return true;
    }
}

bool UploadReply::readAnswer(bool connectionOver)
{
    if (!m_answerStarted && !readAnswerHead())
        return false;
    QByteArray length;
    bool chunked = false;
    for (const auto &[name, value] : std::as_const(m_headers)) {
        if (name.compare("content-length", Qt::CaseInsensitive) == 0)
            length = value;
        else if (name.compare("transfer-encoding", Qt::CaseInsensitive) == 0)
            chunked = value.toLower().contains("chunked");
    }
    if (chunked)
        return decodeChunked(m_received, m_content);
    if (!length.isEmpty()) {
        const qint64 size = length.toLongLong();
        if (m_received.size() < size)
            return false;
        m_content = m_received.left(size);
        return true;
    }
    // Neither length nor chunks: the answer ends with the connection.
    if (!connectionOver)
        return false;
    m_content = m_received;
    return true;
}

bool UploadReply::decodeChunked(const QByteArray &encoded, QByteArray &decoded)
{
    QByteArray out;
    qsizetype at = 0;
    for (;;) {
        const qsizetype lineEnd = encoded.indexOf("\r\n", at);
        if (lineEnd < 0)
            return false;
        bool isNumber = false;
        const qint64 size = encoded.mid(at, lineEnd - at).split(';').first().trimmed().toLongLong(&isNumber, 16);
        if (!isNumber || size < 0)
            return false;
        if (size == 0) {
            decoded = out;
            return true;
        }
        if (encoded.size() < lineEnd + 2 + size + 2)
            return false;
        out += encoded.mid(lineEnd + 2, size);
        at = lineEnd + 2 + size + 2;
    }
}

void UploadReply::succeed()
{
    m_over = true;
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, m_status);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, m_reason);
    for (const auto &[name, value] : std::as_const(m_headers))
        setRawHeader(name, value);
    end();
    if (m_status >= 400) {
        const NetworkError code = errorOfStatus(m_status);
        setError(code, tr("The service answered %1 %2.").arg(m_status).arg(QString::fromLatin1(m_reason)));
        emit errorOccurred(code);
    }
    emit metaDataChanged();
    setFinished(true);
    if (!m_content.isEmpty())
        emit readyRead();
    emit finished();
}

void UploadReply::fail(NetworkError code, const QString &text)
{
    m_over = true;
    end();
    setError(code, text);
    setFinished(true);
    emit errorOccurred(code);
    emit finished();
}

void UploadReply::abort()
{
    if (!m_over)
        fail(OperationCanceledError, tr("Operation canceled"));
}

// Nothing more is sent or read on this connection.
void UploadReply::end()
{
    m_continueWait.stop();
    m_bodyAllowed = false;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

qint64 UploadReply::bytesAvailable() const
{
    return m_content.size() - m_contentRead + QIODevice::bytesAvailable();
}

qint64 UploadReply::readData(char *data, qint64 maxSize)
{
    const qint64 count = qMin(maxSize, qint64(m_content.size()) - m_contentRead);
    if (count <= 0)
        return m_over ? -1 : 0;
    memcpy(data, m_content.constData() + m_contentRead, size_t(count));
    m_contentRead += count;
    return count;
}
