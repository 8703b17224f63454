#pragma once

#include "detection/TableNotifier.h"
#include "tool/Follower.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QTimer>

// Keeps one follower per table window: those the table notifier reports (up to the
// number of tables the user allows) and those chosen by hand.
class WindowObserver : public QObject
{
    Q_OBJECT
public:
    explicit WindowObserver(int period, QObject *parent = nullptr);
    ~WindowObserver() override;

    // Ignored for a window already followed, one of ours, or a minimised one.
    void follow(WindowId window, bool autoRecord);
    void stopAll();
    void raiseAll();
    int count() const { return int(m_followers.size()); }
    WindowFollower *follower(WindowId window) const { return m_followers.value(window); }
    TableNotifier &notifier() { return m_notifier; }

signals:
    // A table appeared while tables are chosen by hand: the tool should show.
    void popup();

public slots:
    void newTable(WindowId window);
    // The window is gone: its recording ends, saved when the user wants that.
    void stop(WindowId window);
    void unregister(WindowId window);

private:
    // Tells the service which room's table the user plays, when the room is known.
    void reportActivity(WindowId window);

    int m_period;
    QMap<WindowId, WindowFollower *> m_followers;
    QTimer m_timer;
    TableNotifier m_notifier;
};

// Keeps one follower per region chosen by hand; each records at once.
class RegionObserver : public QObject
{
    Q_OBJECT
public:
    explicit RegionObserver(int period, QObject *parent = nullptr);
    ~RegionObserver() override;

    void follow(const QRect &region);
    // At exit: every recording ends at once, unsaved.
    void stopAll();
    void raiseAll();
    const QList<RegionFollower *> &followers() const { return m_followers; }

public slots:
    void unregister(RegionFollower *follower);

private:
    int m_period;
    QList<RegionFollower *> m_followers;
};

// Keeps one follower per monitor chosen by hand; each records at once.
class MonitorObserver : public QObject
{
    Q_OBJECT
public:
    explicit MonitorObserver(int period, QObject *parent = nullptr);
    ~MonitorObserver() override;

    // A monitor already followed is left as it is.
    void follow(const std::shared_ptr<MonitorTarget> &monitor);
    void stopAll();
    void raiseAll();
    MonitorFollower *follower(const MId &mid) const { return m_followers.value(mid); }

public slots:
    void unregister(const MId &mid);

private:
    int m_period;
    QMap<MId, MonitorFollower *> m_followers;
};
