#include "AVRecorder.h"

#include "Counter.h"
#include "LibraryItems.h"
#include "Log.h"
#include "SegmentManifest.h"
#include "StreamSwap.h"

#include <QDir>
#include <QFile>

namespace {

void assembleQueued(const AVUnitList &units, const AssemblyCmdSptr &cmd)
{
    if (AVAssembleQueue *queue = AVAssembleQueue::instance())
        queue->assemble(units, cmd);
}

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
    , m_manifestFile(QDir(recording->directory).filePath(newFileName() + QLatin1String(SegmentManifest::kSuffix)))
{
    m_swapTimer.setInterval(recording->maxRecordedDuration);
    // Qt makes long intervals coarse (up to 5% early): a segment cut short of the kept
    // length makes a whole extra segment kept and joined.
    m_swapTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_swapTimer, &QTimer::timeout, this, &AVRecorder::timerSwap);
    connect(&m_audio, &AudioRecorder::error, this, &AVRecorder::onAudioRecorderError);
    connect(&m_audio, &AudioRecorder::volume, this, &AVRecorder::volume);
    connect(&m_video, &VideoRecorderThread::error, this, &AVRecorder::onVideoRecorderError);
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
    if (swap->newVideo() && swap->newAudio()) {
        manifest.units.append(std::make_shared<AVUnit>(AVUnit{swap->newAudio()->fileName(), swap->newVideo()->fileName(), 0}));
        manifest.lastUnfinished = true;
    }
    if (const bc_ret written = manifest.write(m_manifestFile); written.failed())
        logWarn(QStringLiteral("Recording not described for a recovery: %1").arg(written.details(QStringLiteral(": "))));
}

void AVRecorder::removeManifest()
{
    QFile::remove(m_manifestFile);
}

bc_ret AVRecorder::swapStreams(const AssemblyCmdSptr &cmd)
{
    const QString base = QDir(m_params->directory).filePath(newFileName());
    auto video = std::make_shared<FrameEncoder>(base + QStringLiteral("_v.avi"), m_videoParams->format);
    auto audio = std::make_shared<AudioStream>(base + QStringLiteral("_a.avi"), m_audioParams->format,
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
    cleanQueued(m_units);
    removeManifest();
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
    stop(result, nullptr);
}

void AVRecorder::onAudioRecorderError(const bc_ret &result)
{
    logWarn(QStringLiteral("Recording goes on without sound: %1").arg(result.messages(QStringLiteral(": "))));
    m_units = AVUnitList(m_units.keptDuration(), true, m_units.units());
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
        cleanQueued(m_units);
        removeManifest();
        m_units = AVUnitList(m_units.keptDuration(), m_units.isVideoOnly());
        emit stopped(swap->errors());
    } else {
        writeManifest(swap);
    }
}
