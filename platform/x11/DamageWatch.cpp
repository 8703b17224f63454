#include "platform/x11/DamageWatch.h"

#include "platform/x11/XConnection.h"

#include <xcb/damage.h>

namespace {

constexpr size_t kKeptScreenReports = 256;
const QRect kWholeScreen(-32768, -32768, 65536, 65536);

} // namespace

DamageWatch::DamageWatch(xcb_connection_t *connection, xcb_window_t root)
    : m_c(connection)
    , m_root(root)
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_c, &xcb_damage_id);
    if (!extension || !extension->present)
        return;
    auto version = makeReply(xcb_damage_query_version_reply(m_c, xcb_damage_query_version(m_c, 1, 1), XErrorSink()));
    if (version)
        m_firstEvent = extension->first_event;
}

DamageWatch::~DamageWatch()
{
    for (auto it = m_damages.cbegin(); it != m_damages.cend(); ++it)
        xcb_damage_destroy(m_c, it.key());
    if (m_screenUsers > 0) {
        const uint32_t none = 0;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &none);
    }
    xcb_flush(m_c);
}

quint64 DamageWatch::serial() const
{
    QMutexLocker lock(&m_mutex);
    return m_serial;
}

xcb_damage_damage_t DamageWatch::track(xcb_window_t drawable, bool topLevel, int border)
{
    const xcb_damage_damage_t damage = xcb_generate_id(m_c);
    // Reported once when something is drawn; poll() empties it to hear of the next.
    xcb_damage_create(m_c, damage, drawable, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    m_damages.insert(damage, Tracked{drawable, topLevel, border});
    return damage;
}

void DamageWatch::watchWindow(xcb_window_t window)
{
    QMutexLocker lock(&m_mutex);
    if (!isAvailable())
        return;
    auto found = m_windows.find(window);
    if (found != m_windows.end()) {
        ++found->second;
        return;
    }
    m_windows.insert(window, qMakePair(track(window, false, 0), 1));
}

void DamageWatch::unwatchWindow(xcb_window_t window)
{
    QMutexLocker lock(&m_mutex);
    auto found = m_windows.find(window);
    if (found == m_windows.end() || --found->second > 0)
        return;
    xcb_damage_destroy(m_c, found->first);
    m_damages.remove(found->first);
    m_windows.erase(found);
    m_windowDrawn.remove(window);
}

bool DamageWatch::windowDrawnSince(xcb_window_t window, quint64 since) const
{
    QMutexLocker lock(&m_mutex);
    return !isAvailable() || !m_windows.contains(window) || m_windowDrawn.value(window, 0) > since;
}

void DamageWatch::watchScreen()
{
    QMutexLocker lock(&m_mutex);
    if (!isAvailable() || m_screenUsers++ > 0)
        return;
    // Listen first, then list: a window made in between is seen twice, never missed.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
    track(m_root, true, 0);
    m_topLevels.clear();
    auto tree = makeReply(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, m_root), XErrorSink()));
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    QList<xcb_get_geometry_cookie_t> cookies;
    for (int i = 0; i < count; ++i)
        cookies.append(xcb_get_geometry(m_c, children[i]));
    for (int i = 0; i < count; ++i) {
        auto geometry = makeReply(xcb_get_geometry_reply(m_c, cookies.at(i), XErrorSink()));
        if (geometry && !m_topLevels.contains(children[i]))
            m_topLevels.insert(children[i], track(children[i], true, geometry->border_width));
    }
}

void DamageWatch::unwatchScreen()
{
    QMutexLocker lock(&m_mutex);
    if (m_screenUsers <= 0 || --m_screenUsers > 0)
        return;
    const uint32_t none = 0;
    xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &none);
    for (auto it = m_damages.begin(); it != m_damages.end();) {
        if (it->topLevel) {
            xcb_damage_destroy(m_c, it.key());
            it = m_damages.erase(it);
        } else {
            ++it;
        }
    }
    m_topLevels.clear();
    m_screenDrawn.clear();
    m_screenForgotten = m_serial;
}

bool DamageWatch::screenDrawnSince(const QRect &rect, quint64 since) const
{
    QMutexLocker lock(&m_mutex);
    if (!isAvailable() || m_screenUsers <= 0 || since < m_screenForgotten)
        return true;
    for (auto it = m_screenDrawn.crbegin(); it != m_screenDrawn.crend() && it->first > since; ++it) {
        if (it->second.intersects(rect))
            return true;
    }
    return false;
}

void DamageWatch::forgetTopLevel(xcb_window_t window)
{
    const xcb_damage_damage_t damage = m_topLevels.take(window);
    if (!damage)
        return;
    xcb_damage_destroy(m_c, damage);
    m_damages.remove(damage);
}

void DamageWatch::screenChanged(const QRect &rect)
{
    m_screenDrawn.emplace_back(m_serial, rect);
    if (m_screenDrawn.size() > kKeptScreenReports) {
        m_screenForgotten = m_screenDrawn.front().first;
        m_screenDrawn.pop_front();
    }
}

void DamageWatch::handle(const xcb_generic_event_t *event, QList<xcb_damage_damage_t> &reported)
{
    const quint8 type = event->response_type & 0x7f;
    if (type == m_firstEvent + XCB_DAMAGE_NOTIFY) {
        const auto *drawn = reinterpret_cast<const xcb_damage_notify_event_t *>(event);
        const auto found = m_damages.constFind(drawn->damage);
        if (found == m_damages.cend())
            return;
        reported.append(drawn->damage);
        if (!found->topLevel) {
            m_windowDrawn.insert(found->drawable, m_serial);
        } else if (found->drawable == m_root) {
            screenChanged(kWholeScreen);
        } else {
            // The whole window: the report's area covers only the first drawing.
            const int border = found->border;
            screenChanged(QRect(drawn->geometry.x, drawn->geometry.y, drawn->geometry.width + 2 * border,
                                drawn->geometry.height + 2 * border));
        }
        return;
    }
    switch (type) {
    case XCB_CREATE_NOTIFY: {
        const auto *created = reinterpret_cast<const xcb_create_notify_event_t *>(event);
        if (m_screenUsers > 0 && created->parent == m_root && !m_topLevels.contains(created->window))
            m_topLevels.insert(created->window, track(created->window, true, created->border_width));
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        // The server frees the window's damages with it.
        const xcb_window_t window = reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window;
        m_damages.remove(m_topLevels.take(window));
        screenChanged(kWholeScreen);
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        // A window taken into a frame is drawn in the frame's coordinates from then on:
        // the frame's own damage reports it.
        const auto *moved = reinterpret_cast<const xcb_reparent_notify_event_t *>(event);
        if (moved->parent != m_root)
            forgetTopLevel(moved->window);
        else if (m_screenUsers > 0 && !m_topLevels.contains(moved->window))
            m_topLevels.insert(moved->window, track(moved->window, true, 0));
        screenChanged(kWholeScreen);
        break;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_CONFIGURE_NOTIFY:
    case XCB_CIRCULATE_NOTIFY:
    case XCB_GRAVITY_NOTIFY:
        // Shown, hidden, moved or restacked: what lies where has changed.
        screenChanged(kWholeScreen);
        break;
    default:
        break;
    }
}

void DamageWatch::poll(bool synced)
{
    QMutexLocker lock(&m_mutex);
    if (!isAvailable())
        return;
    ++m_serial;
    // A reply comes after every event the server sent before it.
    if (!synced)
        free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    QList<xcb_damage_damage_t> reported;
    while (xcb_generic_event_t *event = xcb_poll_for_queued_event(m_c)) {
        handle(event, reported);
        free(event);
    }
    // Emptied before anything is copied: what is drawn after this is reported again.
    for (xcb_damage_damage_t damage : std::as_const(reported))
        xcb_damage_subtract(m_c, damage, XCB_NONE, XCB_NONE);
    xcb_flush(m_c);
}
