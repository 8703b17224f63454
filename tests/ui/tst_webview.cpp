// The service's pages in their own process, on the display scripts/test provides: made
// when first shown, drawn inside the program's window, given back (process and all
// its children) after a hide, made again with the session's cookies on the next show,
// links handed to the desktop, and a page process that dies replaced.
#include "net/HttpConnection.h"
#include "tests/support/Screenshot.h"
#include "tests/support/XSession.h"
#include "ui/WebHost.h"
#include "ui/WebView.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QVBoxLayout>

#include <csignal>

namespace {

constexpr int kPatienceMs = 60000;
constexpr QRgb kPageColour = 0x2a7f62;

// A web server of one page whose background is kPageColour, with a link; it keeps
// the Cookie header of every request.
class PageServer : public QObject
{
    Q_OBJECT
public:
    PageServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, &PageServer::accept);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/page").arg(m_server.serverPort())); }
    QStringList cookies;
    int requests = 0;

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_heads[socket] += socket->readAll();
                const QByteArray head = m_heads[socket];
                if (!head.contains("\r\n\r\n"))
                    return;
                m_heads.remove(socket);
                ++requests;
                for (const QByteArray &line : head.split('\n'))
                    if (line.toLower().startsWith("cookie:"))
                        cookies << QString::fromUtf8(line.mid(7).trimmed());
                const QByteArray body = QStringLiteral("<html><body style=\"margin:0;background:#%1\">"
                                                       "<a id=\"out\" href=\"http://elsewhere.invalid/x\">out</a>"
                                                       "</body></html>")
                                                .arg(kPageColour, 6, 16, QLatin1Char('0'))
                                                .toUtf8();
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                              + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_heads;
};

// The process and every process under it, as /proc shows them now.
QSet<qint64> processTree(qint64 root)
{
    QSet<qint64> tree{root};
    bool grown = true;
    while (grown) {
        grown = false;
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            if (!number || tree.contains(pid))
                continue;
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            // After the name in parentheses: state, then the parent.
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && tree.contains(fields.at(1).toLongLong())) {
                tree.insert(pid);
                grown = true;
            }
        }
    }
    return tree;
}

bool alive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // A zombie has ended.
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) != "Z";
}

// The share of the frame's pixels, as the X server shows its window, that are the page's colour.
double pageColourShare(QWidget *window, WebView *view)
{
    const QImage shot = keepScreenshot(QStringLiteral("web-view"), window->winId());
    const QRect frame(view->mapTo(window, QPoint(0, 0)), view->size());
    int hits = 0;
    for (int y = frame.top(); y <= frame.bottom(); ++y)
        for (int x = frame.left(); x <= frame.right(); ++x)
            hits += (shot.pixel(x, y) & 0xffffff) == kPageColour;
    return double(hits) / double(frame.width() * frame.height());
}

class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class TestWebView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pageLivesWhileShown();
    void closedWindowLeavesOthers();
    void lostProcessIsReplaced();

private:
    std::unique_ptr<HttpConnection> m_connection;
    PageServer m_server;
};

void TestWebView::initTestCase()
{
    QVERIFY2(!WebHost::helperPath().isEmpty(), "brindlecast-web is not built");
    m_connection = std::make_unique<HttpConnection>();
}

void TestWebView::pageLivesWhileShown()
{
    // The session's cookie, as a login leaves it; the pages are served from the service's host.
    qputenv("BRINDLECAST_SERVICE_URL", QStringLiteral("http://127.0.0.1:%1").arg(m_server.url().port()).toUtf8());
    QNetworkCookie session("session", "first");
    session.setPath(QStringLiteral("/"));
    m_connection->manager()->cookieJar()->setCookiesFromUrl({session}, m_server.url());

    QWidget window;
    window.setGeometry(317, 211, 423, 301);
    auto *column = new QVBoxLayout(&window);
    auto *view = new WebView(&window);
    column->addWidget(view);
    view->setReleaseDelay(300);
    view->load(m_server.url());
    // Nothing is made for a page nobody looks at, even once its load comes due.
    QTRY_VERIFY_WITH_TIMEOUT(!view->isLoadPending(), kPatienceMs);
    QVERIFY(!view->hasPage());
    QVERIFY(!WebHost::instance()->isRunning());

    QSignalSpy loaded(view, &WebView::loaded);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPatienceMs);
    QVERIFY(loaded.last().first().toBool());
    QVERIFY(view->hasPage());
    QCOMPARE(m_server.cookies.value(0), QStringLiteral("session=first"));
    // Drawn inside the program's own window, filling the frame.
    QTRY_COMPARE_WITH_TIMEOUT(mappedChildren(quint32(view->winId())).size(), 1, kPatienceMs);
    QTRY_VERIFY_WITH_TIMEOUT(pageColourShare(&window, view) > 0.9, kPatienceMs);
    // Resized with it.
    window.resize(634, 478);
    QTRY_VERIFY_WITH_TIMEOUT(pageColourShare(&window, view) > 0.9, kPatienceMs);

    // A link goes to the desktop's browser, not into the frame.
    LinkCatcher links;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &links, "open");
    view->runJavaScript(QStringLiteral("document.getElementById('out').click()"), [](const QVariant &) {});
    QTRY_COMPARE_WITH_TIMEOUT(links.urls.value(0), QUrl(QStringLiteral("http://elsewhere.invalid/x")), kPatienceMs);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    const int requestsBefore = m_server.requests;

    // Hidden past the delay: the page and every process of the web engine end.
    const QSet<qint64> engine = processTree(WebHost::instance()->processId());
    QVERIFY2(engine.size() > 1, "the page process has started no engine processes");
    window.hide();
    QTRY_VERIFY_WITH_TIMEOUT(!view->hasPage(), kPatienceMs);
    for (const qint64 pid : engine)
        QTRY_VERIFY2_WITH_TIMEOUT(!alive(pid), qPrintable(QStringLiteral("process %1 still runs").arg(pid)), kPatienceMs);
    QVERIFY(!WebHost::instance()->isRunning());

    // Shown again: the page comes back by itself, with the session's cookie as it is now.
    session.setValue("second");
    m_connection->manager()->cookieJar()->setCookiesFromUrl({session}, m_server.url());
    loaded.clear();
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPatienceMs);
    QVERIFY(loaded.last().first().toBool());
    QVERIFY(m_server.requests > requestsBefore);
    QCOMPARE(m_server.cookies.last(), QStringLiteral("session=second"));
    QTRY_VERIFY_WITH_TIMEOUT(pageColourShare(&window, view) > 0.9, kPatienceMs);

    // Hidden for less than the delay, nothing is given back.
    view->setReleaseDelay(kPatienceMs);
    window.hide();
    window.show();
    QVERIFY(view->hasPage());

    // Closed, the window loses its native window: the page is taken out first, and
    // comes back inside the new one when the window is shown again.
    window.close();
    QVERIFY(!view->hasPage());
    loaded.clear();
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPatienceMs);
    QTRY_COMPARE_WITH_TIMEOUT(mappedChildren(quint32(view->winId())).size(), 1, kPatienceMs);
    QTRY_VERIFY_WITH_TIMEOUT(pageColourShare(&window, view) > 0.9, kPatienceMs);
}

void TestWebView::closedWindowLeavesOthers()
{
    // A main window and a guide beside it, each with its page.
    QWidget main;
    main.setGeometry(40, 40, 634, 478);
    (new QVBoxLayout(&main))->addWidget(new WebView(&main));
    QWidget guide;
    guide.setGeometry(700, 40, 423, 301);
    (new QVBoxLayout(&guide))->addWidget(new WebView(&guide));
    QList<WebView *> views{main.findChild<WebView *>(), guide.findChild<WebView *>()};
    for (int i = 0; i < 2; ++i) {
        QSignalSpy loaded(views[i], &WebView::loaded);
        views[i]->load(m_server.url());
        views[i]->window()->show();
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPatienceMs);
    }
    const qint64 process = WebHost::instance()->processId();
    QCOMPARE(WebHost::instance()->openPages(), 2);

    // The main window closes; the guide's page goes on in the same process.
    QSignalSpy lost(WebHost::instance(), &WebHost::pagesLost);
    main.close();
    QVERIFY(!views[0]->hasPage());
    QSignalSpy loaded(views[1], &WebView::loaded);
    views[1]->load(m_server.url());
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPatienceMs);
    QVERIFY(loaded.last().first().toBool());
    QCOMPARE(lost.size(), 0);
    QCOMPARE(WebHost::instance()->processId(), process);
    QCOMPARE(WebHost::instance()->openPages(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(pageColourShare(&guide, views[1]) > 0.9, kPatienceMs);
}

void TestWebView::lostProcessIsReplaced()
{
    QWidget window;
    window.resize(423, 301);
    auto *column = new QVBoxLayout(&window);
    auto *view = new WebView(&window);
    column->addWidget(view);
    view->load(m_server.url());
    QSignalSpy loaded(view, &WebView::loaded);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPatienceMs);
    const qint64 first = WebHost::instance()->processId();
    QVERIFY(first > 0);

    ::kill(pid_t(first), SIGKILL);
    loaded.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPatienceMs);
    QVERIFY(loaded.last().first().toBool());
    QVERIFY(WebHost::instance()->processId() != first);
    QTRY_VERIFY_WITH_TIMEOUT(pageColourShare(&window, view) > 0.9, kPatienceMs);
}

QTEST_MAIN(TestWebView)
#include "tst_webview.moc"
