#pragma once

#include <QFrame>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineView;

// A page of the service: it carries the login session's cookies, and links open in
// the desktop's browser instead of inside the page.
class ServicePage : public QWebEnginePage
{
    Q_OBJECT
public:
    using QWebEnginePage::QWebEnginePage;

signals:
    void linkClicked(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
};

// A new page on the program's web profile.
ServicePage *createWebPage(QObject *parent);
// Hands the login session's cookies to the web profile.
void copySessionCookies();

// A web view that loads at most once a second and tries a failed page again.
class WebView : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kLoadDelayMs = 1000;

    explicit WebView(QWidget *parent = nullptr);

    void load(const QUrl &url);
    QUrl url() const { return m_url; }
    QWebEngineView *view() const { return m_view; }
    // Loads made so far (several requests within a second make one).
    int loadCount() const { return m_loads; }
    // A load was asked for and waits for its second to pass.
    bool isLoadPending() const { return m_timer.isActive(); }
    void setScrollBarsOff();

signals:
    void loaded(bool ok);

public slots:
    void onWebLinkClicked(const QUrl &url);
    void onLoadFinished(bool ok);
    void uniquelyLoad();

private:
    QWebEngineView *m_view;
    QUrl m_url;
    QTimer m_timer;
    int m_loads = 0;
};
