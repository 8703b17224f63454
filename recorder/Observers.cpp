#include "Observers.h"

#include "MyApplication.h"
#include "RecorderWidget.h"

namespace {

void relayDisplayChanges(Follower *follower)
{
    if (auto *app = qobject_cast<MyApplication *>(QCoreApplication::instance()))
        QObject::connect(app, &MyApplication::displayChanged, follower, &Follower::onDisplayChanged);
}

} // namespace

RegionObserver::RegionObserver(int period, QObject *parent)
    : QObject(parent)
    , m_period(period)
{
}

RegionObserver::~RegionObserver()
{
    stopAll();
}

void RegionObserver::follow(const QRect &region)
{
    auto *follower = new RegionFollower(std::make_shared<RegionTarget>(region), m_period);
    connect(follower, qOverload<RegionFollower *>(&RegionFollower::unregister), this, &RegionObserver::unregister);
    relayDisplayChanges(follower);
    m_followers.append(follower);
    follower->initRecorder(nullptr, true);
}

void RegionObserver::unregister(RegionFollower *follower)
{
    if (m_followers.removeOne(follower))
        follower->deleteLater();
}

void RegionObserver::stopAll()
{
    const QList<RegionFollower *> followers = std::exchange(m_followers, {});
    for (RegionFollower *follower : followers) {
        follower->abort();
        delete follower;
    }
}

void RegionObserver::raiseAll()
{
    for (RegionFollower *follower : std::as_const(m_followers))
        follower->raise();
}

MonitorObserver::MonitorObserver(int period, QObject *parent)
    : QObject(parent)
    , m_period(period)
{
}

MonitorObserver::~MonitorObserver()
{
    stopAll();
}

void MonitorObserver::follow(const std::shared_ptr<MonitorTarget> &monitor)
{
    if (!monitor || m_followers.contains(monitor->name()))
        return;
    auto *follower = new MonitorFollower(monitor, m_period);
    connect(follower, qOverload<const MId &>(&MonitorFollower::unregister), this, &MonitorObserver::unregister);
    relayDisplayChanges(follower);
    m_followers.insert(monitor->name(), follower);
    follower->initRecorder(nullptr, true);
}

void MonitorObserver::unregister(const MId &mid)
{
    if (MonitorFollower *follower = m_followers.take(mid))
        follower->deleteLater();
}

void MonitorObserver::stopAll()
{
    const QMap<MId, MonitorFollower *> followers = std::exchange(m_followers, {});
    for (MonitorFollower *follower : followers) {
        follower->abort();
        delete follower;
    }
}

void MonitorObserver::raiseAll()
{
    for (MonitorFollower *follower : std::as_const(m_followers))
        follower->raise();
}
