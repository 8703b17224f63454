// Records N simulated tables (800 x 600 windows drawn by other processes) at 10 fps
// through the real video worker and prints per table the CPU time per frame of the
// worker thread (grab, compare, convert, encode; per frame of recorded time, written
// or not) and of the whole process, the file size and length, and the peak memory.
// Three kinds of table: "busy" (its picture changes every frame), "realistic" (it
// changes for 300 ms every 3 s: a card dealt, chips moved) and "still". For each
// kind, `ffmpeg -f x11grab` recording one such table with the same codec settings in
// the same run is the reference. CPU is measured over the middle of each run.
// Usage: bench_recording [seconds [kind]]   (default 20 s, every kind; kind 0 busy,
// 1 realistic, 2 still). Runs its own X server.
#include "media/FrameDecoder.h"
#include "recorder/StreamSwap.h"
#include "recorder/VideoRecorder.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/XSession.h"

#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QEventLoop>

#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Another process's CPU time so far (user + system), from /proc.
double processCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which ends at the last ')': utime and stime are 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// The CPU time of the worker's thread, where all grabbing, comparing and encoding runs.
double threadCpuSeconds(VideoRecorderWorker &worker)
{
    double seconds = 0;
    QMetaObject::invokeMethod(
            &worker,
            [&seconds] {
                timespec t{};
                clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
                seconds = double(t.tv_sec) + double(t.tv_nsec) / 1e9;
            },
            Qt::BlockingQueuedConnection);
    return seconds;
}

// An event loop that sleeps until then: QTest::qWait would wake every 10 ms.
void sleepFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

constexpr int kSettle = 2; // s left out at both ends of a measurement

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

    Table(int index, const char *kind)
    {
        process.start(QStringLiteral(X_TEST_WINDOW),
                      {QStringLiteral("table %1").arg(index), QString::number(20 + index * 50),
                       QString::number(20 + index * 40), QStringLiteral("800"), QStringLiteral("600"),
                       QStringLiteral("1e5c32"), QString::fromLatin1(kind)});
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
    double cpuMsPerFrame = 0;     // the video worker thread's (ffmpeg: its process's)
    double processMsPerFrame = 0; // the whole process's, idle Qt machinery included
    qint64 encoded = 0;
    qint64 due = 0;
    double fileKiB = 0;   // per table
    double lengthS = 0;   // per table, as FFmpeg reads it
};

const char *const kKinds[] = {"animate", "deal", "still"};
const char *const kKindNames[] = {"busy", "realistic", "still"};

Result recordTables(int count, const char *kind, int seconds, const QString &dir)
{
    std::vector<std::unique_ptr<Table>> tables;
    for (int i = 0; i < count; ++i)
        tables.push_back(std::make_unique<Table>(i, kind));
    QTest::qWait(500);

    VideoRecorderWorker worker;
    worker.start(VideoFormat{-1, -1, 10, 100});
    std::vector<std::unique_ptr<VideoRecorderThread>> fronts;
    std::vector<FrameEncoderSptr> encoders;
    for (int i = 0; i < count; ++i) {
        auto params = std::make_shared<VideoRecParams>();
        params->target = std::make_shared<ClientTarget>(tables[size_t(i)]->id);
        params->format = std::make_shared<VideoFormat>(VideoFormat{800, 600, 10, 100});
        auto front = std::make_unique<VideoRecorderThread>(params);
        auto encoder = std::make_shared<FrameEncoder>(
                QStringLiteral("%1/%2_%3_%4_v.avi").arg(dir, QLatin1String(kind)).arg(count).arg(i), params->format);
        if (encoder->open().failed() || front->start().failed())
            return {};
        auto *swap = new StreamSwap(nullptr, encoder, nullptr, false, bc_ret());
        swap->audioDone();
        front->swapStream(swap);
        fronts.push_back(std::move(front));
        encoders.push_back(encoder);
    }
    // Measured over the middle of the run, as for ffmpeg: what hours of recording cost.
    sleepFor(kSettle * 1000);
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const double workerBefore = threadCpuSeconds(worker);
    sleepFor((seconds - 2 * kSettle) * 1000);
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    const double workerCpu = threadCpuSeconds(worker) - workerBefore;
    sleepFor(kSettle * 1000);
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
    for (const FrameEncoderSptr &encoder : encoders) {
        result.encoded += probeVideo(encoder->fileName(), 0).pts.size();
        result.fileKiB += QFileInfo(encoder->fileName()).size() / 1024.0 / count;
        bc_ret ignored;
        result.lengthS += probeDuration(encoder->fileName(), ignored) / 1000.0 / count;
    }
    // Frames due in the measured time, at 10 fps.
    const double frames = double(seconds - 2 * kSettle) * 10 * qMax(1, count);
    result.cpuMsPerFrame = workerCpu * 1000 / frames;
    result.processMsPerFrame = cpu * 1000 / frames;
    return result;
}

Result ffmpegReference(const char *kind, int seconds, const QString &display, const QString &dir)
{
    Table table(0, kind);
    const QString file = QStringLiteral("%1/reference_%2.avi").arg(dir, QLatin1String(kind));
    const QRect client = [&] {
        QTest::qWait(500);
        return desktop::windowClientRect(table.id);
    }();
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("x11grab"), QStringLiteral("-framerate"), QStringLiteral("10"),
                  QStringLiteral("-video_size"), QStringLiteral("800x600"), QStringLiteral("-i"),
                  QStringLiteral("%1+%2,%3").arg(display).arg(client.x()).arg(client.y()), QStringLiteral("-c:v"),
                  QStringLiteral("msmpeg4v2"), QStringLiteral("-b:v"), QStringLiteral("4M"), QStringLiteral("-g"),
                  QStringLiteral("200"), QStringLiteral("-t"), QString::number(seconds), file});
    ffmpeg.waitForStarted();
    sleepFor(kSettle * 1000);
    const double before = processCpuSeconds(ffmpeg.processId());
    sleepFor((seconds - 2 * kSettle) * 1000);
    const double cpu = processCpuSeconds(ffmpeg.processId()) - before;
    if (!ffmpeg.waitForFinished((seconds + 30) * 1000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAll().constData());
        return {};
    }
    Result result;
    result.encoded = result.due = probeVideo(file, 0).pts.size();
    result.cpuMsPerFrame = result.processMsPerFrame = cpu * 1000 / (double(seconds - 2 * kSettle) * 10);
    result.fileKiB = QFileInfo(file).size() / 1024.0;
    bc_ret ignored;
    result.lengthS = probeDuration(file, ignored) / 1000.0;
    return result;
}

void printRow(const char *what, const Result &r, const Result &reference)
{
    std::printf("%-22s %8.2f %7.2fx %8.2f %7lld/%-6lld %9.0f %6.2fx %8.1f s %6ld MiB\n", what, r.cpuMsPerFrame,
                reference.cpuMsPerFrame > 0 ? r.cpuMsPerFrame / reference.cpuMsPerFrame : 0.0, r.processMsPerFrame,
                (long long)r.encoded,
                (long long)r.due, r.fileKiB, reference.fileKiB > 0 ? r.fileKiB / reference.fileKiB : 0.0, r.lengthS,
                peakRssKiB() / 1024);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? qMax(6, atoi(argv[1])) : 20;
    XSession session;
    if (!session.start(true)) {
        std::fprintf(stderr, "cannot start a private X server\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    std::printf("Recording 800 x 600 tables at 10 fps for %d s; per table:\n", seconds);
    std::printf("%-22s %8s %8s %8s %14s %9s %7s %10s %10s\n", "", "ms CPU", "vs", "process", "frames", "file", "vs",
                "length", "peak RSS");
    std::printf("%-22s %8s %8s %8s %14s %9s %7s\n", "", "/frame", "ffmpeg", "ms/frame", "encoded/due", "KiB", "ffmpeg");
    const int only = argc > 2 ? atoi(argv[2]) : -1; // one kind of table only (0 to 2)
    for (int k = 0; k < 3; ++k) {
        if (only >= 0 && k != only)
            continue;
        const Result reference = ffmpegReference(kKinds[k], seconds, session.display(), dir.path());
        printRow(qPrintable(QStringLiteral("%1, ffmpeg").arg(QLatin1String(kKindNames[k]))), reference, reference);
        for (int count : {0, 1, 4, 8}) {
            if ((count == 4 && k != 0) || (count == 0 && k != 2))
                continue;
            const Result r = recordTables(count, kKinds[k], seconds, dir.path());
            // No table: what the worker's ticks cost the process by themselves.
            printRow(qPrintable(count == 0 ? QStringLiteral("no table, per tick")
                                           : QStringLiteral("%1, %2 table%3").arg(QLatin1String(kKindNames[k])).arg(count)
                                                     .arg(count > 1 ? QStringLiteral("s") : QString())),
                     r, reference);
        }
    }
    return 0;
}
