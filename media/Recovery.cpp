#include "media/Recovery.h"

#include "app/Log.h"
#include "media/MediaOperations.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>

namespace {

// A segment follows another of its recording from a little before that one's end
// (lengths are measured from contents, start times named to the millisecond when the
// file was made) to a few seconds after it (a pause, a slow swap).
constexpr qint64 kOverlapMs = 500;
constexpr qint64 kContinuityMs = 5000;

struct FoundSegment
{
    AVUnitSptr unit;
    bool hasSound = false;
    qint64 startMs = 0;
};

QSet<QString> filesOf(const AVUnitList &units)
{
    QSet<QString> files;
    for (const AVUnitSptr &unit : units.units()) {
        files.insert(QFileInfo(unit->videoFile).absoluteFilePath());
        if (!unit->audioFile.isEmpty())
            files.insert(QFileInfo(unit->audioFile).absoluteFilePath());
    }
    return files;
}

// When the segment started: from its name when it carries the time, else from when
// it was last written and how long it lasts.
qint64 segmentStart(const QFileInfo &video, qint64 lengthMs)
{
    const QDateTime named = segmentNameTime(video.fileName());
    if (named.isValid())
        return named.toMSecsSinceEpoch();
    return video.lastModified().toMSecsSinceEpoch() - lengthMs;
}

// A segment file found by itself: measured from its contents; null when unreadable.
std::optional<FoundSegment> measureSegment(const QFileInfo &video)
{
    const QString base = video.absoluteFilePath().chopped(qsizetype(qstrlen(kSegmentVideoSuffix)));
    const QString audio = base + QLatin1String(kSegmentAudioSuffix);
    qint64 length = readableLength(video.absoluteFilePath(), MediaKind::Video);
    if (length <= 0)
        return std::nullopt;
    const bool hasSound = QFileInfo::exists(audio);
    const qint64 sound = hasSound ? readableLength(audio, MediaKind::Audio) : 0;
    // A picture still at its end lasts as long as the sound heard with it.
    if (sound > length) {
        if (const bc_ret extended = extendVideo(video.absoluteFilePath(), sound, &length); extended.failed())
            logWarn(extended.details(QStringLiteral(": ")));
    }
    FoundSegment found;
    found.unit = std::make_shared<AVUnit>(AVUnit{hasSound ? audio : QString(), video.absoluteFilePath(), int(length)});
    found.hasSound = hasSound && sound > 0;
    found.startMs = segmentStart(video, length);
    return found;
}

// Segments that follow each other in time make one recording; two that overlap were
// recorded side by side, by two recordings.
QList<QList<FoundSegment>> groupInTime(QList<FoundSegment> segments)
{
    std::sort(segments.begin(), segments.end(), [](const FoundSegment &a, const FoundSegment &b) { return a.startMs < b.startMs; });
    QList<QList<FoundSegment>> groups;
    QList<qint64> ends;
    for (const FoundSegment &segment : segments) {
        qsizetype best = -1;
        for (qsizetype g = 0; g < groups.size(); ++g) {
            const qint64 gap = segment.startMs - ends.at(g);
            if (gap >= -kOverlapMs && gap <= kContinuityMs && (best < 0 || qAbs(gap) < qAbs(segment.startMs - ends.at(best))))
                best = g;
        }
        if (best < 0) {
            groups.append(QList<FoundSegment>());
            ends.append(0);
            best = groups.size() - 1;
        }
        groups[best].append(segment);
        ends[best] = segment.startMs + segment.unit->duration;
    }
    return groups;
}

Recoverable recordingOf(const QList<FoundSegment> &group, const QDir &directory)
{
    bool allSound = true;
    int total = 0;
    for (const FoundSegment &segment : group) {
        allSound = allSound && segment.hasSound;
        total += segment.unit->duration;
    }
    QList<AVUnitSptr> units;
    for (const FoundSegment &segment : group)
        units.append(segment.unit);
    Recoverable found;
    found.described = false;
    // Nothing says how much was to be kept: all of it is.
    found.manifest.units = AVUnitList(total, !allSound, units);
    found.units = found.manifest.units;
    const QString first = QFileInfo(group.first().unit->videoFile).fileName();
    found.manifestFile = directory.filePath(first.chopped(qsizetype(qstrlen(kSegmentVideoSuffix)))
                                            + QLatin1String(kSegmentsDescriptionSuffix));
    return found;
}

void setDescriptionAside(const QString &path, const bc_ret &why)
{
    const QString aside = path + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (QFile::rename(path, aside))
        logWarn(QStringLiteral("Segment description unreadable (%1): moved to '%2'; its segments are found by themselves")
                        .arg(why.messages(QStringLiteral(": ")), aside));
    else
        logWarn(QStringLiteral("Segment description unreadable and not moved: '%1'").arg(path));
}

QList<Recoverable> undescribedRecordings(const QDir &directory, const QSet<QString> &described)
{
    QList<FoundSegment> segments;
    const QFileInfoList videos =
            directory.entryInfoList({QStringLiteral("*") + QLatin1String(kSegmentVideoSuffix)}, QDir::Files);
    for (const QFileInfo &video : videos) {
        if (described.contains(video.absoluteFilePath()))
            continue;
        if (std::optional<FoundSegment> segment = measureSegment(video))
            segments.append(*segment);
        else
            logInfo(QStringLiteral("Segment without description and nothing readable: '%1'").arg(video.absoluteFilePath()));
    }
    QList<Recoverable> found;
    for (const QList<FoundSegment> &group : groupInTime(segments))
        found.append(recordingOf(group, directory));
    return found;
}

} // namespace

QList<Recoverable> findRecoverable(const QString &directory)
{
    const QDir dir(directory);
    QList<Recoverable> found;
    QSet<QString> described;
    for (const QString &path : SegmentManifest::findIn(directory)) {
        Recoverable recording;
        recording.manifestFile = path;
        if (const bc_ret read = SegmentManifest::read(path, recording.manifest); read.failed()) {
            setDescriptionAside(path, read);
            continue;
        }
        described.unite(filesOf(recording.manifest.units));
        recording.units = recording.manifest.recoverableUnits();
        found.append(recording);
    }
    found.append(undescribedRecordings(dir, described));
    return found;
}

void discardRecoverable(const QList<Recoverable> &found)
{
    for (const Recoverable &recording : found) {
        AVUnitList(recording.manifest.units).cleanFiles();
        if (recording.described)
            QFile::remove(recording.manifestFile);
    }
}

RecoveryRun::RecoveryRun(AVAssembleQueue &queue, const QList<Recoverable> &found, OutputNamer outputFor, QObject *parent)
    : QObject(parent)
    , m_queue(queue)
    , m_found(found)
    , m_states(found.size(), State::Waiting)
    , m_outputFor(std::move(outputFor))
{
}

void RecoveryRun::start()
{
    for (int i = 0; i < m_found.size(); ++i) {
        const Recoverable &recording = m_found.at(i);
        if (recording.units.isEmpty()) {
            // Nothing of it can be read: as good as saved, and nothing to keep.
            logInfo(QStringLiteral("Nothing to save in '%1'").arg(recording.manifestFile));
            m_states[i] = State::Saved;
            if (recording.described)
                QFile::remove(recording.manifestFile);
            continue;
        }
        auto cmd = std::make_shared<AssemblyCmd>();
        cmd->outputFile = m_outputFor(recording, i);
        cmd->maxDuration = recording.units.keptDuration();
        cmd->manifestFile = recording.manifestFile;
        cmd->room = recording.manifest.room;
        connect(
                &m_queue, &AVAssembleQueue::createDisplayHandler, this,
                [this, i](const AVAssemblerSptr &assembler) {
                    connect(assembler.get(), &AVAssembler::buildFinished, this,
                            [this, i](const bc_ret &result, const QString &file) { onBuilt(i, result, file); });
                },
                Qt::SingleShotConnection);
        m_queue.assemble(recording.units, cmd);
    }
    deleteSavedSegments();
    finishIfDone();
}

void RecoveryRun::onBuilt(int index, const bc_ret &result, const QString &file)
{
    const Recoverable &recording = m_found.at(index);
    if (result.ok()) {
        m_states[index] = State::Saved;
        ++m_saved;
        // At once: a stop from here on must not offer it again.
        if (recording.described)
            QFile::remove(recording.manifestFile);
        deleteSavedSegments();
        emit saved(file);
    } else {
        m_states[index] = State::Failed;
        ++m_failed;
        emit failed(result);
    }
    finishIfDone();
}

void RecoveryRun::deleteSavedSegments()
{
    // Segments can be shared: a save made while recording went on, and the recording.
    QSet<QString> needed;
    for (int i = 0; i < m_found.size(); ++i) {
        if (m_states.at(i) != State::Saved)
            needed.unite(filesOf(m_found.at(i).manifest.units));
    }
    for (int i = 0; i < m_found.size(); ++i) {
        if (m_states.at(i) != State::Saved)
            continue;
        for (const QString &file : filesOf(m_found.at(i).manifest.units)) {
            if (!needed.contains(file))
                QFile::remove(file);
        }
    }
}

void RecoveryRun::finishIfDone()
{
    if (m_finished || std::any_of(m_states.begin(), m_states.end(), [](State state) { return state == State::Waiting; }))
        return;
    m_finished = true;
    emit finished(m_saved, m_failed);
}
