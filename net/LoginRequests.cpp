#include "net/LoginRequests.h"

#include "app/Paths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QMap>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QUrl>

namespace {

// The fixed value the service expects with every login.
constexpr char kLoginMethod[] = "7c41e09ab35d26f8d0a9b17e54c3f62d";

// Cookie values by name from every "Set-Cookie" of the reply; a repeated name keeps
// its last value. The service form-encodes them: "+" is a blank, "%XX" a byte of UTF-8.
QMap<QString, QString> replyCookies(QNetworkReply *reply)
{
    QMap<QString, QString> values;
    for (const QNetworkReply::RawHeaderPair &header : reply->rawHeaderPairs()) {
        if (header.first.compare("Set-Cookie", Qt::CaseInsensitive) != 0)
            continue;
        for (const QNetworkCookie &cookie : QNetworkCookie::parseCookies(header.second)) {
            const QByteArray value = QByteArray(cookie.value()).replace('+', ' ');
            values.insert(QString::fromUtf8(cookie.name()), QUrl::fromPercentEncoding(value));
        }
    }
    return values;
}

} // namespace

QString passwordDigest(const QString &password)
{
    return QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex());
}

bool isUsableUserName(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !name.contains(QLatin1Char('/'))
           && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

LoginRequest::LoginRequest(const QString &email, const QString &password, QObject *parent)
    : MemPostRequest(parent)
    , m_email(email.trimmed())
    , m_password(password)
{
}

QNetworkReply *LoginRequest::send(QNetworkAccessManager *manager, bc_ret &errors)
{
    manager->setCookieJar(new QNetworkCookieJar(manager));
    return MemPostRequest::send(manager, errors);
}

bc_ret LoginRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    setCommonHeaders(request, serviceUrl(QStringLiteral("/auth/login")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    body = formBody({{QStringLiteral("form_name"), QStringLiteral("Form_login")},
                     {QStringLiteral("connected"), QStringLiteral("1")},
                     {QStringLiteral("password"), m_password},
                     {QStringLiteral("login"), m_email},
                     {QStringLiteral("method"), QLatin1String(kLoginMethod)},
                     {QStringLiteral("logme"), QStringLiteral("Connection")},
                     {QStringLiteral("auth"), QStringLiteral("soft")},
                     {QStringLiteral("version"), QLatin1String(kVersion)}});
    return bc_ret();
}

void LoginRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed()) {
        emit replyParsed(errors, nullptr);
        return;
    }
    bc_ret result = errors;
    const QMap<QString, QString> cookies = replyCookies(reply);
    const QString refusal = cookies.value(QStringLiteral("errors"));
    if (!refusal.isEmpty())
        result.add(QString(), 0, refusal);
    const QString username = cookies.value(QStringLiteral("username"));
    if (username.isEmpty()) {
        // A refusal says why by itself; naming an internal error beside it would mislead.
        if (result.ok())
            result.add(QCoreApplication::translate("LoginRequest", "Internal user name communication error"));
        emit replyParsed(result, nullptr);
        return;
    }
    // The name becomes a directory of the user's own: one that would lead elsewhere is refused.
    if (!isUsableUserName(username)) {
        result.add(QCoreApplication::translate("LoginRequest", "The service sent a user name that cannot be used: \"%1\"")
                           .arg(username));
        emit replyParsed(result, nullptr);
        return;
    }
    emit replyParsed(result, std::make_shared<UserInfo>(UserInfo{m_email, username, cookies.value(QStringLiteral("language"))}));
}

bc_ret LogoutRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    setCommonHeaders(request, serviceUrl(QStringLiteral("/auth/logout")));
    body.clear();
    return bc_ret();
}

void LogoutRequest::onFinished(QNetworkReply *, const bc_ret &errors)
{
    emit logOutDone(errors);
}
