#include "tool/Observers.h"

#include "detection/Rooms.h"
#include "library/WindowConfig.h"
#include "net/Reports.h"
#include "tool/RecorderWidget.h"
#include "ui/MyApplication.h"

template<class Key, class F>
void FollowerSet<Key, F>::relayDisplayChanges(Follower *follower)
{
    if (auto *app = qobject_cast<MyApplication *>(QCoreApplication::instance()))
        QObject::connect(app, &MyApplication::displayChanged, follower, &Follower::onDisplayChanged);
}

template class FollowerSet<WindowId, WindowFollower>;
template class FollowerSet<RegionFollower *, RegionFollower>;
template class FollowerSet<MId, MonitorFollower>;

WindowObserver::WindowObserver(int period, QObject *parent)
    : QObject(parent)
    , m_period(period)
{
    m_timer.start(period);
    connect(&m_notifier, &TableNotifier::newTable, this, &WindowObserver::newTable);
    connect(&m_notifier, &TableNotifier::destroyed, this, &WindowObserver::stop);
    // From the event loop, once everything is connected.
    QTimer::singleShot(0, &m_notifier, &TableNotifier::start);
    if (const WindowConfig *settings = WindowConfig::instance())
        connect(settings, &WindowConfig::autoDetectionChanged, this, &WindowObserver::onAutoDetectionChanged);
}

WindowObserver::~WindowObserver()
{
    stopAll();
}

void WindowObserver::takeUp(WindowId window)
{
    const WindowConfig *settings = WindowConfig::instance();
    const int allowed = settings ? settings->maxTables() : 0;
    if (count() < allowed)
        follow(window, settings && settings->autoRecord());
}

void WindowObserver::onAutoDetectionChanged(bool automatic)
{
    if (!automatic)
        return;
    for (WindowId window : m_notifier.tables())
        takeUp(window);
}

void WindowObserver::newTable(WindowId window)
{
    const WindowConfig *settings = WindowConfig::instance();
    if (!settings || settings->autoDetection()) {
        takeUp(window);
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
        const Activity activity{room->id, room->name, desktop::windowTitle(window), detection->exePath()};
        HttpConnection::post(newActivityReport(activity), 0, 0);
    }
}

void WindowObserver::follow(WindowId window, bool autoRecord)
{
    if (m_followers.contains(window) || desktop::isOwnWindow(window) || desktop::isWindowMinimised(window))
        return;
    const WindowConfig *settings = WindowConfig::instance();
    const TargetSptr target = chooseWindowTarget(window, settings && settings->recordOverlayWindows());
    if (!target)
        return;
    auto *follower = new WindowFollower(window, target, m_period, autoRecord);
    connect(follower, qOverload<WindowId>(&WindowFollower::unregister), this, &WindowObserver::unregister);
    connect(&m_timer, &QTimer::timeout, follower, &WindowFollower::follow);
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
    m_followers.remove(window);
}

void WindowObserver::stopAll()
{
    m_notifier.stop();
    m_followers.stopAll();
}

void WindowObserver::raiseAll()
{
    m_followers.raiseAll();
}

RegionObserver::RegionObserver(int period, QObject *parent)
    : QObject(parent)
    , m_period(period)
{
}

void RegionObserver::follow(const QRect &region)
{
    auto *follower = new RegionFollower(std::make_shared<RegionTarget>(region), m_period);
    connect(follower, qOverload<RegionFollower *>(&RegionFollower::unregister), this, &RegionObserver::unregister);
    m_followers.insert(follower, follower);
    follower->initRecorder(nullptr, true);
}

MonitorObserver::MonitorObserver(int period, QObject *parent)
    : QObject(parent)
    , m_period(period)
{
}

void MonitorObserver::follow(const std::shared_ptr<MonitorTarget> &monitor)
{
    if (!monitor || m_followers.contains(monitor->name()))
        return;
    auto *follower = new MonitorFollower(monitor, m_period);
    connect(follower, qOverload<const MId &>(&MonitorFollower::unregister), this, &MonitorObserver::unregister);
    m_followers.insert(monitor->name(), follower);
    follower->initRecorder(nullptr, true);
}

