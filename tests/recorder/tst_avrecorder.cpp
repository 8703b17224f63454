#include "media/FrameDecoder.h"
#include "media/Recovery.h"
#include "media/SegmentManifest.h"
#include "recorder/AVRecorder.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/PulseSession.h"
#include "tests/support/XSession.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

namespace {

// The colour of animation step i, readable back from a decoded picture.
QRgb stepColour(int i)
{
    return qRgb((i % 16) * 16, 128, (i / 16 % 16) * 16);
}

int stepOf(QRgb colour)
{
    return (qRed(colour) + 8) / 16 + 16 * ((qBlue(colour) + 8) / 16);
}

// A window whose colour changes every 100 ms, as a table in play changes.
struct Table
{
    TestWindow window{QStringLiteral("table"), QRect(20, 20, 160, 120), stepColour(0)};
    QTimer timer;
    int step = 0;

    Table()
    {
        timer.setInterval(100);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { window.fill(stepColour(++step)); });
    }
};

} // namespace

class TestAVRecorder : public QObject
{
    Q_OBJECT
public:
    explicit TestAVRecorder(XSession *) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keepsTheLastMinutes();
    void saveWhileRecording();
    void stopWithoutSaving();
    void longPauseLeavesNoEmptySegment();
    void stopBeforeStart();
    void failedWriteKeepsTheSegments();
    void abortKeepsForTheNextStart();
    // Last: it ends the sound server.
    void lostSoundServerKeepsTheSound();

private:
    std::unique_ptr<AVRecorder> recorder(int keepMs, const QRect &rect);
    // Saves what findRecoverable finds in the segment directory; the files saved.
    QStringList recoverAll(int &failed);
    // Waits for the assembly announced by the queue to finish; its result.
    bc_ret waitForAssembly();
    QStringList segmentFiles() const { return QDir(m_tmp->path()).entryList({QStringLiteral("*.avi")}, QDir::Files); }

    PulseSession m_pulse;
    std::unique_ptr<VideoRecorderWorker> m_worker;
    std::unique_ptr<AVAssembleQueue> m_queue;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<QTemporaryDir> m_out;
    AVAssemblerSptr m_assembler;
    QList<bc_ret> m_results;
};

void TestAVRecorder::initTestCase()
{
    QVERIFY(desktop::isAvailable());
    QVERIFY(m_pulse.start());
}

void TestAVRecorder::init()
{
    m_worker = std::make_unique<VideoRecorderWorker>();
    m_worker->start(VideoFormat{-1, -1, 10, 100});
    m_queue = std::make_unique<AVAssembleQueue>();
    // Connected before the assembler is queued, as the recorded page does.
    connect(m_queue.get(), &AVAssembleQueue::createDisplayHandler, this, [this](const AVAssemblerSptr &assembler) {
        m_assembler = assembler;
        connect(assembler.get(), &AVAssembler::buildFinished, this,
                [this](const bc_ret &result, const QString &) { m_results.append(result); });
    });
    m_results.clear();
    m_tmp = std::make_unique<QTemporaryDir>();
    m_out = std::make_unique<QTemporaryDir>();
    m_assembler.reset();
}

void TestAVRecorder::cleanup()
{
    m_worker->stop();
    m_queue->shutdown();
}

std::unique_ptr<AVRecorder> TestAVRecorder::recorder(int keepMs, const QRect &rect)
{
    auto audio = std::make_shared<AudioRecParams>();
    auto video = std::make_shared<VideoRecParams>();
    video->target = std::make_shared<RegionTarget>(rect);
    video->format = std::make_shared<VideoFormat>(VideoFormat{rect.width(), rect.height(), 10, 100});
    auto recording = std::make_shared<AVRecParams>(AVRecParams{keepMs, m_tmp->path(), -1});
    return std::make_unique<AVRecorder>(audio, video, recording);
}

bc_ret TestAVRecorder::waitForAssembly()
{
    QDeadlineTimer deadline(20000);
    while (m_results.isEmpty() && !deadline.hasExpired())
        QTest::qWait(20);
    if (m_results.isEmpty())
        return bc_ret(QStringLiteral("no assembly finished"));
    return m_results.takeFirst();
}

void TestAVRecorder::keepsTheLastMinutes()
{
    Table table;
    QVERIFY(table.window.waitShown());
    table.timer.start();
    auto rec = recorder(3000, desktop::windowClientRect(table.window.id()));
    QSignalSpy stopped(rec.get(), &AVRecorder::stopped);
    QVERIFY(rec->start().ok());
    QCOMPARE(rec->state(), AVRecorder::Running);

    // Record until the first segment has expired: the kept 3 s then lie in later ones.
    const QStringList first = segmentFiles();
    QCOMPARE(first.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(m_tmp->filePath(first.first())) && rec->units().count() >= 1, 30000);
    // On disk: the kept segments and the one being written, nothing else; and their
    // description, for a recovery after a crash.
    QTRY_COMPARE(segmentFiles().size(), (rec->units().count() + 1) * 2);
    QCOMPARE(SegmentManifest::findIn(m_tmp->path()).size(), 1);
    // No segment is kept that the kept minutes do not need.
    const AVUnitList &units = rec->units();
    QVERIFY(units.count() == 1 || units.totalDuration() - units.units().first()->duration < 3000);

    const QString out = m_out->filePath(QStringLiteral("saved.avi"));
    rec->stop(bc_ret(), std::make_shared<AssemblyCmd>(AssemblyCmd{out, 3000}));
    const int lastStep = table.step;
    table.timer.stop();
    QVERIFY(stopped.wait(5000));
    QVERIFY(stopped.first().first().value<bc_ret>().ok());
    const bc_ret assembled = waitForAssembly();
    QVERIFY2(assembled.ok(), qPrintable(assembled.details(QStringLiteral(": "))));

    const VideoProbe video = probeVideo(out, 100);
    const AudioProbe audio = probeAudio(out);
    QCOMPARE(video.codec, QStringLiteral("msmpeg4v2"));
    QCOMPARE(audio.codec, QStringLiteral("pcm_s16le"));
    const qint64 videoMs = (video.pts.last() + 1) * 100;
    const qint64 audioMs = audio.samples.size() * 1000 / 44100;
    QVERIFY2(qAbs(videoMs - 3000) <= 200, qPrintable(QString::number(videoMs)));
    // Sound and picture end together: the sound within the last picture's time on screen
    // (a worker held up on a busy machine grabs its last picture a little early or late).
    QVERIFY2(qAbs(audioMs - videoMs) < 100, qPrintable(QStringLiteral("%1 / %2").arg(audioMs).arg(videoMs)));
    // It ends with the last picture recorded, not with one from the start of the kept
    // 3 s (30 steps); a worker held up on a busy machine grabs its last one a little early.
    const int endStep = stepOf(video.frames.last().pixel(80, 60));
    QVERIFY2(endStep <= lastStep && endStep >= lastStep - 10, qPrintable(QStringLiteral("%1 of %2").arg(endStep).arg(lastStep)));
    // Every segment file is gone once the queue has cleaned, and with a clean end there
    // is no description left that would offer a recovery.
    QTRY_COMPARE(segmentFiles(), QStringList());
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files), QStringList());
}

void TestAVRecorder::saveWhileRecording()
{
    auto rec = recorder(10000, QRect(0, 0, 64, 48));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(rec->start().ok());
    QTest::qWait(2000);
    const QString out = m_out->filePath(QStringLiteral("early.avi"));
    QVERIFY(rec->save(std::make_shared<AssemblyCmd>(AssemblyCmd{out, 10000})).ok());
    QVERIFY(waitForAssembly().ok());
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(rec->state(), AVRecorder::Running);
    // All that was recorded until the save, and no more than the time that passed.
    const qint64 savedMs = (probeVideo(out, 0).pts.last() + 1) * 100;
    QVERIFY2(savedMs >= 1500 && savedMs <= elapsed + 100, qPrintable(QStringLiteral("%1 of %2").arg(savedMs).arg(elapsed)));

    QSignalSpy stopped(rec.get(), &AVRecorder::stopped);
    rec->stop(bc_ret(), nullptr);
    QVERIFY(stopped.wait(5000));
    QTRY_COMPARE(segmentFiles(), QStringList());
}

void TestAVRecorder::stopWithoutSaving()
{
    auto rec = recorder(1000, QRect(0, 0, 64, 48));
    QSignalSpy stopped(rec.get(), &AVRecorder::stopped);
    QVERIFY(rec->start().ok());
    QTest::qWait(2500);
    rec->stop(bc_ret(QStringLiteral("reason")), nullptr);
    rec->stop(bc_ret(QStringLiteral("second")), nullptr); // already stopping: nothing
    QVERIFY(stopped.wait(5000));
    QTest::qWait(200);
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(stopped.first().first().value<bc_ret>().messages(QString()), QStringLiteral("reason"));
    QVERIFY(!m_assembler);
    QTRY_COMPARE(segmentFiles(), QStringList());
    QCOMPARE(QDir(m_out->path()).entryList(QDir::Files), QStringList());
}

void TestAVRecorder::longPauseLeavesNoEmptySegment()
{
    auto rec = recorder(1000, QRect(0, 0, 64, 48));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(rec->start().ok());
    QTest::qWait(1500);
    rec->setPaused(true);
    const qint64 recordedMs = clock.elapsed();
    // Swaps pass while paused: their segments have no frame and are deleted.
    QTest::qWait(2500);
    // Only what was recorded before the pause is in the kept segments.
    QVERIFY2(rec->units().totalDuration() <= recordedMs + 100,
             qPrintable(QStringLiteral("%1 of %2").arg(rec->units().totalDuration()).arg(recordedMs)));
    // On disk: the kept segments and the current one; the empty ones are gone.
    QTRY_COMPARE(segmentFiles().size(), (rec->units().count() + 1) * 2);
    rec->setPaused(false);
    QTest::qWait(1200);
    const QString out = m_out->filePath(QStringLiteral("paused.avi"));
    QSignalSpy stopped(rec.get(), &AVRecorder::stopped);
    rec->stop(bc_ret(), std::make_shared<AssemblyCmd>(AssemblyCmd{out, 1000}));
    QVERIFY(stopped.wait(5000));
    QVERIFY(waitForAssembly().ok());
    QVERIFY(probeVideo(out, 0).ok);
    QTRY_COMPARE(segmentFiles(), QStringList());
}

void TestAVRecorder::stopBeforeStart()
{
    auto rec = recorder(1000, QRect(0, 0, 64, 48));
    QSignalSpy stopped(rec.get(), &AVRecorder::stopped);
    rec->stop(bc_ret(QStringLiteral("never started")), nullptr);
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(stopped.first().first().value<bc_ret>().messages(QString()), QStringLiteral("never started"));
}

QStringList TestAVRecorder::recoverAll(int &failed)
{
    const QList<Recoverable> found = findRecoverable(m_tmp->path());
    QStringList saved;
    failed = -1;
    if (found.isEmpty())
        return saved;
    RecoveryRun run(*m_queue, found, [this](const Recoverable &, int index) {
        return m_out->filePath(QStringLiteral("recovered-%1.avi").arg(index));
    });
    connect(&run, &RecoveryRun::saved, this, [&saved](const QString &file) { saved.append(file); });
    QSignalSpy finished(&run, &RecoveryRun::finished);
    run.start();
    if (finished.isEmpty() && !finished.wait(30000))
        return saved;
    failed = finished.first().at(1).toInt();
    return saved;
}

void TestAVRecorder::failedWriteKeepsTheSegments()
{
    Table table;
    QVERIFY(table.window.waitShown());
    table.timer.start();
    auto rec = recorder(10000, desktop::windowClientRect(table.window.id()));
    QSignalSpy stopped(rec.get(), &AVRecorder::stopped);
    QVERIFY(rec->start().ok());
    // Then files may no longer grow, as on a full disk: the sound (44 kB a second) is
    // the first to fail.
    QTest::qWait(2500);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    rlimit limited = unlimited;
    limited.rlim_cur = 24 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool failed = stopped.wait(10000);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
    QVERIFY(failed);
    const bc_ret result = stopped.first().first().value<bc_ret>();
    QVERIFY(result.failed());
    // Told in words what was kept.
    QVERIFY2(result.messages(QStringLiteral("|")).contains(QStringLiteral("the last 1 minutes are kept")),
             qPrintable(result.messages(QStringLiteral("|"))));
    QVERIFY(rec->state() != AVRecorder::Running);

    // Everything written is still there, described, and saved by a recovery.
    QVERIFY(!segmentFiles().isEmpty());
    QCOMPARE(SegmentManifest::findIn(m_tmp->path()).size(), 1);
    int failures = 0;
    const QStringList saved = recoverAll(failures);
    QCOMPARE(failures, 0);
    QCOMPARE(saved.size(), 1);
    const VideoProbe video = probeVideo(saved.first(), 0);
    QVERIFY(video.ok);
    QVERIFY2((video.pts.last() + 1) * 100 >= 2000, qPrintable(QString::number(video.pts.last())));
    QVERIFY(probeAudio(saved.first()).ok);
    // Saved once: nothing is left to offer.
    QTRY_COMPARE(segmentFiles(), QStringList());
    QVERIFY(findRecoverable(m_tmp->path()).isEmpty());
}

void TestAVRecorder::abortKeepsForTheNextStart()
{
    Table table;
    QVERIFY(table.window.waitShown());
    table.timer.start();
    auto rec = recorder(10000, desktop::windowClientRect(table.window.id()));
    QVERIFY(rec->start().ok());
    QTest::qWait(2500);
    // The program ending (a logout, a quit): nothing is asked, nothing is lost.
    rec->abort();
    QCOMPARE(rec->state(), AVRecorder::Created);
    const QList<Recoverable> found = findRecoverable(m_tmp->path());
    QCOMPARE(found.size(), 1);
    QVERIFY(found.first().described);
    int failures = 0;
    const QStringList saved = recoverAll(failures);
    QCOMPARE(failures, 0);
    QCOMPARE(saved.size(), 1);
    bc_ret probed;
    const qint64 duration = probeDuration(saved.first(), probed);
    QVERIFY2(duration >= 2000 && duration <= 3500, qPrintable(QString::number(duration)));
    QTRY_COMPARE(segmentFiles(), QStringList());
    QVERIFY(findRecoverable(m_tmp->path()).isEmpty());
}

void TestAVRecorder::lostSoundServerKeepsTheSound()
{
    auto rec = recorder(10000, QRect(0, 0, 64, 48));
    QSignalSpy lost(rec.get(), &AVRecorder::soundLost);
    QSignalSpy back(rec.get(), &AVRecorder::soundBack);
    QVERIFY(rec->start().ok());
    QTest::qWait(1000);
    m_pulse.kill();
    QVERIFY(lost.wait(10000));
    QVERIFY(lost.first().first().toString().contains(QStringLiteral("sound server")));
    QTest::qWait(1500);
    QCOMPARE(rec->state(), AVRecorder::Running);
    QVERIFY(m_pulse.start());
    QVERIFY(back.wait(10000));
    QTest::qWait(1000);
    const QString out = m_out->filePath(QStringLiteral("bridged.avi"));
    QSignalSpy stopped(rec.get(), &AVRecorder::stopped);
    rec->stop(bc_ret(), std::make_shared<AssemblyCmd>(AssemblyCmd{out, 10000}));
    QVERIFY(stopped.wait(5000));
    QVERIFY(stopped.first().first().value<bc_ret>().ok());
    QVERIFY(waitForAssembly().ok());
    // Sound all along, as long as the picture.
    QVERIFY(!rec->units().isVideoOnly());
    const qint64 pictureMs = (probeVideo(out, 0).pts.last() + 1) * 100;
    const AudioProbe sound = probeAudio(out);
    QVERIFY(sound.ok);
    const qint64 soundMs = sound.samples.size() * 1000 / (qint64(sound.sampleRate) * 2 * sound.channels);
    QVERIFY2(qAbs(soundMs - pictureMs) <= 250, qPrintable(QStringLiteral("sound %1 ms, picture %2 ms").arg(soundMs).arg(pictureMs)));
    QCOMPARE(lost.size(), 1);
    QTRY_COMPARE(segmentFiles(), QStringList());
}

// Its own X server: windows of tests running beside it must not cover what it records.
BC_XSESSION_TEST_MAIN(TestAVRecorder)
#include "tst_avrecorder.moc"
