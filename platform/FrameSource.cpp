#include "platform/FrameSource.h"

#include "platform/x11/X11FrameSource.h"

std::unique_ptr<FrameSource> makeFrameSource(const FrameSourceOptions &options, bc_ret &errors)
{
    // X11 is the only backend so far: Wine's tables are X11 windows wherever they run.
    const QString wanted = qEnvironmentVariable("BRINDLECAST_CAPTURE", QStringLiteral("x11"));
    if (wanted == QLatin1String("x11"))
        return std::make_unique<X11FrameSource>(options.maxSize, options.allowSharedMemory);
    errors.add(QStringLiteral("makeFrameSource"), -1,
               QStringLiteral("The capture backend \"%1\" is not known (BRINDLECAST_CAPTURE)").arg(wanted));
    return nullptr;
}
