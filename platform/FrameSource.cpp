#include "platform/FrameSource.h"

#include "platform/DesktopWindows.h"
#include "platform/wayland/WaylandFrameSource.h"
#include "platform/x11/X11FrameSource.h"

std::unique_ptr<FrameSource> makeFrameSource(const FrameSourceOptions &options, bc_ret &errors)
{
    // Wine's tables are X11 windows wherever they run; only the screen differs.
    const QString wanted = qEnvironmentVariable("BRINDLECAST_CAPTURE",
                                                desktop::isXWayland() ? QStringLiteral("wayland") : QStringLiteral("x11"));
    if (wanted == QLatin1String("x11"))
        return std::make_unique<X11FrameSource>(options.maxSize, options.allowSharedMemory);
    if (wanted == QLatin1String("wayland")) {
        auto source = std::make_unique<WaylandFrameSource>(options);
        const bc_ret opened = source->open();
        if (opened.ok())
            return source;
        errors += opened;
        return nullptr;
    }
    errors.add(QStringLiteral("makeFrameSource"), -1,
               QStringLiteral("The capture backend \"%1\" is not known (BRINDLECAST_CAPTURE)").arg(wanted));
    return nullptr;
}
