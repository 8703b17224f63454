#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QElapsedTimer>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QSize>
#include <QUrl>
#include <QVariant>
#include <QWindow>

#include <functional>

// The process that draws the service's pages (brindlecast-web). The web engine is
// the heaviest thing the program would hold: kept in a process of its own, it is
// started when a page is first needed and ended when no page is left, which gives
// back all its memory and its helper processes.
class WebHost : public QObject
{
    Q_OBJECT
public:
    // Time given to the process to end on its own before it is killed.
    static constexpr int kEndPatienceMs = 5000;
    // After a failed start, how long pages are not tried again.
    static constexpr int kRetryStartMs = 30000;

    // The one host of this run, made on first use.
    static WebHost *instance();
    // Where the process's program is; empty when it is nowhere.
    static QString helperPath();

    // A page drawn inside the window parent at its top left, loading url; 0 when
    // the process cannot be started (said once in the log).
    int open(WId parent, const QSize &size, const QUrl &url, bool scrollBars);
    void load(int page, const QUrl &url);
    void resize(int page, const QSize &size);
    void close(int page);
    // The script's value, given to done (invalid when the page is gone).
    void runJavaScript(int page, const QString &code, std::function<void(const QVariant &)> done);

    bool isRunning() const;
    // Ends the process and forgets its pages (the program quits).
    void shutDown();
    qint64 processId() const;
    int openPages() const { return int(m_pages.size()); }

signals:
    void loaded(int page, bool ok);
    void linkClicked(int page, const QUrl &url);
    // The process ended while these pages were open.
    void pagesLost(const QSet<int> &pages);

private:
    explicit WebHost(QObject *parent);
    ~WebHost() override;
    bool ensureStarted();
    void sendSettings();
    void sendCookies();
    void send(const QJsonObject &order);
    void readAnswers();
    void onAnswer(const QJsonObject &answer);
    void onError(QProcess::ProcessError error);
    void onFinished();
    void dropProcess();
    void endProcess();

    QProcess *m_process = nullptr;
    QByteArray m_pending;
    QSet<int> m_pages;
    int m_nextPage = 1;
    QHash<int, std::function<void(const QVariant &)>> m_scripts;
    int m_nextScript = 1;
    bool m_failureTold = false;
    QElapsedTimer m_failedStart;
};
