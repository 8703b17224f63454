#include "recorder/AudioRecorder.h"

#include "app/Log.h"
#include "recorder/MillisecondClock.h"
#include "recorder/StreamSwap.h"

#include <QThread>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kWaitMs = 5000;
// How often a lost sound server is looked for again.
constexpr qint64 kRetryUs = 1000000;

} // namespace

AudioGrabber::AudioGrabber(AudioRecorder *recorder, const AudioRecParamsSptr &params)
    : m_recorder(recorder)
    , m_params(params)
{
}

AudioGrabber::~AudioGrabber() = default;

AudioBuffer *AudioGrabber::freeBuffer()
{
    if (m_pool.empty()) {
        logDebug(QStringLiteral("Buffer pool empty: %1 in use").arg(m_buffers.size()));
        m_buffers.push_back(std::make_unique<AudioBuffer>());
        m_bufferCount.store(int(m_buffers.size()));
        return m_buffers.back().get();
    }
    AudioBuffer *buffer = m_pool.front();
    m_pool.pop_front();
    return buffer;
}

void AudioGrabber::run()
{
    capture();
    if (m_endHook)
        m_endHook();
    // What the writer still waits for will not come: its pending swaps happen now.
    if (m_writer)
        m_writer->post(ThreadMessage{AudioWriter::SourceEnded, nullptr, 0});
}

void AudioGrabber::ended()
{
    // Only now: a stop posted after this finds the thread gone instead of waiting on it.
    m_recorder->notifyGrabberEnded();
}

void AudioGrabber::capture()
{
    bool keepRunning = true;
    ThreadMessage message;
    while (keepRunning) {
        // Messages first; while capturing they must not wait, the device must be read.
        const int wait = m_capturing ? 0 : m_lost ? lostWaitMs() : -1;
        if (takeMessage(message, wait)) {
            handle(message, keepRunning);
            continue;
        }
        if (m_lost) {
            whileLost();
            continue;
        }
        if (!m_capturing)
            continue;
        AudioBuffer *buffer = freeBuffer();
        bc_ret ret = m_capture.read(buffer->data, AudioBuffer::kSize);
        if (ret.failed()) {
            m_pool.push_front(buffer);
            stopCapture();
            ret.add(QStringLiteral("AudioGrabber"), -1, QStringLiteral("Error grabbing audio data"));
            logWarn(ret.details(QStringLiteral(": ")));
            startLost(ret);
            continue;
        }
        buffer->recorded = AudioBuffer::kSize;
        buffer->captureUs = captureTime(buffer->recorded);
        m_received += buffer->recorded;
        hand(buffer);
    }
}

void AudioGrabber::hand(AudioBuffer *buffer)
{
    if (!m_writer || !m_writer->post(ThreadMessage{AudioWriter::Write, buffer, 0}))
        m_pool.push_back(buffer); // nobody writes any more: keep it
}

qint64 AudioGrabber::blockUs() const
{
    return qint64(AudioBuffer::kSize) * 1000000 / m_params->format->bytesPerSecond();
}

void AudioGrabber::startLost(const bc_ret &reason)
{
    m_lost = true;
    m_silenceFromUs = steadyMicroseconds();
    m_nextRetryUs = m_silenceFromUs + kRetryUs;
    m_recorder->notifySoundLost(reason);
}

int AudioGrabber::lostWaitMs() const
{
    const qint64 now = steadyMicroseconds();
    const qint64 next = std::min(m_silenceFromUs + blockUs(), m_nextRetryUs);
    return int(std::clamp<qint64>((next - now + 999) / 1000, 1, 1000));
}

void AudioGrabber::whileLost()
{
    // Silence as time passes, so that the recording keeps its sound on the clock and
    // swaps, pauses and saves go on as ever.
    const qint64 now = steadyMicroseconds();
    const qint64 block = blockUs();
    while (now - m_silenceFromUs >= block) {
        AudioBuffer *buffer = freeBuffer();
        std::memset(buffer->data, 0, AudioBuffer::kSize);
        buffer->recorded = AudioBuffer::kSize;
        buffer->captureUs = m_silenceFromUs;
        m_silenceFromUs += block;
        hand(buffer);
    }
    if (now < m_nextRetryUs)
        return;
    m_nextRetryUs = now + kRetryUs;
    if (startCapture().ok()) {
        m_lost = false;
        logInfo(QStringLiteral("Sound server back: capture goes on"));
        m_recorder->notifySoundBack();
    }
}

qint64 AudioGrabber::captureTime(int bytes)
{
    // The last sample read was captured `latency` ago; the first one a block before that.
    const qint64 arrived = steadyMicroseconds();
    const qint64 latency = std::max<qint64>(0, m_capture.latencyUs());
    const AudioFormat &format = *m_params->format;
    return arrived - latency - qint64(bytes) * 1000000 / format.bytesPerSecond();
}

void AudioGrabber::handle(const ThreadMessage &message, bool &keepRunning)
{
    switch (message.type) {
    case Start: {
        const bc_ret ret = startCapture();
        if (ret.failed()) {
            logWarn(bc_ret(ret).add(QStringLiteral("AudioGrabber"), -1, QStringLiteral("Error grabbing audio data"))
                            .details(QStringLiteral(": ")));
            m_recorder->notifyGrabFailed();
            keepRunning = false;
        }
        break;
    }
    case BufferReturned:
        m_pool.push_back(static_cast<AudioBuffer *>(message.pointer));
        break;
    case Stop:
        stopCapture();
        keepRunning = false;
        break;
    default:
        break;
    }
}

bc_ret AudioGrabber::startCapture()
{
    const AudioFormat &format = *m_params->format;
    const QString device = m_params->useDefaultDevice ? QString() : m_params->deviceName;
    bc_ret ret = m_capture.open(device, format.sampleRate, format.channels, AudioBuffer::kSize,
                                QStringLiteral("Table recording"));
    if (ret.failed())
        return ret;
    // Once: a reconnection keeps the blocks it has.
    while (m_buffers.size() < size_t(kInitialBuffers)) {
        m_buffers.push_back(std::make_unique<AudioBuffer>());
        m_pool.push_back(m_buffers.back().get());
    }
    m_bufferCount.store(int(m_buffers.size()));
    m_startTime = steadyMilliseconds();
    m_received = 0;
    m_capturing = true;
    return bc_ret();
}

void AudioGrabber::stopCapture()
{
    if (!m_capturing)
        return;
    const qint64 ms = steadyMilliseconds() - m_startTime;
    const qint64 expected = qint64(m_params->format->bytesPerSecond()) * ms / 1000;
    logInfo(QStringLiteral("For recording %1 ms: received %2 / %3 max expected (%4 bytes)")
                    .arg(ms)
                    .arg(m_received)
                    .arg(expected)
                    .arg(m_received - expected));
    m_capture.close();
    m_capturing = false;
}

AudioWriter::AudioWriter(AudioRecorder *recorder, int sampleRate)
    : m_recorder(recorder)
    , m_timeline(sampleRate, this)
{
}

void AudioWriter::handle(const ThreadMessage &message, bool &keepRunning)
{
    switch (message.type) {
    case Hold:
        ++m_holds;
        break;
    case Swap: {
        auto *swap = static_cast<StreamSwap *>(message.pointer);
        const qint64 at = swap->startTime() >= 0 ? swap->startTime() * 1000 : steadyMicroseconds();
        m_timeline.schedule(SoundTimeline::Event::Swap, at, swap);
        m_holds = std::max(0, m_holds - 1);
        break;
    }
    case Pause:
    case Resume:
        m_timeline.schedule(message.type == Pause ? SoundTimeline::Event::Pause : SoundTimeline::Event::Resume,
                            message.value);
        m_holds = std::max(0, m_holds - 1);
        break;
    case Release:
        m_holds = std::max(0, m_holds - 1);
        break;
    case Write:
        m_waiting.push_back(static_cast<AudioBuffer *>(message.pointer));
        break;
    case SourceEnded:
        m_sourceEnded = true;
        m_holds = 0;
        break;
    case Quit:
        keepRunning = false;
        return;
    default:
        break;
    }
    writeWaiting();
    if (m_sourceEnded)
        m_timeline.flushEvents();
    if (m_finalReached)
        keepRunning = false;
}

void AudioWriter::writeWaiting()
{
    // A hold lasts until the video side has answered; should it never answer, the
    // sound goes on after a few seconds rather than piling up.
    constexpr size_t kLongestHold = 16; // about three seconds of blocks
    if (m_holds > 0 && m_waiting.size() > kLongestHold) {
        logWarn(QStringLiteral("No instant came for held sound: writing on"));
        m_holds = 0;
    }
    while (m_holds == 0 && !m_waiting.empty()) {
        AudioBuffer *buffer = m_waiting.front();
        m_waiting.pop_front();
        if (!m_finalReached)
            write(buffer);
        giveBack(buffer);
    }
}

void AudioWriter::write(AudioBuffer *buffer)
{
    if (const int delay = m_writeDelayMs.load(); delay > 0)
        QThread::msleep(ulong(delay));
    if (m_muted.load())
        std::memset(buffer->data, 0, size_t(buffer->recorded));
    m_timeline.add(reinterpret_cast<const qint16 *>(buffer->data), buffer->recorded / 2, buffer->captureUs);
}

void AudioWriter::giveBack(AudioBuffer *buffer)
{
    // When the grabber has ended the block simply stays with it and is freed with it.
    if (m_grabber)
        m_grabber->post(ThreadMessage{AudioGrabber::BufferReturned, buffer, 0});
}

void AudioWriter::writeSamples(const qint16 *samples, int count)
{
    if (!m_stream || m_result.failed() || count <= 0)
        return;
    const int level = m_stream->write(reinterpret_cast<const uchar *>(samples), count * 2, m_result);
    if (level != m_lastLevel) {
        m_lastLevel = level;
        m_recorder->notifyLevel(level);
    }
    if (m_result.failed()) {
        logWarn(QStringLiteral("Writing %1: %2").arg(m_stream->fileName(), m_result.details(QStringLiteral(": "))));
        m_recorder->notifyWriteFailed(m_result);
    }
}

void AudioWriter::swapped(void *pointer)
{
    auto *swap = static_cast<StreamSwap *>(pointer);
    swap->setOldAudio(m_stream);
    m_stream = swap->newAudio();
    if (swap->isFinal())
        m_finalReached = true;
    m_recorder->notifySwapped(swap);
}

AudioRecorder::AudioRecorder(const AudioRecParamsSptr &params, QObject *parent)
    : QObject(parent)
    , m_params(params)
    , m_writer(this, params->format->sampleRate)
    , m_grabber(this, params)
{
}

AudioRecorder::~AudioRecorder()
{
    // Both threads must have ended before their objects (buffers, the sound
    // stream) go, even if a slow disk keeps the writer busy for a while.
    m_writer.post(ThreadMessage{AudioWriter::Quit, nullptr, 0});
    m_grabber.post(ThreadMessage{AudioGrabber::Stop, nullptr, 0});
    m_writer.join();
    m_grabber.join();
}

bc_ret AudioRecorder::start()
{
    if (!m_writer.start())
        return bc_ret(QStringLiteral("AudioRecorder::start"), -1, QStringLiteral("Error starting audio writer thread"));
    m_writer.setGrabber(&m_grabber);
    m_grabber.setWriter(&m_writer);
    if (!m_grabber.start())
        return bc_ret(QStringLiteral("AudioRecorder::start"), -1, QStringLiteral("Error starting audio grabber thread"));
    if (!m_grabber.post(ThreadMessage{AudioGrabber::Start, nullptr, 0}))
        return bc_ret(QStringLiteral("AudioRecorder::start"), -1, QStringLiteral("Error starting audio grabber"));
    return bc_ret();
}

AudioStreamSptr AudioRecorder::stop()
{
    m_writer.post(ThreadMessage{AudioWriter::Quit, nullptr, 0});
    const bool writerEnded = m_writer.wait(kWaitMs);
    // The stream is the writer's until its thread has ended.
    AudioStreamSptr stream = writerEnded ? m_writer.currentStream() : nullptr;
    m_grabber.post(ThreadMessage{AudioGrabber::Stop, nullptr, 0});
    if (!m_grabber.wait(kWaitMs))
        logWarn(QStringLiteral("Audio grabber did not stop in time"));
    return stream;
}

void AudioRecorder::hold()
{
    m_writer.post(ThreadMessage{AudioWriter::Hold, nullptr, 0});
}

void AudioRecorder::swapStream(StreamSwap *swap)
{
    if (!m_writer.post(ThreadMessage{AudioWriter::Swap, swap, 0})) {
        // No writer (it ended after an error): this side is done at once.
        swap->setOldAudio(nullptr);
        swap->audioDone();
    }
}

void AudioRecorder::setPaused(bool paused, qint64 atMs)
{
    if (atMs < 0)
        m_writer.post(ThreadMessage{AudioWriter::Release, nullptr, 0});
    else
        m_writer.post(ThreadMessage{paused ? AudioWriter::Pause : AudioWriter::Resume, nullptr, atMs * 1000});
}

void AudioRecorder::setMuted(bool muted)
{
    m_writer.setMuted(muted);
}

void AudioRecorder::notifySwapped(StreamSwap *swap)
{
    QMetaObject::invokeMethod(
            this,
            [this, swap] {
                // A final swap is done once capture has ended too; the wait (up to
                // one block) must not hold up this thread, which serves other recordings.
                if (swap->isFinal() && m_grabber.post(ThreadMessage{AudioGrabber::Stop, nullptr, 0}))
                    m_waitingForGrabber.append(swap);
                else
                    swap->audioDone();
            },
            Qt::QueuedConnection);
}

void AudioRecorder::notifyWriteFailed(const bc_ret &errors)
{
    QMetaObject::invokeMethod(
            this,
            [this, errors] {
                emit writeFailed(bc_ret(errors).add(QStringLiteral("AudioRecorder"), -1, QStringLiteral("Error writing audio data")));
            },
            Qt::QueuedConnection);
}

void AudioRecorder::notifyGrabFailed()
{
    QMetaObject::invokeMethod(
            this, [this] { emit error(bc_ret(QStringLiteral("AudioRecorder"), -1, QStringLiteral("Error grabbing audio data"))); },
            Qt::QueuedConnection);
}

void AudioRecorder::notifySoundLost(const bc_ret &reason)
{
    QMetaObject::invokeMethod(this, [this, reason] { emit soundLost(reason); }, Qt::QueuedConnection);
}

void AudioRecorder::notifySoundBack()
{
    QMetaObject::invokeMethod(this, [this] { emit soundBack(); }, Qt::QueuedConnection);
}

void AudioRecorder::notifyGrabberEnded()
{
    QMetaObject::invokeMethod(
            this,
            [this] {
                m_grabber.join();
                const QList<StreamSwap *> waiting = std::move(m_waitingForGrabber);
                m_waitingForGrabber.clear();
                for (StreamSwap *swap : waiting)
                    swap->audioDone();
            },
            Qt::QueuedConnection);
}

void AudioRecorder::notifyLevel(int level)
{
    QMetaObject::invokeMethod(this, [this, level] { emit volume(level); }, Qt::QueuedConnection);
}
