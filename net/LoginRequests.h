#pragma once

#include "library/User.h"
#include "net/HttpConnection.h"

// The password as the service receives it and "login.conf" keeps it: the lower-case
// hexadecimal MD5 digest of its UTF-8 bytes.
QString passwordDigest(const QString &password);

// Whether the service's user name can name the user's own directory: never a way
// out of the users' tree, whatever the service sends.
bool isUsableUserName(const QString &name);

// Logs in: the result travels in the reply's cookies ("errors", "username",
// "language"), which stay in the connection's jar with the session cookie.
class LoginRequest : public MemPostRequest
{
    Q_OBJECT
public:
    // password: the digest.
    LoginRequest(const QString &email, const QString &password, QObject *parent = nullptr);

    // Every attempt starts with an empty cookie jar: nothing of an earlier session
    // goes along.
    QNetworkReply *send(QNetworkAccessManager *manager, bc_ret &errors) override;
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

signals:
    // info is null on failure; a login with errors failed even with an info.
    void replyParsed(const bc_ret &errors, const UserInfoSptr &info);

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;

private:
    QString m_email;
    QString m_password;
};

// Ends the session; the reply's body is not read.
class LogoutRequest : public MemPostRequest
{
    Q_OBJECT
public:
    using MemPostRequest::MemPostRequest;
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

signals:
    void logOutDone(const bc_ret &errors);

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;
};
