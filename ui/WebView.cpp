#include "ui/WebView.h"

#include "app/Log.h"
#include "platform/DesktopWindows.h"
#include "ui/WebHost.h"

#include <QDesktopServices>
#include <QHideEvent>
#include <QShowEvent>

WebView::WebView(QWidget *parent)
    : QFrame(parent)
{
    // The page's window is a child of this one.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kLoadDelayMs);
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(kReleaseDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &WebView::uniquelyLoad);
    connect(&m_releaseTimer, &QTimer::timeout, this, &WebView::releasePage);
    WebHost *host = WebHost::instance();
    connect(host, &WebHost::loaded, this, &WebView::onLoaded);
    connect(host, &WebHost::linkClicked, this, &WebView::onLinkClicked);
    connect(host, &WebHost::pagesLost, this, &WebView::onPagesLost);
}

WebView::~WebView()
{
    detachPage();
}

void WebView::setScrollBarsOff()
{
    m_scrollBars = false;
}

void WebView::load(const QUrl &url)
{
    m_url = url;
    m_timer.start();
}

void WebView::uniquelyLoad()
{
    // A hidden frame's page is loaded when it is shown.
    if (!m_url.isValid() || !isVisible())
        return;
    ++m_loads;
    if (m_page)
        WebHost::instance()->load(m_page, m_url);
    else
        openPage();
}

void WebView::openPage()
{
    // The page's process draws into this window: it must exist on the display first.
    const WId window = winId();
    desktop::syncWithDisplay();
    m_page = WebHost::instance()->open(window, contentsRect().size(), m_url, m_scrollBars);
    m_shownOnce = false;
}

void WebView::releasePage()
{
    m_releaseTimer.stop();
    if (!m_page)
        return;
    WebHost::instance()->close(std::exchange(m_page, 0));
}

void WebView::detachPage()
{
    if (!m_page)
        return;
    if (internalWinId())
        desktop::detachChildWindows(internalWinId());
    releasePage();
}

bool WebView::eventFilter(QObject *watched, QEvent *event)
{
    // A closed window loses its native window, and the page inside with it.
    if (watched == m_watchedWindow && event->type() == QEvent::Close && m_page) {
        detachPage();
        // A close the window refused (it minimises instead) leaves it shown.
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !window()->isMinimized() && !m_page)
                m_timer.start();
        });
    }
    return QFrame::eventFilter(watched, event);
}

void WebView::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    if (m_watchedWindow != window()) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        m_watchedWindow->installEventFilter(this);
    }
    m_releaseTimer.stop();
    // Shown again after its page was given back: it comes back at once.
    if (!m_page && m_url.isValid() && !m_timer.isActive()) {
        ++m_loads;
        openPage();
    }
}

void WebView::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    if (m_page)
        m_releaseTimer.start();
}

void WebView::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (m_page)
        WebHost::instance()->resize(m_page, contentsRect().size());
}

void WebView::runJavaScript(const QString &code, std::function<void(const QVariant &)> done)
{
    WebHost::instance()->runJavaScript(m_page, code, std::move(done));
}

void WebView::onWebLinkClicked(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

void WebView::onLinkClicked(int page, const QUrl &url)
{
    if (page == m_page)
        onWebLinkClicked(url);
}

void WebView::onLoaded(int page, bool ok)
{
    if (page != m_page)
        return;
    // A page that failed (the service not up yet) is tried again a second later.
    if (!ok)
        m_timer.start();
    else if (!std::exchange(m_shownOnce, true))
        logInfo(QStringLiteral("Service page %1 shown").arg(m_url.path()));
    emit loaded(ok);
}

void WebView::onPagesLost(const QSet<int> &pages)
{
    if (!pages.contains(m_page))
        return;
    m_page = 0;
    // Made again in a new process, if it is still looked at.
    if (isVisible())
        m_timer.start();
}
