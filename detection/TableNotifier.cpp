#include "detection/TableNotifier.h"

#include "app/Log.h"

namespace {

// Windows seen, for the log.
int g_createdWindows = 0;

} // namespace

TableNotifier::TableNotifier(QObject *parent, WindowFactsSourceSptr facts)
    : QObject(parent)
    , m_rules(std::move(facts))
{
    connect(&m_watcher, &WindowWatcher::windowCreated, this, &TableNotifier::onWindowCreated);
    connect(&m_watcher, &WindowWatcher::windowDestroyed, this, &TableNotifier::onWindowDestroyed);
    connect(&m_watcher, &WindowWatcher::windowRetitled, this, &TableNotifier::identify);
}

void TableNotifier::start()
{
    // Listening starts first, so that no window falls between the two.
    if (!m_watcher.start())
        logWarn(QStringLiteral("TableNotifier: the desktop cannot be watched; tables are not detected"));
    for (WindowId window : desktop::topLevelWindows()) {
        // Owned and hidden windows are examined when the desktop reports them.
        if (desktop::windowOwner(window) == 0 && desktop::isWindowVisible(window))
            onWindowCreated(window);
    }
}

void TableNotifier::stop()
{
    m_watcher.stop();
}

void TableNotifier::onWindowCreated(WindowId window)
{
    ++g_createdWindows;
    logDebug(QStringLiteral("%1 TableNotifier::onWindowCreated").arg(g_createdWindows));
    if (m_pending.contains(window) || m_tables.contains(window))
        return;
    const QString exePath = desktop::windowExecutablePath(window);
    if (exePath.isEmpty())
        return;
    DetectionManager *manager = DetectionManager::instance();
    const DetectionSptr detection = manager ? manager->detectionFor(exePath) : nullptr;
    if (!detection || !detection->recordable())
        return;
    m_pending.insert(window, detection);
    identify(window);
}

void TableNotifier::onWindowDestroyed(WindowId window)
{
    m_tables.remove(window);
    m_pending.remove(window);
    emit destroyed(window);
}

void TableNotifier::identify(WindowId window)
{
    const DetectionSptr detection = m_pending.value(window);
    if (!detection)
        return;
    switch (m_rules.identify(window, detection)) {
    case IdTable:
        m_pending.remove(window);
        m_tables.insert(window, detection);
        emit newTable(window);
        break;
    case IdRejected:
        m_pending.remove(window);
        break;
    case IdUnknown:
        break;
    }
}
