#include "net/Updates.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "library/JsonReader.h"
#include "platform/ProgramFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <QUuid>

namespace {

bc_ret prepareUpdateRequest(QNetworkRequest &request, QByteArray &body, const QString &url)
{
    setCommonHeaders(request, url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    body = updateRequestBody();
    return bc_ret();
}

} // namespace

QByteArray updateRequestBody()
{
    return formBody({{QStringLiteral("version"), QLatin1String(kVersion)}});
}

UpdateCheckRequest::UpdateCheckRequest(const QString &url, QObject *parent)
    : MemPostRequest(parent)
    , m_url(url)
{
}

bc_ret UpdateCheckRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    return prepareUpdateRequest(request, body, m_url);
}

int UpdateCheckRequest::parseReply(const QByteArray &body, int httpStatus, QString &url, QString &sha256, bc_ret &errors)
{
    const QString text = QString::fromUtf8(body);
    logDebug(QStringLiteral("Update: %1").arg(text));
    bool parsed = false;
    const QVariant value = parseJson(text, parsed);
    if (!parsed || value.typeId() != QMetaType::QVariantMap) {
        errors.add(text);
        errors.add(tr("HTTP status code (%1)").arg(httpStatus));
        errors.add(tr("Error exchange format"));
        return NotUnderstood;
    }
    const QVariantMap map = value.toMap();
    url = map.value(QStringLiteral("url")).toString();
    if (url.isEmpty() || !QUrl(url, QUrl::StrictMode).isValid()) {
        url.clear();
        return NotUnderstood;
    }
    sha256 = map.value(QStringLiteral("sha256")).toString();
    bool isNumber = false;
    const int code = map.value(QStringLiteral("code")).toString().trimmed().toInt(&isNumber);
    if (isNumber && code >= Current && code <= NewVersion)
        return code;
    errors.add(text);
    errors.add(tr("Error exchange content"));
    return NotUnderstood;
}

void UpdateCheckRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed() || !reply) {
        emit versionChecked(NetworkFailure, errors, QString());
        return;
    }
    bc_ret result;
    QString url;
    QString sha256;
    const int status = parseReply(reply->readAll(), reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                                  url, sha256, result);
    if (!sha256.isNull())
        emit checksumAnnounced(sha256);
    emit versionChecked(status, result, url);
}

UpdateDownloadRequest::UpdateDownloadRequest(const QString &url, const QString &sha256, QObject *parent)
    : MemPostRequest(parent)
    , m_url(url)
    , m_sha256(sha256)
{
}

bc_ret UpdateDownloadRequest::verifyAddress(const QString &url)
{
    const QUrl from(url);
    const QUrl service(serviceUrl());
    // Another port of the same host may be another program altogether.
    const int defaultPort = service.scheme() == QLatin1String("https") ? 443 : 80;
    if (from.isValid() && from.scheme() == service.scheme() && from.host().compare(service.host(), Qt::CaseInsensitive) == 0
        && from.port(defaultPort) == service.port(defaultPort))
        return bc_ret();
    return bc_ret(QStringLiteral("UpdateDownloadRequest::verifyAddress"), 0,
                  tr("The update is not offered by %1.").arg(service.host()));
}

bc_ret UpdateDownloadRequest::verifyInstaller(const QByteArray &body, const QString &sha256)
{
    const QString context = QStringLiteral("UpdateDownloadRequest::verifyInstaller");
    if (body.isEmpty())
        return bc_ret(context, 0, tr("The downloaded update is empty."));
    if (bc_ret missing = verifyChecksumGiven(sha256); missing.failed())
        return missing;
    const QByteArray actual = QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex();
    if (QString::fromLatin1(actual).compare(sha256.trimmed(), Qt::CaseInsensitive) != 0)
        return bc_ret(context, 0, tr("The downloaded update does not match its checksum."));
    // A script passes only through the checksum above: it is exactly what the service announced.
    if (!desktop::runsOnThisMachine(body.left(64)))
        return bc_ret(context, 0, tr("The downloaded update is not a program for this computer."));
    return bc_ret();
}

bc_ret UpdateDownloadRequest::verifyChecksumGiven(const QString &sha256)
{
    if (!sha256.trimmed().isEmpty())
        return bc_ret();
    return bc_ret(QStringLiteral("UpdateDownloadRequest::verifyChecksumGiven"), 0,
                  tr("The update was announced without a checksum, so it cannot be verified."));
}

bc_ret UpdateDownloadRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    // Checked before anything is sent: nothing is fetched that could not be verified.
    if (bc_ret refused = verifyAddress(m_url); refused.failed())
        return refused;
    if (bc_ret refused = verifyChecksumGiven(m_sha256); refused.failed())
        return refused;
    return prepareUpdateRequest(request, body, m_url);
}

void UpdateDownloadRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed() || !reply) {
        emit updateDownloadDone(QString(), errors);
        return;
    }
    bc_ret result;
    // A redirect or an error page is not the installer, whatever its body holds.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) {
        emit updateDownloadDone(QString(), bc_ret(QStringLiteral("UpdateDownloadRequest::onFinished"), status,
                                                  tr("The service answered with the HTTP status %1 instead of the update.")
                                                          .arg(status)));
        return;
    }
    const QByteArray body = reply->readAll();
    if (bc_ret refused = verifyInstaller(body, m_sha256); refused.failed()) {
        emit updateDownloadDone(QString(), refused);
        return;
    }
    const QString path = QDir::temp().filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
    QFile file(path);
    // Only the user may change it before it is installed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) {
        result.add(QStringLiteral("UpdateDownloadRequest::parseReply"), 0, tr("Error opening file '%1'").arg(path));
        emit updateDownloadDone(QString(), result);
        return;
    }
    const qint64 written = file.write(body);
    const bool complete = written == body.size() && file.flush();
    file.close();
    if (!complete) {
        file.remove();
        result.add(QStringLiteral("UpdateDownloadRequest::parseReply"), 0, tr("Error writing to file '%1'").arg(path));
        emit updateDownloadDone(QString(), result);
        return;
    }
    logDebug(QStringLiteral("Update file size (%1)").arg(written));
    emit updateDownloadDone(path, result);
}
