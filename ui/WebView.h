#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <functional>

// A page of the service, drawn by the web pages process inside this frame. The page
// exists while the frame is shown: it is made when the frame is first shown, and
// given back a while after the frame was hidden (a minimised or hidden main window,
// another tab), then made again when it is shown. It carries the login session's
// cookies, loads at most once a second, tries a failed page again, and its links
// open in the desktop's browser.
class WebView : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kLoadDelayMs = 1000;
    static constexpr int kReleaseDelayMs = 60000;

    explicit WebView(QWidget *parent = nullptr);
    ~WebView() override;

    void load(const QUrl &url);
    QUrl url() const { return m_url; }
    // Loads made so far (several requests within a second make one).
    int loadCount() const { return m_loads; }
    // A load was asked for and waits for its second to pass.
    bool isLoadPending() const { return m_timer.isActive(); }
    // The page exists in the web pages process.
    bool hasPage() const { return m_page != 0; }
    void setScrollBarsOff();
    // How long a hidden page is kept.
    void setReleaseDelay(int ms) { m_releaseTimer.setInterval(ms); }
    // The script's value in the page, given to done (invalid without a page).
    void runJavaScript(const QString &code, std::function<void(const QVariant &)> done);

signals:
    void loaded(bool ok);

public slots:
    void onWebLinkClicked(const QUrl &url);
    void uniquelyLoad();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openPage();
    void releasePage();
    // Takes the page out of this window now: the window is about to be destroyed.
    void detachPage();
    void onLoaded(int page, bool ok);
    void onLinkClicked(int page, const QUrl &url);
    void onPagesLost(const QSet<int> &pages);

    QUrl m_url;
    QPointer<QWidget> m_watchedWindow;
    QTimer m_timer;
    QTimer m_releaseTimer;
    int m_page = 0;
    int m_loads = 0;
    bool m_scrollBars = true;
    bool m_shownOnce = false;
};
