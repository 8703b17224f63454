// x_beep_flash X Y WIDTH HEIGHT SINK SECONDS
// Plays 1 kHz beeps into a PulseAudio sink and shows a window that is white exactly
// while a beep is heard and black otherwise, so a recording of both shows whether
// sound and picture stay in step. Prints the window id once it is shown; stops after
// SECONDS, at the end of standard input or on a "quit" line. With BC_BEEP_FLASH_TRACE
// set, tells on standard error how late each change of the window came.
#include "tests/support/XSession.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kRate = 22050;
constexpr qint64 kBeepSamples = 150 * kRate / 1000;
constexpr int kFadeSamples = 10;
constexpr double kAmplitude = 16000;
// Small writes into a small buffer (see openPlayback): the stream's position is
// read between writes, and a write never blocks for long.
constexpr int kChunkSamples = kRate / 200;
// Waiting for a change rather than writing: at most this far ahead of it, and only
// while this much more stays queued, so the sink never runs dry meanwhile.
constexpr qint64 kHoldSamples = 20 * kRate / 1000;
constexpr qint64 kMinQueuedSamples = 20 * kRate / 1000;
// Onsets at 0.6 s, then 733, 933 and 1133 ms apart over and over: uneven gaps, so a
// beep cannot be taken for its neighbour even with sound and picture far apart, and
// each beep falls a third of a 10 fps frame later in the frames' rhythm, so
// that their average shows where the sound lies between two frames.
constexpr qint64 kFirstBeepMs = 600;
constexpr qint64 kOnsetInCycleMs[] = {0, 733, 1666};
constexpr qint64 kCycleMs = 2799;

qint64 onsetOf(qint64 beep)
{
    return (kFirstBeepMs + beep / 3 * kCycleMs + kOnsetInCycleMs[beep % 3]) * kRate / 1000;
}

// The last beep starting at or before a sample; -1 before the first.
qint64 beepAt(qint64 sample)
{
    if (sample < onsetOf(0))
        return -1;
    qint64 beep = (sample * 1000 / kRate - kFirstBeepMs) / kCycleMs * 3;
    while (onsetOf(beep + 1) <= sample)
        ++beep;
    return beep;
}

bool inBeep(qint64 sample)
{
    const qint64 beep = beepAt(sample);
    return beep >= 0 && sample - onsetOf(beep) < kBeepSamples;
}

qint16 sampleAt(qint64 sample, qint64 end)
{
    if (sample >= end || !inBeep(sample))
        return 0;
    const qint64 at = sample - onsetOf(beepAt(sample));
    // Fades of under half a millisecond: no click, and the onset stays sharp.
    const double fade = std::min({1.0, double(at + 1) / kFadeSamples, double(kBeepSamples - at) / kFadeSamples});
    return qint16(std::lround(kAmplitude * fade * std::sin(2 * std::numbers::pi * 1000.0 * double(at) / kRate)));
}

pa_simple *openPlayback(const char *sink)
{
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
    // 50 ms in all, asked for 10 ms at a time; after an underrun it plays on as soon as
    // 10 ms are queued again.
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(50000, &spec));
    attr.prebuf = uint32_t(pa_usec_to_bytes(10000, &spec));
    attr.minreq = uint32_t(pa_usec_to_bytes(10000, &spec));
    attr.fragsize = uint32_t(-1);
    int error = 0;
    pa_simple *playback = pa_simple_new(nullptr, "x_beep_flash", PA_STREAM_PLAYBACK, sink, "beeps", &spec, nullptr,
                                        &attr, &error);
    if (!playback)
        std::fprintf(stderr, "x_beep_flash: cannot play into %s: %s\n", sink, pa_strerror(error));
    return playback;
}

// True once standard input has ended or asked to quit.
bool stopAsked(std::string &pending)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (poll(&input, 1, 0) > 0) {
        char buffer[256];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0)
            return true;
        pending.append(buffer, size_t(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            if (pending.compare(0, end, "quit") == 0)
                return true;
        }
    }
    return false;
}

// The sample index being heard now: what was written less what is still queued
// ahead of the listener. It follows the stream, so an underrun delays the flashes
// along with the beeps.
std::optional<qint64> audibleSample(pa_simple *playback, qint64 written)
{
    int error = 0;
    const pa_usec_t latency = pa_simple_get_latency(playback, &error);
    if (latency == pa_usec_t(-1)) {
        std::fprintf(stderr, "x_beep_flash: no latency: %s\n", pa_strerror(error));
        return std::nullopt;
    }
    return written - qint64(latency * kRate / 1000000);
}

// The next sample at which a beep starts or stops being heard.
qint64 nextEdge(qint64 sample)
{
    const qint64 beep = beepAt(sample);
    if (beep < 0)
        return onsetOf(0);
    return sample - onsetOf(beep) < kBeepSamples ? onsetOf(beep) + kBeepSamples : onsetOf(beep + 1);
}

// Shows white while a beep is heard and black otherwise.
class Flasher
{
public:
    explicit Flasher(TestWindow &window) : m_window(window) {}

    void show(qint64 audible)
    {
        if (inBeep(audible) == m_white)
            return;
        QElapsedTimer filling;
        filling.start();
        m_white = !m_white;
        m_window.fill(m_white ? 0xffffff : 0x000000);
        m_window.sync();
        if (m_trace) {
            const qint64 onset = onsetOf(beepAt(audible));
            const qint64 edge = m_white ? onset : onset + kBeepSamples;
            std::fprintf(stderr, "%s %.1f late %.2f ms\n", m_white ? "white" : "black", double(edge) * 1000 / kRate,
                         double(audible - edge) * 1000 / kRate + double(filling.nsecsElapsed()) / 1e6);
        }
    }

private:
    TestWindow &m_window;
    bool m_white = false;
    const bool m_trace = qEnvironmentVariableIsSet("BC_BEEP_FLASH_TRACE");
};

int play(pa_simple *playback, TestWindow &window, qint64 end)
{
    Flasher flasher(window);
    std::vector<qint16> chunk(kChunkSamples);
    std::string pending;
    qint64 written = 0;
    for (;;) {
        const std::optional<qint64> heard = audibleSample(playback, written);
        if (!heard)
            return 4;
        const qint64 audible = *heard;
        if (audible >= end || stopAsked(pending))
            return 0;
        flasher.show(audible);
        // A write may block until the sink takes its next block, which would make the
        // window late. With a change about to be heard and enough queued to play on,
        // wait for the change here instead.
        const qint64 toEdge = nextEdge(audible) - audible;
        if (toEdge < kHoldSamples && written - audible - toEdge > kMinQueuedSamples) {
            QThread::usleep(500);
            continue;
        }
        for (int i = 0; i < kChunkSamples; ++i)
            chunk[size_t(i)] = sampleAt(written + i, end);
        int error = 0;
        if (pa_simple_write(playback, chunk.data(), chunk.size() * sizeof(qint16), &error) < 0) {
            std::fprintf(stderr, "x_beep_flash: cannot write: %s\n", pa_strerror(error));
            return 4;
        }
        written += kChunkSamples;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: x_beep_flash X Y WIDTH HEIGHT SINK SECONDS\n");
        return 2;
    }
    TestWindow window(QStringLiteral("beep flash"), QRect(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]), atoi(argv[4])),
                      0x000000);
    if (!window.waitShown())
        return 3;
    std::printf("%u\n", window.id());
    std::fflush(stdout);
    pa_simple *playback = openPlayback(argv[5]);
    if (!playback)
        return 4;
    const int status = play(playback, window, qint64(std::atof(argv[6]) * kRate));
    pa_simple_free(playback);
    return status;
}
