#pragma once

#include "Follower.h"

#include <QList>
#include <QMap>
#include <QObject>

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
