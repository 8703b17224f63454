#pragma once

#include "detection/Detection.h"
#include "detection/IdRules.h"
#include "platform/WindowWatcher.h"

#include <QMap>
#include <QObject>
#include <QSet>

// Watches the desktop for windows of the user's poker programs and tells which are
// tables (asking the rules again at each retitle until they decide) and when windows
// go. A Wine program's window whose rule reads its Windows class or style waits for
// those facts (asked again at each retitle) before the rules see it.
class TableNotifier : public QObject
{
    Q_OBJECT
public:
    // Without a facts source, the desktop's, with Wine programs' facts.
    explicit TableNotifier(QObject *parent = nullptr, WindowFactsSourceSptr facts = nullptr);

    // The program of a window found to be a table; empty for any other window.
    DetectionSptr tableDetection(WindowId window) const { return m_tables.value(window); }
    // The tables found so far and still open.
    QList<WindowId> tables() const { return m_tables.keys(); }
    bool isPending(WindowId window) const { return m_pending.contains(window); }
    bool isWatching() const { return m_watcher.isRunning(); }

signals:
    void newTable(WindowId window);
    // Every window that goes, table or not.
    void destroyed(WindowId window);

public slots:
    // Examines the windows shown now, once, then follows the desktop's changes.
    void start();
    void stop();

private slots:
    void onWindowCreated(WindowId window);
    void onWindowDestroyed(WindowId window);
    void identify(WindowId window);
    void onRetitled(WindowId window);
    void onWineAnswered(WindowId window);

private:
    // True when the window waits for its Wine facts.
    bool askWine(WindowId window, const DetectionSptr &detection);

    QMap<WindowId, DetectionSptr> m_pending;
    QMap<WindowId, DetectionSptr> m_tables;
    QSet<WindowId> m_waitingForWine;
    std::shared_ptr<WineWindowFacts> m_wine;
    bool m_toldWineUnavailable = false;
    IdRuleSet m_rules;
    WindowWatcher m_watcher;
};
