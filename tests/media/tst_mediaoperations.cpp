#include "media/FrameDecoder.h"
#include "media/MediaOperations.h"
#include "media/TaskQueue.h"
#include "tests/support/MediaInputs.h"
#include "tests/support/MediaProbe.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Listens to an operation's progress.
class Listener : public AsyncTask
{
public:
    bc_ret run() override { return bc_ret(); }
    void progress(qint64 done, qint64 total) override
    {
        last = {done, total};
        ++reports;
    }
    QPair<qint64, qint64> last;
    int reports = 0;
};

bool strictlyIncreasing(const QList<qint64> &values)
{
    return std::adjacent_find(values.cbegin(), values.cend(), [](qint64 a, qint64 b) { return a >= b; }) == values.cend();
}

} // namespace

class TestMediaOperations : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void joinVideosOneAfterTheOther();
    void joinAudio();
    void joinFailures();
    void joinPlacesPiecesByTheirLength();
    void cutVideoFromTheMiddle();
    void cutStartsWithThePictureOnScreen();
    void cutStartingAfterTheLastFrame();
    void cutAudio();
    void muxEndsWithTheVideo();
    void muxRejectsWrongKinds();
    void abortedOperationsStopEarly();
    void stillStretchesKeepTheirLength();

private:
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestMediaOperations::initTestCase()
{
    QVERIFY(makeVideo(file(QStringLiteral("six_v.avi")), 60));
    QVERIFY(makeVideo(file(QStringLiteral("fourhalf_v.avi")), 45));
    QVERIFY(makeAudio(file(QStringLiteral("seven_a.avi")), 7000));
    QVERIFY(makeAudio(file(QStringLiteral("five_a.avi")), 5000, 1000));
}

void TestMediaOperations::joinVideosOneAfterTheOther()
{
    Listener listener;
    qint64 actual = 0;
    const QString out = file(QStringLiteral("joined_v.avi"));
    QVERIFY(MediaJoiner(&listener)
                    .join(out, {file(QStringLiteral("six_v.avi")), file(QStringLiteral("fourhalf_v.avi"))},
                          MediaKind::Video, &actual)
                    .ok());
    QCOMPARE(actual, 10500);
    const VideoProbe probe = probeVideo(out, 200);
    QCOMPARE(probe.pts.size(), 105);
    QVERIFY(strictlyIncreasing(probe.pts));
    QCOMPARE(probe.pts.last(), 104);
    // The second file's first frame follows the first file's last.
    QVERIFY(closeTo(probe.frames.at(59).pixel(80, 60), frameColour(59)));
    QVERIFY(closeTo(probe.frames.at(60).pixel(80, 60), frameColour(0)));
    QVERIFY(listener.last.first > 0 && listener.last.first <= listener.last.second);
}

void TestMediaOperations::joinAudio()
{
    Listener listener;
    qint64 actual = 0;
    const QString out = file(QStringLiteral("joined_a.avi"));
    QVERIFY(MediaJoiner(&listener)
                    .join(out, {file(QStringLiteral("seven_a.avi")), file(QStringLiteral("five_a.avi"))},
                          MediaKind::Audio, &actual)
                    .ok());
    QCOMPARE(actual, 12000);
    const AudioProbe probe = probeAudio(out);
    QCOMPARE(probe.samples.size(), 12 * 44100);
    QCOMPARE(probe.samples.left(7 * 44100), probeAudio(file(QStringLiteral("seven_a.avi"))).samples);
}

void TestMediaOperations::joinFailures()
{
    Listener listener;
    const QString out = file(QStringLiteral("failed_v.avi"));
    const QString missing = file(QStringLiteral("missing_v.avi"));
    QCOMPARE(MediaJoiner(&listener).join(out, {file(QStringLiteral("six_v.avi")), missing}, MediaKind::Video).messages(QString()),
             QStringLiteral("Error opening '%1'").arg(missing));
    // A sound file where a video is expected.
    QCOMPARE(MediaJoiner(&listener).join(out, {file(QStringLiteral("seven_a.avi"))}, MediaKind::Video).messages(QString()),
             QStringLiteral("Error opening '%1'").arg(file(QStringLiteral("seven_a.avi"))));
    QCOMPARE(MediaJoiner(&listener).join(out, {}, MediaKind::Video).messages(QString()), QStringLiteral("No file input"));
    const QString nowhere = file(QStringLiteral("no/dir/x_v.avi"));
    QCOMPARE(MediaJoiner(&listener).join(nowhere, {file(QStringLiteral("six_v.avi"))}, MediaKind::Video).messages(QString()),
             QStringLiteral("Error opening output '%1'").arg(nowhere));
}

void TestMediaOperations::joinPlacesPiecesByTheirLength()
{
    // The first segment's grabs failed for its last two seconds: its picture is 4 s
    // long, its sound 7 s, its recorded length 6 s. The second segment's picture and
    // sound both start at 6 s all the same.
    QVERIFY(makeVideo(file(QStringLiteral("four_v.avi")), 40));
    Listener listener;
    const QList<qint64> lengths{6000, 5000};
    qint64 actual = 0;
    const QString video = file(QStringLiteral("placed_v.avi"));
    QVERIFY(MediaJoiner(&listener)
                    .join(video, {file(QStringLiteral("four_v.avi")), file(QStringLiteral("six_v.avi"))},
                          MediaKind::Video, &actual, lengths)
                    .ok());
    QCOMPARE(actual, 11000);
    const VideoProbe pictures = probeVideo(video, 200);
    QCOMPARE(pictures.pts.size(), 90); // the second's last second is past its length
    QCOMPARE(pictures.pts.at(40), 60);
    QCOMPARE(pictures.pts.last(), 109);
    QVERIFY(closeTo(pictures.frames.at(40).pixel(80, 60), frameColour(0)));

    const QString audio = file(QStringLiteral("placed_a.avi"));
    QVERIFY(MediaJoiner(&listener)
                    .join(audio, {file(QStringLiteral("seven_a.avi")), file(QStringLiteral("five_a.avi"))},
                          MediaKind::Audio, &actual, lengths)
                    .ok());
    const QByteArray seven = probeAudio(file(QStringLiteral("seven_a.avi"))).samples;
    const QByteArray five = probeAudio(file(QStringLiteral("five_a.avi"))).samples;
    QByteArray sound = probeAudio(audio).samples;
    QCOMPARE(sound.size(), 11 * 44100);
    QCOMPARE(sound.left(6 * 44100), seven.left(6 * 44100));
    QCOMPARE(sound.mid(6 * 44100), five);

    // Sound shorter than its length is followed by silence.
    QVERIFY(MediaJoiner(&listener)
                    .join(audio, {file(QStringLiteral("seven_a.avi")), file(QStringLiteral("five_a.avi"))},
                          MediaKind::Audio, &actual, {8000, 5000})
                    .ok());
    sound = probeAudio(audio).samples;
    QCOMPARE(sound.size(), 13 * 44100);
    QCOMPARE(sound.left(7 * 44100), seven);
    QCOMPARE(sound.mid(7 * 44100, 44100), QByteArray(44100, 0));
    QCOMPARE(sound.mid(8 * 44100), five);
}

void TestMediaOperations::cutVideoFromTheMiddle()
{
    Listener listener;
    const QString out = file(QStringLiteral("cut_v.avi"));
    QVERIFY(MediaCutter(&listener)
                    .cut(file(QStringLiteral("six_v.avi")), out, MediaKind::Video, 2500, MediaCutter::kToTheEnd)
                    .ok());
    const VideoProbe probe = probeVideo(out, 200);
    // Frames 25 to 59, renumbered from 0; the first one decodes on its own.
    QCOMPARE(probe.pts.size(), 35);
    QCOMPARE(probe.pts.first(), 0);
    QVERIFY(strictlyIncreasing(probe.pts));
    QCOMPARE(probe.frames.size(), 35);
    QVERIFY(closeTo(probe.frames.first().pixel(80, 60), frameColour(25)));
    QVERIFY(closeTo(probe.frames.last().pixel(80, 60), frameColour(59)));
}

void TestMediaOperations::cutStartsWithThePictureOnScreen()
{
    // Frames 25 and 26 were never taken: at 2.55 s frame 24 is still on screen. The
    // cut starts with it, at 2.5 s, which is where its sound must start too.
    QVERIFY(makeVideo(file(QStringLiteral("gap_v.avi")), 60, 160, 120, {25, 26}));
    Listener listener;
    const QString out = file(QStringLiteral("gapcut_v.avi"));
    qint64 startedAt = 0;
    QVERIFY(MediaCutter(&listener)
                    .cut(file(QStringLiteral("gap_v.avi")), out, MediaKind::Video, 2550, MediaCutter::kToTheEnd, &startedAt)
                    .ok());
    QCOMPARE(startedAt, 2500);
    const VideoProbe probe = probeVideo(out, 2);
    QCOMPARE(probe.pts.mid(0, 2), (QList<qint64>{0, 2}));
    QVERIFY(closeTo(probe.frames.at(0).pixel(80, 60), frameColour(24)));
    QVERIFY(closeTo(probe.frames.at(1).pixel(80, 60), frameColour(27)));
}

void TestMediaOperations::cutStartingAfterTheLastFrame()
{
    Listener listener;
    const QString out = file(QStringLiteral("empty_v.avi"));
    QVERIFY(MediaCutter(&listener).cut(file(QStringLiteral("six_v.avi")), out, MediaKind::Video, 9000, 12000).ok());
    const VideoProbe probe = probeVideo(out);
    QVERIFY(probe.ok);
    QVERIFY(probe.pts.isEmpty());
}

void TestMediaOperations::cutAudio()
{
    Listener listener;
    const QString out = file(QStringLiteral("cut_a.avi"));
    QVERIFY(MediaCutter(&listener)
                    .cut(file(QStringLiteral("seven_a.avi")), out, MediaKind::Audio, 3000, MediaCutter::kToTheEnd)
                    .ok());
    // Exactly the last four seconds: the packet that began before the start lost its head.
    const AudioProbe probe = probeAudio(out);
    const QByteArray whole = probeAudio(file(QStringLiteral("seven_a.avi"))).samples;
    QCOMPARE(probe.samples, whole.right(4 * 44100));
}

void TestMediaOperations::muxEndsWithTheVideo()
{
    Listener listener;
    const QString longer = file(QStringLiteral("longer.avi"));
    QVERIFY(MediaMuxer(&listener)
                    .mux(file(QStringLiteral("six_v.avi")), file(QStringLiteral("seven_a.avi")), longer)
                    .ok());
    VideoProbe video = probeVideo(longer, 0);
    AudioProbe audio = probeAudio(longer);
    QCOMPARE(video.pts.size(), 60);
    QVERIFY2(qAbs(audio.samples.size() - 6 * 44100) <= 4096, qPrintable(QString::number(audio.samples.size())));

    const QString shorter = file(QStringLiteral("shorter.avi"));
    QVERIFY(MediaMuxer(&listener)
                    .mux(file(QStringLiteral("six_v.avi")), file(QStringLiteral("five_a.avi")), shorter)
                    .ok());
    video = probeVideo(shorter, 0);
    audio = probeAudio(shorter);
    QCOMPARE(video.pts.size(), 60);
    QCOMPARE(audio.samples.size(), 5 * 44100);
    QVERIFY(listener.reports > 0);
}

void TestMediaOperations::muxRejectsWrongKinds()
{
    Listener listener;
    const QString out = file(QStringLiteral("wrong.avi"));
    const QString videoAsAudio = file(QStringLiteral("six_v.avi"));
    QCOMPARE(MediaMuxer(&listener).mux(file(QStringLiteral("six_v.avi")), videoAsAudio, out).messages(QString()),
             QStringLiteral("Error opening '%1'").arg(videoAsAudio));
}

void TestMediaOperations::abortedOperationsStopEarly()
{
    Listener listener;
    listener.abort();
    const QString out = file(QStringLiteral("aborted_v.avi"));
    // Nothing is copied, but the file is finished and readable.
    QVERIFY(MediaJoiner(&listener).join(out, {file(QStringLiteral("six_v.avi"))}, MediaKind::Video).ok());
    VideoProbe probe = probeVideo(out);
    QVERIFY(probe.ok);
    QVERIFY(probe.pts.isEmpty());
    QVERIFY(MediaCutter(&listener).cut(file(QStringLiteral("six_v.avi")), out, MediaKind::Video, 1000, 3000).ok());
    QVERIFY(probeVideo(out).pts.isEmpty());
    QCOMPARE(listener.reports, 0);
}

QTEST_GUILESS_MAIN(TestMediaOperations)
void TestMediaOperations::stillStretchesKeepTheirLength()
{
    // Two segments as the recorder writes a table still for 5 s: frame 0, then nothing
    // until frame 50. Saved: joined by their lengths, then the kept part cut out.
    QList<int> still;
    for (int i = 1; i < 50; ++i)
        still.append(i);
    const QString half = file(QStringLiteral("halfstill_v.avi"));
    QVERIFY(makeVideo(half, 100, 160, 120, still));
    const QString joined = file(QStringLiteral("halfstill_joined_v.avi"));
    QVERIFY(MediaJoiner(nullptr).join(joined, {half, half}, MediaKind::Video, nullptr, {10000, 10000}).ok());
    bc_ret probed;
    QCOMPARE(probeDuration(joined, probed), 20000);

    struct Cut
    {
        qint64 from, to;
        QList<QPair<qint64, int>> pictures; // time in the cut, frame of a segment shown then
    };
    const QList<Cut> cuts{
            {12000, 18000, {{0, 0}, {2900, 0}, {3000, 50}, {5950, 79}}}, // starts still
            {11000, 14500, {{0, 0}, {3450, 0}}},                         // all still
            {2500, 12000, {{0, 0}, {4000, 65}, {9400, 0}}},              // ends still
    };
    for (const Cut &cut : cuts) {
        const QString out = file(QStringLiteral("halfstill_%1_v.avi").arg(cut.from));
        qint64 startedAt = -1;
        QVERIFY(MediaCutter(nullptr).cut(joined, out, MediaKind::Video, cut.from, cut.to, &startedAt).ok());
        QCOMPARE(startedAt, cut.from);
        QCOMPARE(probeDuration(out, probed), cut.to - cut.from);
        FrameDecoder decoder;
        QVERIFY(decoder.open(out).ok());
        for (const auto &[ms, frame] : cut.pictures) {
            QImage picture;
            QVERIFY(decoder.decodeAt(ms, QSize(), picture).ok());
            QVERIFY2(closeTo(picture.pixel(80, 60), frameColour(frame)), qPrintable(QStringLiteral("%1 at %2").arg(cut.from).arg(ms)));
        }
    }
}

#include "tst_mediaoperations.moc"
