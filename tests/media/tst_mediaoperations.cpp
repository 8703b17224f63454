#include "MediaInputs.h"
#include "MediaOperations.h"
#include "MediaProbe.h"
#include "TaskQueue.h"

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
    void cutVideoFromTheMiddle();
    void cutStartingAfterTheLastFrame();
    void cutAudio();
    void muxEndsWithTheVideo();
    void muxRejectsWrongKinds();
    void abortedOperationsStopEarly();

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
    const AudioProbe probe = probeAudio(out);
    // Four seconds, to within one read of 1024 samples.
    QVERIFY2(qAbs(probe.samples.size() - 4 * 44100) <= 2048, qPrintable(QString::number(probe.samples.size())));
    const QByteArray whole = probeAudio(file(QStringLiteral("seven_a.avi"))).samples;
    QVERIFY(whole.endsWith(probe.samples));
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
#include "tst_mediaoperations.moc"
