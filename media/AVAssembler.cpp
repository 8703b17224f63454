#include "media/AVAssembler.h"

#include "library/FileNames.h"
#include "media/SegmentManifest.h"

#include "app/Log.h"
#include "library/LibraryItems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

AVUnitList::AVUnitList(int keptDuration, bool videoOnly, const QList<AVUnitSptr> &units)
    : m_keptDuration(keptDuration)
    , m_videoOnly(videoOnly)
    , m_units(units)
{
}

int AVUnitList::totalDuration() const
{
    int total = 0;
    for (const AVUnitSptr &unit : m_units)
        total += unit->duration;
    return total;
}

AVUnitList AVUnitList::takeExpired()
{
    AVUnitList expired(m_keptDuration, false);
    while (m_units.size() >= 2 && totalDuration() - m_units.first()->duration >= m_keptDuration)
        expired.append(m_units.takeFirst());
    return expired;
}

void AVUnitList::cleanFiles()
{
    while (!m_units.isEmpty()) {
        const AVUnitSptr unit = m_units.takeFirst();
        if (unit->retained)
            continue;
        QFile::remove(unit->audioFile);
        QFile::remove(unit->videoFile);
    }
}

bc_ret AVCleaner::run()
{
    m_units.cleanFiles();
    return bc_ret();
}

AVAssembler::AVAssembler(const AVUnitList &units, const AssemblyCmdSptr &cmd)
    : AVTask(units)
    , m_cmd(cmd)
    , m_given(units)
{
}

void AVAssembler::progress(qint64 done, qint64 total)
{
    if (total <= 0 || m_stageCount <= 0)
        return;
    const int percent = int(((qint64(m_stage) - 1) * 100 + done * 100 / total) / m_stageCount);
    // Called for every packet: only a new percentage is worth a queued signal.
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    emit buildProgress(percent);
}

QString AVAssembler::temporaryBase() const
{
    // Beside the output, which the command's maker chose on its own thread: who is
    // logged in is not this worker thread's to read.
    return QFileInfo(m_cmd->outputFile).absoluteDir().filePath(newFileName());
}

bc_ret AVAssembler::run()
{
    m_started = true;
    m_lastPercent = -1;
    emit buildStarted();
    const QString outputFile = m_cmd->outputFile;
    bc_ret result = m_units.isVideoOnly() ? assembleVideoOnly(outputFile) : assembleAudioVideo(outputFile);
    // Stopped half-way (the program is closing): what was written is not the recording.
    if (result.ok() && isAborted())
        result.add(QString(), 0, QStringLiteral("Assembling was interrupted"));
    if (result.failed()) {
        result.add(QStringLiteral("AVAssembler::run"), -1,
                   QStringLiteral("Error assembling at stage(%1/%2)").arg(m_stage).arg(m_stageCount));
        QFile::remove(outputFile);
        keepForRetry(result);
        logWarn(result.details(QStringLiteral(": ")));
    }
    m_result = result;
    emit buildFinished(result, outputFile);
    return result;
}

void AVAssembler::keepForRetry(bc_ret &result)
{
    if (keepForLater())
        result.add(QStringLiteral("AVAssembler::keepForRetry"), 0,
                   tr("The recorded minutes are kept: the save will be offered again at the next start."));
}

bool AVAssembler::keepForLater()
{
    if (m_given.isEmpty())
        return false;
    SegmentManifest manifest;
    manifest.units = m_given;
    manifest.outputFile = m_cmd->outputFile;
    manifest.room = m_cmd->room;
    const QString path = !m_cmd->manifestFile.isEmpty()
                                 ? m_cmd->manifestFile
                                 : QFileInfo(m_given.units().first()->videoFile).absoluteDir().filePath(
                                           QFileInfo(m_cmd->outputFile).completeBaseName() + QLatin1String(kSegmentsDescriptionSuffix));
    // Kept even when they cannot be described (a full disk): segments without a
    // description are still found and offered by themselves.
    if (const bc_ret written = manifest.write(path); written.failed())
        logWarn(QStringLiteral("Segments of a save not described: %1").arg(written.details(QStringLiteral(": "))));
    for (const AVUnitSptr &unit : m_given.units())
        unit->retained = true;
    return true;
}

bc_ret AVAssembler::assembleAudioVideo(const QString &outputFile)
{
    bc_ret result;
    if (m_units.count() == 1) {
        m_stageCount = 1;
        const AVUnitSptr unit = m_units.takeFirst();
        ++m_stage;
        result = m_muxer.mux(unit->videoFile, unit->audioFile, outputFile);
    } else {
        const int estimated = m_units.totalDuration();
        const int maxDuration = m_cmd->maxDuration;
        m_stageCount = estimated > maxDuration ? 5 : 3;
        QStringList videos, audios;
        QList<qint64> lengths;
        while (!m_units.isEmpty()) {
            const AVUnitSptr unit = m_units.takeFirst();
            videos.append(unit->videoFile);
            audios.append(unit->audioFile);
            lengths.append(unit->duration);
        }
        const QString base = temporaryBase();
        QString video = base + QLatin1String(kSegmentVideoSuffix);
        QString audio = base + QLatin1String(kSegmentAudioSuffix);

        qint64 actual = 0;
        ++m_stage;
        result = m_joiner.join(video, videos, MediaKind::Video, &actual, lengths);
        if (result.ok()) {
            logDebug(QStringLiteral("Video joined length: estimated %1; actual %2;").arg(estimated).arg(actual));
            ++m_stage;
            result = m_joiner.join(audio, audios, MediaKind::Audio, nullptr, lengths);
        }
        if (result.ok() && maxDuration > 0 && actual > maxDuration) {
            const qint64 start = actual - maxDuration;
            const QString cutBase = temporaryBase();
            const QString cutVideo = cutBase + QLatin1String(kSegmentVideoSuffix);
            const QString cutAudio = cutBase + QLatin1String(kSegmentAudioSuffix);
            ++m_stage;
            // The sound starts where the picture's first kept frame does.
            qint64 pictureStart = start;
            bc_ret cut = m_cutter.cut(video, cutVideo, MediaKind::Video, start, MediaCutter::kToTheEnd, &pictureStart);
            if (cut.ok()) {
                ++m_stage;
                cut = m_cutter.cut(audio, cutAudio, MediaKind::Audio, pictureStart, MediaCutter::kToTheEnd);
            }
            // A failed cut is not reported: the whole joined recording is kept instead.
            if (cut.ok()) {
                QFile::remove(video);
                QFile::remove(audio);
                video = cutVideo;
                audio = cutAudio;
            } else {
                logWarn(QStringLiteral("Cutting the recording: %1").arg(cut.details(QStringLiteral(": "))));
                QFile::remove(cutVideo);
                QFile::remove(cutAudio);
                m_stage = m_stageCount - 1;
            }
        }
        if (result.ok()) {
            ++m_stage;
            result = m_muxer.mux(video, audio, outputFile);
        }
        QFile::remove(video);
        QFile::remove(audio);
    }
    if (result.failed())
        result.add(QString(), 0, QStringLiteral("Error audio-video assembling"));
    return result;
}

bc_ret AVAssembler::assembleVideoOnly(const QString &outputFile)
{
    // Even one segment is written anew, not copied: one cut off by a crash or a full disk
    // has no index, and a copy of it would tell players that it lasts nothing.
    const int maxDuration = m_cmd->maxDuration;
    m_stageCount = maxDuration > 0 && m_units.totalDuration() > maxDuration ? 2 : 1;
    QStringList videos;
    QList<qint64> lengths;
    while (!m_units.isEmpty()) {
        const AVUnitSptr unit = m_units.takeFirst();
        videos.append(unit->videoFile);
        lengths.append(unit->duration);
    }
    const QString joined = temporaryBase() + QStringLiteral(".avi");
    qint64 actual = 0;
    ++m_stage;
    bc_ret result = m_joiner.join(joined, videos, MediaKind::Video, &actual, lengths);
    if (result.ok() && maxDuration > 0 && actual > maxDuration) {
        ++m_stage;
        result = m_cutter.cut(joined, outputFile, MediaKind::Video, actual - maxDuration, MediaCutter::kToTheEnd);
    } else if (result.ok()) {
        QFile::remove(outputFile);
        if (!QFile::rename(joined, outputFile) && !QFile::copy(joined, outputFile))
            result = bc_ret(QString(), 0, QStringLiteral("Error copy '%1' to '%2'").arg(joined, outputFile));
    }
    QFile::remove(joined);
    if (result.failed())
        result.add(QString(), 0, QStringLiteral("Error video assembling"));
    return result;
}

AVAssembleQueue *AVAssembleQueue::s_instance = nullptr;

AVAssembleQueue::AVAssembleQueue(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<AVAssemblerSptr>("AVAssemblerSptr");
    m_queue.start();
    s_instance = this;
}

AVAssembleQueue::~AVAssembleQueue()
{
    if (m_queue.isRunning())
        shutdown();
    if (s_instance == this)
        s_instance = nullptr;
}

AVAssembleQueue *AVAssembleQueue::instance()
{
    return s_instance;
}

void AVAssembleQueue::assemble(const AVUnitList &units, const AssemblyCmdSptr &cmd)
{
    if (units.isEmpty())
        return;
    auto assembler = std::make_shared<AVAssembler>(units, cmd);
    emit createDisplayHandler(assembler);
    enqueue(assembler);
}

void AVAssembleQueue::clean(const AVUnitList &units)
{
    if (units.isEmpty())
        return;
    enqueue(std::make_shared<AVCleaner>(units));
}

void AVAssembleQueue::enqueue(const std::shared_ptr<AVTask> &task)
{
    // Once shut down nothing runs any more: a save keeps its segments for the next
    // start, files only waiting to be deleted go at once.
    if (!m_queue.isRunning()) {
        if (auto *assembler = dynamic_cast<AVAssembler *>(task.get()))
            assembler->keepForLater();
        else
            task->cleanFiles();
        return;
    }
    m_queue.queue(task);
}

void AVAssembleQueue::shutdown()
{
    const QList<AsyncTaskSptr> unfinished = m_queue.stop();
    // Saves that did not run keep their segments, described, for the next start; only
    // then do the cleaners run, which leave kept segments alone.
    for (const AsyncTaskSptr &task : unfinished) {
        // One that ran (perhaps cut short) has dealt with its segments itself.
        auto *assembler = dynamic_cast<AVAssembler *>(task.get());
        if (assembler && !assembler->hasStarted()) {
            assembler->keepForLater();
            logInfo(QStringLiteral("Save of '%1' kept for the next start").arg(assembler->command()->outputFile));
        }
    }
    for (const AsyncTaskSptr &task : unfinished) {
        if (auto *cleaner = dynamic_cast<AVCleaner *>(task.get()))
            cleaner->cleanFiles();
    }
}
