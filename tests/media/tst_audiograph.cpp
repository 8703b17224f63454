// The loudness curve of a sound track: chunking, levels, formats refused, and the
// silence that carries the curve to the end of the picture.
#include "media/AudioGraph.h"
#include "tests/support/MediaInputs.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

// A WAV file of 16-bit samples (all channels interleaved), or of 32-bit floats.
bool writeWav(const QString &path, int rate, int channels, const QByteArray &samples, bool floats = false)
{
    const int bits = floats ? 32 : 16;
    QByteArray file;
    const auto u32 = [&file](quint32 v) { file.append(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&file](quint16 v) { file.append(reinterpret_cast<const char *>(&v), 2); };
    file.append("RIFF");
    u32(quint32(36 + samples.size()));
    file.append("WAVEfmt ");
    u32(16);
    u16(floats ? 3 : 1);
    u16(quint16(channels));
    u32(quint32(rate));
    u32(quint32(rate * channels * bits / 8));
    u16(quint16(channels * bits / 8));
    u16(quint16(bits));
    file.append("data");
    u32(quint32(samples.size()));
    file.append(samples);
    return writeAll(path, file);
}

// count 16-bit samples from f(i).
template<class F>
QByteArray samples16(qint64 count, F f)
{
    QByteArray bytes(count * 2, Qt::Uninitialized);
    auto *s = reinterpret_cast<qint16 *>(bytes.data());
    for (qint64 i = 0; i < count; ++i)
        s[i] = qint16(f(i));
    return bytes;
}

struct Built
{
    bc_ret result;
    QList<int> values;
};

Built build(const QString &path)
{
    AudioGraphBuilder builder(path);
    Built built;
    built.result = builder.run();
    built.values = builder.values();
    return built;
}

} // namespace

class TestAudioGraph : public QObject
{
    Q_OBJECT
private slots:
    void chunksOfAHundredMilliseconds();
    void levels();
    void refusedFormats();
    void silenceUpToThePicturesEnd();

private:
    QTemporaryDir m_dir;
};

void TestAudioGraph::chunksOfAHundredMilliseconds()
{
    // 10.05 s of stereo at 44100 Hz: 100 whole chunks of 17640 bytes, the rest gives none.
    const QString path = m_dir.filePath(QStringLiteral("stereo.wav"));
    QVERIFY(writeWav(path, 44100, 2, samples16(qint64(44100) * 2 * 1005 / 100, [](qint64 i) { return (i % 200) * 100 - 10000; })));
    const Built built = build(path);
    QVERIFY2(built.result.ok(), qPrintable(built.result.details(QStringLiteral("; "))));
    QCOMPARE(built.values.size(), 100);
}

void TestAudioGraph::levels()
{
    const QString path = m_dir.filePath(QStringLiteral("levels.wav"));
    // One second each of silence, a full-scale square wave and a quiet hum (rms 100).
    const qint64 second = 22050;
    QVERIFY(writeWav(path, 22050, 1, samples16(3 * second, [second](qint64 i) {
                         if (i < second)
                             return 0;
                         if (i < 2 * second)
                             return (i / 50) % 2 ? 32767 : -32767;
                         return (i % 2) ? 100 : -100;
                     })));
    const Built built = build(path);
    QVERIFY(built.result.ok());
    QCOMPARE(built.values.size(), 30);
    QCOMPARE(built.values.mid(0, 10), QList<int>(10, -54));
    QCOMPARE(built.values.mid(10, 10), QList<int>(10, 0));
    // 20 log10(100 / 32767) is -50.3: whole decibels, toward zero.
    QCOMPARE(built.values.mid(20, 10), QList<int>(10, -50));
}

void TestAudioGraph::refusedFormats()
{
    const QString slow = m_dir.filePath(QStringLiteral("11025.wav"));
    QVERIFY(writeWav(slow, 11025, 1, samples16(11025, [](qint64) { return 0; })));
    QCOMPARE(build(slow).result.messages(QStringLiteral("; ")), QStringLiteral("Unsupported sample rate (11025)"));
    // 22050 Hz is what every recording has.
    const QString usual = m_dir.filePath(QStringLiteral("22050.wav"));
    QVERIFY(writeWav(usual, 22050, 1, samples16(22050, [](qint64) { return 0; })));
    QCOMPARE(build(usual).values.size(), 10);

    const QString floats = m_dir.filePath(QStringLiteral("float.wav"));
    QVERIFY(writeWav(floats, 22050, 1, QByteArray(22050 * 4, '\0'), true));
    QCOMPARE(build(floats).result.messages(QStringLiteral("; ")), QStringLiteral("Unsupported sample format (32)"));
    const QString video = m_dir.filePath(QStringLiteral("picture-only.avi"));
    QVERIFY(makeVideo(video, 10));
    QCOMPARE(build(video).result.messages(QStringLiteral("; ")), QStringLiteral("Did not find an audio stream"));
}

void TestAudioGraph::silenceUpToThePicturesEnd()
{
    // 10 s of picture, 8.35 s of sound: 1.65 s are missing, filled with one second and
    // six tenths of silence.
    const QString video = m_dir.filePath(QStringLiteral("ten.avi"));
    const QString sound = m_dir.filePath(QStringLiteral("short.wav"));
    const QString both = m_dir.filePath(QStringLiteral("both.avi"));
    QVERIFY(makeVideo(video, 100));
    QVERIFY(writeWav(sound, 22050, 1, samples16(22050 * 835 / 100, [](qint64 i) { return (i / 25) % 2 ? 8000 : -8000; })));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-i"), video,
                                            QStringLiteral("-i"), sound, QStringLiteral("-map"), QStringLiteral("0"),
                                            QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c"),
                                            QStringLiteral("copy"), both});
    QVERIFY(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
    const Built built = build(both);
    QVERIFY2(built.result.ok(), qPrintable(built.result.details(QStringLiteral("; "))));
    // 8350 + 1000 + 600 ms of sound: 99 whole chunks, the last 15 silent.
    QCOMPARE(built.values.size(), 99);
    QCOMPARE(built.values.mid(84), QList<int>(15, -54));
    QVERIFY(std::all_of(built.values.cbegin(), built.values.cbegin() + 83, [](int v) { return v > -20; }));
}

QTEST_GUILESS_MAIN(TestAudioGraph)
#include "tst_audiograph.moc"
