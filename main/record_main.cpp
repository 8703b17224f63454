// brindlecast-record: records a window, a region or a monitor with sound from the
// command line, through the same recording session and assembling queue as the
// program, for scripting, support and tests. Prints "saved PATH" per saved file.
#include "app/Log.h"
#include "app/Version.h"
#include "library/FileNames.h"
#include "main/Platform.h"
#include "media/MediaOperations.h"
#include "media/Recovery.h"
#include "platform/ScreenPixels.h"
#include "platform/TerminationWatcher.h"
#include "recorder/AVRecorder.h"
#include "resources/Resources.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

int fail(const QString &text)
{
    std::fprintf(stderr, "brindlecast-record: %s\n", qPrintable(text));
    return 1;
}

TargetSptr targetFrom(const QCommandLineParser &args, QString &error)
{
    const int given = int(args.isSet(QStringLiteral("window"))) + int(args.isSet(QStringLiteral("region")))
                      + int(args.isSet(QStringLiteral("monitor")));
    if (given != 1) {
        error = QStringLiteral("give exactly one of --window, --region and --monitor");
        return nullptr;
    }
    if (args.isSet(QStringLiteral("window"))) {
        bool ok = false;
        const WindowId window = args.value(QStringLiteral("window")).toUInt(&ok, 0);
        const TargetSptr target = ok ? chooseWindowTarget(window, true) : nullptr;
        if (!target || desktop::windowFrameRect(window).isEmpty())
            error = QStringLiteral("window %1 cannot be recorded (unknown, minimised or ours)")
                            .arg(args.value(QStringLiteral("window")));
        return error.isEmpty() ? target : nullptr;
    }
    if (args.isSet(QStringLiteral("region"))) {
        const QStringList parts = args.value(QStringLiteral("region")).split(QLatin1Char(','));
        QList<int> numbers;
        for (const QString &part : parts)
            numbers.append(part.trimmed().toInt());
        if (numbers.size() != 4 || numbers.at(2) <= 0 || numbers.at(3) <= 0) {
            error = QStringLiteral("--region wants X,Y,WIDTH,HEIGHT");
            return nullptr;
        }
        return std::make_shared<RegionTarget>(QRect(numbers.at(0), numbers.at(1), numbers.at(2), numbers.at(3)));
    }
    const QString name = args.value(QStringLiteral("monitor"));
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return std::make_shared<MonitorTarget>(name, desktop::nativeGeometry(screen));
    }
    error = QStringLiteral("no monitor named '%1'").arg(name);
    return nullptr;
}

// Saves what crashed recordings, stops and failed saves left in DIR/tmp into out;
// prints "saved PATH" for each; 1 when one of them could not be saved (it stays for a retry).
int recover(const QDir &dir, const QDir &out, bool outGiven)
{
    const QList<Recoverable> found = findRecoverable(dir.filePath(QStringLiteral("tmp")));
    std::fprintf(stderr, "brindlecast-record: %d recordings to save\n", int(found.size()));
    if (found.isEmpty())
        return 0;
    AVAssembleQueue queue;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    // A failed save goes where it was meant to, unless another place is given.
    RecoveryRun run(queue, found, [&](const Recoverable &recording, int index) {
        const QString meant = recording.manifest.outputFile;
        if (meant.isEmpty())
            return out.filePath(QStringLiteral("recovered-%1-%2%3").arg(stamp).arg(index + 1).arg(QLatin1String(kSavedVideoSuffix)));
        return outGiven ? out.filePath(QFileInfo(meant).fileName()) : meant;
    });
    QObject::connect(&run, &RecoveryRun::saved, &queue, [](const QString &file) {
        std::printf("saved %s\n", qPrintable(file));
        std::fflush(stdout);
    });
    QObject::connect(&run, &RecoveryRun::failed, &queue,
                     [](const bc_ret &result) { fail(result.messages(QStringLiteral(": "))); });
    int exitCode = 0;
    bool done = false;
    QObject::connect(&run, &RecoveryRun::finished, &queue, [&](int, int failed) {
        exitCode = failed > 0 ? 1 : 0;
        done = true;
        QCoreApplication::exit(exitCode);
    });
    run.start();
    if (!done)
        QCoreApplication::exec();
    queue.shutdown();
    return exitCode;
}

// What the program takes; --help and --version answer without a display.
void describeOptions(QCommandLineParser &args)
{
    args.setApplicationDescription(QStringLiteral("Records a poker table, a screen region or a monitor with sound."));
    args.addHelpOption();
    args.addVersionOption();
    args.addOptions({
            {QStringLiteral("window"), QStringLiteral("X window id to record (decimal or 0x hex)."), QStringLiteral("WID")},
            {QStringLiteral("region"), QStringLiteral("Screen rectangle to record."), QStringLiteral("X,Y,W,H")},
            {QStringLiteral("monitor"), QStringLiteral("Monitor to record, by name."), QStringLiteral("NAME")},
            {QStringLiteral("keep"), QStringLiteral("Seconds kept (default 3600)."), QStringLiteral("SECONDS"), QStringLiteral("3600")},
            {QStringLiteral("duration"), QStringLiteral("Stop after this many seconds (default: on Ctrl+C)."), QStringLiteral("SECONDS")},
            {QStringLiteral("save-at"), QStringLiteral("Save the kept part at this second; repeatable."), QStringLiteral("SECONDS")},
            {QStringLiteral("save-on-stop"), QStringLiteral("Save the kept part when recording stops.")},
            {QStringLiteral("out"), QStringLiteral("Directory for saved files (default: the current one)."), QStringLiteral("DIR")},
            {QStringLiteral("no-audio"), QStringLiteral("Record silence instead of the microphone.")},
            {QStringLiteral("device"), QStringLiteral("Sound source to record (default: the default source)."), QStringLiteral("NAME")},
            {QStringLiteral("recover"),
             QStringLiteral("Save what an interrupted recording or a failed save left in DIR/tmp (into --out, default DIR)."),
             QStringLiteral("DIR")},
    });
}

bool asksForHelpOrVersion(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" || arg == "-v")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("brindlecast-record"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QCommandLineParser args;
    describeOptions(args);
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        args.process(app); // prints and exits
        return 0;
    }
    preferX11UnderWayland();
    QGuiApplication app(argc, argv);
    registerResultMetaType();
    initMediaLibraries();
    args.process(app);
    if (args.isSet(QStringLiteral("recover"))) {
        const QDir dir(args.value(QStringLiteral("recover")));
        const bool outGiven = args.isSet(QStringLiteral("out"));
        return recover(dir, outGiven ? QDir(args.value(QStringLiteral("out"))) : dir, outGiven);
    }

    QString error;
    const TargetSptr target = targetFrom(args, error);
    if (!target)
        return fail(error);
    const QSize size = target->captureRect().size();
    const int keepMs = int(qBound(1.0, args.value(QStringLiteral("keep")).toDouble(), 86400.0) * 1000);
    const QDir out(args.isSet(QStringLiteral("out")) ? args.value(QStringLiteral("out")) : QDir::currentPath());
    if (!QDir().mkpath(out.filePath(QStringLiteral("tmp"))))
        return fail(QStringLiteral("cannot write to %1").arg(out.absolutePath()));

    auto audio = std::make_shared<AudioRecParams>();
    audio->useDefaultDevice = !args.isSet(QStringLiteral("device"));
    audio->deviceName = args.value(QStringLiteral("device"));
    auto video = std::make_shared<VideoRecParams>();
    video->target = target;
    video->watermark = watermarkImage();
    video->format = std::make_shared<VideoFormat>(VideoFormat{size.width(), size.height(), 10, 100});
    auto recording = std::make_shared<AVRecParams>(AVRecParams{keepMs, out.filePath(QStringLiteral("tmp")), -1});

    VideoRecorderWorker worker;
    worker.start(VideoFormat{-1, -1, 10, 100});
    AVAssembleQueue queue;
    int exitCode = 0;
    int assembling = 0;
    bool stopped = false;
    auto finishIfDone = [&] {
        if (stopped && assembling == 0)
            QCoreApplication::exit(exitCode);
    };
    QObject::connect(&queue, &AVAssembleQueue::createDisplayHandler, &app, [&](const AVAssemblerSptr &assembler) {
        ++assembling;
        QObject::connect(assembler.get(), &AVAssembler::buildFinished, &app, [&](const bc_ret &result, const QString &file) {
            if (result.ok()) {
                std::printf("saved %s\n", qPrintable(file));
                std::fflush(stdout);
            } else {
                exitCode = fail(result.messages(QStringLiteral(": ")));
            }
            --assembling;
            finishIfDone();
        });
    });

    AVRecorder recorder(audio, video, recording);
    recorder.setMuted(args.isSet(QStringLiteral("no-audio")));
    int saved = 0;
    auto command = [&] {
        const QString name = QStringLiteral("recording-%1-%2.avi")
                                     .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")))
                                     .arg(++saved);
        return std::make_shared<AssemblyCmd>(AssemblyCmd{out.filePath(name), keepMs});
    };
    QObject::connect(&recorder, &AVRecorder::stopped, &app, [&](const bc_ret &result) {
        if (result.failed())
            exitCode = fail(result.messages(QStringLiteral(": ")));
        stopped = true;
        finishIfDone();
    });
    QObject::connect(&recorder, &AVRecorder::soundLost, &app, [](const QString &text) {
        std::fprintf(stderr, "brindlecast-record: %s\n", qPrintable(text));
    });
    QObject::connect(&recorder, &AVRecorder::pictureBlack, &app, [](const QString &text) {
        std::fprintf(stderr, "brindlecast-record: %s\n", qPrintable(text));
    });
    QObject::connect(&recorder, &AVRecorder::soundBack, &app, [] {
        std::fprintf(stderr, "brindlecast-record: the sound server is back\n");
    });
    auto stop = [&] { recorder.stop(bc_ret(), args.isSet(QStringLiteral("save-on-stop")) ? command() : nullptr); };

    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &app, stop);
    const bc_ret started = recorder.start();
    if (started.failed()) {
        recorder.abort();
        return fail(started.messages(QStringLiteral(": ")));
    }
    // Counted from here: connecting to the sound server in start() can take a while,
    // and a save "at 1 s" must hold the first second of the recording.
    for (const QString &at : args.values(QStringLiteral("save-at"))) {
        QTimer::singleShot(int(at.toDouble() * 1000), Qt::PreciseTimer, &app, [&] {
            const bc_ret ret = recorder.save(command());
            if (ret.failed())
                exitCode = fail(ret.messages(QStringLiteral(": ")));
        });
    }
    if (args.isSet(QStringLiteral("duration")))
        QTimer::singleShot(int(args.value(QStringLiteral("duration")).toDouble() * 1000), Qt::PreciseTimer, &app, stop);
    const int result = app.exec();
    worker.stop();
    queue.shutdown();
    return result;
}
