#pragma once

#include "app/bc_ret.h"
#include "platform/DesktopWindows.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QProcessEnvironment>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <optional>

// What Windows says of a top-level window of a Wine program. Wine's X11 windows carry
// neither: their WM_CLASS is the program's file name and they have no style.
struct WineWindow
{
    WindowId x11Window = 0;
    QString className;
    quint32 style = 0;
    quint32 exStyle = 0;
};

namespace wine {

// How to start a program next to a running Wine process so that the same wine server
// answers it: that process's loader and prefix.
struct Launch
{
    QString loader;
    QString prefix;
    QProcessEnvironment environment;
};

// The process runs a Wine loader (its executable's file name starts with "wine").
bool isWineProcess(qint64 pid);
// The launch of a process from its environment (NUL-separated, as in /proc/PID/environ)
// and its executable: WINELOADER, else the executable; WINEPREFIX, else ~/.wine. Fails
// when the loader or the prefix is not there: a missing prefix would be made anew.
bc_ret launchFrom(const QByteArray &environ, const QString &executable, Launch &launch);
bc_ret launchFor(qint64 pid, Launch &launch);

// The helper program listing a prefix's windows: BRINDLECAST_WINE_HELPER, else beside
// the program, else in ../libexec/brindlecast, else where this build made it. Empty
// when there is none.
QString helperPath();
// The helper's lines; malformed ones are left out.
QList<WineWindow> parseListing(const QByteArray &output);
// Runs the helper in the launch's prefix and waits for it at most timeoutMs, or until
// *cancel is set. Blocks: any thread but the GUI thread.
bc_ret listWindows(const Launch &launch, const QString &helper, int timeoutMs, QList<WineWindow> &windows,
                   const std::atomic_bool *cancel = nullptr);

} // namespace wine

// Windows facts of the windows of Wine programs, kept once asked. The helper runs on a
// thread of this object's own, once at a time per prefix, for every window asked for
// meanwhile.
class WineWindowFacts : public QObject
{
    Q_OBJECT
public:
    enum class Request {
        Asked,       // answered(window) follows
        NotWine,     // not a window of a Wine program
        Unavailable, // Wine programs' facts cannot be had here: see unavailableReason()
    };
    static constexpr int kTimeoutMs = 15000;

    // The helper's path is found by wine::helperPath() when empty.
    explicit WineWindowFacts(const QString &helper = QString(), QObject *parent = nullptr);
    ~WineWindowFacts() override;

    // Any thread.
    std::optional<WineWindow> find(WindowId window) const;
    // Asks for the facts of a window of the process pid (the process is read here, once).
    Request request(WindowId window, qint64 pid);
    QString unavailableReason() const { return m_unavailable; }
    // The window is gone: its facts are dropped.
    void forget(WindowId window);

signals:
    // The helper ran for the window's prefix: its facts are in, or it has none.
    void answered(WindowId window);

private:
    struct Prefix
    {
        wine::Launch launch;
        QSet<WindowId> waiting;
        QSet<WindowId> listed;
        bool running = false;
    };
    void run(const QString &prefix);
    void finished(const QString &prefix, const QSet<WindowId> &asked, const QList<WineWindow> &windows,
                  const bc_ret &result);

    QString m_helper;
    QString m_unavailable;
    QHash<QString, Prefix> m_prefixes;
    mutable QMutex m_mutex;
    QHash<WindowId, WineWindow> m_facts;
    QSet<QString> m_failedPrefixes;
    std::atomic_bool m_cancel{false};
    QThreadPool m_pool;
};
