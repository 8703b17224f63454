#pragma once

#include "app/bc_ret.h"
#include "platform/AudioCapture.h"
#include "recorder/AudioRecParams.h"
#include "media/AudioStream.h"
#include "recorder/NativeThread.h"
#include "recorder/SoundTimeline.h"

#include <QObject>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class AudioRecorder;
class AudioWriter;
class StreamSwap;

// One block of captured sound.
struct AudioBuffer
{
    static constexpr int kSize = 8192;
    uchar data[kSize];
    int recorded = 0;
    qint64 captureUs = 0; // when its first sample was captured, as far as arrival and latency tell
};

// Captures the microphone on its own thread, one 8192-byte block at a time,
// and hands each filled block to the writer. Blocks come back when written; when
// the writer still holds every one, the pool grows, so sound is never dropped.
// When the sound server goes away, silence is handed on in its place, as time passes,
// and a new connection is tried every second until one succeeds.
class AudioGrabber : public NativeThread
{
public:
    enum Message { Start = 1, BufferReturned = 2, Stop = 3 };
    static constexpr int kInitialBuffers = 16;

    AudioGrabber(AudioRecorder *recorder, const AudioRecParamsSptr &params);
    ~AudioGrabber() override;
    void setWriter(AudioWriter *writer) { m_writer = writer; }
    int bufferCount() const { return m_bufferCount.load(); }
    // Tests: runs on the grabber's thread once capture has ended, before anyone is told.
    void setEndHook(const std::function<void()> &hook) { m_endHook = hook; }

protected:
    void run() override;
    void ended() override;
    void handle(const ThreadMessage &message, bool &keepRunning) override;

private:
    void capture();
    void hand(AudioBuffer *buffer);
    qint64 captureTime(int bytes);
    qint64 blockUs() const;
    void startLost(const bc_ret &reason);
    int lostWaitMs() const;
    void whileLost();
    bc_ret startCapture();
    void stopCapture();
    AudioBuffer *freeBuffer();

    AudioRecorder *m_recorder;
    AudioRecParamsSptr m_params;
    AudioWriter *m_writer = nullptr;
    AudioCapture m_capture;
    std::vector<std::unique_ptr<AudioBuffer>> m_buffers; // all owned; freed with the grabber
    std::deque<AudioBuffer *> m_pool;
    std::atomic<int> m_bufferCount{0};
    qint64 m_startTime = 0;
    qint64 m_received = 0;
    bool m_capturing = false;
    bool m_lost = false;
    qint64 m_silenceFromUs = 0; // while lost: the capture time of the next silent block
    qint64 m_nextRetryUs = 0;
    std::function<void()> m_endHook;
};

// Writes captured blocks into the current audio stream, placed on the recording's
// clock, and measures their level. Swaps, pauses and resumes carry the instant the
// video side chose; a Hold sent before asking the video side keeps every block
// waiting until that instant is known, so no sample lands in the wrong segment.
class AudioWriter : public NativeThread, private SoundTimeline::Output
{
public:
    // value: the instant in steady microseconds (Swap takes it from the swap).
    enum Message { Swap = 1, Write = 2, Quit = 3, Pause = 4, Resume = 5, Hold = 6, Release = 7, SourceEnded = 8 };

    AudioWriter(AudioRecorder *recorder, int sampleRate);
    void setGrabber(AudioGrabber *grabber) { m_grabber = grabber; }
    void setMuted(bool muted) { m_muted.store(muted); }
    // Test hook: every write waits this long, as a slow disk would.
    void setWriteDelay(int ms) { m_writeDelayMs.store(ms); }
    // Only once the thread has ended.
    AudioStreamSptr currentStream() const { return m_stream; }

protected:
    void handle(const ThreadMessage &message, bool &keepRunning) override;

private:
    void writeWaiting();
    void write(AudioBuffer *buffer);
    void giveBack(AudioBuffer *buffer);
    void writeSamples(const qint16 *samples, int count) override;
    void swapped(void *swap) override;

    AudioRecorder *m_recorder;
    SoundTimeline m_timeline;
    AudioStreamSptr m_stream;
    AudioGrabber *m_grabber = nullptr;
    std::deque<AudioBuffer *> m_waiting;
    int m_holds = 0;
    bool m_sourceEnded = false;
    bool m_finalReached = false;
    bc_ret m_result;
    int m_lastLevel = 0;
    std::atomic<bool> m_muted{false};
    std::atomic<int> m_writeDelayMs{0};
};

// The microphone side of one recording: a grabber and a writer thread, with
// their results delivered on this object's thread as signals.
class AudioRecorder : public QObject
{
    Q_OBJECT
public:
    explicit AudioRecorder(const AudioRecParamsSptr &params, QObject *parent = nullptr);
    ~AudioRecorder() override;

    // Starts both threads and asks for capture; device errors come later through error().
    bc_ret start();
    // Ends both threads and hands back the stream being written; the caller closes it.
    AudioStreamSptr stop();
    // Before asking the video side for a swap's or a pause's instant.
    void hold();
    void swapStream(StreamSwap *swap);
    // atMs: the instant on the steady clock; below 0 when nothing changed.
    void setPaused(bool paused, qint64 atMs);
    void setMuted(bool muted);

    AudioWriter &writer() { return m_writer; }
    AudioGrabber &grabber() { return m_grabber; }

    // From the audio threads: deliver on this object's thread.
    void notifySwapped(StreamSwap *swap);
    void notifyWriteFailed(const bc_ret &errors);
    void notifyGrabFailed();
    void notifyLevel(int level);
    void notifyGrabberEnded();
    void notifySoundLost(const bc_ret &reason);
    void notifySoundBack();

signals:
    // No sound server at the start: the recording goes on without sound.
    void error(const bc_ret &errors);
    // Sound can no longer be written (a full disk): the recording must stop.
    void writeFailed(const bc_ret &errors);
    // The sound server went away: silence is recorded until it is back.
    void soundLost(const bc_ret &reason);
    void soundBack();
    void volume(int level);

private:
    AudioRecParamsSptr m_params;
    AudioWriter m_writer;
    AudioGrabber m_grabber;
    // Final swaps whose audio half is done once the grabber has ended.
    QList<StreamSwap *> m_waitingForGrabber;
};
