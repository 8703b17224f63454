#pragma once

// Internal to the desktop layer: what the X server reports drawn (Damage), for one
// thread's connection. Frame grabbers ask it whether what they copied last can
// have changed, so that a still window is neither copied nor compared. Grabbers
// work on the connection's thread but may end on another: every call is locked.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <QHash>
#include <QList>
#include <QMutex>
#include <QRect>

#include <deque>

class DamageWatch
{
public:
    explicit DamageWatch(xcb_connection_t *connection, xcb_window_t root);
    ~DamageWatch();
    DamageWatch(const DamageWatch &) = delete;
    DamageWatch &operator=(const DamageWatch &) = delete;

    bool isAvailable() const { return m_firstEvent != 0; }

    // One round trip (unless the caller has just had a reply: synced), then everything
    // reported until then is taken in and the reporting damages are emptied again.
    // Call before copying.
    void poll(bool synced = false);
    // Reports come numbered: the number of the last poll.
    quint64 serial() const;

    // A window whose own content is copied (counted: one per grabber).
    void watchWindow(xcb_window_t window);
    void unwatchWindow(xcb_window_t window);
    // Anything drawn in the window or its children after poll number `since`.
    bool windowDrawnSince(xcb_window_t window, quint64 since) const;

    // The screen: the root and every top-level window (counted).
    void watchScreen();
    void unwatchScreen();
    // Anything drawn or moved on the screen inside rect after poll number `since`.
    bool screenDrawnSince(const QRect &rect, quint64 since) const;

private:
    struct Tracked
    {
        xcb_window_t drawable = 0;
        bool topLevel = false; // part of the screen watch (else a watched window)
        int border = 0;
    };
    xcb_damage_damage_t track(xcb_window_t drawable, bool topLevel, int border);
    void forgetTopLevel(xcb_window_t window);
    void screenChanged(const QRect &rect);
    void handle(const xcb_generic_event_t *event, QList<xcb_damage_damage_t> &reported);

    mutable QMutex m_mutex;
    xcb_connection_t *m_c;
    xcb_window_t m_root;
    quint8 m_firstEvent = 0;
    quint64 m_serial = 1;
    QHash<xcb_damage_damage_t, Tracked> m_damages;
    QHash<xcb_window_t, xcb_damage_damage_t> m_topLevels;
    QHash<xcb_window_t, QPair<xcb_damage_damage_t, int>> m_windows; // damage, users
    QHash<xcb_window_t, quint64> m_windowDrawn;                    // poll that saw it drawn
    int m_screenUsers = 0;
    // Screen rectangles drawn, by poll number; only the last ones are kept.
    std::deque<QPair<quint64, QRect>> m_screenDrawn;
    quint64 m_screenForgotten = 0; // polls up to this one may have lost their entries
};
