#pragma once

#include "platform/DesktopWindows.h"

#include <QObject>
#include <QSet>

#include <memory>

class QSocketNotifier;

// Tells when top-level windows appear on the desktop and go, and when one is retitled,
// from the window manager's client list (_NET_CLIENT_LIST) and the windows' name
// properties. It listens on an X connection of its own through a socket notifier on
// the thread that starts it: no polling. Without a window manager publishing the
// list nothing is reported.
class WindowWatcher : public QObject
{
    Q_OBJECT
public:
    explicit WindowWatcher(QObject *parent = nullptr);
    ~WindowWatcher() override;

    // Takes the windows listed now as known (not reported) and starts listening.
    bool start();
    void stop();
    bool isRunning() const { return m_notifier != nullptr; }

signals:
    void windowCreated(WindowId window);
    void windowDestroyed(WindowId window);
    // WM_NAME or _NET_WM_NAME changed.
    void windowRetitled(WindowId window);

private slots:
    void readEvents();

private:
    struct Connection;
    void clientListChanged();
    void watchWindow(WindowId window);

    std::unique_ptr<Connection> m_x;
    QSocketNotifier *m_notifier = nullptr;
    QSet<WindowId> m_known;
};
