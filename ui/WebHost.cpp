#include "ui/WebHost.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "net/HttpConnection.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QProcess>
#include <QTimer>

namespace {

constexpr const char *kHelperName = "brindlecast-web";

} // namespace

WebHost *WebHost::instance()
{
    static QPointer<WebHost> host;
    if (!host)
        host = new WebHost(QCoreApplication::instance());
    return host;
}

WebHost::WebHost(QObject *parent)
    : QObject(parent)
{
    // The process ends while the windows it draws in still exist.
    if (auto *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &WebHost::shutDown);
}

WebHost::~WebHost()
{
    shutDown();
}

void WebHost::shutDown()
{
    // At the program's end: the process is given a moment to close its pages.
    if (!isRunning())
        return;
    disconnect(m_process, nullptr, this, nullptr);
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(kEndPatienceMs))
        m_process->kill();
    m_process->waitForFinished(kEndPatienceMs);
    delete std::exchange(m_process, nullptr);
    m_pages.clear();
}

QString WebHost::helperPath()
{
#ifdef BC_WEB_HELPER_BUILT
    const QString built = QStringLiteral(BC_WEB_HELPER_BUILT);
#else
    const QString built;
#endif
    return helperProgramPath(QLatin1String(kHelperName), "BRINDLECAST_WEB_HELPER", built);
}

bool WebHost::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

qint64 WebHost::processId() const
{
    return m_process ? m_process->processId() : 0;
}

bool WebHost::ensureStarted()
{
    if (m_process)
        return true;
    // A process that would not start is not tried again at once.
    if (m_failedStart.isValid() && !m_failedStart.hasExpired(kRetryStartMs))
        return false;
    const QString program = helperPath();
    if (program.isEmpty()) {
        if (!m_failureTold)
            logWarn(QStringLiteral("The service's pages cannot be shown: %1 is not installed").arg(QLatin1String(kHelperName)));
        m_failureTold = true;
        return false;
    }
    m_process = new QProcess(this);
    // Its complaints join the program's own standard error.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &WebHost::readAnswers);
    connect(m_process, &QProcess::finished, this, &WebHost::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &WebHost::onError);
    // Orders written before it runs wait in the pipe.
    m_process->start(program, {});
    logInfo(QStringLiteral("Web pages process started"));
    sendSettings();
    return true;
}

void WebHost::sendSettings()
{
    // The pages go through the proxy the program's own requests use.
    const QNetworkProxy proxy = QNetworkProxy::applicationProxy();
    if (proxy.type() != QNetworkProxy::DefaultProxy)
        send({{QStringLiteral("op"), QStringLiteral("proxy")}, {QStringLiteral("type"), int(proxy.type())},
              {QStringLiteral("host"), proxy.hostName()}, {QStringLiteral("port"), int(proxy.port())},
              {QStringLiteral("user"), proxy.user()}, {QStringLiteral("password"), proxy.password()}});
}

void WebHost::sendCookies()
{
    // The login session's cookies, as they are now, reach every page the service shows.
    HttpConnection *connection = HttpConnection::instance();
    if (!connection || !connection->manager()->cookieJar())
        return;
    const QUrl service(serviceUrl());
    for (QNetworkCookie cookie : connection->manager()->cookieJar()->cookiesForUrl(service)) {
        if (cookie.domain().isEmpty())
            cookie.setDomain(service.host());
        send({{QStringLiteral("op"), QStringLiteral("cookie")}, {QStringLiteral("url"), service.toString()},
              {QStringLiteral("cookie"), QString::fromUtf8(cookie.toRawForm())}});
    }
}

int WebHost::open(WId parent, const QSize &size, const QUrl &url, bool scrollBars)
{
    if (!ensureStarted())
        return 0;
    const int page = m_nextPage++;
    m_pages.insert(page);
    sendCookies();
    send({{QStringLiteral("op"), QStringLiteral("open")}, {QStringLiteral("id"), page},
          {QStringLiteral("parent"), QString::number(quint64(parent))}, {QStringLiteral("width"), size.width()},
          {QStringLiteral("height"), size.height()}, {QStringLiteral("url"), url.toString()},
          {QStringLiteral("scrollBars"), scrollBars}});
    return page;
}

void WebHost::load(int page, const QUrl &url)
{
    if (!m_pages.contains(page))
        return;
    sendCookies();
    send({{QStringLiteral("op"), QStringLiteral("load")}, {QStringLiteral("id"), page}, {QStringLiteral("url"), url.toString()}});
}

void WebHost::resize(int page, const QSize &size)
{
    if (m_pages.contains(page))
        send({{QStringLiteral("op"), QStringLiteral("resize")}, {QStringLiteral("id"), page},
              {QStringLiteral("width"), size.width()}, {QStringLiteral("height"), size.height()}});
}

void WebHost::runJavaScript(int page, const QString &code, std::function<void(const QVariant &)> done)
{
    if (!m_pages.contains(page)) {
        done(QVariant());
        return;
    }
    const int tag = m_nextScript++;
    m_scripts.insert(tag, std::move(done));
    send({{QStringLiteral("op"), QStringLiteral("script")}, {QStringLiteral("id"), page}, {QStringLiteral("tag"), tag},
          {QStringLiteral("code"), code}});
}

void WebHost::close(int page)
{
    if (!m_pages.remove(page))
        return;
    send({{QStringLiteral("op"), QStringLiteral("close")}, {QStringLiteral("id"), page}});
    if (m_pages.isEmpty())
        endProcess();
}

void WebHost::endProcess()
{
    if (!m_process)
        return;
    QProcess *process = m_process;
    m_process = nullptr;
    disconnect(process, nullptr, this, nullptr);
    for (auto it = m_scripts.begin(); it != m_scripts.end(); it = m_scripts.erase(it))
        it.value()(QVariant());
    logInfo(QStringLiteral("Web pages process ends: no page is shown"));
    // The end of its input ends it; one that does not listen is killed.
    process->closeWriteChannel();
    auto *patience = new QTimer(process);
    patience->setSingleShot(true);
    connect(patience, &QTimer::timeout, process, &QProcess::kill);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    patience->start(kEndPatienceMs);
}

void WebHost::send(const QJsonObject &order)
{
    if (!m_process)
        return;
    QByteArray line = QJsonDocument(order).toJson(QJsonDocument::Compact);
    line.append('\n');
    m_process->write(line);
}

void WebHost::readAnswers()
{
    m_pending.append(m_process->readAllStandardOutput());
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QJsonDocument document = QJsonDocument::fromJson(m_pending.left(end));
        m_pending.remove(0, end + 1);
        if (document.isObject())
            onAnswer(document.object());
    }
}

void WebHost::onAnswer(const QJsonObject &answer)
{
    const QString event = answer.value(QStringLiteral("ev")).toString();
    const int page = answer.value(QStringLiteral("id")).toInt();
    if (event == QLatin1String("script")) {
        if (auto done = m_scripts.take(answer.value(QStringLiteral("tag")).toInt()))
            done(answer.value(QStringLiteral("result")).toVariant());
        return;
    }
    // A page closed meanwhile has nothing more to say.
    if (!m_pages.contains(page))
        return;
    if (event == QLatin1String("loaded"))
        emit loaded(page, answer.value(QStringLiteral("ok")).toBool());
    else if (event == QLatin1String("link"))
        emit linkClicked(page, QUrl(answer.value(QStringLiteral("url")).toString()));
}

void WebHost::onError(QProcess::ProcessError error)
{
    // A process that ran and ended is reported by its finish.
    if (error != QProcess::FailedToStart)
        return;
    if (!m_failureTold)
        logWarn(QStringLiteral("The service's pages cannot be shown: %1 does not start (%2)")
                        .arg(m_process->program(), m_process->errorString()));
    m_failureTold = true;
    m_failedStart.start();
    dropProcess();
}

void WebHost::onFinished()
{
    logWarn(QStringLiteral("The process showing the service's pages ended (%1)")
                    .arg(m_process->exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                                        : QStringLiteral("exit code %1").arg(m_process->exitCode())));
    dropProcess();
}

void WebHost::dropProcess()
{
    QProcess *process = std::exchange(m_process, nullptr);
    disconnect(process, nullptr, this, nullptr);
    process->deleteLater();
    m_pending.clear();
    for (auto it = m_scripts.begin(); it != m_scripts.end(); it = m_scripts.erase(it))
        it.value()(QVariant());
    const QSet<int> lost = std::exchange(m_pages, {});
    if (!lost.isEmpty())
        emit pagesLost(lost);
}
