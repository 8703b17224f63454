#include "library/User.h"
#include "media/AVAssembler.h"
#include "media/FrameDecoder.h"
#include "media/SegmentManifest.h"
#include "tests/support/MediaInputs.h"
#include "tests/support/MediaProbe.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

#include "tests/support/TestFiles.h"

namespace {

AVUnitSptr unit(const QString &video, const QString &audio, int duration)
{
    return std::make_shared<AVUnit>(AVUnit{audio, video, duration});
}

} // namespace

class TestAssembler : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void expiredSegments();
    void oneSegmentIsMuxedInOneStage();
    void longRecordingIsCutToTheKeptDuration();
    void shortRecordingIsNotCut();
    void joinFailureIsReportedWithItsStage();
    void failedCutKeepsTheWholeRecording();
    void videoOnlyRecording();
    void queueRunsAndCleansAndShutsDown();
    void cutOffStillSegmentLastsAsLongAsItsSound();

private:
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // What an assembly leaves in the directory besides the inputs.
    QStringList leftovers() const;
    bc_ret assemble(const AVUnitList &units, const QString &output, int maxDuration, QList<int> *progress = nullptr,
                    int *stages = nullptr);

    QTemporaryDir m_dir;
    QStringList m_inputs;
};

void TestAssembler::initTestCase()
{
    QVERIFY(makeVideo(file(QStringLiteral("u1_v.avi")), 60));
    QVERIFY(makeAudio(file(QStringLiteral("u1_a.avi")), 6000));
    QVERIFY(makeVideo(file(QStringLiteral("u2_v.avi")), 65));
    QVERIFY(makeAudio(file(QStringLiteral("u2_a.avi")), 6500));
    QVERIFY(makeVideo(file(QStringLiteral("u3_v.avi")), 65));
    QVERIFY(makeAudio(file(QStringLiteral("u3_a.avi")), 6500));
    m_inputs = QDir(m_dir.path()).entryList(QDir::Files);
}

QStringList TestAssembler::leftovers() const
{
    QStringList files = QDir(m_dir.path()).entryList(QDir::Files);
    for (const QString &input : m_inputs)
        files.removeAll(input);
    return files;
}

bc_ret TestAssembler::assemble(const AVUnitList &units, const QString &output, int maxDuration, QList<int> *progress,
                               int *stages)
{
    AVAssembler assembler(units, std::make_shared<AssemblyCmd>(AssemblyCmd{output, maxDuration}));
    QSignalSpy finished(&assembler, &AVAssembler::buildFinished);
    QList<int> percents;
    connect(&assembler, &AVAssembler::buildProgress, this, [&percents](int p) { percents.append(p); });
    const bc_ret result = assembler.run();
    if (finished.size() != 1 || finished.first().at(1).toString() != output)
        return bc_ret(QStringLiteral("buildFinished not emitted once"));
    if (progress)
        *progress = percents;
    if (stages)
        *stages = assembler.stageCount();
    return result;
}

void TestAssembler::expiredSegments()
{
    AVUnitList list(8000);
    for (int i = 0; i < 3; ++i)
        list.append(unit(QString(), QString(), 5000));
    AVUnitList expired = list.takeExpired();
    QCOMPARE(expired.count(), 1);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.totalDuration(), 10000);

    // One segment always stays, however short the kept duration.
    AVUnitList single(0);
    single.append(unit(QString(), QString(), 1000));
    single.append(unit(QString(), QString(), 1000));
    QCOMPARE(single.takeExpired().count(), 1);
    QCOMPARE(single.count(), 1);
    QCOMPARE(single.takeExpired().count(), 0);

    const QString v = file(QStringLiteral("clean_v.avi")), a = file(QStringLiteral("clean_a.avi"));
    QVERIFY(makeAudio(a, 100));
    QVERIFY(makeVideo(v, 1));
    AVUnitList doomed;
    doomed.append(unit(v, a, 100));
    doomed.cleanFiles();
    QVERIFY(doomed.isEmpty());
    QVERIFY(!QFile::exists(v) && !QFile::exists(a));
}

void TestAssembler::oneSegmentIsMuxedInOneStage()
{
    AVUnitList units(60000);
    units.append(unit(file(QStringLiteral("u1_v.avi")), file(QStringLiteral("u1_a.avi")), 6000));
    const QString out = file(QStringLiteral("one.avi"));
    QList<int> progress;
    int stages = 0;
    QVERIFY(assemble(units, out, 60000, &progress, &stages).ok());
    QCOMPARE(stages, 1);
    QVERIFY(!progress.isEmpty());
    // Each percentage once (not a signal per packet), rising.
    QVERIFY(std::adjacent_find(progress.cbegin(), progress.cend(), std::greater_equal<int>()) == progress.cend());
    QVERIFY(progress.first() >= 0 && progress.last() <= 100 && progress.last() >= 90);
    QCOMPARE(probeVideo(out, 0).pts.size(), 60);
    QCOMPARE(probeAudio(out).samples.size(), 6 * 44100);
    QFile::remove(out);
    QCOMPARE(leftovers(), QStringList());
}

void TestAssembler::longRecordingIsCutToTheKeptDuration()
{
    AVUnitList units(12000);
    for (int i = 1; i <= 3; ++i)
        units.append(unit(file(QStringLiteral("u%1_v.avi").arg(i)), file(QStringLiteral("u%1_a.avi").arg(i)), i == 1 ? 6000 : 6500));
    QCOMPARE(units.totalDuration(), 19000);
    const QString out = file(QStringLiteral("kept.avi"));
    // Temporary files go beside the output, whoever is logged in while the work runs.
    const User elsewhere(std::make_shared<UserInfo>(), m_dir.filePath(QStringLiteral("no/such/user")));
    QList<int> progress;
    int stages = 0;
    const bc_ret result = assemble(units, out, 12000, &progress, &stages);
    QVERIFY2(result.ok(), qPrintable(result.details(QStringLiteral(": "))));
    QCOMPARE(stages, 5);
    // Each percentage once (not a signal per packet), rising.
    QVERIFY(std::adjacent_find(progress.cbegin(), progress.cend(), std::greater_equal<int>()) == progress.cend());
    QVERIFY(progress.last() >= 90);

    const VideoProbe video = probeVideo(out, 200);
    QVERIFY2(qAbs(video.pts.size() - 120) <= 1, qPrintable(QString::number(video.pts.size())));
    // The last frame kept is the last one recorded.
    QVERIFY(closeTo(video.frames.last().pixel(80, 60), frameColour(64)));
    const qsizetype sound = probeAudio(out).samples.size();
    QVERIFY2(qAbs(sound - 12 * 44100) <= 4096, qPrintable(QString::number(sound)));
    QFile::remove(out);
    QCOMPARE(leftovers(), QStringList());
}

void TestAssembler::shortRecordingIsNotCut()
{
    AVUnitList units(12000);
    units.append(unit(file(QStringLiteral("u1_v.avi")), file(QStringLiteral("u1_a.avi")), 6000));
    units.append(unit(file(QStringLiteral("u1_v.avi")), file(QStringLiteral("u1_a.avi")), 6000));
    const QString out = file(QStringLiteral("short.avi"));
    int stages = 0;
    QVERIFY(assemble(units, out, 20000, nullptr, &stages).ok());
    QCOMPARE(stages, 3);
    QCOMPARE(probeVideo(out, 0).pts.size(), 120);
    QFile::remove(out);
    QCOMPARE(leftovers(), QStringList());
}

void TestAssembler::joinFailureIsReportedWithItsStage()
{
    const QString missing = file(QStringLiteral("gone_v.avi"));
    AVUnitList units(12000);
    units.append(unit(file(QStringLiteral("u1_v.avi")), file(QStringLiteral("u1_a.avi")), 6000));
    units.append(unit(missing, file(QStringLiteral("u2_a.avi")), 4000));
    const QString out = file(QStringLiteral("failed.avi"));
    const bc_ret result = assemble(units, out, 12000);
    QCOMPARE(result.messages(QStringLiteral("|")),
             QStringLiteral("The recorded minutes are kept: the save will be offered again at the next start.|"
                            "Error assembling at stage(1/3)|Error audio-video assembling|Error opening '%1'")
                     .arg(missing));
    QVERIFY(!QFile::exists(out));
    // The segments are described beside them for the next try, and no cleaner deletes them.
    const QString described = file(QStringLiteral("failed") + QLatin1String(kSegmentsDescriptionSuffix));
    SegmentManifest manifest;
    QVERIFY(SegmentManifest::read(described, manifest).ok());
    QCOMPARE(manifest.outputFile, out);
    QCOMPARE(manifest.units.count(), 2);
    QCOMPARE(manifest.units.units().first()->videoFile, file(QStringLiteral("u1_v.avi")));
    QCOMPARE(manifest.units.keptDuration(), 12000);
    AVCleaner cleaner(units);
    QVERIFY(cleaner.run().ok());
    QVERIFY(QFile::exists(file(QStringLiteral("u1_v.avi"))));
    QVERIFY(QFile::remove(described));
    for (const AVUnitSptr &each : units.units())
        each->retained = false;
    QCOMPARE(leftovers(), QStringList());
}

void TestAssembler::failedCutKeepsTheWholeRecording()
{
    // The same pictures declared as MS-MPEG4 v1, which FFmpeg decodes but cannot
    // encode: the first frame of a cut cannot be made.
    QStringList videos;
    for (int i = 1; i <= 2; ++i) {
        QByteArray bytes = readAll(file(QStringLiteral("u%1_v.avi").arg(i)));
        QVERIFY(bytes.contains("MP42"));
        const QString patched = file(QStringLiteral("v1_%1_v.avi").arg(i));
        QVERIFY(writeAll(patched, bytes.replace("MP42", "MPG4")));
        videos.append(patched);
    }
    m_inputs = QDir(m_dir.path()).entryList(QDir::Files);
    AVUnitList units(8000);
    units.append(unit(videos.at(0), file(QStringLiteral("u1_a.avi")), 6000));
    units.append(unit(videos.at(1), file(QStringLiteral("u2_a.avi")), 6500));
    const QString out = file(QStringLiteral("uncut.avi"));
    int stages = 0;
    const bc_ret result = assemble(units, out, 8000, nullptr, &stages);
    QVERIFY2(result.ok(), qPrintable(result.details(QStringLiteral(": "))));
    QCOMPARE(stages, 5);
    // Nothing was cut: all 12.5 s are there.
    QCOMPARE(probeVideo(out, 0).pts.size(), 125);
    QCOMPARE(probeAudio(out).samples.size(), qsizetype(12.5 * 44100));
    QFile::remove(out);
    QCOMPARE(leftovers(), QStringList());
}

void TestAssembler::videoOnlyRecording()
{
    AVUnitList units(12000, true);
    for (int i = 1; i <= 3; ++i)
        units.append(unit(file(QStringLiteral("u%1_v.avi").arg(i)), QString(), i == 1 ? 6000 : 6500));
    const QString out = file(QStringLiteral("silent.avi"));
    int stages = 0;
    QVERIFY(assemble(units, out, 12000, nullptr, &stages).ok());
    QCOMPARE(stages, 2);
    const VideoProbe video = probeVideo(out, 200);
    QVERIFY(qAbs(video.pts.size() - 120) <= 1);
    QVERIFY(!probeAudio(out).ok);
    QFile::remove(out);
    QCOMPARE(leftovers(), QStringList());
}

void TestAssembler::queueRunsAndCleansAndShutsDown()
{
    AVAssembleQueue queue;
    QCOMPARE(AVAssembleQueue::instance(), &queue);
    AVAssemblerSptr announced;
    connect(&queue, &AVAssembleQueue::createDisplayHandler, this, [&announced](const AVAssemblerSptr &a) { announced = a; });

    const QString out = file(QStringLiteral("queued.avi"));
    AVUnitList units(60000);
    units.append(unit(file(QStringLiteral("u1_v.avi")), file(QStringLiteral("u1_a.avi")), 6000));
    queue.assemble(units, std::make_shared<AssemblyCmd>(AssemblyCmd{out, 60000}));
    QVERIFY(announced);
    QSignalSpy finished(announced.get(), &AVAssembler::buildFinished);
    QVERIFY(finished.wait(10000));
    QVERIFY(finished.first().first().value<bc_ret>().ok());
    QVERIFY(QFile::exists(out));

    // Segments no longer needed are deleted on the queue, after what was queued before.
    const QString v = file(QStringLiteral("old_v.avi")), a = file(QStringLiteral("old_a.avi"));
    QVERIFY(makeVideo(v, 1) && makeAudio(a, 100));
    AVUnitList expired;
    expired.append(unit(v, a, 100));
    queue.clean(expired);
    QTRY_VERIFY(!QFile::exists(v) && !QFile::exists(a));

    // After shutdown nothing runs: a save keeps its segments, described for the next
    // start, and a later clean leaves them alone; segments only to be deleted go at once.
    queue.shutdown();
    QVERIFY(makeVideo(v, 1) && makeAudio(a, 100));
    AVUnitList late;
    late.append(unit(v, a, 100));
    announced.reset();
    const QString never = file(QStringLiteral("never.avi"));
    queue.assemble(late, std::make_shared<AssemblyCmd>(AssemblyCmd{never, 60000}));
    queue.clean(late);
    QVERIFY(QFile::exists(v) && QFile::exists(a));
    QVERIFY(!QFile::exists(never));
    const QString described = file(QStringLiteral("never") + QLatin1String(kSegmentsDescriptionSuffix));
    SegmentManifest manifest;
    QVERIFY(SegmentManifest::read(described, manifest).ok());
    QCOMPARE(manifest.outputFile, never);
    QCOMPARE(manifest.units.count(), 1);
    QCOMPARE(manifest.units.units().first()->videoFile, v);
    const QString gone = file(QStringLiteral("gone_v.avi"));
    QVERIFY(makeVideo(gone, 1));
    AVUnitList expiredLate;
    expiredLate.append(unit(gone, QString(), 100));
    queue.clean(expiredLate);
    QVERIFY(!QFile::exists(gone));
    QFile::remove(described);
    QFile::remove(v);
    QFile::remove(a);
    QFile::remove(out);
}

void TestAssembler::cutOffStillSegmentLastsAsLongAsItsSound()
{
    // A crash 5 s into a segment whose picture stopped changing at 1.5 s: on disk, the
    // picture up to its last flushed second and 5 s of sound.
    const QString video = file(QStringLiteral("crashed_v.avi"));
    const QString audio = file(QStringLiteral("crashed_a.avi"));
    {
        FrameEncoder encoder(file(QStringLiteral("writing_v.avi")), std::make_shared<VideoFormat>(VideoFormat{160, 120, 10, 100}));
        QVERIFY(encoder.open().ok());
        QImage image(160, 120, QImage::Format_RGB32);
        bc_ret errors;
        for (int i = 0; i < 15; ++i) {
            image.fill(frameColour(i));
            encoder.encode(image.constBits(), i, errors);
        }
        QVERIFY(errors.ok());
        // The file as a crash leaves it: as it is on disk while still being written.
        QVERIFY(QFile::copy(file(QStringLiteral("writing_v.avi")), video));
    }
    QVERIFY(makeAudio(audio, 5000));
    const qint64 flushed = readableLength(video, MediaKind::Video);
    QVERIFY2(flushed >= 500 && flushed < 5000, qPrintable(QString::number(flushed)));

    SegmentManifest manifest;
    manifest.units = AVUnitList(60000, false, {unit(video, audio, 0)});
    manifest.lastUnfinished = true;
    const AVUnitList units = manifest.recoverableUnits();
    QCOMPARE(units.count(), 1);
    QCOMPARE(units.units().first()->duration, 5000);
    bc_ret probed;
    QCOMPARE(probeDuration(video, probed), 5000);
    // The last picture written stands until the end, as the recording showed it.
    const VideoProbe probe = probeVideo(video, 64);
    QCOMPARE(probe.pts.last(), 49);
    QCOMPARE(probe.pts.size(), flushed / 100 + 1);
    QVERIFY(closeTo(probe.frames.last().pixel(80, 60), frameColour(int(flushed / 100) - 1)));
    for (const QString &name : {QStringLiteral("crashed_v.avi"), QStringLiteral("crashed_a.avi"), QStringLiteral("writing_v.avi")})
        QFile::remove(file(name));
}

QTEST_GUILESS_MAIN(TestAssembler)
#include "tst_assembler.moc"
