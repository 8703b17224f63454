// Assembles two 60-second 800 x 600 segments with sound, keeping 90 s (so join,
// cut and mux all run), and in the same run times the ffmpeg command-line work
// that gives the same result by stream copy: concat demuxer, cut, mux.
#include "media/AVAssembler.h"
#include "media/FrameDecoder.h"
#include "media/AudioStream.h"
#include "media/FrameEncoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

namespace {

bool makeSegment(const QString &base, int seconds, int seed)
{
    auto format = std::make_shared<VideoFormat>(VideoFormat{800, 600, 10, 100});
    FrameEncoder video(base + QStringLiteral("_v.avi"), format);
    if (video.open().failed())
        return false;
    QImage frame(800, 600, QImage::Format_RGB32);
    bc_ret errors;
    for (int i = 0; i < seconds * 10; ++i) {
        // A table-like picture: felt, with a block that moves and changes.
        frame.fill(qRgb(20, 90, 40));
        const int x = (i * 13 + seed * 100) % 600, y = (i * 7) % 400;
        for (int row = y; row < y + 150; ++row) {
            auto *line = reinterpret_cast<QRgb *>(frame.scanLine(row));
            for (int col = x; col < x + 180; ++col)
                line[col] = qRgb((col * 3 + i) % 256, (row * 5) % 256, (col + row + seed) % 256);
        }
        video.encode(frame.constBits(), i, errors);
    }
    video.close();
    auto audioFormat = std::make_shared<AudioFormat>();
    AudioStream audio(base + QStringLiteral("_a.avi"), audioFormat, 2);
    if (audio.open().failed())
        return false;
    QByteArray samples(audioFormat->bytesPerSecond(), Qt::Uninitialized);
    auto *s = reinterpret_cast<qint16 *>(samples.data());
    for (int second = 0; second < seconds; ++second) {
        for (int i = 0; i < samples.size() / 2; ++i)
            s[i] = qint16(6000 * std::sin(2 * M_PI * (300 + second * 10) * i / 22050.0));
        audio.write(reinterpret_cast<const uchar *>(samples.constData()), int(samples.size()), errors);
    }
    audio.close();
    return errors.ok();
}

bool ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"),
                                                        QStringLiteral("-y")} + arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg %s: %s\n", qPrintable(arguments.join(QLatin1Char(' '))), process.readAll().constData());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    initMediaLibraries();
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a")), b = dir.filePath(QStringLiteral("b"));
    std::printf("making two 60 s segments...\n");
    std::fflush(stdout);
    if (!makeSegment(a, 60, 1) || !makeSegment(b, 60, 2))
        return 1;

    AVUnitList units(90000);
    units.append(std::make_shared<AVUnit>(AVUnit{a + QStringLiteral("_a.avi"), a + QStringLiteral("_v.avi"), 60000}));
    units.append(std::make_shared<AVUnit>(AVUnit{b + QStringLiteral("_a.avi"), b + QStringLiteral("_v.avi"), 60000}));
    AVAssembler assembler(units, std::make_shared<AssemblyCmd>(AssemblyCmd{dir.filePath(QStringLiteral("ours.avi")), 90000}));
    QElapsedTimer timer;
    timer.start();
    const bc_ret result = assembler.run();
    const double ours = double(timer.nsecsElapsed()) / 1e6;
    if (result.failed()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.details(QStringLiteral(": "))));
        return 1;
    }

    auto list = [&](const char *kind) {
        const QString path = dir.filePath(QStringLiteral("list_%1.txt").arg(QLatin1String(kind)));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("file '%1_%3.avi'\nfile '%2_%3.avi'\n").arg(a, b, QLatin1String(kind)).toUtf8());
        return path;
    };
    const QString listV = list("v"), listA = list("a");
    const QString jv = dir.filePath(QStringLiteral("j_v.avi")), ja = dir.filePath(QStringLiteral("j_a.avi"));
    const QString cv = dir.filePath(QStringLiteral("c_v.avi")), ca = dir.filePath(QStringLiteral("c_a.avi"));
    timer.restart();
    const bool ok = ffmpeg({QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                            QStringLiteral("-i"), listV, QStringLiteral("-c"), QStringLiteral("copy"), jv})
                    && ffmpeg({QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                               QStringLiteral("-i"), listA, QStringLiteral("-c"), QStringLiteral("copy"), ja})
                    && ffmpeg({QStringLiteral("-ss"), QStringLiteral("30"), QStringLiteral("-i"), jv, QStringLiteral("-c"),
                               QStringLiteral("copy"), cv})
                    && ffmpeg({QStringLiteral("-ss"), QStringLiteral("30"), QStringLiteral("-i"), ja, QStringLiteral("-c"),
                               QStringLiteral("copy"), ca})
                    && ffmpeg({QStringLiteral("-i"), cv, QStringLiteral("-i"), ca, QStringLiteral("-map"), QStringLiteral("0:v"),
                               QStringLiteral("-map"), QStringLiteral("1:a"), QStringLiteral("-c"), QStringLiteral("copy"),
                               dir.filePath(QStringLiteral("reference.avi"))});
    const double reference = double(timer.nsecsElapsed()) / 1e6;
    if (!ok)
        return 1;
    std::printf("assembling 2 x 60 s (800 x 600 + sound) keeping 90 s\n");
    std::printf("ours (join, cut, mux in-process): %8.1f ms\n", ours);
    std::printf("reference (5 ffmpeg stream copies): %6.1f ms\n", reference);
    std::printf("ratio ours / reference: %.2f\n", ours / reference);
    bc_ret probed;
    std::printf("video kept: ours %lld ms, reference %lld ms\n",
                (long long)probeDuration(dir.filePath(QStringLiteral("ours.avi")), probed),
                (long long)probeDuration(dir.filePath(QStringLiteral("reference.avi")), probed));
    return 0;
}
