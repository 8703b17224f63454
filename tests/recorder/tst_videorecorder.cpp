#include "media/FrameDecoder.h"
#include "recorder/StreamSwap.h"
#include "recorder/VideoRecorder.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/XSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
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

// A manual recorder of one test window's area, writing to path.
struct WindowRecording
{
    ManualRecorder m;
    FrameEncoderSptr encoder;

    // ownContent: the window's own content (as tables are recorded when windows lying
    // over them are left out), else the screen's pixels where it lies.
    bool start(const TestWindow &window, const QString &path, bool ownContent = false)
    {
        if (ownContent)
            m.params->target = std::make_shared<ClientTarget>(window.id());
        else
            m.params->target = std::make_shared<RegionTarget>(desktop::windowClientRect(window.id()));
        encoder = std::make_shared<FrameEncoder>(path, m.params->format);
        if (m.recorder.prepare().failed() || encoder->open().failed())
            return false;
        m.swapTo(encoder);
        return true;
    }
    void tickUntil(qint64 endMs)
    {
        for (qint64 t = m.now; t < endMs; t += 100)
            m.tickAt(t);
        m.now = endMs;
    }
    // Ends the segment at the current time; the length of video written.
    int finish()
    {
        m.now += 50;
        m.swapTo(nullptr);
        return encoder->close();
    }
};

bool closeTo(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 && qAbs(qBlue(a) - qBlue(b)) < 24;
}

QRgb pixelAt(FrameDecoder &decoder, qint64 ms)
{
    QImage image;
    return decoder.decodeAt(ms, QSize(), image).ok() ? image.pixel(32, 24) : qRgb(1, 2, 3);
}

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
    void stillWindowWritesKeyFramesOnly();
    void changeShowsOnTheNextFrame();
    void cursorOverStillWindowIsRecorded();
    void onlyBlackIsToldOnce();

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
    // The region is still: only the first frame and, at the end, the last one are written.
    m.now = 550;
    QCOMPARE(m.swapTo(nullptr), encoder);
    QCOMPARE(encoder->close(), 500);
    QCOMPARE(probeVideo(path).pts, (QList<qint64>{0, 4}));
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
    QCOMPARE(encoder->close(), 100);
    QCOMPARE(probeVideo(path).pts, (QList<qint64>{0}));
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
        // Still before the failures: frames 1 and 2 are empty.
        const QList<qint64> written = failFrom > 0 ? QList<qint64>{0, 3, 4, 5, 6, 7, 8, 9}
                                                   : QList<qint64>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QCOMPARE(probe.pts, written);
        // The last good picture stands in for the ones that failed; black when there was none.
        const QRgb expected = failFrom > 0 ? greenRgb : qRgb(0, 0, 0);
        for (int i = 0; i < probe.frames.size(); ++i)
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
    // Frames on disk so far (the encoder flushes its file every second of picture).
    auto writtenAtLeast = [&](qsizetype frames) {
        return std::all_of(recordings.cbegin(), recordings.cend(),
                           [&](const Recording &r) { return probeVideo(r.encoder->fileName(), 0).pts.size() >= frames; });
    };
    // Moving once the first frames show the windows' own colours; from then on every
    // frame differs and is written.
    QTRY_VERIFY_WITH_TIMEOUT(writtenAtLeast(1), 15000);
    int step = 0;
    QTimer moving;
    connect(&moving, &QTimer::timeout, this, [&] {
        red.animate(step);
        green.animate(step++);
    });
    moving.start(50);
    QTRY_VERIFY_WITH_TIMEOUT(writtenAtLeast(12), 30000);
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
    moving.stop();
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
        QVERIFY2(probe.pts.size() >= 10, qPrintable(QString::number(probe.pts.size())));
        const QRgb centre = probe.frames.first().pixel(80, 60);
        QVERIFY(qAbs(qRed(centre) - qRed(colours.at(qsizetype(i)))) < 16 && qAbs(qGreen(centre) - qGreen(colours.at(qsizetype(i)))) < 16);
    }
}

void TestVideoRecorder::stillWindowWritesKeyFramesOnly()
{
    TestWindow table(QStringLiteral("still"), QRect(700, 300, 64, 48), 0x2050c0);
    QVERIFY(table.waitShown());
    const QString path = m_dir.filePath(QStringLiteral("still_v.avi"));
    WindowRecording r;
    QVERIFY(r.start(table, path));
    r.tickUntil(25000);
    QCOMPARE(r.finish(), 25000);

    // The first frame, a key frame 20 s on, the last frame; the rest are empty.
    QCOMPARE(probeVideo(path, 0).pts, (QList<qint64>{0, 200, 249}));
    bc_ret probed;
    QCOMPARE(probeDuration(path, probed), 25000);
    FrameDecoder decoder;
    QVERIFY(decoder.open(path).ok());
    for (qint64 ms = 0; ms < 25000; ms += 250)
        QVERIFY2(closeTo(pixelAt(decoder, ms), qRgb(0x20, 0x50, 0xc0)), qPrintable(QString::number(ms)));
}

void TestVideoRecorder::changeShowsOnTheNextFrame()
{
    TestWindow table(QStringLiteral("changing"), QRect(700, 400, 64, 48), 0x2050c0);
    QVERIFY(table.waitShown());
    const QString path = m_dir.filePath(QStringLiteral("change_v.avi"));
    WindowRecording r;
    QVERIFY(r.start(table, path, true));
    r.tickUntil(5000);
    table.fill(0xc05020);
    table.sync();
    r.tickUntil(10000);
    QCOMPARE(r.finish(), 10000);

    QCOMPARE(probeVideo(path, 0).pts, (QList<qint64>{0, 50, 99}));
    bc_ret probed;
    QCOMPARE(probeDuration(path, probed), 10000);
    FrameDecoder decoder;
    QVERIFY(decoder.open(path).ok());
    QVERIFY(closeTo(pixelAt(decoder, 4950), qRgb(0x20, 0x50, 0xc0)));
    QVERIFY(closeTo(pixelAt(decoder, 5000), qRgb(0xc0, 0x50, 0x20)));
    QVERIFY(closeTo(pixelAt(decoder, 9950), qRgb(0xc0, 0x50, 0x20)));
}

void TestVideoRecorder::cursorOverStillWindowIsRecorded()
{
    TestWindow table(QStringLiteral("pointed at"), QRect(800, 300, 64, 48), 0x2050c0);
    QVERIFY(table.waitShown());
    const QRect client = desktop::windowClientRect(table.id());
    movePointer(client.x() - 100, client.y());
    const QString path = m_dir.filePath(QStringLiteral("cursor_v.avi"));
    WindowRecording r;
    QVERIFY(r.start(table, path));
    r.tickUntil(1000);
    movePointer(client.x() + 20, client.y() + 20);
    r.tickUntil(1100);
    movePointer(client.x() + 40, client.y() + 20);
    r.tickUntil(2000);
    movePointer(client.x() - 100, client.y());
    r.tickUntil(3000);
    QCOMPARE(r.finish(), 3000);
    // In, moved, out: each shows on its next frame; nothing else is written.
    QCOMPARE(probeVideo(path, 0).pts, (QList<qint64>{0, 10, 11, 20, 29}));
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
void TestVideoRecorder::onlyBlackIsToldOnce()
{
    // A window whose picture is black, as a desktop that hides pixels gives; the pointer
    // over it does not count as a picture.
    TestWindow table(QStringLiteral("black"), QRect(900, 500, 64, 48), 0x000000);
    QVERIFY(table.waitShown());
    const QRect client = desktop::windowClientRect(table.id());
    movePointer(client.x() + 20, client.y() + 20);
    WindowRecording r;
    QVERIFY(r.start(table, m_dir.filePath(QStringLiteral("black_v.avi")), true));
    QSignalSpy told(&r.m.recorder, &VideoRecorder::pictureBlack);
    r.tickUntil(VideoRecorder::kBlackWarningMs);
    QCOMPARE(told.count(), 0);
    r.tickUntil(VideoRecorder::kBlackWarningMs + 200);
    QCOMPARE(told.count(), 1);
    // Once per recording, however long it stays black or turns black again.
    r.tickUntil(8000);
    table.fill(0x2050c0);
    table.sync();
    r.tickUntil(9000);
    table.fill(0x000000);
    table.sync();
    r.tickUntil(16000);
    QCOMPARE(told.count(), 1);
    r.finish();

    // A dark but not black picture, and black stretches shorter than the wait, say nothing.
    TestWindow dark(QStringLiteral("dark"), QRect(1000, 500, 64, 48), 0x010101);
    QVERIFY(dark.waitShown());
    WindowRecording d;
    QVERIFY(d.start(dark, m_dir.filePath(QStringLiteral("dark_v.avi")), true));
    QSignalSpy quiet(&d.m.recorder, &VideoRecorder::pictureBlack);
    for (int round = 0; round < 4; ++round) {
        d.tickUntil(d.m.now + 2000);
        dark.fill(round % 2 ? 0x010101 : 0x000000);
        dark.sync();
    }
    d.finish();
    QCOMPARE(quiet.count(), 0);
}

#include "tst_videorecorder.moc"
