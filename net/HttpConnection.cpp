#include "net/HttpConnection.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "net/ProxyConfig.h"
#include "net/UploadReply.h"

#include <QCoreApplication>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QUrl>

QNetworkReply *MemPostRequest::send(QNetworkAccessManager *manager, bc_ret &errors)
{
    QNetworkRequest request;
    QByteArray body;
    errors = prepare(request, body);
    if (errors.failed())
        return nullptr;
    return manager->post(request, body);
}

QNetworkReply *FilePostRequest::send(QNetworkAccessManager *manager, bc_ret &errors)
{
    QNetworkRequest request;
    if (device) {
        device->close();
        delete device;
        device = nullptr;
    }
    errors = prepare(request, device);
    if (errors.failed())
        return nullptr;
    // Through a proxy only the access manager knows the way; a refusal is then read
    // only after the whole body went.
    QNetworkProxy proxy = manager->proxy();
    if (proxy.type() == QNetworkProxy::DefaultProxy)
        proxy = QNetworkProxy::applicationProxy();
    if (proxy.type() != QNetworkProxy::NoProxy && proxy.type() != QNetworkProxy::DefaultProxy)
        return manager->post(request, device);
    QByteArray cookies;
    if (QNetworkCookieJar *jar = manager->cookieJar()) {
        for (const QNetworkCookie &cookie : jar->cookiesForUrl(request.url()))
            cookies += (cookies.isEmpty() ? "" : "; ") + cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
    }
    return new UploadReply(request, device, cookies, manager);
}

QUpFile::QUpFile(const QString &path, const QByteArray &head, const QByteArray &tail, QObject *parent)
    : QIODevice(parent)
    , m_file(new QFile(path, this))
    , m_head(head)
    , m_tail(tail)
{
}

bool QUpFile::open(OpenMode)
{
    if (!m_file->open(QIODevice::ReadOnly))
        return false;
    m_pos = 0;
    // Unbuffered: every read comes from readData at m_pos, so a seek needs no buffer bookkeeping.
    return QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool QUpFile::seek(qint64 pos)
{
    if (pos < 0 || pos > size() || !QIODevice::seek(pos))
        return false;
    m_pos = pos;
    // The file's own position follows in readData.
    return true;
}

void QUpFile::close()
{
    m_file->close();
    QIODevice::close();
}

qint64 QUpFile::size() const
{
    return m_head.size() + m_file->size() + m_tail.size();
}

qint64 QUpFile::readData(char *data, qint64 maxSize)
{
    if (!m_file->isOpen())
        return -1;
    const qint64 headSize = m_head.size();
    const qint64 fileSize = m_file->size();
    const qint64 total = headSize + fileSize + m_tail.size();
    qint64 copied = 0;
    if (m_pos < headSize && copied < maxSize) {
        const qint64 n = qMin(headSize - m_pos, maxSize - copied);
        memcpy(data + copied, m_head.constData() + m_pos, size_t(n));
        copied += n;
        m_pos += n;
    }
    if (m_pos >= headSize && m_pos < headSize + fileSize && copied < maxSize) {
        if (m_file->pos() != m_pos - headSize && !m_file->seek(m_pos - headSize))
            return copied > 0 ? copied : -1;
        const qint64 n = m_file->read(data + copied, qMin(headSize + fileSize - m_pos, maxSize - copied));
        if (n < 0)
            return copied > 0 ? copied : -1;
        copied += n;
        m_pos += n;
    }
    if (m_pos >= headSize + fileSize && m_pos < total && copied < maxSize) {
        const qint64 offset = m_pos - headSize - fileSize;
        const qint64 n = qMin(m_tail.size() - offset, maxSize - copied);
        memcpy(data + copied, m_tail.constData() + offset, size_t(n));
        copied += n;
        m_pos += n;
    }
    return copied;
}

void setCommonHeaders(QNetworkRequest &request, const QString &url)
{
    const QUrl address(url);
    request.setUrl(address);
    request.setRawHeader("Host", address.host(QUrl::FullyEncoded).toLatin1());
    request.setRawHeader("User-Agent", "Brindlecast");
    request.setRawHeader("Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    request.setRawHeader("Accept-Charset", "windows-1251,utf-8;q=0.7,*;q=0.7");
    request.setRawHeader("Connection", "close");
    // Qt 6 follows redirects by default; the requests were made for one that did not.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
}

QByteArray formBody(const QList<QPair<QString, QString>> &fields)
{
    QString text;
    for (const auto &field : fields) {
        if (!text.isEmpty())
            text += QLatin1Char('&');
        text += field.first + QLatin1Char('=') + field.second;
    }
    // Values are not encoded one by one: an "&" or "=" inside one goes as it is.
    return text.toUtf8().toPercentEncoding("&=");
}

RequestRunner::RequestRunner(HttpPostRequest *request, QNetworkAccessManager *manager, QObject *parent)
    : QObject(parent)
    , m_request(request)
    , m_manager(manager)
{
    m_request->setParent(this);
    m_timeoutTimer.setSingleShot(true);
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(1000);
    // Coarse timers may fire 5 % early; the wait between attempts is a full second.
    m_retryTimer.setTimerType(Qt::PreciseTimer);
    m_timeoutTimer.setTimerType(Qt::PreciseTimer);
}

int RequestRunner::retryDelayMs(RetryDelays delays, int attemptsFailed)
{
    constexpr int kFirstMs = 1000;
    constexpr int kLongestMs = 60000;
    if (delays == RetryDelays::Fixed || attemptsFailed <= 1)
        return kFirstMs;
    return attemptsFailed > 7 ? kLongestMs : qMin(kLongestMs, kFirstMs << (attemptsFailed - 1));
}

void RequestRunner::run(int retries, int timeoutSeconds, RetryDelays delays)
{
    m_delays = delays;
    if (timeoutSeconds > 0) {
        connect(&m_timeoutTimer, &QTimer::timeout, this, &RequestRunner::abort);
        m_timeoutTimer.start(timeoutSeconds * 1000);
    }
    m_retriesLeft = retries;
    connect(m_request, &HttpPostRequest::cancelRequested, this, &RequestRunner::cancel);
    connect(&m_retryTimer, &QTimer::timeout, this, &RequestRunner::reallyRun);
    reallyRun();
}

void RequestRunner::reallyRun()
{
    if (m_reply) {
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    bc_ret errors;
    m_reply = m_request->send(m_manager, errors);
    if (errors.ok() && m_reply) {
        connect(m_reply, &QNetworkReply::uploadProgress, m_request, &HttpPostRequest::uploadProgress);
        connect(m_reply, &QNetworkReply::downloadProgress, m_request, &HttpPostRequest::downloadProgress);
        connect(m_reply, &QNetworkReply::finished, this, &RequestRunner::retry);
    } else {
        finish(errors);
    }
}

void RequestRunner::retry()
{
    bc_ret errors;
    if (m_reply->error() == QNetworkReply::NoError) {
        finish(errors);
        return;
    }
    const int code = int(m_reply->error());
    errors.add(QStringLiteral("RequestRunner::retry"), code, m_reply->errorString());
    // Qt's content errors (access denied, not found, ...) would answer the same again.
    if (code > 200 && code < 300) {
        errors.add(QCoreApplication::translate("RequestRunner", "Content error."));
        finish(errors);
        return;
    }
    if (m_retriesLeft > 0) {
        logDebug(QStringLiteral("One attempt failed (%1): %2. Remain %3 retries.")
                         .arg(code)
                         .arg(m_reply->errorString())
                         .arg(m_retriesLeft));
        m_retryTimer.start(retryDelayMs(m_delays, ++m_attemptsFailed));
        --m_retriesLeft;
        return;
    }
    errors.add(QCoreApplication::translate("RequestRunner", "Reached maximum number of retries."));
    finish(errors);
}

void RequestRunner::abort()
{
    if (m_finished)
        return;
    bc_ret errors;
    if (m_reply && m_reply->error() != QNetworkReply::NoError)
        errors.add(QStringLiteral("RequestRunner::abort"), int(m_reply->error()), m_reply->errorString());
    errors.add(QStringLiteral("HTTP request timeout."));
    finish(errors);
}

void RequestRunner::cancel()
{
    if (m_finished)
        return;
    finish(bc_ret(QStringLiteral("RequestRunner::cancel"), -1,
                  QCoreApplication::translate("RequestRunner", "The request was cancelled.")));
}

void RequestRunner::close()
{
    if (m_finished)
        return;
    finish(bc_ret(QStringLiteral("RequestRunner::close"), -1,
                  QCoreApplication::translate("RequestRunner", "The connection was closed.")));
}

void RequestRunner::finish(const bc_ret &errors)
{
    m_finished = true;
    m_timeoutTimer.stop();
    m_retriesLeft = 0;
    m_retryTimer.stop();
    if (m_reply) {
        disconnect(m_reply, &QNetworkReply::finished, this, &RequestRunner::retry);
        // A reply that already ended (waiting for the next attempt) has nothing to abort.
        if (m_reply->isRunning())
            m_reply->abort();
    }
    m_request->onFinished(m_reply, errors);
    // The request is a child: it goes with this runner.
    if (m_reply) {
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    deleteLater();
}

HttpConnection *HttpConnection::s_instance = nullptr;

HttpConnection::HttpConnection(QObject *parent)
    : QObject(parent)
    , m_manager(this)
{
    s_instance = this;
    registerResultMetaType();
    connect(&m_manager, &QNetworkAccessManager::proxyAuthenticationRequired, this,
            &HttpConnection::onProxyAuthenticationRequired);
    applyProxy(&m_manager, loadProxyConfig());
}

HttpConnection::~HttpConnection()
{
    // First, so that a request posted from a result handler below fails at once.
    if (s_instance == this)
        s_instance = nullptr;
    // Every running request ends now, while its reply and the manager still exist;
    // nothing is left to call back once the connection is gone.
    const QList<RequestRunner *> runners = findChildren<RequestRunner *>(Qt::FindDirectChildrenOnly);
    for (RequestRunner *runner : runners)
        runner->close();
    qDeleteAll(runners);
}

HttpConnection *HttpConnection::instance()
{
    return s_instance;
}

void HttpConnection::post(HttpPostRequest *request, int retries, int timeoutSeconds, RetryDelays delays)
{
    HttpConnection *connection = s_instance;
    if (!connection) {
        request->onFinished(nullptr, bc_ret(QStringLiteral("HttpConnection::post"), -1, QStringLiteral("No connection")));
        request->deleteLater();
        return;
    }
    auto *runner = new RequestRunner(request, connection->manager(), connection);
    connect(connection, &HttpConnection::abortEach, runner, &RequestRunner::abort);
    runner->run(retries, timeoutSeconds, delays);
}

void HttpConnection::onProxyAuthenticationRequired(const QNetworkProxy &, QAuthenticator *)
{
    // Credentials come only from the configuration; Qt then fails the request.
}
