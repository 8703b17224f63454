#include "recorder/SoundTimeline.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kBlock = 4096; // samples in one captured block

// Keeps what each segment received; sample values are capture indices (mod 2^15).
struct Segments : SoundTimeline::Output
{
    std::vector<std::vector<qint16>> segments;
    QList<void *> swaps;

    void writeSamples(const qint16 *samples, int count) override
    {
        if (!segments.empty())
            segments.back().insert(segments.back().end(), samples, samples + count);
    }
    void swapped(void *swap) override
    {
        swaps.append(swap);
        segments.emplace_back();
    }
};

// A sound card delivering blocks; each block's capture time is reported with
// scheduling jitter, and the card's rate may differ from the nominal one.
class Card
{
public:
    explicit Card(SoundTimeline &timeline, qint64 jitterUs = 0)
        : m_timeline(timeline)
        , m_jitterUs(jitterUs)
    {
    }

    // Capture time of the next sample (true, on the steady clock).
    double nowUs() const { return m_timeUs; }
    qint64 delivered() const { return m_index; }

    void deliver(double speed = 1.0, bool sine = false)
    {
        std::vector<qint16> block(kBlock);
        for (int i = 0; i < kBlock; ++i) {
            const qint64 index = m_index + i;
            block[size_t(i)] = sine ? qint16(8000 * std::sin(index * 0.125)) : qint16(index % 32768);
        }
        const qint64 jitter = m_jitterUs > 0 ? m_random.bounded(2 * m_jitterUs + 1) - m_jitterUs : 0;
        m_timeline.add(block.data(), kBlock, qint64(m_timeUs) + jitter);
        m_index += kBlock;
        m_timeUs += kBlock * 1e6 / (kRate * speed);
    }

private:
    SoundTimeline &m_timeline;
    qint64 m_jitterUs;
    QRandomGenerator m_random{7};
    qint64 m_index = 0;
    double m_timeUs = 1e9;
};

qint64 samplesIn(qint64 us)
{
    return us * kRate / 1000000;
}

} // namespace

class TestSoundTimeline : public QObject
{
    Q_OBJECT
private slots:
    void swapsSplitAtTheirInstant();
    void pausedSoundIsLeftOutOnTheClock();
    void lateSwapIsPaddedToItsInstant();
    void driftIsCorrectedInSmallSteps();
};

void TestSoundTimeline::swapsSplitAtTheirInstant()
{
    // Capture times jitter by ±4 ms block to block; the split is still within 10 ms
    // of the instant, and no sample is lost or doubled between segments.
    Segments out;
    SoundTimeline timeline(kRate, &out);
    Card card(timeline, 4000);
    const qint64 start = qint64(card.nowUs()) + 300000;
    int tags[3];
    timeline.schedule(SoundTimeline::Event::Swap, start, &tags[0]);
    timeline.schedule(SoundTimeline::Event::Swap, start + 3000000, &tags[1]);
    timeline.schedule(SoundTimeline::Event::Swap, start + 6100000, &tags[2]);
    while (card.nowUs() < start + 6500000)
        card.deliver();

    QCOMPARE(out.swaps, (QList<void *>{&tags[0], &tags[1], &tags[2]}));
    QCOMPARE(out.segments.size(), size_t(3));
    const qint64 tolerance = samplesIn(10000);
    const qint64 firstIndex = samplesIn(300000);
    QVERIFY2(qAbs(out.segments[0].front() - firstIndex) <= tolerance, qPrintable(QString::number(out.segments[0].front())));
    QVERIFY(qAbs(qint64(out.segments[0].size()) - samplesIn(3000000)) <= 2 * tolerance);
    QVERIFY(qAbs(qint64(out.segments[1].size()) - samplesIn(3100000)) <= 2 * tolerance);
    for (size_t s = 0; s + 1 < out.segments.size(); ++s)
        QCOMPARE((out.segments[s].back() + 1) % 32768, int(out.segments[s + 1].front()));
    QCOMPARE(timeline.corrections(), qint64(0));
}

void TestSoundTimeline::pausedSoundIsLeftOutOnTheClock()
{
    Segments out;
    SoundTimeline timeline(kRate, &out);
    Card card(timeline);
    const qint64 start = qint64(card.nowUs()) + 100000;
    const qint64 pause = start + 1000000;
    const qint64 resume = pause + 700000;
    int tag = 0;
    timeline.schedule(SoundTimeline::Event::Swap, start, &tag);
    timeline.schedule(SoundTimeline::Event::Pause, pause);
    timeline.schedule(SoundTimeline::Event::Resume, resume);
    while (card.nowUs() < resume + 1000000)
        card.deliver();

    // One second before the pause, then straight on with what was heard at the resume
    // (to a sample: capture times are whole microseconds).
    const std::vector<qint16> &segment = out.segments.at(0);
    const size_t seam = size_t(samplesIn(1000000));
    const auto jump = std::adjacent_find(segment.begin(), segment.end(), [](qint16 a, qint16 b) { return b != a + 1; });
    QVERIFY(jump != segment.end());
    QVERIFY(qAbs(qint64(jump - segment.begin()) + 1 - qint64(seam)) <= 1);
    QVERIFY(qAbs(*(jump + 1) - samplesIn(resume - start + 100000) % 32768) <= 1);
    QVERIFY(qAbs(timeline.clockError()) <= 1);
}

void TestSoundTimeline::lateSwapIsPaddedToItsInstant()
{
    // The next segment's instant is already past when it is known: it starts with
    // silence for what went into the old one, so what follows is at its right place.
    Segments out;
    SoundTimeline timeline(kRate, &out);
    Card card(timeline);
    int tags[2];
    const qint64 start = qint64(card.nowUs());
    timeline.schedule(SoundTimeline::Event::Swap, start, &tags[0]);
    for (int i = 0; i < 10; ++i)
        card.deliver();
    const qint64 instant = qint64(card.nowUs()) - 50000;
    timeline.schedule(SoundTimeline::Event::Swap, instant, &tags[1]);
    card.deliver();

    const std::vector<qint16> &late = out.segments.at(1);
    const qint64 padding = samplesIn(50000);
    QVERIFY(qAbs(qint64(late.size()) - padding - kBlock) <= 1);
    QCOMPARE(late[size_t(padding / 2)], qint16(0));
    QCOMPARE(int(late.back()), int((card.delivered() - 1) % 32768));
}

void TestSoundTimeline::driftIsCorrectedInSmallSteps()
{
    // Ten minutes of a card 0.05% fast, then 0.05% slow (five times what a poor card
    // does), reported with ±5 ms of jitter: the sound stays within 25 ms of the true
    // clock throughout, mending at most one sample in 1000.
    Segments out;
    SoundTimeline timeline(kRate, &out);
    Card card(timeline, 5000);
    const qint64 start = qint64(card.nowUs());
    int tag = 0;
    timeline.schedule(SoundTimeline::Event::Swap, start, &tag);
    qint64 worst = 0;
    const qint64 minute = 60000000;
    while (card.nowUs() < start + 10 * minute) {
        const double speed = card.nowUs() < start + 5 * minute ? 1.0005 : 0.9995;
        card.deliver(speed, true);
        const qint64 truePosition = samplesIn(qint64(card.nowUs()) - start);
        worst = std::max(worst, qAbs(timeline.written() - truePosition));
    }
    QVERIFY2(worst <= samplesIn(25000), qPrintable(QStringLiteral("%1 samples off").arg(worst)));
    QVERIFY(timeline.corrections() > 0);
    QVERIFY(timeline.closestCorrections() >= SoundTimeline::kSamplesPerStep);
}

QTEST_GUILESS_MAIN(TestSoundTimeline)
#include "tst_soundtimeline.moc"
