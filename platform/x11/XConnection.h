#pragma once

// Internal to the desktop layer: the calling thread's X connection.

#include <xcb/xcb.h>

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <mutex>

class DamageWatch;

class XConnection
{
public:
    ~XConnection();

    // The connection of the calling thread, opened on first use; null when no X
    // server can be reached. xcb connections are not shared across threads.
    // Holders keep it open after their thread has ended.
    static std::shared_ptr<XConnection> forCurrentThread();

    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    int screenNumber() const { return m_screenNumber; }
    bool hasShm() const { return m_hasShm; }
    bool hasComposite() const { return m_hasComposite; }
    bool hasXFixes() const { return m_hasXFixes; }
    bool hasRes() const { return m_hasRes; }
    // The server is XWayland: it says so by its extension (since XWayland 23.1) or in
    // its outputs' names.
    bool isXWayland() const { return m_isXWayland; }

    xcb_atom_t atom(const char *name);
    // What the server reports drawn, for this connection's grabbers (made on first use).
    DamageWatch *damage();

private:
    XConnection() = default;
    bool open();
    bool hasXWaylandOutputs() const;

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    int m_screenNumber = 0;
    bool m_hasShm = false;
    bool m_hasComposite = false;
    bool m_hasXFixes = false;
    bool m_hasRes = false;
    bool m_isXWayland = false;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    std::unique_ptr<DamageWatch> m_damage;
    std::once_flag m_damageMade;
};

// Frees an xcb reply when it goes out of scope.
template<class T>
using XReply = std::unique_ptr<T, decltype(&free)>;

// Takes the error of a failed request (a window that is gone, say) and frees it;
// without it xcb queues the error as an event that nobody reads.
struct XErrorSink
{
    xcb_generic_error_t *error = nullptr;
    ~XErrorSink() { free(error); }
    operator xcb_generic_error_t **() { return &error; }
};

template<class T>
XReply<T> makeReply(T *reply)
{
    return XReply<T>(reply, &free);
}
