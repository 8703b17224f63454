#include "tests/support/Screenshot.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QSet>

QImage keepScreenshot(const QString &name, quintptr window)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QImage();
    const QImage image = screen->grabWindow(WId(window)).toImage();
    const QString folder = QStringLiteral(BC_TEST_ARTEFACTS);
    if (!image.isNull() && QDir().mkpath(folder))
        image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
    return image;
}

int distinctColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return int(colours.size());
}
