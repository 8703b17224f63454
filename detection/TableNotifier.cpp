#include "detection/TableNotifier.h"

#include "app/Log.h"

namespace {

// Windows seen, for the log.
int g_createdWindows = 0;

std::shared_ptr<WineWindowFacts> wineFactsUnless(const WindowFactsSourceSptr &facts)
{
    return facts ? nullptr : std::make_shared<WineWindowFacts>();
}

} // namespace

TableNotifier::TableNotifier(QObject *parent, WindowFactsSourceSptr facts)
    : QObject(parent)
    , m_wine(wineFactsUnless(facts))
    , m_rules(facts ? std::move(facts) : std::make_shared<DesktopFactsSource>(m_wine))
{
    connect(&m_watcher, &WindowWatcher::windowCreated, this, &TableNotifier::onWindowCreated);
    connect(&m_watcher, &WindowWatcher::windowDestroyed, this, &TableNotifier::onWindowDestroyed);
    connect(&m_watcher, &WindowWatcher::windowRetitled, this, &TableNotifier::onRetitled);
    if (m_wine)
        connect(m_wine.get(), &WineWindowFacts::answered, this, &TableNotifier::onWineAnswered);
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
    if (!askWine(window, detection))
        identify(window);
}

bool TableNotifier::askWine(WindowId window, const DetectionSptr &detection)
{
    if (!m_wine || !m_rules.readsWindowsFacts(detection))
        return false;
    switch (m_wine->request(window, desktop::windowProcessId(window))) {
    case WineWindowFacts::Request::Asked:
        m_waitingForWine.insert(window);
        return true;
    case WineWindowFacts::Request::Unavailable:
        if (!m_toldWineUnavailable) {
            m_toldWineUnavailable = true;
            logWarn(QStringLiteral("TableNotifier: Windows classes and styles of Wine programs cannot be read (%1), "
                                   "so the tables of %2 cannot be told from their other windows")
                            .arg(m_wine->unavailableReason(), m_rules.programsReadingWindowsFacts().join(QStringLiteral(", "))));
        }
        return false;
    case WineWindowFacts::Request::NotWine:
        return false;
    }
    return false;
}

void TableNotifier::onRetitled(WindowId window)
{
    // Still undecided: its style may have changed with its title, so Wine is asked again.
    if (m_waitingForWine.contains(window) || askWine(window, m_pending.value(window)))
        return;
    identify(window);
}

void TableNotifier::onWineAnswered(WindowId window)
{
    if (m_waitingForWine.remove(window))
        identify(window);
}

void TableNotifier::onWindowDestroyed(WindowId window)
{
    m_tables.remove(window);
    m_pending.remove(window);
    m_waitingForWine.remove(window);
    if (m_wine)
        m_wine->forget(window);
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
