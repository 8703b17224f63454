#include "recorder/VideoRecorder.h"

#include "app/Log.h"
#include "recorder/StreamSwap.h"

#include <QMutexLocker>
#include <QTimer>
#include <QVarLengthArray>

#include <algorithm>
#include <utility>

VideoRecorderWorker *VideoRecorderWorker::s_instance = nullptr;

VideoRecorderWorker::VideoRecorderWorker(QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_thread.setObjectName(QStringLiteral("video worker"));
    s_instance = this;
}

VideoRecorderWorker::~VideoRecorderWorker()
{
    if (m_thread.isRunning())
        stop();
    if (s_instance == this)
        s_instance = nullptr;
}

VideoRecorderWorker *VideoRecorderWorker::instance()
{
    return s_instance;
}

void VideoRecorderWorker::start(const VideoFormat &format)
{
    m_timer->setInterval(format.frameInterval > 0 ? format.frameInterval : 100);
    m_timer->setTimerType(Qt::PreciseTimer);
    moveToThread(&m_thread);
    // The tick schedule is known from the timer's start on; connected before any
    // recorder, so the tick time is up to date when they run.
    connect(&m_thread, &QThread::started, m_timer, [this] {
        m_timer->start();
        m_lastTick = steadyMilliseconds();
    });
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_lastTick = scheduledTick(steadyMilliseconds());
        tick();
    });
    connect(this, &VideoRecorderWorker::_stop, this, &VideoRecorderWorker::doStop);
    m_thread.start(QThread::InheritPriority);
    logInfo(QStringLiteral("Video worker started, %1 ms per frame").arg(m_timer->interval()));
}

qint64 VideoRecorderWorker::scheduledTick(qint64 now) const
{
    // The timer keeps its schedule however late it fires (by tens of milliseconds on a
    // busy machine); only once it fell a whole interval behind does it start a new one
    // from the moment it fired. Frame times and the instants segments start at are
    // taken from that schedule: a late firing moved into them would put a segment's
    // sound off its frames by the lateness.
    const qint64 interval = m_timer->interval();
    const qint64 expected = m_lastTick + interval;
    return qAbs(now - expected) < interval ? expected : now;
}

void VideoRecorderWorker::tick()
{
    QList<VideoRecorder *> recorders;
    {
        QMutexLocker lock(&m_mutex);
        recorders = m_recorders;
    }
    QVarLengthArray<VideoRecorder *, 16> due;
    for (VideoRecorder *recorder : std::as_const(recorders)) {
        if (recorder->grab())
            due.append(recorder);
    }
    for (VideoRecorder *recorder : due)
        recorder->encode();
}

void VideoRecorderWorker::add(VideoRecorder *recorder)
{
    recorder->moveToThread(&m_thread);
    QMutexLocker lock(&m_mutex);
    if (!m_recorders.contains(recorder))
        m_recorders.append(recorder);
}

void VideoRecorderWorker::remove(VideoRecorder *recorder)
{
    recorder->moveToThread(recorder->homeThread());
    QMutexLocker lock(&m_mutex);
    m_recorders.removeAll(recorder);
}

void VideoRecorderWorker::detach(VideoRecorder *recorder)
{
    if (!isAttached(recorder))
        return;
    if (m_thread.isRunning() && QThread::currentThread() != &m_thread)
        QMetaObject::invokeMethod(this, [this, recorder] { remove(recorder); }, Qt::BlockingQueuedConnection);
    else
        remove(recorder);
}

bool VideoRecorderWorker::isAttached(VideoRecorder *recorder) const
{
    QMutexLocker lock(&m_mutex);
    return m_recorders.contains(recorder);
}

qint64 VideoRecorderWorker::nextTick(qint64 now) const
{
    if (m_lastTick < 0)
        return -1;
    const qint64 interval = m_timer->interval();
    return m_lastTick + interval * ((now - m_lastTick) / interval + 1);
}

void VideoRecorderWorker::stop()
{
    emit _stop();
    if (!m_thread.wait(5000))
        logError(QStringLiteral("Video worker did not stop in time"));
}

void VideoRecorderWorker::doStop()
{
    m_timer->stop();
    QList<VideoRecorder *> recorders;
    {
        QMutexLocker lock(&m_mutex);
        recorders = m_recorders;
    }
    for (VideoRecorder *recorder : recorders)
        remove(recorder);
    // Back to no thread, so the owner can delete the worker after the thread ends.
    moveToThread(nullptr);
    m_thread.quit();
}

VideoRecorder::VideoRecorder(const VideoRecParamsSptr &params, QObject *parent)
    : QObject(parent)
    , m_params(params)
    , m_format(params ? params->format : nullptr)
    , m_shooter(params)
    , m_homeThread(QThread::currentThread())
{
}

bc_ret VideoRecorder::prepare()
{
    return m_shooter.init();
}

bc_ret VideoRecorder::start()
{
    bc_ret ret = prepare();
    if (ret.failed())
        return ret;
    VideoRecorderWorker *worker = VideoRecorderWorker::instance();
    if (!worker)
        return bc_ret(QStringLiteral("VideoRecorder::start"), -1, QStringLiteral("No video worker"));
    worker->add(this);
    return bc_ret();
}

FrameEncoderSptr VideoRecorder::currentStream() const
{
    QMutexLocker lock(&m_streamMutex);
    return m_stream;
}

qint64 VideoRecorder::lastFrame() const
{
    return m_lastFrame;
}

qint64 VideoRecorder::interval() const
{
    return m_format && m_format->frameInterval > 0 ? m_format->frameInterval : 100;
}

qint64 VideoRecorder::alignedToTicks(qint64 start, qint64 now, bool newStream)
{
    // Ticks that land right on a frame boundary, with a millisecond of jitter either
    // way, alternately skip and repeat frame numbers: a tenth or more of the frames
    // can go missing. Ticks in the middle of their interval never do.
    VideoRecorderWorker *worker = VideoRecorderWorker::instance();
    if (!worker || !worker->isAttached(this))
        return start;
    const qint64 next = worker->nextTick(now);
    if (next < 0)
        return start;
    const qint64 step = interval();
    if (newStream)
        return next - step / 2; // the next tick writes frame 0
    const qint64 elapsedAtTick = next - start;
    const qint64 wanted = (elapsedAtTick / step) * step + step / 2;
    return start + (elapsedAtTick - wanted);
}

qint64 VideoRecorder::tickTime()
{
    VideoRecorderWorker *worker = VideoRecorderWorker::instance();
    if (worker && worker->lastTick() >= 0 && worker->isAttached(this))
        return worker->lastTick();
    return m_clock();
}

void VideoRecorder::loop()
{
    if (grab())
        encode();
}

bool VideoRecorder::grab()
{
    m_dueFrame = -1;
    if (m_paused || !m_stream || m_errors.failed())
        return false;
    const qint64 now = tickTime();
    m_elapsed = now - m_startTime;
    const qint64 frame = m_elapsed / interval();
    if (frame <= m_lastFrame)
        return false;
    m_grabErrors = bc_ret();
    const bool failing = now >= m_failGrabsFrom.load() && now < m_failGrabsUntil.load();
    m_grabbed = failing ? nullptr : m_shooter.shoot(m_grabErrors);
    m_dueFrame = frame;
    watchForBlack();
    return true;
}

void VideoRecorder::watchForBlack()
{
    // A failed grab repeats the last picture, which is black while there was none.
    const bool black = m_grabbed ? m_shooter.copiedBlack() : !m_pictureSeen;
    m_pictureSeen = m_pictureSeen || (m_grabbed && !black);
    if (!black) {
        m_blackSince = -1;
        return;
    }
    // On the recording's clock; a pause starts the count again.
    const qint64 now = m_startTime + m_elapsed;
    if (m_blackSince < 0)
        m_blackSince = now;
    else if (now - m_blackSince >= kBlackWarningMs && !std::exchange(m_blackTold, true))
        emit pictureBlack();
}

void VideoRecorder::encode()
{
    const qint64 frame = m_dueFrame;
    if (frame < 0 || !m_stream)
        return;
    m_dueFrame = -1;
    if (m_grabbed && m_shooter.sameAsKept() && !m_stream->mustEncode(frame)) {
        // Nothing new to see: the frame number stays an empty chunk, which readers
        // show as the picture before.
        m_lastFrame = frame;
        return;
    }
    if (m_grabbed) {
        m_stream->encode(m_grabbed, frame, m_errors);
        m_shooter.keep();
    } else {
        // The picture must last as long as the sound of its segment: the last good
        // picture stands in (a window resized between its geometry and its image).
        if (!m_grabFailureLogged) {
            logError(QStringLiteral("Grabbing frame %1: %2").arg(frame).arg(m_grabErrors.details(QStringLiteral(": "))));
            m_grabFailureLogged = true;
        }
        m_stream->repeat(frame, m_errors);
    }
    if (m_errors.failed()) {
        m_errors.add(QStringLiteral("VideoRecorder::loop"), -1, QStringLiteral("Error writing frame %1").arg(frame));
        logError(m_errors.details(QStringLiteral(": ")));
        emit error(m_errors);
    }
    m_lastFrame = frame;
}

void VideoRecorder::setPaused(bool paused)
{
    if (paused == m_paused) {
        emit pauseChanged(paused, -1);
        return;
    }
    const qint64 now = m_clock();
    const qint64 step = interval();
    m_blackSince = -1;
    if (paused) {
        // The pause starts at the next frame's instant, so that a segment's length is
        // always whole frames; no frame is taken before then.
        const qint64 time = segmentTime(now);
        const qint64 frame = (time >= 0 ? time / step : -((-time + step - 1) / step)) + 1;
        m_elapsed = std::max<qint64>(0, frame) * step + step / 2;
    } else {
        m_startTime = alignedToTicks(now - m_elapsed, now, false);
    }
    m_paused = paused;
    // Paused: where the segment stops; resumed: the instant at which it goes on from there.
    emit pauseChanged(paused, m_startTime + m_elapsed);
}

void VideoRecorder::swapStream(StreamSwap *swap)
{
    const qint64 now = m_clock();
    const qint64 start = alignedToTicks(now, now, true);
    const qint64 step = interval();
    {
        QMutexLocker lock(&m_streamMutex);
        swap->setOldVideo(m_stream);
        m_stream = swap->newVideo();
    }
    // Where the old segment ends on the recording's clock: at the new one's first frame,
    // or where it was paused.
    if (swap->oldVideo()) {
        const qint64 end = m_paused ? m_elapsed - step / 2 : segmentTime(start + step / 2);
        swap->setOldLength(int(std::max<qint64>(0, end)));
        // Its last frame is written, so that it lasts that long even when still at its end.
        bc_ret finished;
        if (m_errors.ok() && end >= step)
            swap->oldVideo()->finish(end / step - 1, finished);
        if (finished.failed())
            logError(finished.details(QStringLiteral(": ")));
    }
    swap->setStartTime(start + step / 2);
    // A write that failed in the old segment does not end the frames of the new one.
    m_errors = bc_ret();
    m_grabFailureLogged = false;
    m_startTime = start;
    // While paused the new segment waits at its time 0.
    m_elapsed = m_paused ? step / 2 : 0;
    m_lastFrame = -1;
    m_dueFrame = -1;
    if (swap->isFinal()) {
        if (VideoRecorderWorker *worker = VideoRecorderWorker::instance(); worker && worker->isAttached(this))
            worker->remove(this);
    }
    emit streamSwapped(swap);
}

VideoRecorderThread::VideoRecorderThread(const VideoRecParamsSptr &params, QObject *parent)
    : QObject(parent)
    , m_recorder(params)
{
    connect(this, &VideoRecorderThread::doSwapStream, &m_recorder, &VideoRecorder::swapStream, Qt::QueuedConnection);
    connect(this, &VideoRecorderThread::doSetPaused, &m_recorder, &VideoRecorder::setPaused);
    connect(&m_recorder, &VideoRecorder::streamSwapped, this, &VideoRecorderThread::onStreamSwapped, Qt::QueuedConnection);
    connect(&m_recorder, &VideoRecorder::error, this, &VideoRecorderThread::error, Qt::QueuedConnection);
    connect(&m_recorder, &VideoRecorder::pauseChanged, this, &VideoRecorderThread::pauseChanged, Qt::QueuedConnection);
    connect(&m_recorder, &VideoRecorder::pictureBlack, this, &VideoRecorderThread::pictureBlack, Qt::QueuedConnection);
}

VideoRecorderThread::~VideoRecorderThread()
{
    // A recorder still ticked on the worker must be taken back before it is destroyed.
    if (VideoRecorderWorker *worker = VideoRecorderWorker::instance())
        worker->detach(&m_recorder);
}

bc_ret VideoRecorderThread::start()
{
    return m_recorder.start();
}

void VideoRecorderThread::onStreamSwapped(StreamSwap *swap)
{
    emit streamSwapped(swap);
    swap->videoDone();
}
