#include "library/User.h"
#include "media/FrameDecoder.h"
#include "tests/support/MediaInputs.h"

#include <QTemporaryDir>
#include <QTest>

class TestDecoding : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void durations();
    void picturesAtTimes();
    void videoInfoWithThumbnail();

private:
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestDecoding::initTestCase()
{
    QVERIFY(makeVideo(file(QStringLiteral("six_v.avi")), 60));
    QVERIFY(makeAudio(file(QStringLiteral("one_a.avi")), 1000));
}

void TestDecoding::durations()
{
    bc_ret result;
    QCOMPARE(probeDuration(file(QStringLiteral("six_v.avi")), result), 6000);
    QVERIFY(result.ok());
    const QString missing = file(QStringLiteral("missing.avi"));
    QCOMPARE(probeDuration(missing, result), -1);
    QCOMPARE(result.messages(QString()), QStringLiteral("Error open '%1'").arg(missing));
}

void TestDecoding::picturesAtTimes()
{
    FrameDecoder decoder;
    QVERIFY(decoder.open(file(QStringLiteral("six_v.avi"))).ok());
    QImage image;
    QVERIFY(decoder.decodeAt(0, QSize(), image).ok());
    QCOMPARE(image.size(), QSize(160, 120));
    QVERIFY(closeTo(image.pixel(80, 60), frameColour(0)));
    QVERIFY(decoder.decodeAt(2500, QSize(80, 40), image).ok());
    QCOMPARE(image.size(), QSize(53, 40));
    QVERIFY(closeTo(image.pixel(26, 20), frameColour(25)));
    // Going back works as well as going forward.
    QVERIFY(decoder.decodeAt(1000, QSize(), image).ok());
    QVERIFY(closeTo(image.pixel(80, 60), frameColour(10)));
    QCOMPARE(decoder.decodeAt(9000, QSize(), image).messages(QString()), QStringLiteral("Error reading frame"));

    bc_ret result;
    QVERIFY(grabFrame(file(QStringLiteral("one_a.avi")), 0, QSize(), result).isNull());
    QCOMPARE(result.messages(QString()), QStringLiteral("Video stream not found"));
}

void TestDecoding::videoInfoWithThumbnail()
{
    const QString dir = file(QStringLiteral("user"));
    QVERIFY(ensureDirectories(dir).ok());
    User user(std::make_shared<UserInfo>(), dir);
    QVERIFY(!createVideoInfo(file(QStringLiteral("missing.avi")), QSize(80, 60)));

    const VideoInfoSptr info = createVideoInfo(file(QStringLiteral("six_v.avi")), QSize(80, 60));
    QVERIFY(info);
    QCOMPARE(info->duration, 6000);
    QCOMPARE(info->fileSize, QFileInfo(file(QStringLiteral("six_v.avi"))).size());
    QCOMPARE(info->thumbnail.size(), QSize(80, 60));
    QCOMPARE(QFileInfo(info->thumbnailFile).absolutePath(), user.paths().thumbnail.absolutePath());
    const QImage saved(info->thumbnailFile, "PNG");
    QCOMPARE(saved.size(), QSize(80, 60));
    QVERIFY(closeTo(saved.pixel(40, 30), frameColour(0)));
}

QTEST_MAIN(TestDecoding)
#include "tst_decoding.moc"
