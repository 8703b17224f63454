#include "platform/x11/X11FrameSource.h"

#include "app/Log.h"
#include "platform/x11/DamageWatch.h"
#include "platform/x11/XConnection.h"

#include <xcb/composite.h>
#include <xcb/shm.h>
#include <xcb/xfixes.h>

#include <cstring>
#include <utility>

#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

// Sends a request whose failure we only want to swallow.
void discard(xcb_connection_t *c, xcb_void_cookie_t cookie)
{
    free(xcb_request_check(c, cookie));
}

} // namespace

X11FrameSource::X11FrameSource(QSize maxSize, bool allowShm)
    : m_maxSize(maxSize.expandedTo(QSize(1, 1)))
    , m_allowShm(allowShm)
{
    m_cursorPixels.reserve(64 * 64);
}

X11FrameSource::~X11FrameSource()
{
    if (!m_connection)
        return;
    releaseWindow();
    watch(0, false);
    xcb_connection_t *c = m_connection->connection();
    if (m_shmAddress) {
        xcb_shm_detach(c, m_shmSegment);
        shmdt(m_shmAddress);
    }
    xcb_flush(c);
}

bool X11FrameSource::bind()
{
    if (m_connection)
        return true;
    m_connection = XConnection::forCurrentThread();
    if (!m_connection)
        return false;
    if (!m_allowShm || !m_connection->hasShm())
        return true;

    xcb_connection_t *c = m_connection->connection();
    const size_t bytes = size_t(m_maxSize.width()) * size_t(m_maxSize.height()) * 4;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        logWarn(QStringLiteral("shmget failed, frames are copied without shared memory"));
        return true;
    }
    void *address = shmat(id, nullptr, 0);
    if (address != reinterpret_cast<void *>(-1)) {
        const xcb_shm_seg_t segment = xcb_generate_id(c);
        xcb_generic_error_t *error = xcb_request_check(c, xcb_shm_attach_checked(c, segment, uint32_t(id), 0));
        if (!error) {
            m_shmSegment = segment;
            m_shmAddress = static_cast<uchar *>(address);
        } else {
            // A server on another machine cannot share our memory.
            free(error);
            shmdt(address);
        }
    }
    // Marked for removal at once: it goes away with its last user, even after a crash.
    shmctl(id, IPC_RMID, nullptr);
    return true;
}

void X11FrameSource::releaseWindow()
{
    xcb_connection_t *c = m_connection->connection();
    if (m_pixmap) {
        xcb_free_pixmap(c, m_pixmap);
        m_pixmap = 0;
    }
    if (m_redirected) {
        discard(c, xcb_composite_unredirect_window_checked(c, m_redirected, XCB_COMPOSITE_REDIRECT_AUTOMATIC));
        m_redirected = 0;
    }
}

FrameSource::Result X11FrameSource::copyRect(const QRect &rect, FrameBuffer &dest, QPoint destPos, bc_ret &errors)
{
    m_copiedSerial = 0; // until a copy is made
    if (!bind()) {
        errors.add(QStringLiteral("xcb_connect"), -1, QStringLiteral("No X server"));
        return Result::Failed;
    }
    xcb_connection_t *c = m_connection->connection();
    auto geometry = makeReply(xcb_get_geometry_reply(c, xcb_get_geometry(c, m_connection->root()), XErrorSink()));
    if (!geometry) {
        errors.add(QStringLiteral("xcb_get_geometry"), -1, QStringLiteral("The screen cannot be read"));
        return Result::Failed;
    }
    const Result result =
            copyDrawable(m_connection->root(), QSize(geometry->width, geometry->height), rect, dest, destPos, errors);
    copied(result == Result::Copied ? 0 : ~0u, rect);
    return result;
}

FrameSource::Result X11FrameSource::copyWindow(WindowId window, const QRect &rect, FrameBuffer &dest, QPoint destPos,
                                              bc_ret &errors)
{
    m_copiedSerial = 0; // until a copy is made
    if (!bind()) {
        errors.add(QStringLiteral("xcb_connect"), -1, QStringLiteral("No X server"));
        return Result::Failed;
    }
    xcb_connection_t *c = m_connection->connection();
    const auto attributesCookie = xcb_get_window_attributes(c, window);
    const auto geometryCookie = xcb_get_geometry(c, window);
    auto attributes = makeReply(xcb_get_window_attributes_reply(c, attributesCookie, XErrorSink()));
    auto geometry = makeReply(xcb_get_geometry_reply(c, geometryCookie, XErrorSink()));
    if (!attributes || !geometry)
        return Result::Copied; // gone: nothing to copy, the frame stays black
    if (attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        // Its pixmap is given up while unmapped; a new one is named when it comes back.
        if (m_pixmap) {
            xcb_free_pixmap(c, m_pixmap);
            m_pixmap = 0;
        }
        return Result::Unavailable;
    }
    const QSize size(geometry->width, geometry->height);
    if (!m_connection->hasComposite()) {
        const Result result = copyDrawable(window, size, rect, dest, destPos, errors);
        copied(result == Result::Copied ? window : ~0u, rect);
        return result;
    }

    if (m_redirected != window) {
        releaseWindow();
        discard(c, xcb_composite_redirect_window_checked(c, window, XCB_COMPOSITE_REDIRECT_AUTOMATIC));
        m_redirected = window;
    }
    // The content pixmap changes whenever the window is resized or mapped again.
    if (!m_pixmap || size != m_pixmapSize) {
        if (m_pixmap)
            xcb_free_pixmap(c, m_pixmap);
        m_pixmap = xcb_generate_id(c);
        xcb_generic_error_t *error = xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, window, m_pixmap));
        if (error) {
            free(error);
            m_pixmap = 0;
            return Result::Unavailable;
        }
        m_pixmapSize = size;
    }
    const Result result = copyDrawable(m_pixmap, size, rect, dest, destPos, errors);
    copied(result == Result::Copied ? window : ~0u, rect);
    return result;
}

void X11FrameSource::watch(quint32 window, bool screen)
{
    if (window == m_watchedWindow && screen == m_watchingScreen)
        return;
    DamageWatch *damage = m_connection->damage();
    if (window != m_watchedWindow) {
        if (m_watchedWindow)
            damage->unwatchWindow(m_watchedWindow);
        if (window)
            damage->watchWindow(window);
        m_watchedWindow = window;
    }
    if (screen != m_watchingScreen) {
        if (screen)
            damage->watchScreen();
        else
            damage->unwatchScreen();
        m_watchingScreen = screen;
    }
}

void X11FrameSource::copied(quint32 window, const QRect &rect)
{
    // ~0: the copy failed, so what the frame holds is not known.
    m_copiedSerial = window == ~0u ? 0 : m_connection->damage()->serial();
    m_copiedWindow = window;
    m_copiedRect = rect;
}

bool X11FrameSource::rectMayHaveChanged(const QRect &rect)
{
    if (!bind() || !m_connection->damage()->isAvailable())
        return true;
    watch(0, true);
    DamageWatch *damage = m_connection->damage();
    damage->poll(std::exchange(m_synced, false));
    return m_copiedSerial == 0 || m_copiedWindow != 0 || m_copiedRect != rect
           || damage->screenDrawnSince(rect, m_copiedSerial);
}

bool X11FrameSource::windowMayHaveChanged(WindowId window)
{
    if (!bind() || !m_connection->damage()->isAvailable())
        return true;
    watch(window, false);
    DamageWatch *damage = m_connection->damage();
    damage->poll(std::exchange(m_synced, false));
    return m_copiedSerial == 0 || m_copiedWindow != window || damage->windowDrawnSince(window, m_copiedSerial);
}

FrameSource::Result X11FrameSource::copyDrawable(quint32 drawable, const QSize &drawableSize, const QRect &rect,
                                                FrameBuffer &dest, QPoint destPos, bc_ret &errors)
{
    // Only the part of rect inside the drawable, and of that only what lands inside dest.
    const QRect inside = rect & QRect(QPoint(0, 0), drawableSize);
    const QPoint shiftedPos = destPos + (inside.topLeft() - rect.topLeft());
    const QRect target = QRect(shiftedPos, inside.size()) & QRect(0, 0, dest.width, dest.height);
    if (target.isEmpty())
        return Result::Copied;
    const QRect source(inside.topLeft() + (target.topLeft() - shiftedPos), target.size());
    const int rowBytes = source.width() * 4;

    xcb_connection_t *c = m_connection->connection();
    const uchar *pixels = nullptr;
    XReply<xcb_get_image_reply_t> plain(nullptr, &free);
    xcb_generic_error_t *error = nullptr;
    const bool fitsShm = m_shmAddress && source.width() * source.height() <= m_maxSize.width() * m_maxSize.height();
    if (fitsShm) {
        auto reply = makeReply(xcb_shm_get_image_reply(
                c,
                xcb_shm_get_image(c, drawable, int16_t(source.x()), int16_t(source.y()), uint16_t(source.width()),
                                  uint16_t(source.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_shmSegment, 0),
                &error));
        if (reply)
            pixels = m_shmAddress;
    } else {
        plain.reset(xcb_get_image_reply(c,
                                        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(source.x()),
                                                      int16_t(source.y()), uint16_t(source.width()),
                                                      uint16_t(source.height()), ~0u),
                                        &error));
        if (plain) {
            if (xcb_get_image_data_length(plain.get()) < rowBytes * source.height()) {
                errors.add(QStringLiteral("xcb_get_image"), -1, QStringLiteral("Unsupported pixel format"));
                return Result::Failed;
            }
            pixels = xcb_get_image_data(plain.get());
        }
    }
    if (!pixels) {
        const int code = error ? error->error_code : -1;
        free(error);
        errors.add(fitsShm ? QStringLiteral("xcb_shm_get_image") : QStringLiteral("xcb_get_image"), code,
                   QStringLiteral("X error %1").arg(code));
        return Result::Failed;
    }
    uchar *out = dest.bits + qsizetype(target.y()) * dest.stride + target.x() * 4;
    for (int row = 0; row < source.height(); ++row)
        memcpy(out + qsizetype(row) * dest.stride, pixels + qsizetype(row) * rowBytes, size_t(rowBytes));
    return Result::Copied;
}

bool X11FrameSource::cursor(CursorImage &out)
{
    if (!bind() || !m_connection->hasXFixes())
        return false;
    xcb_connection_t *c = m_connection->connection();
    auto reply = makeReply(xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), XErrorSink()));
    m_synced = reply != nullptr;
    if (!reply || reply->width == 0 || reply->height == 0)
        return false;
    const size_t count = size_t(reply->width) * reply->height;
    if (size_t(xcb_xfixes_get_cursor_image_cursor_image_length(reply.get())) < count)
        return false;
    m_cursorPixels.resize(count);
    memcpy(m_cursorPixels.data(), xcb_xfixes_get_cursor_image_cursor_image(reply.get()), count * 4);
    out.position = QPoint(reply->x, reply->y);
    out.hotSpot = QPoint(reply->xhot, reply->yhot);
    out.size = QSize(reply->width, reply->height);
    out.pixels = m_cursorPixels.data();
    out.serial = reply->cursor_serial;
    return true;
}
