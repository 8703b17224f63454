#include "media/FrameEncoder.h"
#include "tests/support/MediaProbe.h"

#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

VideoFormatSptr format(int width, int height)
{
    return std::make_shared<VideoFormat>(VideoFormat{width, height, 10, 100});
}

bool near(QRgb a, QRgb b, int tolerance = 12)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class TestEncoder : public QObject
{
    Q_OBJECT
private slots:
    void framesKeepTheirNumbers();
    void oddHeightLosesLastRow();
    void nothingWrittenWithoutAFile();
    void writeErrorsAreReported();

private:
    QTemporaryDir m_dir;
};

void TestEncoder::framesKeepTheirNumbers()
{
    // A non-ASCII path reaches FFmpeg intact.
    const QString path = m_dir.filePath(QStringLiteral("séance_v.avi"));
    FrameEncoder encoder(path, format(320, 240));
    QVERIFY(encoder.open().ok());
    const QList<QRgb> colours{qRgb(200, 30, 30), qRgb(30, 200, 30), qRgb(30, 30, 200), qRgb(220, 220, 40)};
    const QList<qint64> numbers{0, 1, 2, 5};
    QImage frame(320, 240, QImage::Format_RGB32);
    bc_ret errors;
    for (int i = 0; i < numbers.size(); ++i) {
        frame.fill(colours.at(i));
        encoder.encode(frame.constBits(), numbers.at(i), errors);
    }
    QVERIFY(errors.ok());
    QCOMPARE(encoder.close(), 600);
    QCOMPARE(encoder.close(), 0);

    const VideoProbe probe = probeVideo(path);
    QVERIFY(probe.ok);
    QCOMPARE(probe.container, QStringLiteral("avi"));
    QCOMPARE(probe.codec, QStringLiteral("msmpeg4v2"));
    QCOMPARE(QSize(probe.width, probe.height), QSize(320, 240));
    QCOMPARE(probe.pts, numbers);
    QCOMPARE(probe.frames.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(probe.frames.at(i).pixel(160, 120), colours.at(i)),
                 qPrintable(QString::number(probe.frames.at(i).pixel(160, 120), 16)));
}

void TestEncoder::oddHeightLosesLastRow()
{
    const QString path = m_dir.filePath(QStringLiteral("odd_v.avi"));
    FrameEncoder encoder(path, format(641, 481));
    QVERIFY(encoder.open().ok());
    QCOMPARE(encoder.width(), 641);
    QCOMPARE(encoder.height(), 480);
    QImage frame(641, 481, QImage::Format_RGB32);
    frame.fill(qRgb(30, 30, 200));
    for (int x = 0; x < 641; ++x)
        frame.setPixel(x, 480, qRgb(255, 0, 0));
    bc_ret errors;
    encoder.encode(frame.constBits(), 0, errors);
    QVERIFY(errors.ok());
    QCOMPARE(encoder.close(), 100);

    const VideoProbe probe = probeVideo(path);
    QCOMPARE(QSize(probe.width, probe.height), QSize(641, 480));
    QCOMPARE(probe.frames.size(), 1);
    QVERIFY(near(probe.frames.first().pixel(320, 479), qRgb(30, 30, 200), 25));
}

void TestEncoder::nothingWrittenWithoutAFile()
{
    FrameEncoder never(m_dir.filePath(QStringLiteral("never_v.avi")), format(100, 100));
    QCOMPARE(never.close(), 0);
    QVERIFY(!QFile::exists(never.fileName()));

    const QString path = m_dir.filePath(QStringLiteral("no/such/dir/x_v.avi"));
    FrameEncoder encoder(path, format(100, 100));
    const bc_ret ret = encoder.open();
    QVERIFY(ret.failed());
    QCOMPARE(ret.entries().last().text, QStringLiteral("Error open '%1'").arg(path));
    QVERIFY(!encoder.isOpen());
    QCOMPARE(encoder.close(), 0);
}

void TestEncoder::writeErrorsAreReported()
{
    // Every write to /dev/full fails as on a full disk.
    FrameEncoder encoder(QStringLiteral("/dev/full"), format(640, 480));
    QVERIFY(encoder.open().ok());
    QImage frame(640, 480, QImage::Format_RGB32);
    bc_ret errors;
    // Noise does not compress, so the writes soon pass the output buffer.
    QRandomGenerator random(7);
    for (int i = 0; i < 50 && errors.ok(); ++i) {
        random.fillRange(reinterpret_cast<quint32 *>(frame.bits()), int(frame.sizeInBytes() / 4));
        encoder.encode(frame.constBits(), i, errors);
    }
    QVERIFY(errors.failed());
    QVERIFY(errors.messages(QString()).startsWith(QStringLiteral("Error av_write_frame (")));
    encoder.close();
}

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_encoder.moc"
