#pragma once

#include "net/HttpConnection.h"

#include <QSignalSpy>

// The program's kind of requests, for tests that talk to a real or fake peer.

// The outcome of one request: status is the HTTP status, 0 when there was none and
// -1 when no reply was even made (a failure before sending).
struct Outcome
{
    bc_ret errors;
    QByteArray body;
    int status = -1;
};
Q_DECLARE_METATYPE(Outcome)

// A POST of a form (or of any bytes), as the program sends them.
class Post : public MemPostRequest
{
    Q_OBJECT
public:
    Post(QString url, QByteArray body);
    QNetworkReply *send(QNetworkAccessManager *manager, bc_ret &errors) override;
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

signals:
    void attempting();
    // One attempt's reply is over, with this QNetworkReply::NetworkError.
    void attemptEnded(int error);
    void done(const Outcome &outcome);

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;

private:
    QString m_url;
    QByteArray m_body;
};

// A multipart video upload streamed from a file, as the program sends it.
class Upload : public FilePostRequest
{
    Q_OBJECT
public:
    Upload(QString url, QString path, QString title = QStringLiteral("Aces up"));
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

signals:
    void done(const Outcome &outcome);

protected:
    bc_ret prepare(QNetworkRequest &request, QIODevice *&device) override;

private:
    QString m_url;
    QString m_path;
    QString m_title;
};

// Posts request through HttpConnection and waits for its end; the bound only ends a hang.
template<class Request>
Outcome runToEnd(Request *request, int retries = 0, int timeoutSeconds = 0, RetryDelays delays = RetryDelays::Fixed)
{
    QSignalSpy done(request, &Request::done);
    HttpConnection::post(request, retries, timeoutSeconds, delays);
    if (done.isEmpty() && !done.wait(300 * 1000))
        return {bc_ret(QStringLiteral("no result")), QByteArray(), -1};
    return done.first().first().template value<Outcome>();
}
