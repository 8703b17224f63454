// Records N simulated tables (800 x 600 windows whose picture changes ten times a
// second) at 10 fps through the real video worker, for N = 1, 4, 8, and prints per
// table the CPU time per frame (grab + convert + encode), frames written against
// frames due, and the peak memory. In the same run, `ffmpeg -f x11grab` recording
// one such table with the same codec settings gives the reference CPU time per frame.
// Usage: bench_recording [seconds]   (default 20). Runs its own X server.
#include "MediaProbe.h"
#include "StreamSwap.h"
#include "VideoRecorder.h"
#include "XSession.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A table played in another process, so its drawing is not counted as ours.
struct Table
{
    QProcess process;
    WindowId id = 0;

    Table(int index)
    {
        process.start(QStringLiteral(X_TEST_WINDOW),
                      {QStringLiteral("table %1").arg(index), QString::number(20 + index * 50),
                       QString::number(20 + index * 40), QStringLiteral("800"), QStringLiteral("600"),
                       QStringLiteral("1e5c32"), QStringLiteral("animate")});
        if (process.waitForReadyRead(15000))
            id = process.readLine().trimmed().toUInt();
    }
    ~Table()
    {
        process.write("quit\n");
        process.waitForFinished(3000);
    }
};

struct Result
{
    double cpuMsPerFrame = 0;
    qint64 written = 0;
    qint64 due = 0;
};

Result recordTables(int count, int seconds, const QString &dir)
{
    std::vector<std::unique_ptr<Table>> tables;
    for (int i = 0; i < count; ++i)
        tables.push_back(std::make_unique<Table>(i));
    QTest::qWait(500);

    VideoRecorderWorker worker;
    worker.start(VideoFormat{-1, -1, 10, 100});
    std::vector<std::unique_ptr<VideoRecorderThread>> fronts;
    std::vector<FrameEncoderSptr> encoders;
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    for (int i = 0; i < count; ++i) {
        auto params = std::make_shared<VideoRecParams>();
        params->target = std::make_shared<ClientTarget>(tables[size_t(i)]->id);
        params->format = std::make_shared<VideoFormat>(VideoFormat{800, 600, 10, 100});
        auto front = std::make_unique<VideoRecorderThread>(params);
        auto encoder = std::make_shared<FrameEncoder>(QStringLiteral("%1/%2_%3_v.avi").arg(dir).arg(count).arg(i),
                                                      params->format);
        if (encoder->open().failed() || front->start().failed())
            return {};
        auto *swap = new StreamSwap(nullptr, encoder, nullptr, false, bc_ret());
        swap->audioDone();
        front->swapStream(swap);
        fronts.push_back(std::move(front));
        encoders.push_back(encoder);
    }
    QTest::qWait(seconds * 1000);
    for (auto &front : fronts) {
        auto *swap = new StreamSwap(nullptr, nullptr, nullptr, true, bc_ret());
        swap->audioDone();
        front->swapStream(swap);
    }
    QTest::qWait(300);
    worker.stop();

    Result result;
    for (const FrameEncoderSptr &encoder : encoders) {
        const int duration = encoder->close();
        result.due += duration / 100;
    }
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    for (const FrameEncoderSptr &encoder : encoders)
        result.written += probeVideo(encoder->fileName(), 0).pts.size();
    result.cpuMsPerFrame = result.written ? cpu * 1000 / double(result.written) : 0;
    return result;
}

double ffmpegMsPerFrame(int seconds, const QString &display, const QString &dir)
{
    Table table(0);
    const QRect client = [&] {
        QTest::qWait(500);
        return desktop::windowClientRect(table.id);
    }();
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("x11grab"), QStringLiteral("-framerate"), QStringLiteral("10"),
                  QStringLiteral("-video_size"), QStringLiteral("800x600"), QStringLiteral("-i"),
                  QStringLiteral("%1+%2,%3").arg(display).arg(client.x()).arg(client.y()), QStringLiteral("-c:v"),
                  QStringLiteral("msmpeg4v2"), QStringLiteral("-b:v"), QStringLiteral("4M"), QStringLiteral("-g"),
                  QStringLiteral("200"), QStringLiteral("-t"), QString::number(seconds),
                  dir + QStringLiteral("/reference.avi")});
    if (!ffmpeg.waitForFinished((seconds + 30) * 1000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAll().constData());
        return 0;
    }
    const double cpu = cpuSeconds(RUSAGE_CHILDREN) - before;
    const qsizetype frames = probeVideo(dir + QStringLiteral("/reference.avi"), 0).pts.size();
    return frames ? cpu * 1000 / double(frames) : 0;
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 20;
    XSession session;
    if (!session.start(true)) {
        std::fprintf(stderr, "cannot start a private X server\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    const double reference = ffmpegMsPerFrame(seconds, session.display(), dir.path());
    std::printf("Recording 800 x 600 tables at 10 fps for %d s\n", seconds);
    std::printf("reference: ffmpeg x11grab + msmpeg4v2, one table: %.2f ms CPU per frame\n\n", reference);
    std::printf("%7s %14s %10s %16s %12s\n", "tables", "ms CPU/frame", "vs ffmpeg", "frames (due)", "peak RSS");
    for (int count : {1, 4, 8}) {
        const Result r = recordTables(count, seconds, dir.path());
        std::printf("%7d %14.2f %9.2fx %8lld (%5lld) %9ld MiB\n", count, r.cpuMsPerFrame,
                    reference > 0 ? r.cpuMsPerFrame / reference : 0.0, (long long)r.written, (long long)r.due,
                    peakRssKiB() / 1024);
        std::fflush(stdout);
    }
    return 0;
}
