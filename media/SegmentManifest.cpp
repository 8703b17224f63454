#include "media/SegmentManifest.h"

#include "app/Log.h"
#include "library/XmlElement.h"
#include "media/MediaOperations.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

extern "C" {
#include <libavformat/avformat.h>
}

bc_ret SegmentManifest::write(const QString &path) const
{
    XmlRootElement document;
    document.addChild(QStringLiteral("keptDuration"), units.keptDuration());
    document.addChild(QStringLiteral("videoOnly"), units.isVideoOnly());
    document.addChild(QStringLiteral("lastUnfinished"), lastUnfinished);
    document.addChild(QStringLiteral("outputFile"), outputFile);
    document.addChild(QStringLiteral("room"), room);
    XmlElement list = document.addChild(QStringLiteral("units"), QString());
    for (const AVUnitSptr &unit : units.units()) {
        XmlElement item = list.addChild(QStringLiteral("unit"), QString());
        item.addChild(QStringLiteral("videoFile"), unit->videoFile);
        item.addChild(QStringLiteral("audioFile"), unit->audioFile);
        item.addChild(QStringLiteral("duration"), unit->duration);
    }
    return document.writeToFile(path);
}

bc_ret SegmentManifest::read(const QString &path, SegmentManifest &manifest)
{
    XmlRootElement document;
    if (bc_ret result = document.readFromFile(path); result.failed())
        return result;
    QList<AVUnitSptr> units;
    for (const XmlElement &list : document.children(QStringLiteral("units"))) {
        for (const XmlElement &item : list.children(QStringLiteral("unit")))
            units.append(std::make_shared<AVUnit>(AVUnit{item.childString(QStringLiteral("audioFile")),
                                                         item.childString(QStringLiteral("videoFile")),
                                                         item.childInt(QStringLiteral("duration"), 0)}));
    }
    manifest.units = AVUnitList(document.childInt(QStringLiteral("keptDuration"), 0),
                                document.childBool(QStringLiteral("videoOnly"), false), units);
    manifest.lastUnfinished = document.childBool(QStringLiteral("lastUnfinished"), false);
    manifest.outputFile = document.childString(QStringLiteral("outputFile"));
    manifest.room = document.childInt(QStringLiteral("room"), -1);
    return bc_ret();
}

QStringList SegmentManifest::findIn(const QString &directory)
{
    const QFileInfoList found = QDir(directory).entryInfoList({QStringLiteral("*") + QLatin1String(kSegmentsDescriptionSuffix)}, QDir::Files,
                                                              QDir::Time | QDir::Reversed);
    QStringList paths;
    for (const QFileInfo &file : found)
        paths.append(file.absoluteFilePath());
    return paths;
}

AVUnitList SegmentManifest::recoverableUnits() const
{
    QList<AVUnitSptr> kept;
    for (qsizetype i = 0; i < units.units().size(); ++i) {
        const AVUnitSptr &unit = units.units().at(i);
        const bool haveSound = units.isVideoOnly() || QFileInfo::exists(unit->audioFile);
        if (!QFileInfo::exists(unit->videoFile) || !haveSound)
            continue;
        if (lastUnfinished && i == units.units().size() - 1) {
            // Cut off by the crash: as long as its picture goes (see below for a still end);
            // the sound is fitted to it.
            qint64 length = readableLength(unit->videoFile, MediaKind::Video);
            const qint64 sound = units.isVideoOnly() ? 0 : readableLength(unit->audioFile, MediaKind::Audio);
            // Killed before its first second of sound reached the disk: too little to matter.
            if (length <= 0 || (!units.isVideoOnly() && sound <= 0))
                continue;
            // A picture still at the end has nothing written after its last change: it
            // lasts as long as the sound heard with it.
            if (sound > length) {
                const bc_ret extended = extendVideo(unit->videoFile, sound, &length);
                if (extended.failed())
                    logWarn(extended.details(QStringLiteral(": ")));
            }
            unit->duration = int(length);
            kept.append(unit);
        } else {
            kept.append(unit);
        }
    }
    return AVUnitList(units.keptDuration(), units.isVideoOnly(), kept);
}

namespace {

constexpr char kSegmentTimeFormat[] = "yyyyMMdd-HHmmss-zzz";

} // namespace

QString newSegmentBase()
{
    return QDateTime::currentDateTimeUtc().toString(QLatin1String(kSegmentTimeFormat)) + QLatin1Char('-')
           + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

QDateTime segmentNameTime(const QString &fileName)
{
    const qsizetype length = qsizetype(qstrlen(kSegmentTimeFormat));
    QDateTime time = QDateTime::fromString(fileName.left(length), QLatin1String(kSegmentTimeFormat));
    time.setTimeSpec(Qt::UTC);
    return time;
}

qint64 readableLength(const QString &path, MediaKind kind)
{
    const av::Input input = openInput(path, kind);
    if (!input)
        return 0;
    const av::Packet packet = av::newPacket();
    qint64 end = 0;
    while (packet && av_read_frame(input.get(), packet.get()) >= 0) {
        const AVStream *stream = input->streams[packet->stream_index];
        if (packet->pts != AV_NOPTS_VALUE)
            end = qMax(end, av_rescale_q(packet->pts + qMax<int64_t>(packet->duration, 0), stream->time_base, AVRational{1, 1000}));
        av_packet_unref(packet.get());
    }
    return end;
}
