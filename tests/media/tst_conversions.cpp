// Every pixel conversion over odd and small sizes: the recorder's encoder (BGRX to
// YUV), the decoder (YUV to RGB) and the thumbnail made from a saved file. swscale's
// vector code reads and writes past the end of rows, so a destination without the
// padding it needs is overwritten past its end at some widths only; this program
// also runs under valgrind (see CMakeLists), which sees writes made by FFmpeg's assembly.
#include "capture/WindowImageShooter.h"
#include "media/FrameDecoder.h"
#include "media/MediaOperations.h"
#include "media/FrameEncoder.h"
#include "tests/support/MediaInputs.h"

#include <QTemporaryDir>
#include <QtTest>

class TestConversions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();

private:
    QTemporaryDir m_dir;
};

void TestConversions::initTestCase()
{
    QVERIFY(m_dir.isValid());
    initMediaLibraries();
}

void TestConversions::roundTrip_data()
{
    QTest::addColumn<QSize>("size");
    for (const QSize size : {QSize(1, 1), QSize(3, 2), QSize(423, 301), QSize(634, 478), QSize(1921, 1081)})
        QTest::addRow("%dx%d", size.width(), size.height()) << size;
}

void TestConversions::roundTrip()
{
    QFETCH(QSize, size);
    const QString file = m_dir.filePath(QStringLiteral("%1x%2.avi").arg(size.width()).arg(size.height()));
    // Three pictures: left and right halves in different colours, so that a conversion
    // that shifts or scrambles rows shows.
    auto format = std::make_shared<VideoFormat>(VideoFormat{size.width(), size.height(), 10, 100});
    FrameEncoder encoder(file, format);
    QVERIFY(encoder.open().ok());
    // Made as the recorder's shooter makes its frames.
    QImage frame = newFrameImage(size);
    bc_ret errors;
    const QList<QRgb> colours{qRgb(200, 40, 40), qRgb(40, 200, 40), qRgb(40, 40, 200)};
    for (int i = 0; i < colours.size(); ++i) {
        frame.fill(colours.at(i));
        encoder.encode(frame.constBits(), i, errors);
    }
    QVERIFY2(errors.ok(), qPrintable(errors.details(QStringLiteral(": "))));
    QCOMPARE(encoder.close(), 300);

    FrameDecoder decoder;
    QVERIFY(decoder.open(file).ok());
    for (int i = 0; i < colours.size(); ++i) {
        QImage picture;
        QVERIFY(decoder.decodeAt(i * 100 + 50, QSize(), picture).ok());
        QVERIFY(!picture.isNull());
        // The encoder stretches a picture smaller than 2 x 2 to that.
        QCOMPARE(picture.width(), qMax(2, size.width()));
        // Chroma of the smallest pictures is shared with the border: a looser match.
        const QRgb centre = picture.pixel(picture.width() / 2, picture.height() / 2);
        QVERIFY2(closeTo(centre, colours.at(i), size.width() < 8 ? 40 : 16),
                 qPrintable(QStringLiteral("frame %1: %2 instead of %3").arg(i).arg(centre, 0, 16).arg(colours.at(i), 0, 16)));
    }

    // The thumbnail of a saved recording, as the Recorded list makes it.
    bc_ret grabbed;
    const QPixmap thumbnail = grabFrame(file, 0, QSize(96, 72), grabbed);
    QVERIFY2(grabbed.ok(), qPrintable(grabbed.details(QStringLiteral(": "))));
    QVERIFY(!thumbnail.isNull());
    QVERIFY(thumbnail.width() <= 96 && thumbnail.height() <= 72);
}

QTEST_MAIN(TestConversions)
#include "tst_conversions.moc"
