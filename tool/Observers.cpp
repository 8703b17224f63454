#include "tool/Observers.h"

#include "detection/Rooms.h"
#include "library/WindowConfig.h"
#include "net/Reports.h"
#include "tool/RecorderWidget.h"
#include "ui/MyApplication.h"

namespace {

void relayDisplayChanges(Follower *follower)
{
    if (auto *app = qobject_cast<MyApplication *>(QCoreApplication::instance()))
        QObject::connect(app, &MyApplication::displayChanged, follower, &Follower::onDisplayChanged);
}

} // namespace

WindowObserver::WindowObserver(int period, QObject *parent)
    : QObject(parent)
    , m_period(period)
{
    m_timer.start(period);
    connect(&m_notifier, &TableNotifier::newTable, this, &WindowObserver::newTable);
    connect(&m_notifier, &TableNotifier::destroyed, this, &WindowObserver::stop);
    // From the event loop, once everything is connected.
    QTimer::singleShot(0, &m_notifier, &TableNotifier::start);
}

WindowObserver::~WindowObserver()
{
    stopAll();
}

void WindowObserver::newTable(WindowId window)
{
    const WindowConfig *settings = WindowConfig::instance();
    if (!settings || settings->autoDetection()) {
        const int allowed = settings ? settings->maxTables() : 0;
        if (count() < allowed)
            follow(window, settings && settings->autoRecord());
    } else if (settings->popupSelectionTool()) {
        // The user picks tables by hand and wants the tool at hand for a new one.
        emit popup();
    }
    reportActivity(window);
}

void WindowObserver::reportActivity(WindowId window)
{
    const DetectionSptr detection = m_notifier.tableDetection(window);
    const DetectionManager *manager = DetectionManager::instance();
    if (!detection || detection->room() <= 0 || !manager)
        return;
    if (const RoomSptr room = manager->rooms()->roomById(detection->room())) {
        auto activity = std::make_shared<Activity>(
                Activity{room->id, room->name, desktop::windowTitle(window), detection->exePath()});
        HttpConnection::post(new ActivityRequest(activity), 0, 0);
    }
}

void WindowObserver::follow(WindowId window, bool autoRecord)
{
    if (m_followers.contains(window) || desktop::isOwnWindow(window) || desktop::isWindowMinimised(window))
        return;
    const WindowConfig *settings = WindowConfig::instance();
    const TargetSptr target = chooseWindowTarget(window, desktop::isCompositionEnabled(),
                                                 settings && settings->recordOverlayWindows());
    if (!target)
        return;
    auto *follower = new WindowFollower(window, target, m_period, autoRecord);
    connect(follower, qOverload<WindowId>(&WindowFollower::unregister), this, &WindowObserver::unregister);
    connect(&m_timer, &QTimer::timeout, follower, &WindowFollower::follow);
    relayDisplayChanges(follower);
    m_followers.insert(window, follower);
    follower->attach(m_notifier.tableDetection(window));
}

void WindowObserver::stop(WindowId window)
{
    if (WindowFollower *follower = m_followers.value(window)) {
        const WindowConfig *settings = WindowConfig::instance();
        follower->stop(settings && settings->saveOnClose());
    }
}

void WindowObserver::unregister(WindowId window)
{
    if (WindowFollower *follower = m_followers.take(window))
        follower->deleteLater();
}

void WindowObserver::stopAll()
{
    m_notifier.stop();
    const QMap<WindowId, WindowFollower *> followers = std::exchange(m_followers, {});
    for (WindowFollower *follower : followers) {
        follower->abort();
        delete follower;
    }
}

void WindowObserver::raiseAll()
{
    for (WindowFollower *follower : std::as_const(m_followers))
        follower->raise();
}

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
