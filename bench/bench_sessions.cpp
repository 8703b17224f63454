// Records 4 tables (800 x 600, picture changing ten times a second) with sound
// through full recording sessions, keeping 20 s, for 60 s, then saves all of them
// at once. Prints CPU per table, the time from Save to the finished files, the peak
// memory, and how far sound and picture are apart in each saved file: a window that
// flashes while a beep is heard (x_beep_flash) lies on top of every recorded area.
// Also prints what placing the sound on the clock costs against the recording.
// Usage: bench_sessions [seconds] (default 60). Runs its own X server and sound server.
#include "app/Log.h"
#include "media/MediaOperations.h"
#include "recorder/AVRecorder.h"
#include "recorder/SoundTimeline.h"
#include "tests/support/PulseSession.h"
#include "tests/support/SyncMeasure.h"
#include "tests/support/XSession.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds to place `seconds` of one recording's sound on the clock, from a card
// 0.05% fast, so that a correction is made every 2000 samples or so.
double timelineCpuSeconds(int seconds)
{
    struct Discard : SoundTimeline::Output
    {
        qint64 samples = 0;
        void writeSamples(const qint16 *, int count) override { samples += count; }
        void swapped(void *) override {}
    } out;
    SoundTimeline timeline(22050, &out);
    std::vector<qint16> block(4096);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = qint16(8000 * std::sin(double(i) * 0.125));
    timeline.schedule(SoundTimeline::Event::Swap, 0);
    const double before = cpuSeconds();
    double captured = 0;
    while (captured < seconds * 1e6) {
        timeline.add(block.data(), int(block.size()), qint64(captured));
        captured += 4096 * 1e6 / (22050 * 1.0005);
    }
    return cpuSeconds() - before;
}

// The regions recorded: each table's, all of them under the beeping window.
QRect tableRect(int i)
{
    return QRect(20 + i * 60, 20 + i * 50, 800, 600);
}
const QRect kBeeper(420, 320, 160, 120);

} // namespace

int main(int argc, char **argv)
{
    constexpr int kTables = 4;
    const int seconds = argc > 1 ? qMax(25, atoi(argv[1])) : 60;
    XSession session;
    PulseSession pulse;
    if (!session.start(true) || !pulse.start()) {
        std::fprintf(stderr, "cannot start a private X server and sound server\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    registerResultMetaType();
    initMediaLibraries();
    QTemporaryDir dir;
    if (qEnvironmentVariableIsSet("BENCH_LOG")) {
        openLog(qEnvironmentVariable("BENCH_LOG"));
        setLogLevel(0);
    }

    std::vector<std::unique_ptr<QProcess>> tables;
    for (int i = 0; i < kTables; ++i) {
        auto table = std::make_unique<QProcess>();
        const QRect rect = tableRect(i);
        table->start(QStringLiteral(X_TEST_WINDOW),
                     {QStringLiteral("table %1").arg(i), QString::number(rect.x()), QString::number(rect.y()),
                      QStringLiteral("800"), QStringLiteral("600"), QStringLiteral("1e5c32"), QStringLiteral("animate")});
        if (!table->waitForReadyRead(15000))
            return 1;
        tables.push_back(std::move(table));
    }
    QProcess beeper;
    beeper.start(QStringLiteral(X_BEEP_FLASH),
                 {QString::number(kBeeper.x()), QString::number(kBeeper.y()), QString::number(kBeeper.width()),
                  QString::number(kBeeper.height()), QStringLiteral("null"), QString::number(seconds + 30)});
    if (!beeper.waitForReadyRead(15000))
        return 1;
    QTest::qWait(500);

    VideoRecorderWorker worker;
    worker.start(VideoFormat{-1, -1, 10, 100});
    AVAssembleQueue queue;
    int finished = 0;
    int failed = 0;
    QObject::connect(&queue, &AVAssembleQueue::createDisplayHandler, &app, [&](const AVAssemblerSptr &assembler) {
        QObject::connect(assembler.get(), &AVAssembler::buildFinished, &app, [&](const bc_ret &result, const QString &) {
            ++finished;
            failed += result.failed();
        });
    });

    std::vector<std::unique_ptr<AVRecorder>> recorders;
    const double cpuBefore = cpuSeconds();
    for (int i = 0; i < kTables; ++i) {
        auto video = std::make_shared<VideoRecParams>();
        video->target = std::make_shared<RegionTarget>(tableRect(i));
        video->format = std::make_shared<VideoFormat>(VideoFormat{800, 600, 10, 100});
        auto recording = std::make_shared<AVRecParams>(AVRecParams{20000, dir.path(), -1});
        auto audio = std::make_shared<AudioRecParams>();
        audio->useDefaultDevice = false;
        audio->deviceName = QLatin1String(PulseSession::kNullMonitor);
        auto recorder = std::make_unique<AVRecorder>(audio, video, recording);
        if (recorder->start().failed())
            return 1;
        recorders.push_back(std::move(recorder));
    }
    QTest::qWait(seconds * 1000);
    const double cpu = cpuSeconds() - cpuBefore;

    QElapsedTimer saving;
    saving.start();
    for (int i = 0; i < kTables; ++i)
        recorders[size_t(i)]->stop(bc_ret(), std::make_shared<AssemblyCmd>(AssemblyCmd{
                                                     dir.filePath(QStringLiteral("saved_%1.avi").arg(i)), 20000}));
    while (finished < kTables && saving.elapsed() < 60000)
        QTest::qWait(10);
    const double saveMs = double(saving.elapsed());
    worker.stop();
    queue.shutdown();
    for (auto &table : tables) {
        table->write("quit\n");
        table->waitForFinished(3000);
    }
    beeper.write("quit\n");
    beeper.waitForFinished(3000);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d tables with sound, 800 x 600 at 10 fps, %d s recorded, 20 s kept\n", kTables, seconds);
    std::printf("CPU per table while recording: %.1f %% of one core\n", 100.0 * cpu / seconds / kTables);
    std::printf("from Save to all %d files finished: %.0f ms (%d failed)\n", kTables, saveMs, failed);
    std::printf("peak RSS: %ld MiB in all, %ld MiB per recording\n", usage.ru_maxrss / 1024,
                usage.ru_maxrss / 1024 / kTables);
    // A flash is seen half a frame late on average: -50 ms is in step.
    for (int i = 0; i < kTables; ++i) {
        const QRect area = kBeeper.translated(-tableRect(i).topLeft());
        const AvSync sync = measureAvSync(dir.filePath(QStringLiteral("saved_%1.avi").arg(i)), -50, area);
        qint64 sum = 0;
        for (qint64 offset : sync.offsetsMs)
            sum += offset;
        std::printf("file %d, beep - flash (in step: -50 ms): mean %lld ms, median %lld ms, worst %lld ms over %lld beeps%s\n",
                    i, sync.offsetsMs.isEmpty() ? 0LL : sum / sync.offsetsMs.size(), sync.median, sync.worst,
                    qint64(sync.offsetsMs.size()), sync.ok ? "" : qPrintable(QStringLiteral(" (%1)").arg(sync.error)));
    }
    const double placing = timelineCpuSeconds(seconds);
    std::printf("placing the sound on the clock, with a correction every 2000 samples: %.3f %% of a recording's CPU\n",
                100.0 * placing / (cpu / kTables));
    return failed ? 1 : 0;
}
