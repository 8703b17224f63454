#include "platform/wayland/StreamPicture.h"

#include <QTest>

#include <vector>

// Pictures of a shared screen copied into frames: place, crop, scale and byte order.
class TestStreamPicture : public QObject
{
    Q_OBJECT
private slots:
    void copiesThePartOnTheSharedScreen_data();
    void copiesThePartOnTheSharedScreen();
    void redAndBlueAreSwappedForRgbLayouts();
};

namespace {

constexpr quint32 kUntouched = 0xdeadbeef;

// A picture whose every pixel says where it is: x in blue, y in green, 0x40 in red.
struct Picture
{
    std::vector<quint32> pixels;
    StreamPicture picture;

    Picture(int width, int height, int padding = 3)
        : pixels(size_t(width + padding) * size_t(height))
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels[size_t(y * (width + padding) + x)] = 0x400000u | quint32(y & 0xff) << 8 | quint32(x & 0xff);
        }
        picture = StreamPicture{reinterpret_cast<const uchar *>(pixels.data()), width, height, (width + padding) * 4,
                                StreamFormat::BGRx, QRect()};
    }
};

quint32 at(int x, int y)
{
    return 0x400000u | quint32(y & 0xff) << 8 | quint32(x & 0xff);
}

} // namespace

void TestStreamPicture::copiesThePartOnTheSharedScreen_data()
{
    QTest::addColumn<QRect>("crop");    // of the 200 x 100 picture
    QTest::addColumn<QRect>("screen");  // where the shared monitor lies
    QTest::addColumn<QRect>("rect");    // what is copied, to the frame's origin
    QTest::addColumn<QPoint>("sample"); // a frame pixel...
    QTest::addColumn<QPoint>("from");   // ...and the picture pixel it must show, or -1,-1: untouched

    const QRect whole(0, 0, 200, 100);
    QTest::newRow("inside") << QRect() << QRect(1920, 0, 200, 100) << QRect(1950, 10, 40, 30) << QPoint(5, 7) << QPoint(35, 17);
    QTest::newRow("left of the monitor stays untouched")
            << QRect() << QRect(1920, 0, 200, 100) << QRect(1900, 10, 40, 30) << QPoint(5, 7) << QPoint(-1, -1);
    QTest::newRow("straddling, the monitor's part")
            << QRect() << QRect(1920, 0, 200, 100) << QRect(1900, 10, 40, 30) << QPoint(25, 7) << QPoint(5, 17);
    QTest::newRow("below the monitor") << QRect() << whole << QRect(10, 95, 20, 20) << QPoint(3, 8) << QPoint(-1, -1);
    QTest::newRow("cropped") << QRect(20, 10, 100, 50) << QRect(0, 0, 100, 50) << QRect(0, 0, 40, 30) << QPoint(4, 6)
                             << QPoint(24, 16);
    QTest::newRow("twice the scale") << QRect() << QRect(0, 0, 100, 50) << QRect(10, 5, 40, 30) << QPoint(3, 4)
                                     << QPoint(26, 18);
    QTest::newRow("past the frame's edge") << QRect() << whole << QRect(0, 0, 150, 90) << QPoint(119, 79) << QPoint(119, 79);
}

void TestStreamPicture::copiesThePartOnTheSharedScreen()
{
    QFETCH(QRect, crop);
    QFETCH(QRect, screen);
    QFETCH(QRect, rect);
    QFETCH(QPoint, sample);
    QFETCH(QPoint, from);
    Picture source(200, 100);
    source.picture.crop = crop;
    // A frame smaller than some copies: they are cut at its edges.
    std::vector<quint32> frame(120 * 80, kUntouched);
    FrameBuffer dest{reinterpret_cast<uchar *>(frame.data()), 120, 80, 120 * 4};
    copyStreamRect(source.picture, screen, rect, dest, QPoint(0, 0));
    const quint32 expected = from.x() < 0 ? kUntouched : at(from.x(), from.y());
    QCOMPARE(QString::number(frame[size_t(sample.y() * 120 + sample.x())], 16), QString::number(expected, 16));
}

void TestStreamPicture::redAndBlueAreSwappedForRgbLayouts()
{
    Picture source(16, 8);
    std::vector<quint32> frame(16 * 8, kUntouched);
    FrameBuffer dest{reinterpret_cast<uchar *>(frame.data()), 16, 8, 16 * 4};
    for (StreamFormat format : {StreamFormat::RGBx, StreamFormat::RGBA}) {
        source.picture.format = format;
        copyStreamRect(source.picture, QRect(0, 0, 16, 8), QRect(0, 0, 16, 8), dest, QPoint(0, 0));
        // Blue held x: it is read as red now; red's 0x40 as blue; green stays.
        QCOMPARE(QString::number(frame[3 * 16 + 5], 16), QString::number(0x050340u, 16));
    }
    source.picture.format = StreamFormat::BGRA;
    copyStreamRect(source.picture, QRect(0, 0, 16, 8), QRect(0, 0, 16, 8), dest, QPoint(0, 0));
    QCOMPARE(frame[3 * 16 + 5], at(5, 3));
}

QTEST_GUILESS_MAIN(TestStreamPicture)
#include "tst_streampicture.moc"
