#include "platform/DesktopWindows.h"

#include "platform/ProcessInfo.h"
#include "platform/x11/XConnection.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/res.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>

#include <unistd.h>

namespace {

XConnection *x()
{
    return XConnection::forCurrentThread().get();
}

// The property's raw bytes and type; empty when missing.
QByteArray property(XConnection *c, WindowId window, xcb_atom_t name, xcb_atom_t type, xcb_atom_t *actualType = nullptr)
{
    auto reply = makeReply(xcb_get_property_reply(
            c->connection(), xcb_get_property(c->connection(), 0, window, name, type, 0, 1 << 16), XErrorSink()));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return QByteArray();
    if (actualType)
        *actualType = reply->type;
    const int bytes = xcb_get_property_value_length(reply.get());
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), bytes);
}

QList<quint32> property32(XConnection *c, WindowId window, xcb_atom_t name, xcb_atom_t type)
{
    const QByteArray raw = property(c, window, name, type);
    QList<quint32> values(raw.size() / 4);
    // An empty list has no storage to copy into.
    if (!values.isEmpty())
        memcpy(values.data(), raw.constData(), size_t(values.size()) * 4);
    return values;
}

bool hasState(XConnection *c, WindowId window, const char *state)
{
    return property32(c, window, c->atom("_NET_WM_STATE"), XCB_ATOM_ATOM).contains(c->atom(state));
}

struct Geometry
{
    bool ok = false;
    QRect client; // in screen coordinates
};

Geometry clientGeometry(XConnection *c, WindowId window)
{
    Geometry g;
    auto geometry = makeReply(xcb_get_geometry_reply(c->connection(), xcb_get_geometry(c->connection(), window), XErrorSink()));
    if (!geometry)
        return g;
    auto translated = makeReply(xcb_translate_coordinates_reply(
            c->connection(), xcb_translate_coordinates(c->connection(), window, c->root(), 0, 0), XErrorSink()));
    if (!translated)
        return g;
    g.ok = true;
    g.client = QRect(translated->dst_x, translated->dst_y, geometry->width, geometry->height);
    return g;
}

bool isDecorated(XConnection *c, WindowId window)
{
    const QList<quint32> extents = property32(c, window, c->atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    return extents.size() == 4 && extents.at(2) > 0;
}

bool isResizable(XConnection *c, WindowId window)
{
    xcb_size_hints_t hints;
    if (!xcb_icccm_get_wm_normal_hints_reply(c->connection(), xcb_icccm_get_wm_normal_hints(c->connection(), window),
                                             &hints, XErrorSink()))
        return true;
    const bool hasMin = hints.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE;
    const bool hasMax = hints.flags & XCB_ICCCM_SIZE_HINT_P_MAX_SIZE;
    return !(hasMin && hasMax && hints.min_width == hints.max_width && hints.min_height == hints.max_height);
}

} // namespace

namespace desktop {

bool isAvailable()
{
    return x() != nullptr;
}

WindowId rootWindow()
{
    XConnection *c = x();
    return c ? c->root() : 0;
}

QList<WindowId> topLevelWindows()
{
    QList<WindowId> result;
    XConnection *c = x();
    if (!c)
        return result;
    // Bottom to top as published; we answer topmost first.
    QList<quint32> stacking = property32(c, c->root(), c->atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (stacking.isEmpty())
        stacking = property32(c, c->root(), c->atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (!stacking.isEmpty()) {
        for (auto it = stacking.crbegin(); it != stacking.crend(); ++it)
            result.append(*it);
        return result;
    }
    // No window manager: the root's mapped children that are not override-redirect.
    auto tree = makeReply(xcb_query_tree_reply(c->connection(), xcb_query_tree(c->connection(), c->root()), XErrorSink()));
    if (!tree)
        return result;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = count - 1; i >= 0; --i) {
        auto attributes = makeReply(xcb_get_window_attributes_reply(
                c->connection(), xcb_get_window_attributes(c->connection(), children[i]), XErrorSink()));
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && !attributes->override_redirect)
            result.append(children[i]);
    }
    return result;
}

QString windowTitle(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return QString();
    const QByteArray utf8 = property(c, window, c->atom("_NET_WM_NAME"), c->atom("UTF8_STRING"));
    if (!utf8.isEmpty())
        return QString::fromUtf8(utf8);
    xcb_atom_t type = XCB_ATOM_NONE;
    const QByteArray name = property(c, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, &type);
    if (type == c->atom("UTF8_STRING"))
        return QString::fromUtf8(name);
    return QString::fromLatin1(name);
}

QString windowClass(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return QString();
    // WM_CLASS holds the instance name and the class name, each NUL-terminated.
    const QByteArray raw = property(c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const QList<QByteArray> parts = raw.split('\0');
    return parts.size() >= 2 ? QString::fromLocal8Bit(parts.at(1)).trimmed() : QString();
}

qint64 windowProcessId(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return 0;
    // The server's own record of the client is reliable; _NET_WM_PID may be missing or wrong.
    if (c->hasRes()) {
        xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        auto reply = makeReply(xcb_res_query_client_ids_reply(
                c->connection(), xcb_res_query_client_ids(c->connection(), 1, &spec), XErrorSink()));
        if (reply) {
            for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem; xcb_res_client_id_value_next(&it)) {
                if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
                    && xcb_res_client_id_value_value_length(it.data) >= 1)
                    return *xcb_res_client_id_value_value(it.data);
            }
        }
    }
    const QList<quint32> pid = property32(c, window, c->atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return pid.isEmpty() ? 0 : pid.first();
}

QString windowExecutablePath(WindowId window)
{
    return processExecutablePath(windowProcessId(window));
}

QRect windowClientRect(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return QRect();
    const Geometry g = clientGeometry(c, window);
    return g.ok ? g.client : QRect();
}

QRect windowFrameRect(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return QRect();
    const Geometry g = clientGeometry(c, window);
    if (!g.ok)
        return QRect();
    // left, right, top, bottom
    const QList<quint32> extents = property32(c, window, c->atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    if (extents.size() != 4)
        return g.client;
    return g.client.adjusted(-int(extents.at(0)), -int(extents.at(2)), int(extents.at(1)), int(extents.at(3)));
}

bool isWindowVisible(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return false;
    auto attributes = makeReply(
            xcb_get_window_attributes_reply(c->connection(), xcb_get_window_attributes(c->connection(), window), XErrorSink()));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool isWindowMinimised(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return false;
    if (hasState(c, window, "_NET_WM_STATE_HIDDEN"))
        return true;
    const xcb_atom_t wmState = c->atom("WM_STATE");
    const QList<quint32> state = property32(c, window, wmState, wmState);
    return !state.isEmpty() && state.first() == XCB_ICCCM_WM_STATE_ICONIC;
}

WindowState windowState(WindowId window)
{
    WindowState state;
    XConnection *c = x();
    if (!c)
        return state;
    xcb_connection_t *xc = c->connection();
    const xcb_atom_t wmState = c->atom("WM_STATE");
    // Every question first, then the answers: one round trip instead of six.
    const auto geometryCookie = xcb_get_geometry(xc, window);
    const auto translateCookie = xcb_translate_coordinates(xc, window, c->root(), 0, 0);
    const auto attributesCookie = xcb_get_window_attributes(xc, window);
    const auto extentsCookie = xcb_get_property(xc, 0, window, c->atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4);
    const auto netStateCookie = xcb_get_property(xc, 0, window, c->atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64);
    const auto wmStateCookie = xcb_get_property(xc, 0, window, wmState, wmState, 0, 2);
    auto geometry = makeReply(xcb_get_geometry_reply(xc, geometryCookie, XErrorSink()));
    auto translated = makeReply(xcb_translate_coordinates_reply(xc, translateCookie, XErrorSink()));
    auto attributes = makeReply(xcb_get_window_attributes_reply(xc, attributesCookie, XErrorSink()));
    auto values32 = [&](xcb_get_property_cookie_t cookie) {
        auto reply = makeReply(xcb_get_property_reply(xc, cookie, XErrorSink()));
        QList<quint32> values;
        if (reply && reply->type != XCB_ATOM_NONE && reply->format == 32) {
            const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
            values = QList<quint32>(data, data + xcb_get_property_value_length(reply.get()) / 4);
        }
        return values;
    };
    const QList<quint32> extents = values32(extentsCookie);
    const QList<quint32> netState = values32(netStateCookie);
    const QList<quint32> iconic = values32(wmStateCookie);
    if (!geometry || !translated)
        return state;
    state.exists = true;
    state.client = QRect(translated->dst_x, translated->dst_y, geometry->width, geometry->height);
    state.frame = extents.size() == 4 ? state.client.adjusted(-int(extents.at(0)), -int(extents.at(2)), int(extents.at(1)),
                                                              int(extents.at(3)))
                                      : state.client;
    state.visible = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    state.minimised = netState.contains(c->atom("_NET_WM_STATE_HIDDEN"))
                      || (!iconic.isEmpty() && iconic.first() == XCB_ICCCM_WM_STATE_ICONIC);
    return state;
}

bool isWindowMaximised(WindowId window)
{
    XConnection *c = x();
    return c && hasState(c, window, "_NET_WM_STATE_MAXIMIZED_VERT") && hasState(c, window, "_NET_WM_STATE_MAXIMIZED_HORZ");
}

bool isWindowAbove(WindowId window)
{
    XConnection *c = x();
    return c && hasState(c, window, "_NET_WM_STATE_ABOVE");
}

WindowId windowOwner(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return 0;
    const QList<quint32> owner = property32(c, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
    return owner.isEmpty() ? 0 : owner.first();
}

bool isOwnWindow(WindowId window)
{
    return windowProcessId(window) == qint64(::getpid());
}

quint32 windowStyle(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return 0;
    quint32 style = 0;
    if (isWindowVisible(window))
        style |= WindowStyle::Visible;
    if (isWindowMinimised(window))
        style |= WindowStyle::Minimize;
    if (isWindowMaximised(window))
        style |= WindowStyle::Maximize;
    const bool resizable = isResizable(c, window);
    if (resizable)
        style |= WindowStyle::ThickFrame;
    if (isDecorated(c, window)) {
        style |= WindowStyle::Caption | WindowStyle::SysMenu | WindowStyle::MinimizeBox;
        if (resizable)
            style |= WindowStyle::MaximizeBox;
    } else {
        style |= WindowStyle::Popup;
    }
    return style;
}

WindowId frameWindow(WindowId window)
{
    XConnection *c = x();
    if (!c)
        return 0;
    WindowId current = window;
    for (int depth = 0; depth < 16; ++depth) {
        auto tree = makeReply(xcb_query_tree_reply(c->connection(), xcb_query_tree(c->connection(), current), XErrorSink()));
        if (!tree)
            return 0;
        if (tree->parent == c->root() || tree->parent == XCB_WINDOW_NONE)
            return current;
        current = tree->parent;
    }
    return window;
}

WindowFacts windowFacts(WindowId window)
{
    WindowFacts facts;
    facts.id = window;
    facts.title = windowTitle(window);
    facts.className = windowClass(window);
    facts.processId = windowProcessId(window);
    facts.executablePath = processExecutablePath(facts.processId);
    facts.frameRect = windowFrameRect(window);
    facts.clientRect = windowClientRect(window);
    facts.visible = isWindowVisible(window);
    facts.minimised = isWindowMinimised(window);
    facts.owner = windowOwner(window);
    facts.ownProcess = facts.processId == qint64(::getpid());
    facts.style = windowStyle(window);
    return facts;
}

bool isCompositionEnabled()
{
    XConnection *c = x();
    if (!c)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(c->screenNumber());
    auto reply = makeReply(xcb_get_selection_owner_reply(
            c->connection(), xcb_get_selection_owner(c->connection(), c->atom(name.constData())), XErrorSink()));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

bool isXWayland()
{
    XConnection *c = x();
    return c && c->isXWayland();
}

bool cursorPosition(QPoint &position)
{
    XConnection *c = x();
    if (!c)
        return false;
    auto reply = makeReply(xcb_query_pointer_reply(c->connection(), xcb_query_pointer(c->connection(), c->root()), XErrorSink()));
    if (!reply)
        return false;
    position = QPoint(reply->root_x, reply->root_y);
    return true;
}

} // namespace desktop

namespace desktop {

void detachChildWindows(WindowId window)
{
    // On the program's own connection, so that it comes before the window's destruction.
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window)
        return;
    xcb_connection_t *c = x11->connection();
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        xcb_unmap_window(c, children[i]);
        xcb_reparent_window(c, children[i], tree->root, -32000, -32000);
    }
    free(tree);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

void syncWithDisplay()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t *c = x11->connection();
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace desktop
