#include "main/WebPages.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QNetworkCookie>
#include <QNetworkProxy>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

#include <cerrno>

#include <unistd.h>

namespace {

// Links open in the desktop's browser, which the program starts: the page only says so.
class ServicePage : public QWebEnginePage
{
public:
    ServicePage(QWebEngineProfile *profile, QObject *parent, std::function<void(const QUrl &)> onLink)
        : QWebEnginePage(profile, parent)
        , m_onLink(std::move(onLink))
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool) override
    {
        if (type == NavigationTypeLinkClicked) {
            m_onLink(url);
            return false;
        }
        return true;
    }

private:
    std::function<void(const QUrl &)> m_onLink;
};

// A view whose window lives inside a window of the program. The web engine's first
// picture makes Qt create the view's window anew (to draw it with OpenGL): the new
// window is put back inside the program's before it is ever mapped.
class EmbeddedView : public QWebEngineView
{
public:
    explicit EmbeddedView(WId host)
        : m_host(QWindow::fromWinId(host))
    {
    }
    ~EmbeddedView() override
    {
        // The view's window, a child of the host's, goes with the view: the host after it.
        if (m_host)
            m_host->deleteLater();
    }
    bool embed()
    {
        if (!m_host)
            return false;
        winId();
        if (windowHandle()->parent() != m_host)
            windowHandle()->setParent(m_host);
        return true;
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::WinIdChange && windowHandle() && windowHandle()->parent() != m_host && m_host) {
            windowHandle()->setParent(m_host);
            windowHandle()->setPosition(0, 0);
        }
        return QWebEngineView::event(event);
    }

private:
    QWindow *m_host;
};

QSize sizeOf(const QJsonObject &order)
{
    return QSize(qMax(1, order.value(QStringLiteral("width")).toInt()), qMax(1, order.value(QStringLiteral("height")).toInt()));
}

} // namespace

WebPages::WebPages(int inputFd, int outputFd, QObject *parent)
    : QObject(parent)
    , m_outputFd(outputFd)
    , m_input(inputFd, QSocketNotifier::Read)
{
    connect(&m_input, &QSocketNotifier::activated, this, &WebPages::readInput);
}

WebPages::~WebPages()
{
    qDeleteAll(m_views);
    m_views.clear();
    delete m_profile;
}

void WebPages::readInput()
{
    char buffer[16384];
    const ssize_t got = ::read(int(m_input.socket()), buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        m_input.setEnabled(false);
        emit inputEnded();
        return;
    }
    m_pending.append(buffer, got);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        const QJsonDocument document = QJsonDocument::fromJson(line);
        if (!document.isObject() || !handle(document.object()))
            qWarning("brindlecast-web: order not understood: %s", line.left(200).constData());
    }
}

bool WebPages::handle(const QJsonObject &order)
{
    const QString op = order.value(QStringLiteral("op")).toString();
    // The proxy is set before the first page: the engine reads it when it starts.
    if (op == QLatin1String("proxy"))
        setProxy(order);
    else if (op == QLatin1String("cookie"))
        setCookie(order);
    else if (op == QLatin1String("open"))
        open(order);
    else if (op == QLatin1String("load"))
        load(order);
    else if (op == QLatin1String("resize"))
        resize(order);
    else if (op == QLatin1String("script"))
        runScript(order);
    else if (op == QLatin1String("close"))
        close(order);
    else
        return false;
    return true;
}

void WebPages::setProxy(const QJsonObject &order)
{
    QNetworkProxy proxy(QNetworkProxy::ProxyType(order.value(QStringLiteral("type")).toInt()),
                        order.value(QStringLiteral("host")).toString(), quint16(order.value(QStringLiteral("port")).toInt()),
                        order.value(QStringLiteral("user")).toString(), order.value(QStringLiteral("password")).toString());
    QNetworkProxy::setApplicationProxy(proxy);
}

void WebPages::setCookie(const QJsonObject &order)
{
    if (!m_profile) {
        // Off the record: nothing of a session is kept on disk.
        m_profile = new QWebEngineProfile;
    }
    const QUrl origin(order.value(QStringLiteral("url")).toString());
    for (const QNetworkCookie &cookie : QNetworkCookie::parseCookies(order.value(QStringLiteral("cookie")).toString().toUtf8()))
        m_profile->cookieStore()->setCookie(cookie, origin);
}

void WebPages::open(const QJsonObject &order)
{
    const int id = order.value(QStringLiteral("id")).toInt();
    if (m_views.contains(id))
        return;
    if (!m_profile)
        m_profile = new QWebEngineProfile;
    auto *view = new EmbeddedView(WId(order.value(QStringLiteral("parent")).toString().toULongLong()));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    auto *page = new ServicePage(m_profile, view, [this, id](const QUrl &url) {
        send({{QStringLiteral("ev"), QStringLiteral("link")}, {QStringLiteral("id"), id},
              {QStringLiteral("url"), url.toString()}});
    });
    page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars,
                                   order.value(QStringLiteral("scrollBars")).toBool(true));
    view->setPage(page);
    connect(view, &QWebEngineView::loadFinished, this, [this, id](bool ok) {
        send({{QStringLiteral("ev"), QStringLiteral("loaded")}, {QStringLiteral("id"), id}, {QStringLiteral("ok"), ok}});
    });
    m_views.insert(id, view);
    // Made a child of the program's window before it is ever mapped: it never shows
    // as a window of its own.
    if (!static_cast<EmbeddedView *>(view)->embed()) {
        qWarning("brindlecast-web: the program's window is gone");
        m_views.remove(id);
        delete view;
        return;
    }
    view->setGeometry(QRect(QPoint(0, 0), sizeOf(order)));
    view->show();
    const QUrl url(order.value(QStringLiteral("url")).toString());
    if (url.isValid())
        view->load(url);
}

void WebPages::load(const QJsonObject &order)
{
    if (QWebEngineView *view = m_views.value(order.value(QStringLiteral("id")).toInt())) {
        view->stop();
        view->load(QUrl(order.value(QStringLiteral("url")).toString()));
    }
}

void WebPages::resize(const QJsonObject &order)
{
    if (QWebEngineView *view = m_views.value(order.value(QStringLiteral("id")).toInt()))
        view->setGeometry(QRect(QPoint(0, 0), sizeOf(order)));
}

void WebPages::runScript(const QJsonObject &order)
{
    const int id = order.value(QStringLiteral("id")).toInt();
    const int tag = order.value(QStringLiteral("tag")).toInt();
    QWebEngineView *view = m_views.value(id);
    if (!view) {
        send({{QStringLiteral("ev"), QStringLiteral("script")}, {QStringLiteral("id"), id}, {QStringLiteral("tag"), tag}});
        return;
    }
    view->page()->runJavaScript(order.value(QStringLiteral("code")).toString(), [this, id, tag](const QVariant &result) {
        send({{QStringLiteral("ev"), QStringLiteral("script")}, {QStringLiteral("id"), id}, {QStringLiteral("tag"), tag},
              {QStringLiteral("result"), QJsonValue::fromVariant(result)}});
    });
}

void WebPages::close(const QJsonObject &order)
{
    QWebEngineView *view = m_views.take(order.value(QStringLiteral("id")).toInt());
    if (!view)
        return;
    view->hide();
    delete view;
}

void WebPages::send(const QJsonObject &answer)
{
    QByteArray line = QJsonDocument(answer).toJson(QJsonDocument::Compact);
    line.append('\n');
    const char *data = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(m_outputFd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        // The program is gone: the end of the input follows.
        if (written <= 0)
            return;
        data += written;
        left -= written;
    }
}
