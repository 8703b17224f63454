#include "tests/support/Requests.h"

#include <QUuid>

namespace {

Outcome outcome(QNetworkReply *reply, const bc_ret &errors)
{
    if (!reply)
        return {errors, QByteArray(), -1};
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return {errors, errors.ok() ? reply->readAll() : QByteArray(), status};
}

} // namespace

Post::Post(QString url, QByteArray body)
    : m_url(std::move(url))
    , m_body(std::move(body))
{
    qRegisterMetaType<Outcome>();
}

bc_ret Post::prepare(QNetworkRequest &request, QByteArray &body)
{
    emit attempting();
    setCommonHeaders(request, m_url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    body = m_body;
    return bc_ret();
}

QNetworkReply *Post::send(QNetworkAccessManager *manager, bc_ret &errors)
{
    QNetworkReply *reply = MemPostRequest::send(manager, errors);
    if (reply)
        connect(reply, &QNetworkReply::finished, this, [this, reply] { emit attemptEnded(int(reply->error())); });
    return reply;
}

void Post::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    emit done(outcome(reply, errors));
}

Upload::Upload(QString url, QString path, QString title)
    : m_url(std::move(url))
    , m_path(std::move(path))
    , m_title(std::move(title))
{
    qRegisterMetaType<Outcome>();
}

bc_ret Upload::prepare(QNetworkRequest &request, QIODevice *&device)
{
    const QByteArray boundary = "----brindlecast" + QUuid::createUuid().toByteArray(QUuid::Id128);
    const QByteArray separator = "--" + boundary + "\r\n";
    auto field = [&](const char *name, const QByteArray &value) {
        return separator + "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    };
    const QByteArray head = field("form_name", "Form_upload") + separator
                            + "Content-Disposition: form-data; name=\"sfile\"; filename=\"video.flv\"\r\n"
                              "Content-Type: application/octet-stream\r\n\r\n";
    const QByteArray tail = "\r\n" + field("title", m_title.toUtf8()) + field("id_table", "12")
                            + field("uuid", QUuid::createUuid().toByteArray()) + field("upload", "upload") + "--"
                            + boundary + "--\r\n";
    setCommonHeaders(request, m_url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=" + boundary));
    auto *file = new QUpFile(m_path, head, tail, this);
    device = file;
    if (!file->open(QIODevice::ReadOnly))
        return bc_ret(QStringLiteral("QUpFile::open"), -1, file->errorText());
    return bc_ret();
}

void Upload::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    emit done(outcome(reply, errors));
}
