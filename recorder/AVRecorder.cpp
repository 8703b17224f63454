#include "recorder/AVRecorder.h"

#include "app/Counter.h"
#include "app/Log.h"
#include "library/LibraryItems.h"
#include "media/SegmentManifest.h"
#include "recorder/StreamSwap.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

namespace {

void assembleQueued(const AVUnitList &units, const AssemblyCmdSptr &cmd)
{
    if (AVAssembleQueue *queue = AVAssembleQueue::instance())
        queue->assemble(units, cmd);
}

// Below this the disk counts as full: a failed write is then told as such.
constexpr qint64 kFullDiskBytes = 16 * 1024 * 1024;

void cleanQueued(AVUnitList units)
{
    if (AVAssembleQueue *queue = AVAssembleQueue::instance())
        queue->clean(units);
    else
        units.cleanFiles();
}

} // namespace

AVRecorder::AVRecorder(const AudioRecParamsSptr &audio, const VideoRecParamsSptr &video, const AVRecParamsSptr &recording,
                       QObject *parent)
    : QObject(parent)
    , m_audioParams(audio)
    , m_videoParams(video)
    , m_params(recording)
    , m_audio(audio)
    , m_video(video)
    , m_units(recording->maxRecordedDuration, false)
    , m_manifestFile(QDir(recording->directory).filePath(newFileName() + QLatin1String(kSegmentsDescriptionSuffix)))
{
    m_swapTimer.setInterval(recording->maxRecordedDuration);
    // Qt makes long intervals coarse (up to 5% early): a segment cut short of the kept
    // length makes a whole extra segment kept and joined.
    m_swapTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_swapTimer, &QTimer::timeout, this, &AVRecorder::timerSwap);
    connect(&m_audio, &AudioRecorder::error, this, &AVRecorder::onAudioRecorderError);
    connect(&m_audio, &AudioRecorder::writeFailed, this, &AVRecorder::onWriteFailed);
    connect(&m_audio, &AudioRecorder::soundLost, this, &AVRecorder::onSoundLost);
    connect(&m_audio, &AudioRecorder::soundBack, this, &AVRecorder::soundBack);
    connect(&m_audio, &AudioRecorder::volume, this, &AVRecorder::volume);
    connect(&m_video, &VideoRecorderThread::error, this, &AVRecorder::onVideoRecorderError);
    connect(&m_video, &VideoRecorderThread::pictureBlack, this, [this] {
        emit pictureBlack(tr("Only black is being recorded: this desktop does not let Brindlecast see what you chose. "
                             "On a Wayland desktop, share the screen the region or monitor lies on when asked, or record "
                             "the table window itself; or choose an X11 session when you log in."));
    });
    // The video side decides the instants of swaps and pauses; the sound follows them.
    connect(&m_video, &VideoRecorderThread::streamSwapped, this, [this](StreamSwap *swap) { m_audio.swapStream(swap); });
    connect(&m_video, &VideoRecorderThread::pauseChanged, this,
            [this](bool paused, qint64 atMs) { m_audio.setPaused(paused, atMs); });
    Counter::increment();
}

AVRecorder::~AVRecorder()
{
    Counter::decrement();
    if (m_state == Running)
        logWarn(QStringLiteral("AV recorder is still running"));
}

bc_ret AVRecorder::start()
{
    m_state = Running;
    m_swapTimer.start();
    bc_ret ret = m_audio.start();
    if (ret.ok())
        ret = m_video.start();
    if (ret.ok())
        ret = swapStreams(nullptr);
    if (ret.failed()) {
        // Nothing keeps running after a failed start: no timer, no microphone, no worker.
        m_swapTimer.stop();
        m_audio.stop();
        if (VideoRecorderWorker *worker = VideoRecorderWorker::instance())
            worker->detach(&m_video.recorder());
        m_state = Created;
    }
    return ret;
}

void AVRecorder::writeManifest(const StreamSwap *swap)
{
    SegmentManifest manifest;
    manifest.units = AVUnitList(m_units.keptDuration(), m_units.isVideoOnly(), m_units.units());
    manifest.room = m_params->room;
    if (swap->newVideo() && swap->newAudio()) {
        manifest.units.append(std::make_shared<AVUnit>(AVUnit{swap->newAudio()->fileName(), swap->newVideo()->fileName(), 0}));
        manifest.lastUnfinished = true;
    }
    if (const bc_ret written = manifest.write(m_manifestFile); written.failed())
        logWarn(QStringLiteral("Recording not described for a recovery: %1").arg(written.details(QStringLiteral(": "))));
}

void AVRecorder::keepForRecovery()
{
    if (m_units.isEmpty()) {
        removeManifest();
        return;
    }
    SegmentManifest manifest;
    manifest.units = AVUnitList(m_units.keptDuration(), m_units.isVideoOnly(), m_units.units());
    manifest.room = m_params->room;
    // The last segment may have been cut short by the failure: its length is read
    // from its files when it is saved.
    manifest.lastUnfinished = true;
    // Should this fail too (a full disk), the description written at the last segment
    // change still names every segment kept.
    if (const bc_ret written = manifest.write(m_manifestFile); written.failed())
        logWarn(QStringLiteral("Recording not described again: %1").arg(written.details(QStringLiteral(": "))));
    logInfo(QStringLiteral("Recording kept for a recovery: %1 segments, %2 ms")
                    .arg(m_units.count())
                    .arg(m_units.totalDuration()));
}

int AVRecorder::keptMinutes() const
{
    return qMax(1, (qMin(m_units.totalDuration(), m_units.keptDuration()) + 59999) / 60000);
}

void AVRecorder::removeManifest()
{
    QFile::remove(m_manifestFile);
}

bc_ret AVRecorder::swapStreams(const AssemblyCmdSptr &cmd)
{
    const QString base = QDir(m_params->directory).filePath(newSegmentBase());
    auto video = std::make_shared<FrameEncoder>(base + QLatin1String(kSegmentVideoSuffix), m_videoParams->format);
    auto audio = std::make_shared<AudioStream>(base + QLatin1String(kSegmentAudioSuffix), m_audioParams->format,
                                               m_audioParams->levelPeriod);
    bc_ret ret = video->open();
    if (ret.ok())
        ret = audio->open();
    if (ret.failed()) {
        video->close();
        audio->close();
        QFile::remove(video->fileName());
        QFile::remove(audio->fileName());
        return ret.add(QStringLiteral("AVRecorder::swapStreams"), -1, QStringLiteral("Error creating AV stream"));
    }
    handOver(new StreamSwap(audio, video, cmd, false, bc_ret(), this));
    return bc_ret();
}

void AVRecorder::handOver(StreamSwap *swap)
{
    connect(swap, &StreamSwap::swapped, this, &AVRecorder::onStreamSwapped);
    m_audio.hold();
    m_video.swapStream(swap);
}

void AVRecorder::timerSwap()
{
    logInfo(QStringLiteral("Timer triggers stream swap"));
    const bc_ret ret = swapStreams(nullptr);
    if (ret.failed())
        logWarn(ret.details(QStringLiteral(": ")));
}

bc_ret AVRecorder::save(const AssemblyCmdSptr &cmd)
{
    return m_state == Running ? swapStreams(cmd) : bc_ret();
}

void AVRecorder::stop(const bc_ret &result, const AssemblyCmdSptr &cmd)
{
    switch (m_state) {
    case Created:
        emit stopped(result);
        break;
    case Running:
        m_state = Stopping;
        m_swapTimer.stop();
        handOver(new StreamSwap(nullptr, nullptr, cmd, true, result, this));
        break;
    case Stopping:
        break;
    }
}

void AVRecorder::abort()
{
    m_swapTimer.stop();
    // The worker must no longer write into the encoder that is closed below.
    if (VideoRecorderWorker *worker = VideoRecorderWorker::instance())
        worker->detach(&m_video.recorder());
    const AudioStreamSptr audio = m_audio.stop();
    finishSegment(audio, m_video.currentStream(), 0);
    keepForRecovery();
    m_units = AVUnitList(m_params->maxRecordedDuration, m_units.isVideoOnly());
    m_state = Created;
}

void AVRecorder::setMuted(bool muted)
{
    m_audio.setMuted(muted);
}

void AVRecorder::setPaused(bool paused)
{
    m_audio.hold();
    m_video.setPaused(paused);
}

void AVRecorder::onVideoRecorderError(const bc_ret &result)
{
    onWriteFailed(result);
}

void AVRecorder::onWriteFailed(const bc_ret &result)
{
    if (m_state != Running)
        return;
    // What was written so far stays, described, to be saved later.
    m_keepOnStop = true;
    bc_ret told = result;
    const QStorageInfo disk(m_params->directory);
    const bool full = disk.isValid() && disk.bytesAvailable() < kFullDiskBytes;
    told.add(QStringLiteral("AVRecorder"), -1,
             full ? tr("The disk is full: recording stopped; the last %n minutes are kept and will be saved when space is free.",
                       nullptr, keptMinutes())
                  : tr("Recording stopped: the last %n minutes are kept and will be offered for saving at the next start.",
                       nullptr, keptMinutes()));
    stop(told, nullptr);
}

void AVRecorder::onAudioRecorderError(const bc_ret &result)
{
    // No sound server when recording started: picture only.
    logWarn(QStringLiteral("Recording goes on without sound: %1").arg(result.messages(QStringLiteral(": "))));
    m_units = AVUnitList(m_units.keptDuration(), true, m_units.units());
}

void AVRecorder::onSoundLost(const bc_ret &reason)
{
    logWarn(QStringLiteral("Sound server lost, silence recorded until it is back: %1").arg(reason.messages(QStringLiteral(": "))));
    emit soundLost(tr("The sound server has gone away: recording goes on in silence, and the sound comes back when the server does."));
}

void AVRecorder::finishSegment(const AudioStreamSptr &audio, const FrameEncoderSptr &video, int length)
{
    int duration = 0;
    QString videoFile, audioFile;
    if (video) {
        duration = video->close();
        videoFile = video->fileName();
    }
    if (audio) {
        audio->close();
        audioFile = audio->fileName();
    }
    if (!videoFile.isEmpty() && !audioFile.isEmpty()) {
        if (duration <= 0) {
            // Nothing was recorded in it (paused all along).
            QFile::remove(videoFile);
            QFile::remove(audioFile);
        } else {
            // Joined by its recorded length: a segment whose picture or sound fell short
            // cannot move the ones after it.
            m_units.append(std::make_shared<AVUnit>(AVUnit{audioFile, videoFile, length > 0 ? length : duration}));
        }
    }
    cleanQueued(m_units.takeExpired());
}

void AVRecorder::onStreamSwapped(StreamSwap *swap)
{
    finishSegment(swap->oldAudio(), swap->oldVideo(), swap->oldLength());
    if (swap->command())
        assembleQueued(m_units, swap->command());
    if (swap->isFinal()) {
        if (m_keepOnStop) {
            keepForRecovery();
        } else {
            cleanQueued(m_units);
            removeManifest();
        }
        m_units = AVUnitList(m_units.keptDuration(), m_units.isVideoOnly());
        emit stopped(swap->errors());
    } else {
        writeManifest(swap);
    }
}
