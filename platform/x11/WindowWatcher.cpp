#include "platform/WindowWatcher.h"

#include "app/Log.h"

#include <xcb/xcb.h>

#include <QSocketNotifier>

#include <cstring>

struct WindowWatcher::Connection
{
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t clientList = 0;
    xcb_atom_t netWmName = 0;

    ~Connection()
    {
        if (c)
            xcb_disconnect(c);
    }

    xcb_atom_t atom(const char *name) const
    {
        auto reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    }

    // The managed windows as the window manager lists them now.
    QSet<WindowId> clients() const
    {
        QSet<WindowId> windows;
        auto reply = xcb_get_property_reply(
                c, xcb_get_property(c, 0, root, clientList, XCB_ATOM_WINDOW, 0, 1 << 16), nullptr);
        if (reply && reply->format == 32) {
            const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
            const int count = xcb_get_property_value_length(reply) / 4;
            for (int i = 0; i < count; ++i)
                windows.insert(ids[i]);
        }
        free(reply);
        return windows;
    }

    void selectPropertyChanges(xcb_window_t window) const
    {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        // Unchecked: a window gone in the meantime only earns an error we drop.
        xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    }
};

WindowWatcher::WindowWatcher(QObject *parent)
    : QObject(parent)
{
}

WindowWatcher::~WindowWatcher()
{
    stop();
}

bool WindowWatcher::start()
{
    if (m_notifier)
        return true;
    auto x = std::make_unique<Connection>();
    int screenNumber = 0;
    x->c = xcb_connect(nullptr, &screenNumber);
    if (!x->c || xcb_connection_has_error(x->c)) {
        logWarn(QStringLiteral("WindowWatcher: no X server"));
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x->c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    x->root = screens.data->root;
    x->clientList = x->atom("_NET_CLIENT_LIST");
    x->netWmName = x->atom("_NET_WM_NAME");
    // Listen first, then read: a window listed in between is seen by both, never by neither.
    x->selectPropertyChanges(x->root);
    xcb_flush(x->c);
    m_x = std::move(x);
    m_known = m_x->clients();
    if (m_known.isEmpty())
        logInfo(QStringLiteral("WindowWatcher: no window manager lists the windows yet"));
    for (WindowId window : std::as_const(m_known))
        watchWindow(window);
    xcb_flush(m_x->c);
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WindowWatcher::readEvents);
    // Events that arrived while the list was read wait in xcb's queue, not on the socket.
    readEvents();
    return true;
}

void WindowWatcher::stop()
{
    delete m_notifier;
    m_notifier = nullptr;
    m_x.reset();
    m_known.clear();
}

void WindowWatcher::watchWindow(WindowId window)
{
    m_x->selectPropertyChanges(window);
}

void WindowWatcher::readEvents()
{
    if (!m_x)
        return;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_x->c)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto *property = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            if (property->window == m_x->root && property->atom == m_x->clientList)
                clientListChanged();
            else if (property->window != m_x->root && m_known.contains(property->window)
                     && (property->atom == XCB_ATOM_WM_NAME || property->atom == m_x->netWmName))
                emit windowRetitled(property->window);
        }
        free(event);
        if (!m_x)
            return; // stopped by a receiver
    }
    if (xcb_connection_has_error(m_x->c)) {
        logError(QStringLiteral("WindowWatcher: the X connection broke"));
        stop();
    }
}

void WindowWatcher::clientListChanged()
{
    const QSet<WindowId> now = m_x->clients();
    const QSet<WindowId> gone = m_known - now;
    const QSet<WindowId> added = now - m_known;
    m_known = now;
    for (WindowId window : added)
        watchWindow(window);
    xcb_flush(m_x->c);
    // Ids are reused once a client is gone: departures first.
    for (WindowId window : gone)
        emit windowDestroyed(window);
    for (WindowId window : added)
        emit windowCreated(window);
}
