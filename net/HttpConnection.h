#pragma once

#include "app/bc_ret.h"

#include <QAuthenticator>
#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPair>
#include <QTimer>

// One request to the web service: fills the network request and reads the reply.
// Handed to HttpConnection::post, which owns it from then on and deletes it (at the
// latest with the connection).
class HttpPostRequest : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Builds the request and posts it; on a failure before posting fills errors, null.
    virtual QNetworkReply *send(QNetworkAccessManager *manager, bc_ret &errors) = 0;
    // Once, when the request is over: errors empty means reply holds the answer;
    // otherwise reply must not be read (it may be null). Emits the result signal.
    virtual void onFinished(QNetworkReply *reply, const bc_ret &errors) = 0;
    // Ends the request now (the user gave up on it): onFinished follows at once with
    // "The request was cancelled.".
    void cancel() { emit cancelRequested(); }

signals:
    void cancelRequested();
    void uploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void downloadProgress(qint64 bytesReceived, qint64 bytesTotal);
};

// A request whose body is in memory.
class MemPostRequest : public HttpPostRequest
{
    Q_OBJECT
public:
    using HttpPostRequest::HttpPostRequest;
    QNetworkReply *send(QNetworkAccessManager *manager, bc_ret &errors) override;

protected:
    virtual bc_ret prepare(QNetworkRequest &request, QByteArray &body) = 0;
};

// A request whose body is streamed from a device it owns (uploads).
class FilePostRequest : public HttpPostRequest
{
    Q_OBJECT
public:
    using HttpPostRequest::HttpPostRequest;
    QNetworkReply *send(QNetworkAccessManager *manager, bc_ret &errors) override;

protected:
    // Creates and opens the device.
    virtual bc_ret prepare(QNetworkRequest &request, QIODevice *&device) = 0;
    QIODevice *device = nullptr;
};

// Head bytes, a file's contents and tail bytes as one read-only stream, without
// loading the file into memory (multipart uploads). Seekable: a request sent again
// (after a dropped connection, say) rewinds it and sends it whole from the head.
class QUpFile : public QIODevice
{
    Q_OBJECT
public:
    QUpFile(const QString &path, const QByteArray &head, const QByteArray &tail, QObject *parent = nullptr);
    bool open(OpenMode mode) override;
    void close() override;
    qint64 size() const override;
    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    QString errorText() const { return m_file->errorString(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile *m_file;
    QByteArray m_head;
    QByteArray m_tail;
    qint64 m_pos = 0;
};

// The fixed headers of every request, with its address. Redirects are not followed:
// a 3xx reaches the request, which decides what it means.
void setCommonHeaders(QNetworkRequest &request, const QString &url);
// name=value pairs joined by "&" as UTF-8, then percent-encoded except "&" and "=".
QByteArray formBody(const QList<QPair<QString, QString>> &fields);

// How far apart the attempts of a request are: 1000 ms each, or doubling from
// 1000 ms up to a minute (a large body is not sent again every second to a service
// that is struggling).
enum class RetryDelays { Fixed, Growing };

// Runs one request: posts it, posts it again after network failures while the
// retry budget lasts, enforces the overall time-out, then hands the outcome to the
// request and deletes everything. A child of the connection,
// owning the request: both go when the connection goes.
class RequestRunner : public QObject
{
    Q_OBJECT
public:
    RequestRunner(HttpPostRequest *request, QNetworkAccessManager *manager, QObject *parent);
    void run(int retries, int timeoutSeconds, RetryDelays delays = RetryDelays::Fixed);
    // The wait before the next attempt after attemptsFailed failures.
    static int retryDelayMs(RetryDelays delays, int attemptsFailed);
    // Ends the request now because its connection goes away.
    void close();

public slots:
    void abort();
    void cancel();
    void retry();
    void reallyRun();

private:
    void finish(const bc_ret &errors);

    HttpPostRequest *m_request;
    QNetworkAccessManager *m_manager;
    QTimer m_timeoutTimer;
    int m_retriesLeft = 0;
    int m_attemptsFailed = 0;
    RetryDelays m_delays = RetryDelays::Fixed;
    QTimer m_retryTimer;
    QNetworkReply *m_reply = nullptr;
    bool m_finished = false;
};

// The program's one network access manager, shared by every request (and later by
// the embedded web pages, so they share the session). One instance per process.
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    explicit HttpConnection(QObject *parent = nullptr);
    ~HttpConnection() override;

    static HttpConnection *instance();
    QNetworkAccessManager *manager() { return &m_manager; }

    // Starts request (the framework owns it from now on). retries: extra attempts
    // after network failures; timeoutSeconds > 0: an overall limit. Requests still
    // running when the connection is destroyed end then, with an error.
    static void post(HttpPostRequest *request, int retries, int timeoutSeconds,
                     RetryDelays delays = RetryDelays::Fixed);

signals:
    // Every running request ends with "HTTP request timeout.".
    void abortEach();

public slots:
    void onProxyAuthenticationRequired(const QNetworkProxy &proxy, QAuthenticator *authenticator);

private:
    QNetworkAccessManager m_manager;
    static HttpConnection *s_instance;
};
