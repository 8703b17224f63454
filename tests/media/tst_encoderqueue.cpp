// The encoding queue: the encoder's command line, its status lines, real encodes of
// a recording with the ffmpeg program, and the order and stopping of jobs (with a
// stand-in encoder that behaves as told).
#include "library/User.h"
#include "media/EncoderThread.h"
#include "media/FrameDecoder.h"
#include "media/MediaOperations.h"
#include "media/TaskQueue.h"
#include "tests/support/MediaInputs.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int kPatienceMs = 60000;

class Quiet : public AsyncTask
{
public:
    bc_ret run() override { return bc_ret(); }
};

// Stands in for ffmpeg: two status updates (the second cut in two by a pause),
// then by FAKE_ENCODER: "finish" writes the output and succeeds, "stubborn" never
// ends by itself, anything else waits for the "q" on its input and notes it.
const char *const kFakeEncoder = R"(#!/bin/sh
for a; do out="$a"; done
echo $$ > "$out.pid"
printf 'ffmpeg version stand-in\n'
printf 'frame=   10 fps=0.0 q=4.0 size=      10kB time=00:00:01.00 bitrate=  81.9kbits/s speed=2x    \r'
sleep 0.2
printf 'frame=   35 fps= 30 q=4.0 size=      30kB time=00:00:0'
sleep 0.2
printf '3.50 bitrate=  70.2kbits/s speed=2x    \r'
case "$FAKE_ENCODER" in
  finish) printf 'encoded' > "$out"; exit 0 ;;
  stubborn) exec sleep 60 ;;
  *) read -r answer; printf '%s' "$answer" > "$out.input"; printf 'partial' > "$out"; exit 255 ;;
esac
)";

EditedItemSptr editOf(const QString &video, qint64 startMs, qint64 endMs, int volume)
{
    auto source = std::make_shared<RecordedItem>();
    source->info = std::make_shared<VideoInfo>();
    source->info->fileName = video;
    auto edit = std::make_shared<EditedItem>();
    edit->source = source;
    edit->startMs = startMs;
    edit->endMs = endMs;
    edit->volume = volume;
    edit->params = std::make_shared<UploadParams>(UploadParams{QStringLiteral("Aces"), 12});
    return edit;
}

// What ffprobe says of a file: its duration in seconds and its streams' kinds.
QPair<double, QStringList> probe(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                              QStringLiteral("format=duration:stream=codec_type"), QStringLiteral("-of"),
                                              QStringLiteral("default=noprint_wrappers=1:nokey=1"), path});
    if (!ffprobe.waitForFinished(kPatienceMs) || ffprobe.exitCode() != 0)
        return {-1, {}};
    QStringList lines = QString::fromUtf8(ffprobe.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const double duration = lines.isEmpty() ? -1 : lines.takeLast().toDouble();
    return {duration, lines};
}

// What the queue and its jobs said, in the order they said it.
struct Journal
{
    QStringList events;
    QMap<int, QList<int>> progress;
    QList<EncodedItemSptr> items;
    QList<EncoderThreadSptr> jobs;

    explicit Journal(EncoderThreadQueue &queue)
    {
        QObject::connect(&queue, &EncoderThreadQueue::createDisplayHandler, &queue,
                         [this](const EncoderThreadSptr &job, bool) { watch(job); });
    }
    void watch(const EncoderThreadSptr &job)
    {
        const int n = int(jobs.size()) + 1;
        jobs.append(job);
        QObject::connect(job.get(), &EncoderThread::encodeStarted, job.get(),
                         [this, n] { events.append(QStringLiteral("start %1").arg(n)); });
        QObject::connect(job.get(), &EncoderThread::encodeProgress, job.get(), [this, n](int p) { progress[n].append(p); });
        QObject::connect(job.get(), &EncoderThread::encodeFinished, job.get(),
                         [this, n](const EncodedItemSptr &item, const QString &msg) {
                             items.append(item);
                             events.append(QStringLiteral("end %1 %2").arg(n).arg(item ? QStringLiteral("ok") : msg));
                         });
    }
    int finished() const { return int(items.size()); }
};

} // namespace

class TestEncoderQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void statusLines_data();
    void statusLines();
    void recordingEncoded();
    void jobsOneAfterAnother();
    void stopEndsTheRunningJob();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<User> m_user;
    QString m_recording;
    QString m_fake;
};

void TestEncoderQueue::initTestCase()
{
    const QString home = m_dir.filePath(QStringLiteral("user"));
    QVERIFY(ensureDirectories(home).ok());
    m_user = std::make_unique<User>(std::make_shared<UserInfo>(), home);
    // A recording as the program saves it: 10 s of picture and sound in one AVI, the
    // picture still for its first half (frames 1 to 49 left empty).
    const QString video = m_dir.filePath(QStringLiteral("v.avi"));
    const QString audio = m_dir.filePath(QStringLiteral("a.avi"));
    m_recording = m_dir.filePath(QStringLiteral("recording.avi"));
    QList<int> still;
    for (int i = 1; i < 50; ++i)
        still.append(i);
    QVERIFY(makeVideo(video, 100, 160, 120, still) && makeAudio(audio, 10000));
    Quiet listener;
    QVERIFY(MediaMuxer(&listener).mux(video, audio, m_recording).ok());
    m_fake = m_dir.filePath(QStringLiteral("fake-ffmpeg"));
    QVERIFY(writeAll(m_fake, kFakeEncoder));
    QVERIFY(QFile::setPermissions(m_fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(!findEncoderProgram().isEmpty());
}

void TestEncoderQueue::commandLine_data()
{
    QTest::addColumn<int>("volume");
    QTest::addColumn<QString>("audio");
    QTest::newRow("full") << 100 << "-vol 256";
    QTest::newRow("half") << 50 << "-vol 128";
    QTest::newRow("silent") << 0 << "-an";
}

void TestEncoderQueue::commandLine()
{
    QFETCH(int, volume);
    QFETCH(QString, audio);
    const EditedItemSptr edit = editOf(QStringLiteral("/home/u/rec orded.avi"), 30000, 90000, volume);
    QCOMPARE(EncoderThread::commandLine(*edit, QStringLiteral("/home/u/out.flv")),
             QStringLiteral("ffmpeg -i \"/home/u/rec orded.avi\" -ss 30 -t 60 -g 200 -qscale 4 -vf fps=source_fps %1 -f flv -y \"/home/u/out.flv\"")
                     .arg(audio));
    // Fractions of a second in the shortest form.
    edit->startMs = 12500;
    edit->endMs = 13750;
    QVERIFY(EncoderThread::commandLine(*edit, QString()).contains(QLatin1String(" -ss 12.5 -t 1.25 ")));
}

void TestEncoderQueue::statusLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("seconds"); // -1: not a status line
    QTest::newRow("today") << "frame=  599 fps=0.0 q=4.0 size=     512kB time=00:00:59.90 bitrate=  70.0kbits/s speed=60x"
                           << 59;
    QTest::newRow("hours") << "frame=37230 fps=200 q=4.0 size=   99512kB time=01:02:03.04 bitrate= 70.0kbits/s" << 3723;
    QTest::newRow("old builds") << "frame=  599 fps=  0 q=4.0 size=     512kB time=59.9 bitrate=  70.0kbits/s" << 59;
    QTest::newRow("not yet") << "frame=    0 fps=0.0 q=0.0 size=       0kB time=N/A bitrate=N/A speed=N/A" << -1;
    QTest::newRow("before start") << "frame=    1 fps=0.0 q=4.0 size=0kB time=-00:00:00.02 bitrate=N/A" << -1;
    QTest::newRow("message") << "Input #0, avi, from 'recording.avi':" << -1;
}

void TestEncoderQueue::statusLines()
{
    QFETCH(QString, line);
    QFETCH(int, seconds);
    const std::optional<quint64> read = EncoderThread::progressSeconds(line);
    QCOMPARE(read ? int(*read) : -1, seconds);
}

void TestEncoderQueue::recordingEncoded()
{
    for (const int volume : {50, 0}) {
        EncoderThreadQueue queue;
        Journal journal(queue);
        const EditedItemSptr edit = editOf(m_recording, 2000, 7000, volume);
        queue.enqueue(edit, true);
        QTRY_COMPARE_WITH_TIMEOUT(journal.finished(), 1, kPatienceMs);
        const EncodedItemSptr item = journal.items.first();
        QVERIFY2(item, qPrintable(journal.events.join(QLatin1Char(','))));
        QCOMPARE(item->params, edit->params);
        QCOMPARE(QFileInfo(item->fileName).absolutePath(), m_user->paths().edited.absolutePath());
        QVERIFY(item->fileName.endsWith(QLatin1String(".flv")));
        auto [duration, streams] = probe(item->fileName);
        streams.sort();
        QVERIFY2(qAbs(duration - 5.0) <= 0.2, qPrintable(QString::number(duration)));
        // From 2 s, still until 5 s: the still picture first, then the moving ones in place.
        FrameDecoder decoder;
        QVERIFY(decoder.open(item->fileName).ok());
        QImage picture;
        QVERIFY(decoder.decodeAt(1500, QSize(), picture).ok());
        QVERIFY(closeTo(picture.pixel(80, 60), frameColour(0), 24));
        QVERIFY(decoder.decodeAt(3500, QSize(), picture).ok());
        QVERIFY2(closeTo(picture.pixel(80, 60), frameColour(55), 24), qPrintable(QString::number(picture.pixel(80, 60), 16)));
        QCOMPARE(streams, volume ? QStringList({QStringLiteral("audio"), QStringLiteral("video")})
                                 : QStringList({QStringLiteral("video")}));
        // Whatever the encoder had time to report lies inside the job and only grows.
        const QList<int> steps = journal.progress.value(1);
        QVERIFY(std::is_sorted(steps.cbegin(), steps.cend()));
        QVERIFY(std::all_of(steps.cbegin(), steps.cend(), [](int p) { return p > 0 && p < 100; }));
    }
}

void TestEncoderQueue::jobsOneAfterAnother()
{
    qputenv("FAKE_ENCODER", "finish");
    EncoderThreadQueue queue;
    Journal journal(queue);
    // The first cannot even start: the others still run, one after the other.
    queue.setProgram(m_dir.filePath(QStringLiteral("no-such-ffmpeg")));
    queue.enqueue(editOf(m_recording, 0, 5000, 100), false);
    queue.setProgram(m_fake);
    queue.enqueue(editOf(m_recording, 0, 5000, 100), false);
    queue.enqueue(editOf(m_recording, 0, 5000, 100), false);
    QTRY_COMPARE_WITH_TIMEOUT(journal.finished(), 3, kPatienceMs);
    QCOMPARE(journal.events, QStringList({QStringLiteral("start 1"), QStringLiteral("end 1 Can not start encoding process"),
                                          QStringLiteral("start 2"), QStringLiteral("end 2 ok"), QStringLiteral("start 3"),
                                          QStringLiteral("end 3 ok")}));
    // 1 s and 3.5 s of a 5-second job, the second update arriving in two pieces.
    QCOMPARE(journal.progress.value(2), QList<int>({20, 60}));
    QCOMPARE(readAll(journal.items.at(1)->fileName), QByteArray("encoded"));
    QTRY_COMPARE(queue.count(), 0);
}

void TestEncoderQueue::stopEndsTheRunningJob()
{
    for (const QByteArray &mode : {QByteArray("polite"), QByteArray("stubborn")}) {
        qputenv("FAKE_ENCODER", mode);
        EncoderThreadQueue queue;
        queue.setProgram(m_fake);
        Journal journal(queue);
        for (int i = 0; i < 3; ++i)
            queue.enqueue(editOf(m_recording, 0, 5000, 100), false);
        // The encoder has said all it says and waits.
        QTRY_COMPARE_WITH_TIMEOUT(journal.progress.value(1).size(), 2, kPatienceMs);
        const QString output = journal.jobs.first()->outputFile();
        const qint64 pid = readAll(output + QStringLiteral(".pid")).trimmed().toLongLong();
        QVERIFY(pid > 0);

        queue.stop();
        QCOMPARE(queue.count(), 0);
        QVERIFY(journal.jobs.first()->isFinished());
        QVERIFY2(::kill(pid_t(pid), 0) != 0, mode.constData());
        if (mode == "polite")
            QCOMPARE(readAll(output + QStringLiteral(".input")), QByteArray("q"));
        // Its half-made file is gone; the waiting jobs never ran, and nothing more is taken.
        QTRY_COMPARE(journal.finished(), 1);
        QVERIFY(!journal.items.first());
        QVERIFY(!QFile::exists(output));
        queue.enqueue(editOf(m_recording, 0, 5000, 100), false);
        QCoreApplication::processEvents();
        QCOMPARE(journal.jobs.size(), 3);
        QCOMPARE(journal.events.filter(QStringLiteral("start")).size(), 1);
    }
}

QTEST_GUILESS_MAIN(TestEncoderQueue)
#include "tst_encoderqueue.moc"
