// Records 4 tables (800 x 600, picture changing ten times a second) with sound
// through full recording sessions, keeping 20 s, for 60 s, then saves all of them
// at once. Prints CPU per table, the time from Save to the finished files, and the
// peak memory. Usage: bench_sessions [seconds] (default 60). Runs its own X server
// and sound server.
#include "AVRecorder.h"
#include "Log.h"
#include "MediaOperations.h"
#include "PulseSession.h"
#include "XSession.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
    std::vector<WindowId> windows;
    for (int i = 0; i < kTables; ++i) {
        auto table = std::make_unique<QProcess>();
        table->start(QStringLiteral(X_TEST_WINDOW),
                     {QStringLiteral("table %1").arg(i), QString::number(20 + i * 60), QString::number(20 + i * 50),
                      QStringLiteral("800"), QStringLiteral("600"), QStringLiteral("1e5c32"), QStringLiteral("animate")});
        if (!table->waitForReadyRead(15000))
            return 1;
        windows.push_back(table->readLine().trimmed().toUInt());
        tables.push_back(std::move(table));
    }
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
        video->target = std::make_shared<ClientTarget>(windows[size_t(i)]);
        video->format = std::make_shared<VideoFormat>(VideoFormat{800, 600, 10, 100});
        auto recording = std::make_shared<AVRecParams>(AVRecParams{20000, dir.path()});
        auto recorder = std::make_unique<AVRecorder>(std::make_shared<AudioRecParams>(), video, recording);
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

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d tables with sound, 800 x 600 at 10 fps, %d s recorded, 20 s kept\n", kTables, seconds);
    std::printf("CPU per table while recording: %.1f %% of one core\n", 100.0 * cpu / seconds / kTables);
    std::printf("from Save to all %d files finished: %.0f ms (%d failed)\n", kTables, saveMs, failed);
    std::printf("peak RSS: %ld MiB in all, %ld MiB per recording\n", usage.ru_maxrss / 1024,
                usage.ru_maxrss / 1024 / kTables);
    return failed ? 1 : 0;
}
