#pragma once

#include "detection/TableNotifier.h"
#include "tool/Follower.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <utility>

// The followers of one kind, by what each follows. Each is told of the display's
// changes; stopAll() ends every recording at once, unsaved (at exit).
template<class Key, class F>
class FollowerSet
{
public:
    FollowerSet() = default;
    FollowerSet(const FollowerSet &) = delete;
    FollowerSet &operator=(const FollowerSet &) = delete;
    ~FollowerSet() { stopAll(); }

    bool contains(const Key &key) const { return m_followers.contains(key); }
    F *value(const Key &key) const { return m_followers.value(key); }
    int count() const { return int(m_followers.size()); }
    QList<F *> followers() const { return m_followers.values(); }
    void insert(const Key &key, F *follower)
    {
        relayDisplayChanges(follower);
        m_followers.insert(key, follower);
    }
    // The follower said it is done: it goes once its signal has returned.
    void remove(const Key &key)
    {
        if (F *follower = m_followers.take(key))
            follower->deleteLater();
    }
    void stopAll()
    {
        const QMap<Key, F *> followers = std::exchange(m_followers, {});
        for (F *follower : followers) {
            follower->abort();
            delete follower;
        }
    }
    void raiseAll()
    {
        for (F *follower : std::as_const(m_followers))
            follower->raise();
    }

private:
    static void relayDisplayChanges(Follower *follower);

    QMap<Key, F *> m_followers;
};

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
    int count() const { return m_followers.count(); }
    WindowFollower *follower(WindowId window) const { return m_followers.value(window); }
    TableNotifier &notifier() { return m_notifier; }

signals:
    // A table appeared while tables are chosen by hand: the tool should show.
    void popup();

public slots:
    void newTable(WindowId window);
    // Switched to automatic: the tables already open are taken up as at start-up.
    void onAutoDetectionChanged(bool automatic);
    // The window is gone: its recording ends, saved when the user wants that.
    void stop(WindowId window);
    void unregister(WindowId window);

private:
    // Tells the service which room's table the user plays, when the room is known.
    void reportActivity(WindowId window);
    // Follows a table when the automatic mode takes it up.
    void takeUp(WindowId window);

    int m_period;
    FollowerSet<WindowId, WindowFollower> m_followers;
    QTimer m_timer;
    TableNotifier m_notifier;
};

// Keeps one follower per region chosen by hand; each records at once.
class RegionObserver : public QObject
{
    Q_OBJECT
public:
    explicit RegionObserver(int period, QObject *parent = nullptr);

    void follow(const QRect &region);
    void stopAll() { m_followers.stopAll(); }
    void raiseAll() { m_followers.raiseAll(); }
    QList<RegionFollower *> followers() const { return m_followers.followers(); }

public slots:
    void unregister(RegionFollower *follower) { m_followers.remove(follower); }

private:
    int m_period;
    FollowerSet<RegionFollower *, RegionFollower> m_followers;
};

// Keeps one follower per monitor chosen by hand; each records at once.
class MonitorObserver : public QObject
{
    Q_OBJECT
public:
    explicit MonitorObserver(int period, QObject *parent = nullptr);

    // A monitor already followed is left as it is.
    void follow(const std::shared_ptr<MonitorTarget> &monitor);
    void stopAll() { m_followers.stopAll(); }
    void raiseAll() { m_followers.raiseAll(); }
    MonitorFollower *follower(const MId &mid) const { return m_followers.value(mid); }

public slots:
    void unregister(const MId &mid) { m_followers.remove(mid); }

private:
    int m_period;
    FollowerSet<MId, MonitorFollower> m_followers;
};
