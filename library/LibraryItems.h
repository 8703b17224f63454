#pragma once

#include "app/bc_ret.h"
#include "library/XmlElement.h"

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QPixmap>
#include <QString>

#include <memory>

// Facts about one video file.
struct VideoInfo
{
    QString fileName;
    qint64 fileSize = 0;
    int duration = 0; // milliseconds
    QPixmap thumbnail; // loaded from thumbnailFile, never stored
    QString thumbnailFile;

    void write(XmlElement element) const;
    // Loads the thumbnail picture; a missing picture file leaves it null.
    static std::shared_ptr<VideoInfo> read(const XmlElement &element);
};
using VideoInfoSptr = std::shared_ptr<VideoInfo>;

enum class RecordedItemStatus { Idle = 0, Editing = 1 };

// One recorded video of the pending or archive list.
class RecordedItem : public QObject
{
    Q_OBJECT
public:
    RecordedItem();

    int sequenceNumber() const { return m_sequenceNumber; }
    QDateTime date;
    int room = -1;
    QString videoName;
    VideoInfoSptr info;

    RecordedItemStatus status() const { return m_status; }
    // The user's title, or "Video #0007" from the sequence number.
    QString title() const;

    // The item's fields as children of element.
    void write(XmlElement element) const;
    // Null when the entry is unusable (no "info").
    static std::shared_ptr<RecordedItem> read(const XmlElement &element);

public slots:
    void setStatus(RecordedItemStatus status);

signals:
    void statusChanged(RecordedItemStatus status);

private:
    int m_sequenceNumber;
    RecordedItemStatus m_status = RecordedItemStatus::Idle;
};
using RecordedItemSptr = std::shared_ptr<RecordedItem>;

struct UploadParams
{
    QString videoTitle;
    int room = -1;

    void write(XmlElement element) const;
    static std::shared_ptr<UploadParams> read(const XmlElement &element);
};
using UploadParamsSptr = std::shared_ptr<UploadParams>;

// One edit of a recorded video, handed to encoding. Not stored.
struct EditedItem
{
    RecordedItemSptr source;
    qint64 startMs = 0;
    qint64 endMs = 0;
    UploadParamsSptr params;
    QDateTime editedDate;
    int volume = 100; // percent, 0 means no audio
};
using EditedItemSptr = std::shared_ptr<EditedItem>;

// The file produced by encoding.
struct EncodedItem
{
    QString fileName;
    UploadParamsSptr params;

    void write(XmlElement element) const;
    // Null without "uploadParams".
    static std::shared_ptr<EncodedItem> read(const XmlElement &element);
};
using EncodedItemSptr = std::shared_ptr<EncodedItem>;
Q_DECLARE_METATYPE(EncodedItemSptr)

// One entry of the edited list.
struct StoredItem
{
    enum Status { Encoded = 1, Uploaded = 2 };

    EncodedItemSptr encodedItem; // null until encoding has finished
    UploadParamsSptr uploadParams;
    QDateTime addedDate;
    QDateTime editedDate;
    qint64 duration = 0; // milliseconds
    QPixmap thumbnail; // loaded from thumbnailFile, never stored
    int status = Encoded;
    QString uploadKey;
    QString thumbnailFile;

    // Writes nothing while encoding has not finished: such entries are not kept.
    void write(XmlElement element) const;
    // Null when the entry is unusable (missing records, status other than 1 or 2).
    static std::shared_ptr<StoredItem> read(const XmlElement &element);
};
using StoredItemSptr = std::shared_ptr<StoredItem>;

// A new unique base name for a library file: a UUID without braces.
QString newFileName();

// Saves picture as PNG in the current user's thumbnail directory; the path, or
// an empty text on failure.
QString saveThumbnail(const QPixmap &picture);

// Removes the video file and then, only when the video is gone, its thumbnail.
bc_ret deleteRecordedFiles(const RecordedItem &item);
// Removes the encoded file and the thumbnail.
bc_ret deleteStoredFiles(const StoredItem &item);

// Texts of the item lists.
QString durationText(qint64 ms);
QString fileSizeText(qint64 bytes);
QString dateText(const QDateTime &dateTime);
