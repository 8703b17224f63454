#include "net/VideoUpload.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "library/JsonReader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUuid>

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

QByteArray partSeparator()
{
    return kCrLf + "--" + VideoUploadRequest::boundary() + kCrLf;
}

QByteArray field(const char *name, const QByteArray &value)
{
    return partSeparator() + "Content-Disposition: form-data; name=\"" + name + "\"" + kCrLf + kCrLf + value;
}

} // namespace

VideoUploadRequest::VideoUploadRequest(const EncodedItemSptr &encodedItem, QObject *parent)
    : FilePostRequest(parent)
    , m_encodedItem(encodedItem)
{
}

QByteArray VideoUploadRequest::boundary()
{
    // Made once, on first use, and kept for the life of the process.
    static const QByteArray made = "--" + QByteArray::number(QRandomGenerator::global()->bounded(2147483647));
    return made;
}

QByteArray VideoUploadRequest::head(const QString &filePath)
{
    // The name only: where the user keeps videos (and the user's login name in that
    // path) is none of the service's business. Quotes and line ends would end the header.
    QByteArray name = QFileInfo(filePath).fileName().toUtf8();
    for (char &c : name) {
        if (c == '"' || c == '\r' || c == '\n')
            c = '_';
    }
    return "--" + boundary() + kCrLf + "Content-Disposition: form-data; name=\"form_name\"" + kCrLf + kCrLf
           + "Form_upload" + partSeparator() + "Content-Disposition: form-data; name=\"sfile\"; filename=\"" + name + "\""
           + kCrLf + "Content-Type: application/octet-stream" + kCrLf + kCrLf;
}

QByteArray VideoUploadRequest::tail(const UploadParams &params, const QUuid &attempt)
{
    return field("title", params.videoTitle.toUtf8()) + field("id_table", QByteArray::number(params.room))
           + field("uuid", attempt.toString().toUtf8()) + field("upload", "upload") + kCrLf + "--" + boundary() + "--"
           + kCrLf;
}

bc_ret VideoUploadRequest::prepare(QNetworkRequest &request, QIODevice *&device)
{
    setCommonHeaders(request, serviceUrl(QStringLiteral("/video/upload")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=" + boundary()));
    const QString path = m_encodedItem ? m_encodedItem->fileName : QString();
    const UploadParams params = m_encodedItem && m_encodedItem->params ? *m_encodedItem->params : UploadParams();
    // Every attempt is a new upload for the service: a new UUID.
    auto *file = new QUpFile(path, head(path), tail(params, QUuid::createUuid()), this);
    device = file;
    bc_ret result;
    if (!file->open(QIODevice::ReadOnly))
        result.add(QString(), 0, QCoreApplication::translate("VideoUploadRequest", "Error opening file '%1'").arg(path));
    return result;
}

bc_ret VideoUploadRequest::parseReply(const QByteArray &body, QString &key)
{
    bc_ret result;
    bool parsed = false;
    const QVariantMap answer = parseJson(QString::fromUtf8(body), parsed).toMap();
    key.clear();
    if (!parsed) {
        result.add(QString(), 0, QCoreApplication::translate("VideoUploadRequest", "Internal upload protocol error"));
        return result;
    }
    key = answer.value(QStringLiteral("key")).toString();
    if (key.isEmpty()) {
        QString message = answer.value(QStringLiteral("error")).toString();
        if (message.isEmpty())
            message = QCoreApplication::translate("VideoUploadRequest", "Unknown upload error");
        result.add(QString(), 0, message);
    }
    return result;
}

void VideoUploadRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed()) {
        emit uploadFinished(errors, QString());
        return;
    }
    const QByteArray body = reply->readAll();
    logDebug(QStringLiteral("Upload reply: %1").arg(QString::fromUtf8(body)));
    QString key;
    bc_ret result = errors;
    result += parseReply(body, key);
    emit uploadFinished(result, key);
}

QString videoPageUrl(const QString &uploadKey)
{
    return serviceUrl(QStringLiteral("/video/")) + uploadKey;
}

QString videoEditUrl(const QString &uploadKey)
{
    return serviceUrl(QStringLiteral("/account/hands/edit/")) + uploadKey;
}
