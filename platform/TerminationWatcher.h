#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl+C, a closed terminal) into a
// Qt signal on the thread that created the watcher, so the orderly quit runs on the
// event loop instead of inside a signal handler. A second such signal after the
// first ends the process at once, for a quit that hangs.
class TerminationWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

    // False when the handlers could not be installed (reason logged).
    bool isActive() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private slots:
    void onReadable();

private:
    QSocketNotifier *m_notifier = nullptr;
};
