#pragma once

#include <QtGlobal>

#include <array>
#include <deque>
#include <limits>

// When each captured sample was heard, on the steady clock (microseconds). Every
// block comes with a raw estimate of its first sample's capture time (arrival minus
// the source's latency minus the block's own length); single estimates jitter with
// scheduling, so the clock follows the median of the recent ones. The sample count
// carries the sound card's own rate, so a card that runs fast shows as a slowly
// falling median.
class CaptureClock
{
public:
    explicit CaptureClock(int sampleRate);

    // Takes a block of samples; returns the index of its first sample.
    qint64 addBlock(qint64 rawFirstSampleUs, int samples);
    // The capture time of a sample already added.
    qint64 timeOf(qint64 sample) const;

private:
    static constexpr int kWindow = 15;
    qint64 sampleTime(qint64 sample) const;

    int m_rate;
    qint64 m_samples = 0;
    std::array<qint64, kWindow> m_offsets{};
    int m_count = 0;
    int m_next = 0;
    qint64 m_offset = 0;
};

// Places captured sound into a recording's segments on the recording's clock.
// Swaps, pauses and resumes are instants on the steady clock decided by the video
// side; samples captured before a swap end the old segment and the rest start the
// new one, so each segment's sound starts with its first frame. Within a segment the
// sound follows the clock: when the samples written drift from the elapsed time by
// more than 20 ms, single samples are dropped or repeated (at most one in 1000, at
// the quietest point near by), which nobody hears.
class SoundTimeline
{
public:
    // Receives the placed sound (16-bit mono samples) and the swaps as they happen.
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual void writeSamples(const qint16 *samples, int count) = 0;
        // The swap's instant is reached: what follows belongs to the next segment.
        virtual void swapped(void *swap) = 0;
    };

    enum class Event { Swap, Pause, Resume };

    static constexpr int kDriftLimitMs = 20;
    static constexpr int kSamplesPerStep = 1000;
    // A larger gap (the server dropped sound, a late event) is made up at once.
    static constexpr int kJumpMs = 200;

    SoundTimeline(int sampleRate, Output *output);

    // Events must come in the order of their instants.
    void schedule(Event event, qint64 instantUs, void *swap = nullptr);
    // A captured block; rawFirstSampleUs as CaptureClock takes it.
    void add(const qint16 *samples, int count, qint64 rawFirstSampleUs);
    // No more sound will come: every scheduled event happens now.
    void flushEvents();

    // The current segment: samples written, and their distance from the clock at the
    // last sample placed (positive: ahead).
    qint64 written() const { return m_written; }
    qint64 clockError() const { return m_lastError; }
    qint64 corrections() const { return m_corrections; }
    // The fewest samples seen between two corrections in this timeline.
    qint64 closestCorrections() const { return m_closestCorrections; }

private:
    struct Scheduled
    {
        Event event;
        qint64 instantUs;
        void *swap;
    };

    void apply(const Scheduled &event, qint64 atUs);
    void place(const qint16 *samples, int count, qint64 firstUs);
    void correct(const qint16 *samples, int count, qint64 error);
    void writeSilence(qint64 count);
    qint64 clockPosition(qint64 atUs) const;

    int m_rate;
    Output *m_output;
    CaptureClock m_clock;
    std::deque<Scheduled> m_events;
    bool m_inSegment = false;
    bool m_paused = false;
    bool m_segmentStarting = false;
    qint64 m_originUs = 0;      // capture time of the segment's position 0 (moves with pauses)
    qint64 m_pausedAtUs = 0;    // the segment's time at the pause
    qint64 m_written = 0;
    qint64 m_lastError = 0;
    qint64 m_sinceCorrection = 0;
    qint64 m_corrections = 0;
    qint64 m_closestCorrections = std::numeric_limits<qint64>::max();
    bool m_correcting = false;
};
