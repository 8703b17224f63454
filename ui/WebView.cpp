#include "ui/WebView.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "net/HttpConnection.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QVBoxLayout>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QWebEngineProfile *profile()
{
    // Off the record: nothing of a session is kept on disk between runs.
    static QWebEngineProfile *shared = new QWebEngineProfile(QCoreApplication::instance());
    return shared;
}

} // namespace

bool ServicePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool)
{
    if (type == NavigationTypeLinkClicked) {
        emit linkClicked(url);
        return false;
    }
    return true;
}

ServicePage *createWebPage(QObject *parent)
{
    return new ServicePage(profile(), parent);
}

void copySessionCookies()
{
    HttpConnection *connection = HttpConnection::instance();
    if (!connection || !connection->manager()->cookieJar())
        return;
    const QUrl service(serviceUrl());
    for (QNetworkCookie cookie : connection->manager()->cookieJar()->cookiesForUrl(service)) {
        if (cookie.domain().isEmpty())
            cookie.setDomain(service.host());
        profile()->cookieStore()->setCookie(cookie, service);
    }
}

WebView::WebView(QWidget *parent)
    : QFrame(parent)
    , m_view(new QWebEngineView(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_view);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    auto *page = createWebPage(m_view);
    m_view->setPage(page);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kLoadDelayMs);
    connect(page, &ServicePage::linkClicked, this, &WebView::onWebLinkClicked);
    connect(m_view, &QWebEngineView::loadFinished, this, &WebView::onLoadFinished);
    connect(&m_timer, &QTimer::timeout, this, &WebView::uniquelyLoad);
}

void WebView::setScrollBarsOff()
{
    m_view->page()->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
}

void WebView::load(const QUrl &url)
{
    m_url = url;
    m_view->stop();
    m_timer.start();
}

void WebView::uniquelyLoad()
{
    if (!m_url.isValid())
        return;
    copySessionCookies();
    ++m_loads;
    m_view->load(m_url);
}

void WebView::onWebLinkClicked(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

void WebView::onLoadFinished(bool ok)
{
    // A page that failed (the service not up yet) is tried again a second later.
    if (!ok)
        m_timer.start();
    emit loaded(ok);
}
