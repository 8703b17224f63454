#include "MediaProbe.h"
#include "StreamSwap.h"
#include "VideoRecorder.h"
#include "XSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

VideoRecParamsSptr regionParams(const QRect &rect)
{
    auto params = std::make_shared<VideoRecParams>();
    params->target = std::make_shared<RegionTarget>(rect);
    params->format = std::make_shared<VideoFormat>(VideoFormat{rect.width(), rect.height(), 10, 100});
    return params;
}

// A recorder driven by hand: the test sets the clock and calls loop() itself.
struct ManualRecorder
{
    qint64 now = 0;
    VideoRecParamsSptr params = regionParams(QRect(0, 0, 64, 48));
    VideoRecorder recorder{params};

    ManualRecorder() { recorder.setClock([this] { return now; }); }
    void tickAt(qint64 ms)
    {
        now = ms;
        recorder.loop();
    }
    // Swaps to encoder directly, as the worker thread would; returns the stream handed back.
    FrameEncoderSptr swapTo(const FrameEncoderSptr &encoder, bool final = false)
    {
        StreamSwap swap(nullptr, encoder, nullptr, final, bc_ret());
        recorder.swapStream(&swap);
        return swap.oldVideo();
    }
};

} // namespace

class TestVideoRecorder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void framesFollowTheClock();
    void pauseCutsOutTheTime();
    void swapWithoutVideoStopsWriting();
    void writeErrorStopsFramesAndIsReportedOnce();
    void failedGrabsKeepTheSegmentLength();
    void twoRecordersOnTheRealWorker();

private:
    QTemporaryDir m_dir;
};

void TestVideoRecorder::initTestCase()
{
    QVERIFY(desktop::isAvailable());
}

void TestVideoRecorder::framesFollowTheClock()
{
    ManualRecorder m;
    QVERIFY(m.recorder.prepare().ok());
    const QString path = m_dir.filePath(QStringLiteral("clock_v.avi"));
    auto encoder = std::make_shared<FrameEncoder>(path, m.params->format);
    QVERIFY(encoder->open().ok());
    QCOMPARE(m.swapTo(encoder), FrameEncoderSptr());
    QCOMPARE(m.recorder.currentStream(), encoder);

    const QList<qint64> ticks{0, 100, 210, 290, 420};
    const QList<qint64> last{0, 1, 2, 2, 4};
    for (int i = 0; i < ticks.size(); ++i) {
        m.tickAt(ticks.at(i));
        QCOMPARE(m.recorder.lastFrame(), last.at(i));
    }
    QCOMPARE(encoder->close(), 500);
    QCOMPARE(probeVideo(path).pts, (QList<qint64>{0, 1, 2, 4}));
}

void TestVideoRecorder::pauseCutsOutTheTime()
{
    ManualRecorder m;
    QVERIFY(m.recorder.prepare().ok());
    auto encoder = std::make_shared<FrameEncoder>(m_dir.filePath(QStringLiteral("pause_v.avi")), m.params->format);
    QVERIFY(encoder->open().ok());
    m.swapTo(encoder);
    for (qint64 t = 0; t < 1000; t += 100)
        m.tickAt(t);
    QCOMPARE(m.recorder.lastFrame(), 9);

    m.now = 1000;
    m.recorder.setPaused(true);
    m.recorder.setPaused(true);
    m.tickAt(3000);
    QCOMPARE(m.recorder.lastFrame(), 9);
    m.now = 6000;
    m.recorder.setPaused(false);
    m.tickAt(6000);
    QCOMPARE(m.recorder.lastFrame(), 10);
    m.tickAt(6100);
    QCOMPARE(m.recorder.lastFrame(), 11);
    encoder->close();
}

void TestVideoRecorder::swapWithoutVideoStopsWriting()
{
    ManualRecorder m;
    QVERIFY(m.recorder.prepare().ok());
    const QString path = m_dir.filePath(QStringLiteral("stop_v.avi"));
    auto encoder = std::make_shared<FrameEncoder>(path, m.params->format);
    QVERIFY(encoder->open().ok());
    m.swapTo(encoder);
    m.tickAt(0);
    m.tickAt(100);

    // The next segment starts at frame 0 again; without one nothing is written.
    QCOMPARE(m.swapTo(nullptr), encoder);
    QCOMPARE(m.recorder.lastFrame(), -1);
    m.tickAt(400);
    m.tickAt(500);
    QCOMPARE(m.recorder.lastFrame(), -1);
    QCOMPARE(encoder->close(), 200);
    QCOMPARE(probeVideo(path).pts, (QList<qint64>{0, 1}));
}

void TestVideoRecorder::writeErrorStopsFramesAndIsReportedOnce()
{
    ManualRecorder m;
    QVERIFY(m.recorder.prepare().ok());
    QSignalSpy errors(&m.recorder, &VideoRecorder::error);
    // An encoder that is not open refuses every frame.
    m.swapTo(std::make_shared<FrameEncoder>(m_dir.filePath(QStringLiteral("closed_v.avi")), m.params->format));
    m.tickAt(0);
    QCOMPARE(m.recorder.lastFrame(), 0);
    QCOMPARE(errors.size(), 1);
    const bc_ret reported = errors.first().first().value<bc_ret>();
    QCOMPARE(reported.messages(QStringLiteral("|")).section(QLatin1Char('|'), 0, 0), QStringLiteral("Error writing frame 0"));
    for (qint64 t = 100; t < 1000; t += 100)
        m.tickAt(t);
    QCOMPARE(m.recorder.lastFrame(), 0);
    QCOMPARE(errors.size(), 1);
}

void TestVideoRecorder::failedGrabsKeepTheSegmentLength()
{
    TestWindow green(QStringLiteral("grabbed"), QRect(600, 400, 64, 48), 0x20c020);
    QVERIFY(green.waitShown());
    const QRgb greenRgb = qRgb(0x20, 0xc0, 0x20);
    auto closeTo = [](QRgb a, QRgb b) {
        return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 && qAbs(qBlue(a) - qBlue(b)) < 24;
    };
    for (const qint64 failFrom : {qint64(3), qint64(0)}) {
        ManualRecorder m;
        m.params->target = std::make_shared<RegionTarget>(desktop::windowClientRect(green.id()));
        QVERIFY(m.recorder.prepare().ok());
        QSignalSpy errors(&m.recorder, &VideoRecorder::error);
        const QString path = m_dir.filePath(QStringLiteral("failing%1_v.avi").arg(failFrom));
        auto encoder = std::make_shared<FrameEncoder>(path, m.params->format);
        QVERIFY(encoder->open().ok());
        m.swapTo(encoder);
        m.recorder.failGrabsBetween(m.now + failFrom * 100, std::numeric_limits<qint64>::max());
        for (qint64 t = 0; t < 1000; t += 100)
            m.tickAt(t);
        // Every frame of the segment is there, without an error for the user.
        QCOMPARE(m.recorder.lastFrame(), 9);
        QCOMPARE(errors.size(), 0);
        QCOMPARE(encoder->close(), 1000);
        const VideoProbe probe = probeVideo(path, 10);
        QCOMPARE(probe.pts, (QList<qint64>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        // The last good picture stands in for the ones that failed; black when there was none.
        const QRgb expected = failFrom > 0 ? greenRgb : qRgb(0, 0, 0);
        for (int i = int(failFrom); i < probe.frames.size(); ++i)
            QVERIFY2(closeTo(probe.frames.at(i).pixel(32, 24), expected), qPrintable(QString::number(i)));
    }
}

void TestVideoRecorder::twoRecordersOnTheRealWorker()
{
    TestWindow red(QStringLiteral("table 1"), QRect(10, 10, 160, 120), 0xc02020);
    TestWindow green(QStringLiteral("table 2"), QRect(300, 10, 160, 120), 0x20c020);
    QVERIFY(red.waitShown());
    QVERIFY(green.waitShown());

    VideoRecorderWorker worker;
    worker.start(VideoFormat{-1, -1, 10, 100});
    struct Recording
    {
        std::unique_ptr<VideoRecorderThread> front;
        FrameEncoderSptr encoder;
    };
    std::vector<Recording> recordings;
    QElapsedTimer clock;
    clock.start();
    for (TestWindow *window : {&red, &green}) {
        const VideoRecParamsSptr params = regionParams(desktop::windowClientRect(window->id()));
        Recording r{std::make_unique<VideoRecorderThread>(params),
                    std::make_shared<FrameEncoder>(m_dir.filePath(QStringLiteral("%1_v.avi").arg(window->id())),
                                                   params->format)};
        QVERIFY(r.encoder->open().ok());
        QVERIFY(r.front->start().ok());
        QVERIFY(worker.isAttached(&r.front->recorder()));
        auto *swap = new StreamSwap(nullptr, r.encoder, nullptr, false, bc_ret());
        swap->audioDone(); // no sound in this recording
        r.front->swapStream(swap);
        recordings.push_back(std::move(r));
    }
    QTest::qWait(3000);
    const qint64 askedToEnd = clock.elapsed();

    for (Recording &r : recordings) {
        auto *swap = new StreamSwap(nullptr, nullptr, nullptr, true, bc_ret());
        swap->audioDone();
        QSignalSpy swapped(swap, &StreamSwap::swapped);
        r.front->swapStream(swap);
        QVERIFY(swapped.wait(2000));
        // The final swap hands the recorder back to this thread.
        QVERIFY(!worker.isAttached(&r.front->recorder()));
        QCOMPARE(r.front->recorder().thread(), QThread::currentThread());
    }
    const qint64 ended = clock.elapsed();
    worker.stop();
    QVERIFY(!worker.isRunning());

    const QList<QRgb> colours{qRgb(0xc0, 0x20, 0x20), qRgb(0x20, 0xc0, 0x20)};
    for (size_t i = 0; i < recordings.size(); ++i) {
        // The video spans the time it was recorded for, by the clock: never longer than
        // the time that passed, and not cut short. How many ticks a busy machine drops
        // is the recording benchmark's figure, not a pass mark here.
        const int duration = recordings.at(i).encoder->close();
        QVERIFY2(duration >= askedToEnd - 1000 && duration <= ended + 100,
                 qPrintable(QStringLiteral("%1 ms, asked to end at %2").arg(duration).arg(askedToEnd)));
        const VideoProbe probe = probeVideo(recordings.at(i).encoder->fileName(), 1);
        QCOMPARE((probe.pts.last() + 1) * 100, qint64(duration));
        // Frame numbers only go up: a late tick skips numbers, never repeats one.
        QVERIFY(std::is_sorted(probe.pts.begin(), probe.pts.end()));
        QVERIFY(std::adjacent_find(probe.pts.begin(), probe.pts.end()) == probe.pts.end());
        QVERIFY2(probe.pts.size() >= 15, qPrintable(QString::number(probe.pts.size())));
        const QRgb centre = probe.frames.first().pixel(80, 60);
        QVERIFY(qAbs(qRed(centre) - qRed(colours.at(qsizetype(i)))) < 16 && qAbs(qGreen(centre) - qGreen(colours.at(qsizetype(i)))) < 16);
    }
}

// A screen of its own: the windows of tests running beside this one would otherwise
// cover the tables it records.
int main(int argc, char **argv)
{
    XSession session;
    if (!session.start(false)) {
        qCritical("Cannot start a private X server");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestVideoRecorder test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_videorecorder.moc"
