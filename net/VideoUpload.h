#pragma once

#include "library/LibraryItems.h"
#include "net/HttpConnection.h"

// Sends an encoded video with its title and room to the service as one multipart
// form whose file part streams from disk; the reply names the new video's key.
class VideoUploadRequest : public FilePostRequest
{
    Q_OBJECT
public:
    explicit VideoUploadRequest(const EncodedItemSptr &encodedItem, QObject *parent = nullptr);

    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;

    // The multipart boundary, the same for every upload of this process.
    static QByteArray boundary();
    // The bytes before and after the file's for one attempt, with its own UUID.
    static QByteArray head(const QString &filePath);
    static QByteArray tail(const UploadParams &params, const QUuid &attempt);
    // What the reply says: the key, or the reasons it gives none.
    static bc_ret parseReply(const QByteArray &body, QString &key);

signals:
    void uploadFinished(const bc_ret &ret, const QString &uploadKey);

protected:
    bc_ret prepare(QNetworkRequest &request, QIODevice *&device) override;

private:
    EncodedItemSptr m_encodedItem;
};

// The pages of an uploaded video: the public one and the owner's edit page.
QString videoPageUrl(const QString &uploadKey);
QString videoEditUrl(const QString &uploadKey);
