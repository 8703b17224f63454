#include "recorder/AudioMixerLines.h"
#include "recorder/AudioRecorder.h"
#include "recorder/MillisecondClock.h"
#include "recorder/StreamSwap.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/PulseSession.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

AudioRecParamsSptr params(const QString &device = QString())
{
    auto p = std::make_shared<AudioRecParams>();
    p->useDefaultDevice = device.isEmpty();
    p->deviceName = device;
    return p;
}

// Sign changes per second of 16-bit samples: twice the frequency of a tone.
double crossingsPerSecond(const QByteArray &samples, int rate)
{
    const auto *s = reinterpret_cast<const qint16 *>(samples.constData());
    const int n = int(samples.size() / 2);
    int crossings = 0;
    for (int i = 1; i < n; ++i)
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    return n > 1 ? crossings * double(rate) / n : 0;
}

// The same for the tone itself, from the median spacing of its zero crossings: silence
// that places the first samples on the recording's clock (a late start on a busy
// machine) does not lower it.
double toneCrossingsPerSecond(const QByteArray &samples, int rate)
{
    const auto *s = reinterpret_cast<const qint16 *>(samples.constData());
    const int n = int(samples.size() / 2);
    QList<int> spacings;
    int last = -1;
    for (int i = 1; i < n; ++i) {
        if ((s[i - 1] < 0) != (s[i] < 0)) {
            if (last >= 0)
                spacings.append(i - last);
            last = i;
        }
    }
    if (spacings.isEmpty())
        return 0;
    std::sort(spacings.begin(), spacings.end());
    return double(rate) / spacings.at(spacings.size() / 2);
}

// Bytes of sound for the time between two instants (ms), and what they may be off by:
// the sound follows the clock to within 20 ms, as far as the capture times the server
// reports allow (the tests' microphone delivers unevenly, by ±40 ms).
qint64 bytesFor(qint64 fromMs, qint64 toMs)
{
    return (toMs - fromMs) * 44100 / 1000;
}
constexpr qint64 kClockTolerance = 50 * 44100 / 1000;

bool allZero(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return c == 0; });
}

// Starts a recording into a new file, runs `during` once a second passes, ends it with
// a final swap as a session does, and returns what FFmpeg reads back.
struct Recording
{
    AudioRecorder recorder;
    AudioStreamSptr stream;
    qint64 beganAt = 0; // the file's instants on the steady clock (ms)
    qint64 endedAt = 0;
    QSignalSpy volumes{&recorder, &AudioRecorder::volume};
    QSignalSpy errors{&recorder, &AudioRecorder::error};

    Recording(const AudioRecParamsSptr &p, const QString &file)
        : recorder(p)
        , stream(std::make_shared<AudioStream>(file, p->format, p->levelPeriod))
    {
    }

    // warmUpMs: capture runs that long before the file starts. The null sink's monitor
    // starts with seconds of latency, and the sine source fills ahead at first.
    bool begin(int warmUpMs = 0)
    {
        if (stream->open().failed() || recorder.start().failed())
            return false;
        QTest::qWait(warmUpMs);
        auto *swap = new StreamSwap(stream, nullptr, nullptr, false, bc_ret());
        swap->setStartTime(beganAt = steadyMilliseconds());
        swap->videoDone();
        QSignalSpy swapped(swap, &StreamSwap::swapped);
        recorder.swapStream(swap);
        return swapped.wait(5000);
    }

    bool end()
    {
        auto *swap = new StreamSwap(nullptr, nullptr, nullptr, true, bc_ret());
        swap->setStartTime(endedAt = steadyMilliseconds());
        swap->videoDone();
        QSignalSpy swapped(swap, &StreamSwap::swapped);
        AudioStreamSptr old;
        QObject::connect(swap, &StreamSwap::swapped, swap, [&old](StreamSwap *s) { old = s->oldAudio(); });
        recorder.swapStream(swap);
        if (!swapped.wait(10000) || old != stream)
            return false;
        stream->close();
        return true;
    }
};

} // namespace

class TestAudio : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void levelFormula();
    void alignerHandsWholeBlocks();
    void sineIsRecorded();
    void unknownDeviceUsesTheDefault();
    void mutedKeepsTheTiming();
    void pauseCutsTheSound();
    void slowWriterLosesNothing();
    void mixerControls();
    // Last: it ends the daemon and starts it again.
    void lostServerIsBridged();

private:
    PulseSession m_pulse;
    QTemporaryDir m_dir;
};

void TestAudio::initTestCase()
{
    QVERIFY(m_pulse.start());
}

void TestAudio::levelFormula()
{
    QByteArray block(8820, 0);
    QCOMPARE(VolumeReporter::levelOf(reinterpret_cast<const uchar *>(block.constData()), int(block.size())), -54);
    auto *s = reinterpret_cast<qint16 *>(block.data());
    for (int i = 0; i < 4410; ++i)
        s[i] = (i / 10) % 2 ? 32767 : -32767;
    QCOMPARE(VolumeReporter::levelOf(reinterpret_cast<const uchar *>(block.constData()), int(block.size())), 0);
    for (int i = 0; i < 4410; ++i)
        s[i] = (i / 10) % 2 ? 3277 : -3277; // a tenth of full scale: -20 dB
    QCOMPARE(VolumeReporter::levelOf(reinterpret_cast<const uchar *>(block.constData()), int(block.size())), -19);
}

void TestAudio::alignerHandsWholeBlocks()
{
    struct Sink
    {
        QList<int> sizes;
        QByteArray data;
        void writeBlock(const uchar *d, int size, bc_ret &)
        {
            sizes.append(size);
            data.append(reinterpret_cast<const char *>(d), size);
        }
    } sink;
    DataAligner<Sink> aligner(&sink, 100);
    QByteArray input;
    for (int i = 0; i < 350; ++i)
        input.append(char(i));
    bc_ret errors;
    aligner.write(reinterpret_cast<const uchar *>(input.constData()), 30, errors);
    aligner.write(reinterpret_cast<const uchar *>(input.constData()) + 30, 250, errors);
    QCOMPARE(sink.sizes, (QList<int>{100, 100}));
    aligner.write(reinterpret_cast<const uchar *>(input.constData()) + 280, 70, errors);
    QCOMPARE(sink.sizes, (QList<int>{100, 100, 100}));
    aligner.flush(errors);
    QCOMPARE(sink.sizes, (QList<int>{100, 100, 100, 50}));
    QCOMPARE(sink.data, input);
}

void TestAudio::sineIsRecorded()
{
    const QString file = m_dir.filePath(QStringLiteral("sine_a.avi"));
    Recording r(params(QLatin1String(PulseSession::kSineSource)), file);
    QVERIFY(r.begin());
    QTest::qWait(3000);
    QVERIFY(r.end());
    QVERIFY(r.errors.isEmpty());
    // A steady tone gives one level, reported once.
    QCOMPARE(r.volumes.size(), 1);
    QVERIFY(r.volumes.first().first().toInt() > -54);

    const AudioProbe probe = probeAudio(file);
    QVERIFY(probe.ok);
    QCOMPARE(probe.container, QStringLiteral("avi"));
    QCOMPARE(probe.codec, QStringLiteral("pcm_s16le"));
    QCOMPARE(probe.sampleRate, 22050);
    QCOMPARE(probe.channels, 1);
    // The sound from the first instant to the last: this source delivers two seconds
    // at a time, ahead of the clock, which does not change where its samples belong.
    QVERIFY2(qAbs(probe.samples.size() - bytesFor(r.beganAt, r.endedAt)) <= kClockTolerance,
             qPrintable(QStringLiteral("%1 of %2").arg(probe.samples.size()).arg(bytesFor(r.beganAt, r.endedAt))));
    const double crossings = toneCrossingsPerSecond(probe.samples, 22050);
    QVERIFY2(qAbs(crossings - 880) < 20, qPrintable(QString::number(crossings)));
}

void TestAudio::unknownDeviceUsesTheDefault()
{
    const QString file = m_dir.filePath(QStringLiteral("unknown_a.avi"));
    Recording r(params(QStringLiteral("no_such_source")), file);
    QVERIFY(r.begin());
    QTest::qWait(1000);
    QVERIFY(r.end());
    QVERIFY(r.errors.isEmpty());
    const double crossings = toneCrossingsPerSecond(probeAudio(file).samples, 22050);
    QVERIFY2(qAbs(crossings - 880) < 20, qPrintable(QString::number(crossings)));
}

void TestAudio::mutedKeepsTheTiming()
{
    QVERIFY(m_pulse.playTone(1000, 6));
    const QString file = m_dir.filePath(QStringLiteral("muted_a.avi"));
    Recording r(params(QLatin1String(PulseSession::kNullMonitor)), file);
    r.recorder.setMuted(true);
    QVERIFY(r.begin(2500));
    QTest::qWait(3000);
    QVERIFY(r.end());
    const AudioProbe probe = probeAudio(file);
    // 44,100 bytes of zeros per second of recording.
    QVERIFY2(qAbs(probe.samples.size() - 132300) < 132300 / 6, qPrintable(QString::number(probe.samples.size())));
    QVERIFY(allZero(probe.samples));
    QCOMPARE(r.volumes.last().first().toInt(), -54);
}

void TestAudio::pauseCutsTheSound()
{
    QVERIFY(m_pulse.playTone(1000, 6));
    const QString file = m_dir.filePath(QStringLiteral("paused_a.avi"));
    Recording r(params(QLatin1String(PulseSession::kNullMonitor)), file);
    QVERIFY(r.begin(2500));
    QTest::qWait(1000);
    const qint64 pausedAt = steadyMilliseconds();
    r.recorder.setPaused(true, pausedAt);
    QTest::qWait(1000);
    const int levelsBeforeResume = int(r.volumes.size());
    const qint64 resumedAt = steadyMilliseconds();
    r.recorder.setPaused(false, resumedAt);
    QTest::qWait(1000);
    QVERIFY(r.end());
    const AudioProbe probe = probeAudio(file);
    const qint64 expected = bytesFor(r.beganAt, pausedAt) + bytesFor(resumedAt, r.endedAt);
    QVERIFY2(qAbs(probe.samples.size() - expected) < kClockTolerance,
             qPrintable(QStringLiteral("%1 of %2").arg(probe.samples.size()).arg(expected)));
    // The sound goes on without a gap: a 1 kHz tone all through.
    const double crossings = crossingsPerSecond(probe.samples, 22050);
    QVERIFY2(qAbs(crossings - 2000) < 60, qPrintable(QString::number(crossings)));
    QVERIFY(levelsBeforeResume >= 1);
}

void TestAudio::slowWriterLosesNothing()
{
    const QString file = m_dir.filePath(QStringLiteral("slow_a.avi"));
    // Each 186 ms block takes a second to write: the writer falls far behind,
    // then catches up before the file ends.
    Recording r(params(), file);
    r.recorder.writer().setWriteDelay(1000);
    QVERIFY(r.begin());
    QTest::qWait(3500);
    r.recorder.writer().setWriteDelay(0);
    QVERIFY(r.end());
    QVERIFY2(r.recorder.grabber().bufferCount() > AudioGrabber::kInitialBuffers,
             qPrintable(QString::number(r.recorder.grabber().bufferCount())));
    // The whole time between the file's instants is in it.
    const qint64 expected = bytesFor(r.beganAt, r.endedAt);
    const qint64 written = probeAudio(file).samples.size();
    QVERIFY2(qAbs(written - expected) <= kClockTolerance, qPrintable(QStringLiteral("%1 of %2").arg(written).arg(expected)));
    QVERIFY(expected > 44100);
}

void TestAudio::mixerControls()
{
    bc_ret errors;
    const QList<MixerDeviceSptr> devices = MixerDevice::enumerate(errors);
    QVERIFY2(errors.ok(), qPrintable(errors.details(QStringLiteral(": "))));
    MixerDeviceSptr sine, monitor;
    for (const MixerDeviceSptr &device : devices) {
        if (device->sourceName == QLatin1String(PulseSession::kSineSource))
            sine = device;
        if (device->sourceName == QLatin1String(PulseSession::kNullMonitor))
            monitor = device;
    }
    QVERIFY(sine && monitor);
    QVERIFY(monitor->monitor);
    QVERIFY(!sine->monitor);

    AudioLine &line = *sine->lines.first();
    QVERIFY(line.setMute(true).ok());
    quint32 min = 1, max = 0, value = 0;
    QVERIFY(line.setVolume(max = 0x10000 * 3 / 10).ok());
    bool muted = false;
    QVERIFY(line.isMuted(muted).ok());
    QVERIFY(muted);
    QVERIFY(line.getVolume(min, max, value).ok());
    QCOMPARE(min, 0u);
    QCOMPARE(max, 0x10000u);
    QCOMPARE(value, quint32(0x10000 * 3 / 10));

    QVERIFY(line.autoConfigure().ok());
    QVERIFY(line.isMuted(muted).ok());
    QVERIFY(!muted);
    QVERIFY(line.getVolume(min, max, value).ok());
    QCOMPARE(value, max);

    QVERIFY(monitor->lines.first()->setMute(true).ok());
    QVERIFY(autoConfigureAllInputs().ok());
    QVERIFY(monitor->lines.first()->isMuted(muted).ok());
    QVERIFY(!muted);

    AudioLine missing(QStringLiteral("no_such_source"), QStringLiteral("gone"), true);
    QVERIFY(missing.autoConfigure().entries().size() == 2);
}

void TestAudio::lostServerIsBridged()
{
    const QString file = m_dir.filePath(QStringLiteral("lost_a.avi"));
    Recording r(params(), file);
    QSignalSpy lost(&r.recorder, &AudioRecorder::soundLost);
    QSignalSpy back(&r.recorder, &AudioRecorder::soundBack);
    QVERIFY(r.begin(1000));
    QTest::qWait(1500);
    const qint64 killedAt = steadyMilliseconds();
    m_pulse.kill();
    QVERIFY(lost.wait(5000));
    QTest::qWait(2000);
    const qint64 restartedAt = steadyMilliseconds();
    QVERIFY(m_pulse.start());
    QVERIFY(back.wait(10000));
    QTest::qWait(2000);
    QVERIFY(r.end());
    QCOMPARE(lost.size(), 1);
    QCOMPARE(back.size(), 1);
    // Not an error: the recording keeps its sound.
    QCOMPARE(r.errors.size(), 0);

    const AudioProbe probe = probeAudio(file);
    QVERIFY(probe.ok);
    // The sound lasts as long as the recording: the time away is silence in its place.
    const qint64 expected = bytesFor(r.beganAt, r.endedAt);
    QVERIFY2(qAbs(probe.samples.size() - expected) <= 4 * kClockTolerance,
             qPrintable(QStringLiteral("%1 bytes for %2").arg(probe.samples.size()).arg(expected)));
    auto stretch = [&](qint64 fromMs, qint64 toMs) {
        const qint64 from = bytesFor(r.beganAt, fromMs) & ~1;
        return probe.samples.mid(from, (bytesFor(fromMs, toMs) & ~1));
    };
    // The tone before, silence while the server is away, the tone again after.
    QVERIFY(qAbs(toneCrossingsPerSecond(stretch(r.beganAt + 200, killedAt - 300), 22050) - 880) < 40);
    QVERIFY(allZero(stretch(killedAt + 500, restartedAt)));
    QVERIFY(!allZero(stretch(r.endedAt - 1000, r.endedAt - 100)));
}

QTEST_GUILESS_MAIN(TestAudio)
#include "tst_audio.moc"
