#include "platform/WineWindows.h"

#include "app/Log.h"
#include "app/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

constexpr char kHelperName[] = "brindlecast-wine-facts.exe";

QString environValue(const QByteArray &environ, const QByteArray &name)
{
    const QByteArray prefix = name + '=';
    for (const QByteArray &entry : environ.split('\0')) {
        if (entry.startsWith(prefix))
            return QString::fromLocal8Bit(entry.mid(prefix.size()));
    }
    return QString();
}

QString executableOf(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
}

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

namespace wine {

bool isWineProcess(qint64 pid)
{
    return pid > 0 && QFileInfo(executableOf(pid)).fileName().startsWith(QLatin1String("wine"));
}

bc_ret launchFrom(const QByteArray &environ, const QString &executable, Launch &launch)
{
    // The loader Wine sets for its processes; the preloader, when that is what runs,
    // is started by the loader beside it.
    QString loader = environValue(environ, "WINELOADER");
    if (loader.isEmpty()) {
        loader = executable;
        if (loader.endsWith(QLatin1String("-preloader")))
            loader.chop(int(qstrlen("-preloader")));
    }
    if (!isExecutableFile(loader))
        return bc_ret(QStringLiteral("wine::launchFrom"), 0, QStringLiteral("No Wine loader at '%1'").arg(loader));

    QString prefix = environValue(environ, "WINEPREFIX");
    if (prefix.isEmpty()) {
        const QString home = environValue(environ, "HOME");
        if (!home.isEmpty())
            prefix = home + QStringLiteral("/.wine");
    }
    if (prefix.isEmpty() || !QFileInfo(prefix + QStringLiteral("/dosdevices")).isDir())
        return bc_ret(QStringLiteral("wine::launchFrom"), 0, QStringLiteral("No Wine prefix at '%1'").arg(prefix));

    launch.loader = loader;
    launch.prefix = QDir(prefix).canonicalPath();
    launch.environment = QProcessEnvironment::systemEnvironment();
    launch.environment.insert(QStringLiteral("WINEPREFIX"), launch.prefix);
    launch.environment.insert(QStringLiteral("WINELOADER"), loader);
    const QString server = environValue(environ, "WINESERVER");
    if (server.isEmpty())
        launch.environment.remove(QStringLiteral("WINESERVER"));
    else
        launch.environment.insert(QStringLiteral("WINESERVER"), server);
    launch.environment.remove(QStringLiteral("WINELOADERNOEXEC"));
    launch.environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    // Nothing to install on the user's behalf should the prefix want it.
    launch.environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    return bc_ret();
}

bc_ret launchFor(qint64 pid, Launch &launch)
{
    QFile file(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return bc_ret(QStringLiteral("wine::launchFor"), 0,
                      QStringLiteral("The environment of process %1 cannot be read").arg(pid));
    return launchFrom(file.readAll(), executableOf(pid), launch);
}

QString helperPath()
{
#ifdef BC_WINE_HELPER_BUILT
    const QString built = QStringLiteral(BC_WINE_HELPER_BUILT);
#else
    const QString built;
#endif
    return helperProgramPath(QLatin1String(kHelperName), "BRINDLECAST_WINE_HELPER", built);
}

QList<WineWindow> parseListing(const QByteArray &output)
{
    QList<WineWindow> windows;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() != 4)
            continue;
        bool okId = false;
        bool okStyle = false;
        bool okExStyle = false;
        WineWindow window;
        window.x11Window = fields.at(0).toUInt(&okId);
        window.style = fields.at(1).toUInt(&okStyle, 16);
        window.exStyle = fields.at(2).toUInt(&okExStyle, 16);
        window.className = QString::fromUtf8(fields.at(3));
        if (okId && okStyle && okExStyle && window.x11Window != 0)
            windows.append(window);
    }
    return windows;
}

bc_ret listWindows(const Launch &launch, const QString &helper, int timeoutMs, QList<WineWindow> &windows,
                   const std::atomic_bool *cancel)
{
    const QString context = QStringLiteral("wine::listWindows");
    QProcess process;
    process.setProcessEnvironment(launch.environment);
    process.setProgram(launch.loader);
    process.setArguments({helper});
    process.start();
    if (!process.waitForStarted(timeoutMs))
        return bc_ret(context, process.error(),
                      QStringLiteral("'%1' could not start: %2").arg(launch.loader, process.errorString()));
    // In steps, so that the owner going away need not wait for a helper that hangs.
    constexpr int kStepMs = 100;
    int waited = 0;
    while (!process.waitForFinished(kStepMs)) {
        waited += kStepMs;
        if (waited >= timeoutMs || (cancel && cancel->load())) {
            process.kill();
            process.waitForFinished(kStepMs);
            return bc_ret(context, 0, QStringLiteral("No answer from Wine within %1 s").arg(timeoutMs / 1000));
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed().left(500);
        return bc_ret(context, process.exitCode(), QStringLiteral("The helper failed: %1").arg(error));
    }
    windows = parseListing(process.readAllStandardOutput());
    return bc_ret();
}

} // namespace wine

WineWindowFacts::WineWindowFacts(const QString &helper, QObject *parent)
    : QObject(parent)
    , m_helper(helper.isEmpty() ? wine::helperPath() : helper)
{
    if (m_helper.isEmpty())
        m_unavailable = QStringLiteral("the helper %1 is not installed").arg(QLatin1String(kHelperName));
    // One run at a time per prefix; prefixes side by side.
    m_pool.setMaxThreadCount(2);
}

WineWindowFacts::~WineWindowFacts()
{
    m_cancel = true;
    m_pool.waitForDone();
}

std::optional<WineWindow> WineWindowFacts::find(WindowId window) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_facts.constFind(window);
    if (it == m_facts.cend())
        return std::nullopt;
    return *it;
}

WineWindowFacts::Request WineWindowFacts::request(WindowId window, qint64 pid)
{
    if (!wine::isWineProcess(pid))
        return Request::NotWine;
    if (m_helper.isEmpty())
        return Request::Unavailable;
    wine::Launch launch;
    if (const bc_ret result = wine::launchFor(pid, launch); result.failed()) {
        m_unavailable = result.messages(QStringLiteral(": "));
        return Request::Unavailable;
    }
    Prefix &prefix = m_prefixes[launch.prefix];
    prefix.launch = launch;
    prefix.waiting.insert(window);
    if (!prefix.running)
        run(launch.prefix);
    return Request::Asked;
}

void WineWindowFacts::forget(WindowId window)
{
    QMutexLocker lock(&m_mutex);
    m_facts.remove(window);
}

void WineWindowFacts::run(const QString &key)
{
    Prefix &prefix = m_prefixes[key];
    prefix.running = true;
    const QSet<WindowId> asked = std::exchange(prefix.waiting, {});
    const wine::Launch launch = prefix.launch;
    const QString helper = m_helper;
    m_pool.start([this, key, asked, launch, helper] {
        QList<WineWindow> windows;
        const bc_ret result = wine::listWindows(launch, helper, kTimeoutMs, windows, &m_cancel);
        // Queued to this object's thread; dropped with the object, which waits for this.
        QMetaObject::invokeMethod(
                this, [=, this] { finished(key, asked, windows, result); }, Qt::QueuedConnection);
    });
}

void WineWindowFacts::finished(const QString &key, const QSet<WindowId> &asked, const QList<WineWindow> &windows,
                               const bc_ret &result)
{
    if (result.failed()) {
        // Once per prefix: it is asked again for each new window.
        if (!m_failedPrefixes.contains(key)) {
            m_failedPrefixes.insert(key);
            logWarn(QStringLiteral("WineWindowFacts: the windows of the Wine prefix '%1' cannot be read: %2")
                            .arg(key, result.details(QStringLiteral(", "))));
        }
    }
    Prefix &prefix = m_prefixes[key];
    if (result.ok()) {
        // What the prefix shows now replaces what it showed: closed windows go.
        QMutexLocker lock(&m_mutex);
        for (WindowId window : std::as_const(prefix.listed))
            m_facts.remove(window);
        prefix.listed.clear();
        for (const WineWindow &window : windows) {
            m_facts.insert(window.x11Window, window);
            prefix.listed.insert(window.x11Window);
        }
    }
    prefix.running = false;
    if (!prefix.waiting.isEmpty())
        run(key);
    for (WindowId window : asked)
        emit answered(window);
}
