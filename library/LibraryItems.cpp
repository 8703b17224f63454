#include "library/LibraryItems.h"

#include "library/FileNames.h"

#include "app/Log.h"
#include "library/TranslatorManager.h"
#include "library/User.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QUuid>

#include <atomic>

namespace {

std::atomic<int> g_sequence{0};

bc_ret removeFile(const QString &path)
{
    if (path.isEmpty())
        return bc_ret();
    QFile file(path);
    // Already gone counts as done: there is nothing left to remove.
    if (file.remove() || !file.exists())
        return bc_ret();
    return bc_ret(QStringLiteral("QFile::remove"), qint64(file.error()), file.errorString())
            .add(QCoreApplication::translate("Library", "Can not delete file '%1'").arg(path));
}

} // namespace

void VideoInfo::write(XmlElement element) const
{
    element.addChild(QStringLiteral("fileName"), fileName);
    element.addChild(QStringLiteral("fileSize"), fileSize);
    element.addChild(QStringLiteral("duration"), qint64(duration));
    element.addChild(QStringLiteral("thumbnailFile"), thumbnailFile);
}

VideoInfoSptr VideoInfo::read(const XmlElement &element)
{
    auto info = std::make_shared<VideoInfo>();
    info->fileName = element.childString(QStringLiteral("fileName"));
    info->fileSize = element.childInt64(QStringLiteral("fileSize"));
    info->duration = int(element.childInt64(QStringLiteral("duration")));
    info->thumbnailFile = element.childString(QStringLiteral("thumbnailFile"));
    if (!info->thumbnailFile.isEmpty())
        info->thumbnail = QPixmap(info->thumbnailFile);
    return info;
}

RecordedItem::RecordedItem()
    : m_sequenceNumber(++g_sequence)
{
}

QString RecordedItem::title() const
{
    if (!videoName.isEmpty())
        return videoName;
    return tr("Video #%1").arg(QString::asprintf("%04d", m_sequenceNumber));
}

void RecordedItem::setStatus(RecordedItemStatus status)
{
    m_status = status;
    emit statusChanged(status);
}

void RecordedItem::write(XmlElement element) const
{
    element.addChild(QStringLiteral("videoName"), videoName);
    element.addChild(QStringLiteral("date"), date);
    element.addChild(QStringLiteral("room"), room);
    // An item whose assembly has not finished has no video yet and is not kept.
    if (info)
        info->write(element.addChild(QStringLiteral("info"), QString()));
}

RecordedItemSptr RecordedItem::read(const XmlElement &element)
{
    const QList<XmlElement> infos = element.children(QStringLiteral("info"));
    if (infos.isEmpty())
        return nullptr;
    auto item = std::make_shared<RecordedItem>();
    item->videoName = element.childString(QStringLiteral("videoName"));
    item->date = element.childDateTime(QStringLiteral("date"));
    item->room = element.childInt(QStringLiteral("room"), -1);
    item->info = VideoInfo::read(infos.first());
    return item;
}

void UploadParams::write(XmlElement element) const
{
    element.addChild(QStringLiteral("videoTitle"), videoTitle);
    element.addChild(QStringLiteral("room"), room);
}

UploadParamsSptr UploadParams::read(const XmlElement &element)
{
    auto params = std::make_shared<UploadParams>();
    params->videoTitle = element.childString(QStringLiteral("videoTitle"));
    params->room = element.childInt(QStringLiteral("room"), -1);
    return params;
}

void EncodedItem::write(XmlElement element) const
{
    element.addChild(QStringLiteral("fileName"), fileName);
    // Always written, so that the entry stays readable.
    (params ? *params : UploadParams{}).write(element.addChild(QStringLiteral("uploadParams"), QString()));
}

EncodedItemSptr EncodedItem::read(const XmlElement &element)
{
    const QList<XmlElement> params = element.children(QStringLiteral("uploadParams"));
    if (params.isEmpty())
        return nullptr;
    auto item = std::make_shared<EncodedItem>();
    item->fileName = element.childString(QStringLiteral("fileName"));
    item->params = UploadParams::read(params.first());
    return item;
}

void StoredItem::write(XmlElement element) const
{
    if (!encodedItem)
        return;
    encodedItem->write(element.addChild(QStringLiteral("encodedItem"), QString()));
    (uploadParams ? *uploadParams : UploadParams{}).write(element.addChild(QStringLiteral("uploadParams"), QString()));
    element.addChild(QStringLiteral("addedDate"), addedDate);
    element.addChild(QStringLiteral("editedDate"), editedDate);
    element.addChild(QStringLiteral("duration"), duration);
    element.addChild(QStringLiteral("status"), status);
    element.addChild(QStringLiteral("uploadKey"), uploadKey);
    element.addChild(QStringLiteral("thumbnailFile"), thumbnailFile);
}

StoredItemSptr StoredItem::read(const XmlElement &element)
{
    const QList<XmlElement> encoded = element.children(QStringLiteral("encodedItem"));
    if (encoded.isEmpty())
        return nullptr;
    EncodedItemSptr encodedItem = EncodedItem::read(encoded.first());
    if (!encodedItem)
        return nullptr;
    const QList<XmlElement> params = element.children(QStringLiteral("uploadParams"));
    if (params.isEmpty())
        return nullptr;

    auto item = std::make_shared<StoredItem>();
    item->encodedItem = encodedItem;
    item->uploadParams = UploadParams::read(params.first());
    item->addedDate = element.childDateTime(QStringLiteral("addedDate"));
    item->editedDate = element.childDateTime(QStringLiteral("editedDate"));
    item->duration = element.childInt64(QStringLiteral("duration"));
    // An unknown status must not cost the user the video: it can be uploaded again.
    item->status = element.childInt(QStringLiteral("status"), Encoded);
    if (item->status != Encoded && item->status != Uploaded)
        item->status = Encoded;
    item->uploadKey = element.childString(QStringLiteral("uploadKey"));
    item->thumbnailFile = element.childString(QStringLiteral("thumbnailFile"));
    if (!item->thumbnailFile.isEmpty())
        item->thumbnail = QPixmap(item->thumbnailFile);
    return item;
}

QString newSavedVideoPath(const QDir &folder)
{
    return folder.filePath(newFileName() + QLatin1String(kSavedVideoSuffix));
}

QString newFileName()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString saveThumbnail(const QPixmap &picture)
{
    const User *user = User::current();
    if (!user || picture.isNull())
        return QString();
    const QString path = user->paths().thumbnail.filePath(newFileName() + QStringLiteral(".png"));
    if (!picture.save(path, "PNG", 100)) {
        logWarn(QStringLiteral("Error saving thumbnail '%1'").arg(path));
        return QString();
    }
    return path;
}

bc_ret deleteRecordedFiles(const RecordedItem &item)
{
    if (!item.info)
        return bc_ret();
    bc_ret ret = removeFile(item.info->fileName);
    if (ret.ok())
        ret = removeFile(item.info->thumbnailFile);
    return ret;
}

bc_ret deleteStoredFiles(const StoredItem &item)
{
    bc_ret ret;
    if (item.encodedItem)
        ret += removeFile(item.encodedItem->fileName);
    ret += removeFile(item.thumbnailFile);
    return ret;
}

QString durationText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(ms, 0) / 1000;
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

QString fileSizeText(qint64 bytes)
{
    constexpr qint64 kMiB = qint64(1) << 20;
    constexpr qint64 kGiB = qint64(1) << 30;
    // Localised decimal point, no digit grouping: "1024.0 MB", not "1,024.0 MB".
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    if (bytes <= kGiB)
        return QCoreApplication::translate("Library", "%1 MB").arg(locale.toString(double(bytes) / kMiB, 'f', 1));
    return QCoreApplication::translate("Library", "%1 GB").arg(locale.toString(double(bytes) / kGiB, 'f', 1));
}

QString dateText(const QDateTime &dateTime)
{
    const QString language = currentLanguage();
    // English: "02:05pm - 01/12/2011", the marker following the minutes without a blank.
    if (language == QLatin1String("English"))
        return dateTime.toString(QStringLiteral("hh:mmap - dd/MM/yyyy"));
    // Others the way their language writes a time and a date ("14:05 - 01/12/2011").
    const QLocale locale = TranslatorManager::localeOf(language);
    return QStringLiteral("%1 - %2").arg(locale.toString(dateTime.time(), QLocale::ShortFormat),
                                         locale.toString(dateTime.date(), QLocale::ShortFormat));
}
