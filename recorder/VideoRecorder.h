#pragma once

#include "app/bc_ret.h"
#include "app/SafeThread.h"
#include "capture/CaptureParams.h"
#include "capture/WindowImageShooter.h"
#include "media/FrameEncoder.h"
#include "recorder/MillisecondClock.h"

#include <QList>
#include <QMutex>
#include <QObject>

#include <atomic>
#include <limits>

class QTimer;
class StreamSwap;
class VideoRecorder;

// The one video worker thread: a timer ticking every frame interval serves every
// attached recorder, first taking all their pictures, then encoding them, so that
// the last table's picture is taken as close to the tick as the first one's (encoding
// takes milliseconds per table: one after the other, eight tables would show their
// pictures tens of milliseconds later than their sound). One instance, reachable
// through instance().
class VideoRecorderWorker : public QObject
{
    Q_OBJECT
public:
    explicit VideoRecorderWorker(QObject *parent = nullptr);
    ~VideoRecorderWorker() override;

    static VideoRecorderWorker *instance();

    // Moves the worker to its thread and starts ticking at the format's interval.
    void start(const VideoFormat &format);
    // GUI thread: the recorder moves to the worker thread and is ticked.
    void add(VideoRecorder *recorder);
    // Worker thread: the recorder goes back to its home thread, no longer ticked.
    void remove(VideoRecorder *recorder);
    // GUI thread: removes a recorder that is still attached, waiting until it is done.
    void detach(VideoRecorder *recorder);
    // GUI thread: ends the thread (at most 5 s), detaching every recorder.
    void stop();

    bool isAttached(VideoRecorder *recorder) const;
    bool isRunning() const { return m_thread.isRunning(); }
    // Worker thread: when the next tick is due (steady clock, ms); -1 before the timer runs.
    qint64 nextTick(qint64 now) const;
    // Worker thread: when the current tick was due; -1 before the timer runs.
    qint64 lastTick() const { return m_lastTick; }

signals:
    void _stop();

public slots:
    void doStop();

private:
    qint64 scheduledTick(qint64 now) const;
    void tick();

private:
    SafeThread m_thread;
    QTimer *m_timer;
    mutable QMutex m_mutex;
    QList<VideoRecorder *> m_recorders;
    qint64 m_lastTick = -1; // worker thread only
    static VideoRecorderWorker *s_instance;
};

// Grabs and encodes one recording's frames on the worker thread. Frame numbers
// follow the clock, not the ticks, so the video keeps step with real time.
class VideoRecorder : public QObject
{
    Q_OBJECT
public:
    explicit VideoRecorder(const VideoRecParamsSptr &params, QObject *parent = nullptr);

    // GUI thread: prepares the shooter and attaches to the worker.
    bc_ret start();
    // Prepares the shooter only (start() does this first).
    bc_ret prepare();
    FrameEncoderSptr currentStream() const;
    QThread *homeThread() const { return m_homeThread; }
    // The number of the last frame handled in the current stream, -1 at a new stream.
    qint64 lastFrame() const;
    void setClock(const MillisecondClock &clock) { m_clock = clock; }
    // Tests, from any thread: grabs at ticks from fromMs until toMs (the recorder's
    // clock) fail, as they do for a window that changes under the grab.
    void failGrabsBetween(qint64 fromMs, qint64 toMs)
    {
        m_failGrabsUntil = toMs;
        m_failGrabsFrom = fromMs;
    }

signals:
    void error(const bc_ret &errors);
    void streamSwapped(StreamSwap *swap);
    // The instant (steady clock, ms) from which the recording is paused or runs again;
    // -1 when the request changed nothing. The sound follows the same instants.
    void pauseChanged(bool paused, qint64 atMs);
    // The target was shown but nothing of it but black was copied (or nothing could be
    // copied before any picture was) for kBlackWarningMs of the recording: once per recording.
    void pictureBlack();

public slots:
    void swapStream(StreamSwap *swap);
    void setPaused(bool paused);
    // One tick: grab(), then encode().
    void loop();

public:
    // Takes this tick's picture when a new frame is due; true when one is.
    bool grab();
    // Writes the frame grab() took (the last good picture when it failed).
    void encode();

    static constexpr qint64 kBlackWarningMs = 3000;

private:
    qint64 interval() const;
    // Follows the shots' blackness on the recording's time.
    void watchForBlack();
    // The time of this tick: when the worker's tick was due, so that recorders served
    // later in the same tick do not see a later time; the clock when not on the worker.
    qint64 tickTime();
    // Start time moved by at most half an interval so that the worker's ticks fall
    // mid-interval; unchanged when the recorder is not ticked by the worker.
    qint64 alignedToTicks(qint64 start, qint64 now, bool newStream);

    // The segment's time at the current instant of the recording's clock (ms): frame
    // k is taken at time k * interval.
    qint64 segmentTime(qint64 instant) const { return instant - m_startTime - interval() / 2; }

    VideoRecParamsSptr m_params;
    VideoFormatSptr m_format;
    WindowImageShooter m_shooter;
    mutable QMutex m_streamMutex; // the stream is also read from the GUI thread
    FrameEncoderSptr m_stream;
    qint64 m_startTime = 0;
    qint64 m_elapsed = 0; // while paused: the segment's time at the pause plus half an interval
    qint64 m_lastFrame = -1;
    QThread *m_homeThread;
    bc_ret m_errors;
    bool m_grabFailureLogged = false; // once per segment
    qint64 m_dueFrame = -1;               // grabbed, not yet encoded
    const uchar *m_grabbed = nullptr;     // its picture; null when the grab failed
    bc_ret m_grabErrors;
    std::atomic<qint64> m_failGrabsFrom{std::numeric_limits<qint64>::max()};
    std::atomic<qint64> m_failGrabsUntil{std::numeric_limits<qint64>::max()};
    bool m_paused = false;
    qint64 m_blackSince = -1; // recording time of the first of the black shots in a row
    bool m_blackTold = false;
    bool m_pictureSeen = false; // a shot with a picture in it was taken
    MillisecondClock m_clock = steadyMilliseconds;
};

// The GUI-thread front of a recorder: requests travel to it as queued signals
// and its results come back the same way.
class VideoRecorderThread : public QObject
{
    Q_OBJECT
public:
    explicit VideoRecorderThread(const VideoRecParamsSptr &params, QObject *parent = nullptr);
    ~VideoRecorderThread() override;

    bc_ret start();
    FrameEncoderSptr currentStream() const { return m_recorder.currentStream(); }
    void swapStream(StreamSwap *swap) { emit doSwapStream(swap); }
    void setPaused(bool paused) { emit doSetPaused(paused); }
    VideoRecorder &recorder() { return m_recorder; }

signals:
    void doSwapStream(StreamSwap *swap);
    void doSetPaused(bool paused);
    void error(const bc_ret &errors);
    // The video side of a swap is done: its instants are in the swap.
    void streamSwapped(StreamSwap *swap);
    void pauseChanged(bool paused, qint64 atMs);
    void pictureBlack();

public slots:
    void onStreamSwapped(StreamSwap *swap);

private:
    VideoRecorder m_recorder;
};
