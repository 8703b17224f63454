#include "platform/ScreenPixels.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {

const QScreen *screenOfLogical(const QPoint &logical)
{
    if (const QScreen *screen = QGuiApplication::screenAt(logical))
        return screen;
    return QGuiApplication::primaryScreen();
}

const QScreen *screenOfNative(const QPoint &native)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (desktop::nativeGeometry(screen).contains(native))
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

QPoint scaled(const QPoint &point, const QPoint &origin, qreal factor)
{
    const QPointF offset = QPointF(point - origin) * factor;
    return origin + QPoint(int(std::lround(offset.x())), int(std::lround(offset.y())));
}

QSize scaled(const QSize &size, qreal factor)
{
    return QSize(int(std::lround(size.width() * factor)), int(std::lround(size.height() * factor)));
}

} // namespace

namespace desktop {

QRect nativeGeometry(const QScreen *screen)
{
    if (!screen)
        return QRect();
    const QRect logical = screen->geometry();
    return QRect(logical.topLeft(), scaled(logical.size(), screen->devicePixelRatio()));
}

QPoint toNative(const QPoint &logical)
{
    const QScreen *screen = screenOfLogical(logical);
    return screen ? scaled(logical, screen->geometry().topLeft(), screen->devicePixelRatio()) : logical;
}

QRect toNative(const QRect &logical)
{
    const QScreen *screen = screenOfLogical(logical.center());
    if (!screen || logical.isNull())
        return logical;
    const qreal factor = screen->devicePixelRatio();
    return QRect(scaled(logical.topLeft(), screen->geometry().topLeft(), factor), scaled(logical.size(), factor));
}

QPoint toLogical(const QPoint &native)
{
    const QScreen *screen = screenOfNative(native);
    return screen ? scaled(native, screen->geometry().topLeft(), 1 / screen->devicePixelRatio()) : native;
}

QRect toLogical(const QRect &native)
{
    const QScreen *screen = screenOfNative(native.center());
    if (!screen || native.isNull())
        return native;
    const qreal factor = 1 / screen->devicePixelRatio();
    return QRect(scaled(native.topLeft(), screen->geometry().topLeft(), factor), scaled(native.size(), factor));
}

} // namespace desktop
