#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QPair>
#include <QTimer>

class QTcpSocket;

// An upload's exchange on a connection of its own, for what Qt's access manager cannot
// do: it asks the service first ("Expect: 100-continue") and reads an answer that comes
// while the body is still on its way. A refusal thus stops the sending and is read at
// once, instead of being lost to the reset of a connection the service closed under a
// body it did not want. A service that does not answer the question within
// kContinueWaitMs gets the body all the same.
class UploadReply : public QNetworkReply
{
    Q_OBJECT
public:
    static constexpr int kContinueWaitMs = 3000;

    // body: open and positioned at its start; it must outlive the reply's end.
    // cookies: the Cookie header's value, empty for none.
    UploadReply(const QNetworkRequest &request, QIODevice *body, const QByteArray &cookies, QObject *parent = nullptr);
    ~UploadReply() override;

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

    // Decodes a whole chunked body; false while it is not complete (or is not one).
    static bool decodeChunked(const QByteArray &encoded, QByteArray &decoded);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void start();
    QByteArray requestHead() const;
    void onConnected();
    void onBytesWritten(qint64 bytes);
    void allowBody();
    void sendMore();
    void onReadyRead();
    void onSocketGone();
    // Reads what has come: interim answers are skipped; true once a final answer is whole.
    bool readAnswer(bool connectionOver);
    bool readAnswerHead();
    void succeed();
    void fail(NetworkError code, const QString &text);
    void end();

    QTcpSocket *m_socket = nullptr;
    QIODevice *m_body;
    QByteArray m_cookies;
    QByteArray m_chunk;
    QTimer m_continueWait;
    qint64 m_total = 0;
    qint64 m_headUnacknowledged = 0;
    qint64 m_bodyQueued = 0;
    qint64 m_bodyAcknowledged = 0;
    bool m_bodyAllowed = false;
    bool m_answerStarted = false;
    bool m_over = false;
    // The answer as it comes, then its parts.
    QByteArray m_received;
    int m_status = 0;
    QByteArray m_reason;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_content;
    qint64 m_contentRead = 0;
};
