#include "media/FrameDecoder.h"
#include "media/SegmentManifest.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the command-line recorder against the display and sound server that
// scripts/test provides.
class TestRecordTool : public QObject
{
    Q_OBJECT
private slots:
    void savesWhileRecordingAndOnStop();
    void refusesWhatCannotBeRecorded();
    void fullDiskStopsTheRecording();
    void killedRecordingIsRecovered();

private:
    // Runs the recovery of dir (limited to files of limitKiB when > 0); its output lines.
    QStringList recover(const QString &dir, int limitKiB, int &exitCode, QString &errors);
};

namespace {

// The manifest a running recording keeps in its tmp directory.
bool readManifest(const QString &tmp, SegmentManifest &manifest)
{
    const QStringList found = SegmentManifest::findIn(tmp);
    return found.size() == 1 && SegmentManifest::read(found.first(), manifest).ok();
}

} // namespace

void TestRecordTool::savesWhileRecordingAndOnStop()
{
    QTemporaryDir out;
    QProcess tool;
    tool.start(QStringLiteral(RECORD_TOOL), {QStringLiteral("--region"), QStringLiteral("0,0,64,48"), QStringLiteral("--keep"),
                                             QStringLiteral("2"), QStringLiteral("--duration"), QStringLiteral("3"),
                                             QStringLiteral("--save-at"), QStringLiteral("1"), QStringLiteral("--save-on-stop"),
                                             QStringLiteral("--out"), out.path()});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    const QStringList lines = QString::fromLocal8Bit(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QList<qint64> durations;
    for (const QString &line : lines) {
        QVERIFY(line.startsWith(QStringLiteral("saved ")));
        bc_ret result;
        durations.append(probeDuration(line.mid(6), result));
        QVERIFY(result.ok());
    }
    // Saved at 1 s into the recording: all of that second, less at most the frame
    // being written (later, not earlier, on a busy machine).
    QVERIFY2(durations.at(0) >= 900 && durations.at(0) <= 1400, qPrintable(QString::number(durations.at(0))));
    // At the stop, 3 s into it: exactly the two seconds kept.
    QVERIFY2(qAbs(durations.at(1) - 2000) <= 150, qPrintable(QString::number(durations.at(1))));
    QCOMPARE(QDir(out.filePath(QStringLiteral("tmp"))).entryList(QDir::Files), QStringList());
}

void TestRecordTool::refusesWhatCannotBeRecorded()
{
    QProcess tool;
    tool.start(QStringLiteral(RECORD_TOOL), {QStringLiteral("--window"), QStringLiteral("0x7ffffff0"),
                                             QStringLiteral("--duration"), QStringLiteral("1")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY(tool.readAllStandardError().contains("window 0x7ffffff0 cannot be recorded"));

    tool.start(QStringLiteral(RECORD_TOOL), {QStringLiteral("--duration"), QStringLiteral("1")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY(tool.readAllStandardError().contains("give exactly one of --window, --region and --monitor"));

    // Help and version answer without a display (a package's checks run without one).
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    noDisplay.remove(QStringLiteral("DISPLAY"));
    noDisplay.remove(QStringLiteral("WAYLAND_DISPLAY"));
    tool.setProcessEnvironment(noDisplay);
    tool.start(QStringLiteral(RECORD_TOOL), {QStringLiteral("--version")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput().trimmed(), QByteArray("brindlecast-record " BC_VERSION));
    tool.start(QStringLiteral(RECORD_TOOL), {QStringLiteral("--help")});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(tool.readAllStandardOutput().contains("--region"));
}

void TestRecordTool::fullDiskStopsTheRecording()
{
    // A table whose picture changes all the time, so frames are large.
    QProcess table;
    table.start(QStringLiteral(X_TEST_WINDOW), {QStringLiteral("busy table"), QStringLiteral("300"), QStringLiteral("300"),
                                                QStringLiteral("320"), QStringLiteral("240"), QStringLiteral("204060"),
                                                QStringLiteral("animate")});
    QVERIFY(table.waitForReadyRead(15000));
    QTemporaryDir out;
    // Files may not grow past 200 KiB, as on a disk that is full.
    QProcess tool;
    tool.start(QStringLiteral("/bin/bash"),
               {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 200; exec \"$0\" \"$@\""),
                QStringLiteral(RECORD_TOOL), QStringLiteral("--region"), QStringLiteral("300,300,320,240"),
                QStringLiteral("--duration"), QStringLiteral("20"), QStringLiteral("--save-on-stop"),
                QStringLiteral("--out"), out.path()});
    QVERIFY(tool.waitForFinished(30000));
    table.write("quit\n");
    table.waitForFinished(3000);
    const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
    // It stops long before its 20 s, with the reason, and saves nothing.
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY2(errors.contains(QStringLiteral("Error writing frame")), qPrintable(errors));
    QVERIFY(tool.readAllStandardOutput().isEmpty());
}

QStringList TestRecordTool::recover(const QString &dir, int limitKiB, int &exitCode, QString &errors)
{
    QProcess tool;
    const QString limit = limitKiB > 0 ? QStringLiteral("ulimit -f %1; ").arg(limitKiB) : QString();
    tool.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ") + limit + QStringLiteral("exec \"$0\" \"$@\""),
                                             QStringLiteral(RECORD_TOOL), QStringLiteral("--recover"), dir});
    exitCode = tool.waitForFinished(60000) ? tool.exitCode() : -1;
    errors = QString::fromLocal8Bit(tool.readAllStandardError());
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestRecordTool::killedRecordingIsRecovered()
{
    QProcess table;
    // Away from the windows whose pictures other tests keep.
    table.start(QStringLiteral(X_TEST_WINDOW), {QStringLiteral("busy table"), QStringLiteral("1700"), QStringLiteral("800"),
                                                QStringLiteral("160"), QStringLiteral("120"), QStringLiteral("206040"),
                                                QStringLiteral("animate")});
    QVERIFY(table.waitForReadyRead(15000));
    QTemporaryDir out;
    const QString tmp = out.filePath(QStringLiteral("tmp"));
    QProcess tool;
    tool.start(QStringLiteral(RECORD_TOOL), {QStringLiteral("--region"), QStringLiteral("1700,800,160,120"), QStringLiteral("--keep"),
                                             QStringLiteral("3"), QStringLiteral("--out"), out.path()});
    // In its second segment, with more than a second of it written.
    SegmentManifest manifest;
    QTRY_VERIFY_WITH_TIMEOUT(readManifest(tmp, manifest) && manifest.units.count() == 2 && manifest.lastUnfinished, 30000);
    const QString cutOff = manifest.units.units().last()->videoFile;
    qint64 before = 0;
    QTRY_VERIFY_WITH_TIMEOUT((before = readableLength(cutOff, MediaKind::Video)) >= 1000, 30000);
    tool.kill();
    QVERIFY(tool.waitForFinished(10000));
    table.write("quit\n");
    table.waitForFinished(3000);

    // What had been written before the kill is still readable: nothing was held back.
    QVERIFY(readableLength(cutOff, MediaKind::Video) >= before);
    QVERIFY(readManifest(tmp, manifest));

    // A save on a full disk fails, says so, and keeps everything for the next try.
    int exitCode = 0;
    QString errors;
    QStringList lines = recover(out.path(), 8, exitCode, errors);
    QCOMPARE(exitCode, 1);
    QVERIFY2(errors.contains(QStringLiteral("The recorded minutes are kept")), qPrintable(errors));
    QVERIFY(lines.isEmpty());
    QVERIFY(readManifest(tmp, manifest));
    for (const AVUnitSptr &unit : manifest.units.units())
        QVERIFY(QFileInfo::exists(unit->videoFile));

    // With room again: the last three seconds, the cut-off segment's end included.
    lines = recover(out.path(), 0, exitCode, errors);
    QCOMPARE(exitCode, 0);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.first().startsWith(QStringLiteral("saved ")));
    bc_ret result;
    const qint64 duration = probeDuration(lines.first().mid(6), result);
    QVERIFY(result.ok());
    QVERIFY2(qAbs(duration - 3000) <= 150, qPrintable(QString::number(duration)));
    QCOMPARE(QDir(tmp).entryList(QDir::Files), QStringList());
    // Nothing more to offer.
    lines = recover(out.path(), 0, exitCode, errors);
    QCOMPARE(exitCode, 0);
    QVERIFY(lines.isEmpty());
}

QTEST_GUILESS_MAIN(TestRecordTool)
#include "tst_recordtool.moc"
