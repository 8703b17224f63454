#include "platform/wayland/PortalScreenCast.h"

#include "app/Paths.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include <atomic>

#include <fcntl.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");

constexpr quint32 kMonitor = 1;
constexpr quint32 kCursorHidden = 1;
constexpr quint32 kCursorEmbedded = 2;
constexpr quint32 kPersistUntilRevoked = 2;

bc_ret noSharing(const QString &where, const QString &detail)
{
    // The desktop's own words are for the log; the user reads what it means.
    return bc_ret(QStringLiteral("%1 (%2)").arg(where, detail), -1)
            .add(where, -1,
                 QCoreApplication::translate("PortalScreenCast",
                                             "This Wayland desktop offers no screen sharing (the ScreenCast desktop portal), "
                                             "so a region or a monitor cannot be recorded here. Tables can: choose the "
                                             "table's window instead."));
}

QString couldNotShare(const QString &why)
{
    return QCoreApplication::translate("PortalScreenCast", "The desktop could not share the screen (%1)").arg(why);
}

bc_ret failedCall(const QString &method, const QDBusMessage &reply)
{
    const QString name = reply.errorName();
    // No portal at all, or one whose desktop has no screen sharing.
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
        || name == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || name == QLatin1String("org.freedesktop.DBus.Error.Disconnected"))
        return noSharing(method, reply.errorMessage());
    return bc_ret(QStringLiteral("%1 (%2)").arg(method, reply.errorMessage()), -1)
            .add(method, -1, couldNotShare(name));
}

// A two-int structure, as the portal gives positions and sizes.
QPoint pairOf(const QVariant &value)
{
    if (!value.canConvert<QDBusArgument>())
        return QPoint(-1, -1);
    const QDBusArgument argument = value.value<QDBusArgument>();
    int a = 0;
    int b = 0;
    argument.beginStructure();
    argument >> a >> b;
    argument.endStructure();
    return QPoint(a, b);
}

// Request and session names must be unique per connection: two recordings share one.
QString uniqueToken()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("brindlecast%1").arg(++counter);
}

QString readToken()
{
    QFile file(screenCastTokenPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(4096)).trimmed();
}

void keepToken(const QString &token)
{
    if (token.isEmpty() || token == readToken())
        return;
    QSaveFile file(screenCastTokenPath());
    if (file.open(QIODevice::WriteOnly) && file.write(token.toUtf8()) == token.toUtf8().size())
        file.commit();
}

} // namespace

// The desktop's answer to one request, waited for in a local event loop.
class PortalAnswer : public QObject
{
    Q_OBJECT
public:
    bool answered = false;
    quint32 response = 2;
    QVariantMap results;
    QEventLoop loop;

public slots:
    void onResponse(uint code, const QVariantMap &values)
    {
        answered = true;
        response = code;
        results = values;
        loop.quit();
    }
};

namespace {

// Calls a ScreenCast method whose answer comes later as a Request's Response, and
// waits for it. options gets the request's token.
bc_ret request(const QString &method, QList<QVariant> arguments, QVariantMap options, int timeoutMs, QVariantMap &results)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return noSharing(method, bus.lastError().message());
    const QString token = uniqueToken();
    options.insert(QStringLiteral("handle_token"), token);
    // Listened to before asking, so that a quick answer is not missed.
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    PortalAnswer answer;
    const auto listen = [&](bool on) {
        const QString interface = QStringLiteral("org.freedesktop.portal.Request");
        if (on)
            bus.connect(kService, path, interface, QStringLiteral("Response"), &answer, SLOT(onResponse(uint, QVariantMap)));
        else
            bus.disconnect(kService, path, interface, QStringLiteral("Response"), &answer, SLOT(onResponse(uint, QVariantMap)));
    };
    listen(true);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObject, kScreenCast, method);
    arguments.append(options);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        listen(false);
        return failedCall(method, reply);
    }
    const QString given = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!given.isEmpty() && given != path) {
        // Older portals name the request themselves.
        listen(false);
        path = given;
        listen(true);
    }
    QTimer::singleShot(timeoutMs, &answer.loop, &QEventLoop::quit);
    // The user answers in the desktop's own dialog; our windows wait meanwhile.
    if (!answer.answered)
        answer.loop.exec(QEventLoop::ExcludeUserInputEvents);
    // Answers still queued for the loop die with it.
    listen(false);
    if (!answer.answered)
        return bc_ret(method, -1,
                      QCoreApplication::translate("PortalScreenCast", "The desktop did not answer the request to share the screen"));
    if (answer.response == 1)
        return bc_ret(method, 1,
                      QCoreApplication::translate("PortalScreenCast",
                                                  "Sharing the screen was refused, so the region or monitor cannot be "
                                                  "recorded. Record again and allow Brindlecast to share the screen."));
    if (answer.response != 0)
        return bc_ret(method, answer.response, couldNotShare(QString::number(answer.response)));
    results = answer.results;
    return bc_ret();
}

} // namespace

QString screenCastTokenPath()
{
    return appDataDir() + QStringLiteral("/screen-sharing.token");
}

PortalScreenCast::~PortalScreenCast()
{
    if (m_session.isEmpty())
        return;
    QDBusMessage close = QDBusMessage::createMethodCall(kService, m_session, QStringLiteral("org.freedesktop.portal.Session"),
                                                       QStringLiteral("Close"));
    QDBusConnection::sessionBus().call(close, QDBus::NoBlock);
}

bc_ret PortalScreenCast::start(Shared &shared)
{
    bc_ret ret = createSession();
    if (ret.ok())
        ret = selectSources();
    if (ret.ok())
        ret = startSharing(shared);
    if (ret.ok())
        ret = openRemote(shared);
    return ret;
}

bc_ret PortalScreenCast::createSession()
{
    // Whether monitors can be shared at all, and how the cursor can come.
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kObject, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("GetAll"));
    get.setArguments({kScreenCast});
    const QDBusMessage properties = QDBusConnection::sessionBus().call(get, QDBus::Block, m_timeoutMs);
    if (properties.type() == QDBusMessage::ErrorMessage)
        return failedCall(QStringLiteral("GetAll"), properties);
    const QVariantMap values = qdbus_cast<QVariantMap>(properties.arguments().value(0));
    if (!values.contains(QStringLiteral("AvailableSourceTypes")))
        return noSharing(QStringLiteral("GetAll"), QStringLiteral("no ScreenCast interface"));
    if (!(values.value(QStringLiteral("AvailableSourceTypes")).toUInt() & kMonitor))
        return noSharing(QStringLiteral("GetAll"), QStringLiteral("monitors cannot be shared"));
    const quint32 cursorModes = values.value(QStringLiteral("AvailableCursorModes")).toUInt();
    m_cursorMode = (cursorModes & kCursorEmbedded) ? kCursorEmbedded : (cursorModes & kCursorHidden) ? kCursorHidden : 0;
    m_canPersist = values.value(QStringLiteral("version")).toUInt() >= 4;

    QVariantMap results;
    bc_ret ret = request(QStringLiteral("CreateSession"), {},
                         {{QStringLiteral("session_handle_token"), uniqueToken()}}, m_timeoutMs, results);
    if (ret.failed())
        return ret;
    m_session = results.value(QStringLiteral("session_handle")).toString();
    if (m_session.isEmpty())
        return bc_ret(QStringLiteral("CreateSession"), -1, couldNotShare(QStringLiteral("no session")));
    return bc_ret();
}

bc_ret PortalScreenCast::selectSources()
{
    QVariantMap options{{QStringLiteral("types"), kMonitor}, {QStringLiteral("multiple"), false}};
    if (m_cursorMode)
        options.insert(QStringLiteral("cursor_mode"), m_cursorMode);
    if (m_canPersist) {
        options.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        const QString token = readToken();
        if (!token.isEmpty())
            options.insert(QStringLiteral("restore_token"), token);
    }
    QVariantMap results;
    return request(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(m_session))}, options, m_timeoutMs,
                   results);
}

bc_ret PortalScreenCast::startSharing(Shared &shared)
{
    QVariantMap results;
    bc_ret ret = request(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {},
                         m_timeoutMs, results);
    if (ret.failed())
        return ret;
    keepToken(results.value(QStringLiteral("restore_token")).toString());
    const QVariant streams = results.value(QStringLiteral("streams"));
    if (!streams.canConvert<QDBusArgument>())
        return bc_ret(QStringLiteral("Start"), -1, couldNotShare(QStringLiteral("no stream")));
    const QDBusArgument list = streams.value<QDBusArgument>();
    bool found = false;
    list.beginArray();
    while (!list.atEnd()) {
        quint32 node = 0;
        QVariantMap properties;
        list.beginStructure();
        list >> node >> properties;
        list.endStructure();
        if (found)
            continue;
        found = true;
        shared.node = node;
        const QPoint position = pairOf(properties.value(QStringLiteral("position")));
        const QPoint size = pairOf(properties.value(QStringLiteral("size")));
        if (size.x() > 0 && size.y() > 0)
            shared.geometry = QRect(QPoint(qMax(0, position.x()), qMax(0, position.y())), QSize(size.x(), size.y()));
    }
    list.endArray();
    if (!found)
        return bc_ret(QStringLiteral("Start"), -1, couldNotShare(QStringLiteral("no stream")));
    return bc_ret();
}

bc_ret PortalScreenCast::openRemote(Shared &shared)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObject, kScreenCast, QStringLiteral("OpenPipeWireRemote"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return failedCall(QStringLiteral("OpenPipeWireRemote"), reply);
    const auto remote = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().value(0));
    // The message's descriptor is closed with it: keep a copy of our own.
    shared.fd = remote.isValid() ? fcntl(remote.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    if (shared.fd < 0)
        return bc_ret(QStringLiteral("OpenPipeWireRemote"), -1,
                      couldNotShare(QStringLiteral("no PipeWire remote")));
    return bc_ret();
}

#include "PortalScreenCast.moc"
