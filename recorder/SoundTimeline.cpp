#include "recorder/SoundTimeline.h"

#include "app/Log.h"

#include <algorithm>

namespace {

constexpr qint64 kUs = 1000000;
// How far ahead a correction looks for a quiet sample (10 ms at 22050 Hz).
constexpr int kQuietSearch = 220;
// Samples of rounding that are not worth a gap.
constexpr int kSlack = 2;

// The index of the first sample at or after a time: ceiling, also below zero.
qint64 firstSampleFrom(qint64 fromUs, qint64 firstUs, int rate)
{
    const qint64 scaled = (fromUs - firstUs) * rate;
    return scaled > 0 ? (scaled + kUs - 1) / kUs : scaled / kUs;
}

} // namespace

CaptureClock::CaptureClock(int sampleRate)
    : m_rate(sampleRate > 0 ? sampleRate : 1)
{
}

qint64 CaptureClock::sampleTime(qint64 sample) const
{
    return (sample * kUs + m_rate / 2) / m_rate;
}

qint64 CaptureClock::addBlock(qint64 rawFirstSampleUs, int samples)
{
    const qint64 first = m_samples;
    m_offsets[size_t(m_next)] = rawFirstSampleUs - sampleTime(first);
    m_next = (m_next + 1) % kWindow;
    m_count = std::min(m_count + 1, kWindow);
    std::array<qint64, kWindow> sorted = m_offsets;
    const auto middle = sorted.begin() + m_count / 2;
    std::nth_element(sorted.begin(), middle, sorted.begin() + m_count);
    m_offset = *middle;
    m_samples += samples;
    return first;
}

qint64 CaptureClock::timeOf(qint64 sample) const
{
    return m_offset + sampleTime(sample);
}

SoundTimeline::SoundTimeline(int sampleRate, Output *output)
    : m_rate(sampleRate > 0 ? sampleRate : 1)
    , m_output(output)
    , m_clock(m_rate)
{
}

void SoundTimeline::schedule(Event event, qint64 instantUs, void *swap)
{
    m_events.push_back(Scheduled{event, instantUs, swap});
}

void SoundTimeline::add(const qint16 *samples, int count, qint64 rawFirstSampleUs)
{
    const qint64 first = m_clock.addBlock(rawFirstSampleUs, count);
    const qint64 firstUs = m_clock.timeOf(first);
    int pos = 0;
    while (pos < count) {
        const qint64 posUs = firstUs + (pos * kUs + m_rate / 2) / m_rate;
        int end = count;
        if (!m_events.empty()) {
            const Scheduled next = m_events.front();
            const qint64 at = firstSampleFrom(next.instantUs, firstUs, m_rate);
            if (at <= pos) {
                // Also an event that came too late for its instant: it happens here.
                m_events.pop_front();
                apply(next, posUs);
                continue;
            }
            end = int(std::min<qint64>(count, at));
        }
        place(samples + pos, end - pos, posUs);
        pos = end;
    }
}

void SoundTimeline::flushEvents()
{
    while (!m_events.empty()) {
        const Scheduled next = m_events.front();
        m_events.pop_front();
        apply(next, next.instantUs);
    }
}

void SoundTimeline::apply(const Scheduled &event, qint64 atUs)
{
    if (atUs - event.instantUs > kUs / 100)
        logDebug(QStringLiteral("Sound event %1 placed %2 ms late").arg(int(event.event)).arg((atUs - event.instantUs) / 1000));
    switch (event.event) {
    case Event::Swap:
        m_output->swapped(event.swap);
        m_inSegment = true;
        m_originUs = event.instantUs;
        m_pausedAtUs = 0;
        m_written = 0;
        m_lastError = 0;
        m_correcting = false;
        m_segmentStarting = true;
        break;
    case Event::Pause:
        if (!m_paused) {
            m_paused = true;
            m_pausedAtUs = event.instantUs - m_originUs;
        }
        break;
    case Event::Resume:
        if (m_paused) {
            m_paused = false;
            m_originUs = event.instantUs - m_pausedAtUs;
            m_segmentStarting = true;
        }
        break;
    }
}

qint64 SoundTimeline::clockPosition(qint64 atUs) const
{
    const qint64 scaled = (atUs - m_originUs) * m_rate;
    return (scaled >= 0 ? scaled + kUs / 2 : scaled - kUs / 2) / kUs;
}

void SoundTimeline::place(const qint16 *samples, int count, qint64 firstUs)
{
    // Before the first segment and while paused the sound is not the recording's.
    if (!m_inSegment || m_paused || count <= 0)
        return;
    qint64 error = m_written - clockPosition(firstUs);
    const qint64 jump = qint64(m_rate) * kJumpMs / 1000;
    if (m_segmentStarting || qAbs(error) > jump) {
        // A segment or a resumed stretch starts exactly on the clock; a large gap
        // (sound dropped by the server) is made up at once.
        if (!m_segmentStarting)
            logWarn(QStringLiteral("Sound was %1 ms off the clock").arg(error * 1000 / m_rate));
        if (qAbs(error) <= kSlack) {
            // Rounding of whole microseconds, not a gap.
        } else if (error < 0) {
            writeSilence(-error);
            error = 0;
        } else if (error > 0) {
            const int skip = int(std::min<qint64>(error, count));
            samples += skip;
            count -= skip;
            error -= skip;
        }
        m_segmentStarting = error > kSlack;
        if (count == 0)
            return;
    }
    m_lastError = error;
    correct(samples, count, error);
}

void SoundTimeline::correct(const qint16 *samples, int count, qint64 error)
{
    const qint64 limit = qint64(m_rate) * kDriftLimitMs / 1000;
    if (qAbs(error) > limit)
        m_correcting = true;
    int pos = 0;
    while (pos < count) {
        if (m_correcting && qAbs(error) <= limit / 2)
            m_correcting = false;
        const qint64 wait = std::max<qint64>(0, kSamplesPerStep - m_sinceCorrection);
        if (!m_correcting || pos + wait >= count) {
            m_output->writeSamples(samples + pos, count - pos);
            m_written += count - pos;
            m_sinceCorrection += count - pos;
            return;
        }
        // The quietest sample near by is the one dropped or doubled.
        const int from = pos + int(wait);
        const int to = std::min(count, from + kQuietSearch);
        int quiet = from;
        for (int i = from + 1; i < to; ++i) {
            if (qAbs(int(samples[i])) < qAbs(int(samples[quiet])))
                quiet = i;
        }
        const int copies = error > 0 ? 0 : 2;
        m_output->writeSamples(samples + pos, quiet - pos);
        for (int i = 0; i < copies; ++i)
            m_output->writeSamples(samples + quiet, 1);
        m_written += quiet - pos + copies;
        error += copies - 1;
        m_sinceCorrection += quiet - pos + 1;
        if (m_corrections > 0)
            m_closestCorrections = std::min(m_closestCorrections, m_sinceCorrection);
        ++m_corrections;
        m_sinceCorrection = 0;
        pos = quiet + 1;
    }
}

void SoundTimeline::writeSilence(qint64 count)
{
    static const qint16 zeros[1024] = {};
    m_written += count;
    while (count > 0) {
        const int n = int(std::min<qint64>(count, 1024));
        m_output->writeSamples(zeros, n);
        count -= n;
    }
}
