#include "platform/wayland/WaylandFrameSource.h"

#include "app/Log.h"
#include "platform/x11/X11FrameSource.h"

#include <QCoreApplication>
#include <QFile>

namespace {

// How long the first picture of a shared screen is waited for; most desktops send it at
// once. Some send one only once something on the screen changes: until then nothing can
// be copied, and the frames wait without a warning.
constexpr int kFirstPictureMs = 2000;

} // namespace

WaylandFrameSource::WaylandFrameSource(const FrameSourceOptions &options)
    : m_options(options)
    , m_windows(std::make_unique<X11FrameSource>(options.maxSize, options.allowSharedMemory))
{
}

WaylandFrameSource::~WaylandFrameSource()
{
    // The stream ends before the sharing does.
    m_stream.reset();
    m_portal.reset();
}

bc_ret WaylandFrameSource::open()
{
    if (!m_options.screen)
        return bc_ret();
    m_portal = std::make_unique<PortalScreenCast>();
    PortalScreenCast::Shared shared;
    bc_ret ret = m_portal->start(shared);
    if (ret.failed())
        return ret;
    m_stream = std::make_unique<PipeWireStream>();
    ret = m_stream->open(shared.fd, shared.node);
    if (ret.failed())
        return ret;
    m_stream->waitForPicture(kFirstPictureMs);
    const QString ended = m_stream->endReason();
    if (!ended.isEmpty())
        return bc_ret(QStringLiteral("WaylandFrameSource::open"), -1,
                      QCoreApplication::translate("WaylandFrameSource", "The desktop stopped sharing the screen (%1)").arg(ended));
    m_shared = shared.geometry;
    logInfo(QStringLiteral("Screen shared by the desktop: node %1 at %2,%3 %4x%5, cursor %6")
                    .arg(shared.node)
                    .arg(m_shared.x())
                    .arg(m_shared.y())
                    .arg(m_shared.width())
                    .arg(m_shared.height())
                    .arg(m_portal->cursorEmbedded() ? QStringLiteral("in the picture") : QStringLiteral("not shown")));
    return bc_ret();
}

FrameSource::Result WaylandFrameSource::copyRect(const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors)
{
    if (!m_stream) {
        errors.add(QStringLiteral("WaylandFrameSource::copyRect"), -1, QStringLiteral("The screen is not shared"));
        return Result::Failed;
    }
    const QString ended = m_stream->endReason();
    if (!ended.isEmpty()) {
        // The user stopped sharing (or the desktop did): the frames go black, which the
        // recorder tells the user about, rather than repeating the last picture.
        if (!m_endLogged)
            logWarn(QStringLiteral("The desktop stopped sharing the screen: %1").arg(ended));
        m_endLogged = true;
        return Result::Copied;
    }
    m_copiedSerial = m_stream->serial();
    m_copiedRect = rect;
    // Without the desktop's word on where the monitor lies, it is at the origin.
    const QRect shared = m_shared.isEmpty() ? QRect(QPoint(0, 0), m_stream->pictureSize()) : m_shared;
    if (!shared.isEmpty() && !shared.intersects(rect)) {
        // Another monitor than the one shared: the frames stay black, which the recorder
        // tells the user about, and the desktop asks again next time.
        if (!m_elsewhereLogged && QFile::remove(screenCastTokenPath()))
            logInfo(QStringLiteral("The shared screen does not show %1,%2: the desktop will ask again").arg(rect.x()).arg(rect.y()));
        m_elsewhereLogged = true;
        return Result::Copied;
    }
    if (m_stream->copy(shared, rect, dest, destPos))
        return Result::Copied;
    // No picture yet: some desktops send one only once something changes. A picture
    // that went away (the desktop's side of the stream ended) leaves the frame black.
    return m_stream->serial() == 0 ? Result::Unavailable : Result::Copied;
}

FrameSource::Result WaylandFrameSource::copyWindow(WindowId window, const QRect &rect, FrameBuffer &dest, QPoint destPos,
                                                   bc_ret &errors)
{
    return m_windows->copyWindow(window, rect, dest, destPos, errors);
}

bool WaylandFrameSource::cursor(CursorImage &out)
{
    // A shared screen's pictures bring the cursor in them when they can.
    if (m_stream)
        return false;
    return m_windows->cursor(out);
}

bool WaylandFrameSource::rectMayHaveChanged(const QRect &rect)
{
    return !m_stream || m_stream->serial() != m_copiedSerial || rect != m_copiedRect || !m_stream->endReason().isEmpty();
}

bool WaylandFrameSource::windowMayHaveChanged(WindowId window)
{
    return m_windows->windowMayHaveChanged(window);
}
