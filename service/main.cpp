// brindlecast-service: the bundled local web service. A small, real implementation
// of every request and page the program relies on, so that the whole system runs
// on one machine and the tests have a real peer.
#include "service/Store.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>
#include <QUuid>
#include <QXmlStreamReader>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include <sys/socket.h>
#include <sys/stat.h>

namespace {

constexpr size_t kFormLimit = 64 * 1024;
// What a refused upload may still send before the answer: reading that much lets the
// answer reach a small request whole, instead of being cut by a reset.
constexpr size_t kDrainLimit = 1024 * 1024;
// Connections waiting to be accepted: bursts of logins queue instead of being dropped
// (the kernel caps it at net.core.somaxconn).
constexpr int kListenBacklog = 4096;
// Each connection holds a worker for its whole life, so slow uploads must leave most of
// them to the short requests.
constexpr size_t kWorkers = 64;
constexpr int kMaxUploads = 16;
constexpr time_t kReadTimeoutSeconds = 60;
std::mutex g_storeMutex;
std::atomic<int> g_uploadsRunning{0};

// One of the upload places, held for the life of one upload; none when all are taken.
class UploadSlot
{
public:
    UploadSlot()
        : m_held(g_uploadsRunning.fetch_add(1) < kMaxUploads)
    {
        if (!m_held)
            g_uploadsRunning.fetch_sub(1);
    }
    ~UploadSlot()
    {
        if (m_held)
            g_uploadsRunning.fetch_sub(1);
    }
    UploadSlot(const UploadSlot &) = delete;
    UploadSlot &operator=(const UploadSlot &) = delete;
    bool held() const { return m_held; }

private:
    bool m_held;
};

std::string json(const QJsonDocument &document)
{
    return document.toJson(QJsonDocument::Compact).toStdString();
}

// Owner-only, also for what an earlier version created more open.
bool makeOwnerOnly(const QString &path, QFile::Permissions permissions)
{
    return !QFileInfo::exists(path) || QFile::setPermissions(path, permissions);
}

std::string html(const std::string &title, const std::string &body)
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title
           + " - Brindlecast</title><style>body{font-family:sans-serif;background:#1e2227;color:#e0e0e0;margin:2em}"
             "a{color:#6CE937}h1{font-weight:400}</style></head><body><h1>"
           + title + "</h1>" + body + "<p><a href=\"/\">Brindlecast</a></p></body></html>";
}

std::string escapeHtml(const QString &text)
{
    return text.toHtmlEscaped().toStdString();
}

QString param(const httplib::Request &req, const char *name)
{
    return QString::fromStdString(req.get_param_value(name));
}

QString sessionToken(const httplib::Request &req)
{
    const std::string cookies = req.get_header_value("Cookie");
    for (const QString &cookie : QString::fromStdString(cookies).split(QLatin1Char(';'))) {
        const QString trimmed = cookie.trimmed();
        if (trimmed.startsWith(QLatin1String("session=")))
            return trimmed.mid(8);
    }
    return QString();
}

// The "+"-for-blank form the program expects in cookie values.
std::string cookieValue(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, " ")).replace(QLatin1Char(' '), QLatin1Char('+')).toStdString();
}

struct Options
{
    QString address = QStringLiteral("127.0.0.1");
    QString publicUrl; // the address the programs reach it at, when not the one it listens on
    int port = 8470;
    QString dataDir;
    QString installer;      // announced as an update to install, when set
    QString newVersionPage; // announced as a new version, when set
    QString checkReply;     // the update check's whole answer, when set (for trying odd answers)
    size_t maxUpload = 0;   // bytes
    bool addUser = false;
    QStringList positional;
};

std::optional<Options> parseOptions(const QCoreApplication &app)
{
    QCommandLineParser args;
    args.setApplicationDescription(
            QStringLiteral("The Brindlecast web service: accounts, rooms and shared videos, for one machine or a group."));
    args.addHelpOption();
    args.addVersionOption();
    args.addOptions({
            {QStringLiteral("address"),
             QStringLiteral("Address to listen on (default 127.0.0.1: this machine only; 0.0.0.0: every network)."),
             QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1")},
            {QStringLiteral("public-url"),
             QStringLiteral("Address the programs reach this service at, as in its update answers (default http://ADDRESS:PORT)."),
             QStringLiteral("URL")},
            {QStringLiteral("port"), QStringLiteral("Port to listen on (default 8470; 0: any free port)."), QStringLiteral("PORT"),
             QStringLiteral("8470")},
            {QStringLiteral("data"), QStringLiteral("Directory for the database and uploads."), QStringLiteral("DIR")},
            {QStringLiteral("add-user"), QStringLiteral("Add a user (EMAIL PASSWORD NAME as arguments) and exit.")},
            {QStringLiteral("installer"), QStringLiteral("Announce this file as an update to install (check code 2)."), QStringLiteral("FILE")},
            {QStringLiteral("new-version-page"), QStringLiteral("Announce a new version at this page (check code 3)."), QStringLiteral("URL")},
            {QStringLiteral("check-reply"), QStringLiteral("Answer the update check with this text ({base}: this service's address)."), QStringLiteral("TEXT")},
            {QStringLiteral("max-upload-mb"), QStringLiteral("Largest upload accepted (default 2048)."), QStringLiteral("MB"), QStringLiteral("2048")},
    });
    args.process(app);

    Options options;
    options.address = args.value(QStringLiteral("address"));
    options.publicUrl = args.value(QStringLiteral("public-url"));
    while (options.publicUrl.endsWith(QLatin1Char('/')))
        options.publicUrl.chop(1);
    bool portIsNumber = false;
    options.port = args.value(QStringLiteral("port")).toInt(&portIsNumber);
    if (!portIsNumber || options.port < 0 || options.port > 65535) {
        std::fprintf(stderr, "brindlecast-service: --port takes a number from 0 to 65535, not \"%s\"\n",
                     qPrintable(args.value(QStringLiteral("port"))));
        return std::nullopt;
    }
    options.dataDir = args.isSet(QStringLiteral("data")) ? args.value(QStringLiteral("data"))
                                                         : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    options.installer = args.value(QStringLiteral("installer"));
    options.newVersionPage = args.value(QStringLiteral("new-version-page"));
    options.checkReply = args.value(QStringLiteral("check-reply"));
    options.maxUpload = size_t(qBound(1, args.value(QStringLiteral("max-upload-mb")).toInt(), 1 << 20)) << 20;
    options.addUser = args.isSet(QStringLiteral("add-user"));
    options.positional = args.positionalArguments();
    return options;
}

// The database holds password hashes and sessions, the uploads are private videos.
bool prepareDataDir(const QString &dataDir)
{
    umask(077);
    const QFile::Permissions ownerDir = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions ownerFile = QFile::ReadOwner | QFile::WriteOwner;
    const QDir data(dataDir);
    return QDir().mkpath(data.filePath(QStringLiteral("uploads"))) && makeOwnerOnly(dataDir, ownerDir)
           && makeOwnerOnly(data.filePath(QStringLiteral("uploads")), ownerDir)
           && makeOwnerOnly(data.filePath(QStringLiteral("service.db")), ownerFile)
           && makeOwnerOnly(data.filePath(QStringLiteral("service.db-wal")), ownerFile)
           && makeOwnerOnly(data.filePath(QStringLiteral("service.db-shm")), ownerFile);
}

// The lower-case MD5 hex digest the program sends for a password.
QString digest(const QString &password)
{
    return QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex());
}

// What the route handlers share.
struct Service
{
    Store &store;
    const Options &options;
    std::string base; // this service's own address, with the bound port, or its public one
    QMap<int, QString> rooms; // the poker rooms the service knows, by id
};

// The rooms the service knows: the same list the program has built in, so both sides
// name a room id alike.
QMap<int, QString> readRooms()
{
    QMap<int, QString> rooms;
    QFile file(QStringLiteral(":/room.xml"));
    if (!file.open(QIODevice::ReadOnly))
        return rooms;
    QXmlStreamReader xml(&file);
    int id = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView value = xml.attributes().value(QStringLiteral("value"));
        if (xml.name() == QLatin1String("item"))
            id = 0;
        else if (xml.name() == QLatin1String("id"))
            id = value.toInt();
        else if (xml.name() == QLatin1String("name") && id > 0)
            rooms.insert(id, value.toString().trimmed());
    }
    return rooms;
}

// The port bound, or -1.
int bindServer(httplib::Server &server, const Options &options)
{
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    server.set_payload_max_length(options.maxUpload + kFormLimit);
    // The library ignores a reply's "Connection: close": one request per connection is
    // what closes a connection whose body was left unread (refusals) after the answer.
    server.set_keep_alive_max_count(1);
    // The library's 5 s without a byte drops an upload that a slow or busy network holds
    // up for a moment; a minute keeps it, and still frees the place of one that is gone.
    server.set_read_timeout(kReadTimeoutSeconds);
    // Not the library's SO_REUSEPORT, which lets a second service share a taken port silently.
    auto listening = std::make_shared<socket_t>(INVALID_SOCKET);
    server.set_socket_options([listening](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        *listening = sock;
    });
    // How scripts/run tells this service from another program on the port.
    server.set_default_headers({{"Server", "brindlecast-service"}});
    const std::string address = options.address.toStdString();
    const int port = options.port == 0 ? server.bind_to_any_port(address)
                                       : (server.bind_to_port(address, options.port) ? options.port : -1);
    // The library listens with a queue of 5; listening again only deepens it.
    if (port > 0 && *listening != INVALID_SOCKET && ::listen(*listening, kListenBacklog) != 0)
        std::fprintf(stderr, "brindlecast-service: the connection queue stays short (%s)\n", std::strerror(errno));
    return port;
}

// Only uploads may be large; everything else is a small form that says its size.
void guardFormBodies(httplib::Server &server)
{
    server.set_pre_routing_handler([](const httplib::Request &req, httplib::Response &res) {
        // The library reads a body for every other method, DELETE included.
        const bool bodiless = req.method == "GET" || req.method == "HEAD" || req.method == "OPTIONS";
        if (req.path == "/video/upload" || bodiless)
            return httplib::Server::HandlerResponse::Unhandled;
        // A chunked body could be of any size, and the library reads one without a
        // length to the end of the connection, with no limit.
        if (req.has_header("Transfer-Encoding") || !req.has_header("Content-Length")) {
            res.status = 411;
            return httplib::Server::HandlerResponse::Handled;
        }
        if (QString::fromStdString(req.get_header_value("Content-Length")).toULongLong() > kFormLimit) {
            res.status = 413;
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
}

void addAccountRoutes(httplib::Server &server, Service &service)
{
    server.Post("/auth/login", [&service](const httplib::Request &req, httplib::Response &res) {
        std::optional<Store::User> user;
        QString token;
        {
            std::lock_guard lock(g_storeMutex);
            user = service.store.checkLogin(param(req, "login"), param(req, "password"));
            if (user)
                token = service.store.newSession(user->email);
        }
        if (!user) {
            res.set_header("Set-Cookie", "errors=" + cookieValue(QStringLiteral("Wrong e-mail or password")) + "; Path=/");
        } else if (token.isEmpty()) {
            res.status = 500;
            return;
        } else {
            res.set_header("Set-Cookie", "session=" + token.toStdString() + "; Path=/; HttpOnly");
            res.set_header("Set-Cookie", "username=" + cookieValue(user->name) + "; Path=/");
            res.set_header("Set-Cookie", "language=" + cookieValue(user->language) + "; Path=/");
        }
        res.set_content("ok", "text/plain");
    });
    server.Post("/auth/logout", [&service](const httplib::Request &req, httplib::Response &res) {
        std::lock_guard lock(g_storeMutex);
        service.store.endSession(sessionToken(req));
        res.set_header("Set-Cookie", "session=; Path=/; Max-Age=0");
        res.set_content("ok", "text/plain");
    });
}

// The announced installer, streamed from disk. The program downloads it with a POST.
void addInstallerRoute(httplib::Server &server, const QString &installer)
{
    // Escaped: the route is a pattern, the file name may hold its special characters.
    const std::string path = "/files/" + QRegularExpression::escape(QFileInfo(installer).fileName()).toStdString();
    const auto send = [installer](const httplib::Request &, httplib::Response &res) {
        auto file = std::make_shared<std::ifstream>(installer.toStdString(), std::ios::binary);
        const auto size = size_t(QFileInfo(installer).size());
        res.set_content_provider(size, "application/octet-stream",
                                 [file](size_t offset, size_t length, httplib::DataSink &sink) {
                                     std::vector<char> buffer(std::min<size_t>(length, 65536));
                                     file->seekg(std::streamoff(offset));
                                     file->read(buffer.data(), std::streamsize(buffer.size()));
                                     // A file that cannot be read (any more) ends the answer.
                                     if (file->gcount() <= 0)
                                         return false;
                                     return sink.write(buffer.data(), size_t(file->gcount()));
                                 });
    };
    server.Get(path, send);
    server.Post(path, send);
}

// The SHA-256 of a file as hex text; empty when it cannot be read.
QString fileSha256(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

// The address the asking program reached this service at: the public one when given;
// when listening on every network, the host name the request came to (a plain name
// only, so that an odd header cannot make a link of it) and the port it came in on.
std::string addressFor(const Service &service, const httplib::Request &req)
{
    const QString address = service.options.address;
    if (!service.options.publicUrl.isEmpty() || (address != QLatin1String("0.0.0.0") && address != QLatin1String("::")))
        return service.base;
    static const QRegularExpression hostName(QStringLiteral("^([A-Za-z0-9.-]+)(:[0-9]{1,5})?$"));
    const QRegularExpressionMatch host = hostName.match(QString::fromStdString(req.get_header_value("Host")));
    if (!host.hasMatch() || req.local_port <= 0)
        return service.base;
    return "http://" + host.captured(1).toStdString() + ":" + std::to_string(req.local_port);
}

// The answer to the update check: a raw text when one was given, else the
// announcement the options ask for (an installer comes with its checksum).
std::string checkAnswer(const Service &service, const httplib::Request &req)
{
    const Options &options = service.options;
    const QString here = QString::fromStdString(addressFor(service, req));
    if (!options.checkReply.isEmpty())
        return QString(options.checkReply).replace(QStringLiteral("{base}"), here).toStdString();
    QJsonObject reply;
    if (!options.installer.isEmpty())
        reply = {{QStringLiteral("code"), 2},
                 {QStringLiteral("url"), here + QStringLiteral("/files/") + QFileInfo(options.installer).fileName()},
                 {QStringLiteral("sha256"), fileSha256(options.installer)}};
    else if (!options.newVersionPage.isEmpty())
        reply = {{QStringLiteral("code"), 3}, {QStringLiteral("url"), options.newVersionPage}};
    else
        reply = {{QStringLiteral("code"), 1}, {QStringLiteral("url"), here + QStringLiteral("/soft")}};
    return json(QJsonDocument(reply));
}

// Update check, rooms and reports.
void addProgramRoutes(httplib::Server &server, Service &service)
{
    server.Post("/soft/check", [&service](const httplib::Request &req, httplib::Response &res) {
        res.set_content(checkAnswer(service, req), "application/json");
    });
    if (!service.options.installer.isEmpty())
        addInstallerRoute(server, service.options.installer);
    server.Post("/soft/listtablesuser", [&service](const httplib::Request &req, httplib::Response &res) {
        std::lock_guard lock(g_storeMutex);
        const std::optional<QString> email = service.store.sessionUser(sessionToken(req));
        if (!email) {
            res.status = 403;
            return;
        }
        QJsonArray rooms;
        for (int room : service.store.rooms(*email)) {
            if (service.rooms.contains(room))
                rooms.append(room);
        }
        res.set_content(json(QJsonDocument(rooms)), "text/plain");
    });
    for (const char *kind : {"/soft/params", "/soft/activity"}) {
        server.Post(kind, [&service, kind](const httplib::Request &req, httplib::Response &res) {
            std::lock_guard lock(g_storeMutex);
            const std::optional<QString> email = service.store.sessionUser(sessionToken(req));
            if (!email) {
                res.status = 403;
                return;
            }
            service.store.addReport(QString::fromLatin1(kind), *email, QByteArray::fromStdString(req.body));
            res.set_content("ok", "text/plain");
        });
    }
}

// Whether bytes are UTF-8 text: a field is refused rather than altered when they are not.
bool isUtf8(const std::string &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // Errors are known once the text is made.
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
}

// One upload as it streams in: the file part goes to disk, the small fields are kept.
// After a refusal the rest of the body is read and dropped up to kDrainLimit; past
// that the connection is closed after the answer (one request per connection).
class UploadReceiver
{
public:
    UploadReceiver(QString path, size_t maxUpload)
        : m_path(std::move(path))
        , m_maxUpload(maxUpload)
    {
    }

    static QString tooLarge(size_t maxUpload) { return QStringLiteral("The video is larger than %1 MB").arg(maxUpload >> 20); }

    bool drain(size_t length)
    {
        m_drained += length;
        return m_drained <= kDrainLimit;
    }

    bool part(const httplib::MultipartFormData &part)
    {
        if (!m_refused.isEmpty())
            return m_drained <= kDrainLimit;
        m_current = part.name;
        if (m_current == "sfile") {
            if (++m_files > 1)
                m_refused = QStringLiteral("One video per upload");
            else
                m_file.open(m_path.toStdString(), std::ios::binary);
        } else if (m_fields.size() >= 16 && !m_fields.count(m_current)) {
            m_refused = QStringLiteral("Too many fields");
        }
        return true;
    }

    bool data(const char *data, size_t length)
    {
        if (!m_refused.isEmpty())
            return drain(length);
        if (m_current == "sfile") {
            // Checked as it streams: a chunked or length-less body says no size up front.
            if (m_size + length > m_maxUpload) {
                m_refused = tooLarge(m_maxUpload);
                return drain(length);
            }
            m_file.write(data, std::streamsize(length));
            m_size += length;
            m_writeFailed = !m_file.good();
            return !m_writeFailed;
        }
        std::string &value = m_fields[m_current];
        if (value.size() + length > 4096) {
            m_refused = QStringLiteral("A field is too long");
            return drain(length);
        }
        value.append(data, length);
        return true;
    }

    // Why the upload is not taken (the partial file then removed); empty when it is.
    QString finish(bool complete)
    {
        m_file.close();
        QString why = m_refused;
        if (why.isEmpty() && (m_writeFailed || (complete && m_size > 0 && !m_file)))
            why = QStringLiteral("The video could not be stored");
        // The form reader stops at a part head over 8 KB, as at a cut connection.
        else if (why.isEmpty() && !complete)
            why = QStringLiteral("The upload could not be read: it ended early, or a file or field name in it is longer than 8 KB");
        else if (why.isEmpty() && m_size == 0)
            why = QStringLiteral("No video in the upload");
        for (auto it = m_fields.cbegin(); why.isEmpty() && it != m_fields.cend(); ++it) {
            if (!isUtf8(it->second))
                why = QStringLiteral("The %1 is not valid UTF-8 text").arg(QString::fromStdString(it->first));
        }
        if (!why.isEmpty())
            QFile::remove(m_path);
        return why;
    }

    QString field(const char *name) const
    {
        const auto it = m_fields.find(name);
        return it == m_fields.end() ? QString() : QString::fromStdString(it->second);
    }
    qint64 size() const { return qint64(m_size); }

private:
    QString m_path;
    size_t m_maxUpload;
    std::ofstream m_file;
    std::map<std::string, std::string> m_fields;
    std::string m_current;
    size_t m_size = 0;
    size_t m_drained = 0;
    int m_files = 0;
    bool m_writeFailed = false;
    QString m_refused;
};

// Refusals are answered like successes, as JSON with an "error": the program shows
// that text (an HTTP error status would only tell it "Content error."). The status is
// set again because a body cut short leaves the library's 400 in it.
void replyJson(httplib::Response &res, const QJsonObject &answer, int status = 200)
{
    res.status = status;
    res.set_content(json(QJsonDocument(answer)), "application/json");
}

void refuseUpload(httplib::Response &res, const QString &why)
{
    replyJson(res, {{QStringLiteral("error"), why}});
}

// Every upload place taken: worth trying again soon, unlike a refusal.
void answerBusy(httplib::Response &res)
{
    res.set_header("Retry-After", "10");
    replyJson(res, {{QStringLiteral("error"), QStringLiteral("The service is busy with other uploads")}}, 503);
}

// Why an upload is refused from its head alone; empty when it may come.
QString refusalFromHead(Service &service, const httplib::Request &req, std::optional<QString> &email)
{
    {
        std::lock_guard lock(g_storeMutex);
        email = service.store.sessionUser(sessionToken(req));
    }
    if (!email)
        return QStringLiteral("Please log in first");
    if (!req.is_multipart_form_data())
        return QStringLiteral("Not a multipart upload");
    if (req.get_header_value<uint64_t>("Content-Length") > service.options.maxUpload + kFormLimit)
        return UploadReceiver::tooLarge(service.options.maxUpload);
    return QString();
}

// A client that asks first ("Expect: 100-continue") hears a refusal before it sends
// the video; only an upload that may come is told to go on.
int answerExpectation(Service &service, const httplib::Request &req, httplib::Response &res)
{
    if (req.path != "/video/upload")
        return 100;
    std::optional<QString> email;
    if (const QString why = refusalFromHead(service, req, email); !why.isEmpty()) {
        refuseUpload(res, why);
        return res.status;
    }
    if (g_uploadsRunning.load() >= kMaxUploads) {
        answerBusy(res);
        return res.status;
    }
    return 100;
}

// Reads a small refused body to its end so that the answer is not lost to a reset.
void drainRefused(const httplib::Request &req, const httplib::ContentReader &reader)
{
    if (req.get_header_value<uint64_t>("Content-Length") > kDrainLimit)
        return;
    UploadReceiver sink(QString(), 0);
    if (req.is_multipart_form_data())
        reader([&](const httplib::MultipartFormData &) { return sink.drain(0); },
               [&](const char *, size_t length) { return sink.drain(length); });
    else
        reader([&](const char *, size_t length) { return sink.drain(length); });
}

void handleUpload(Service &service, const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader)
{
    std::optional<QString> email;
    const QString early = refusalFromHead(service, req, email);
    const UploadSlot slot;
    if (!early.isEmpty() || !slot.held()) {
        drainRefused(req, reader);
        if (early.isEmpty())
            answerBusy(res);
        else
            refuseUpload(res, early);
        return;
    }
    // Written aside and named as a video only once whole: a stop of the service leaves
    // only ".part" files, removed at the next start.
    const QString path = QDir(service.options.dataDir)
                                 .filePath(QStringLiteral("uploads/%1.flv").arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
    const QString partPath = path + QStringLiteral(".part");
    UploadReceiver upload(partPath, service.options.maxUpload);
    const bool complete = reader([&](const httplib::MultipartFormData &part) { return upload.part(part); },
                                 [&](const char *data, size_t length) { return upload.data(data, length); });
    if (const QString why = upload.finish(complete); !why.isEmpty()) {
        refuseUpload(res, why);
        return;
    }
    if (!QFile::rename(partPath, path)) {
        QFile::remove(partPath);
        refuseUpload(res, QStringLiteral("The video could not be stored"));
        return;
    }
    std::lock_guard lock(g_storeMutex);
    const QString title = upload.field("title");
    const QString key = service.store.addVideo(*email, title, upload.field("id_table").toInt(), upload.field("uuid"), path,
                                               upload.size());
    if (key.isEmpty()) {
        QFile::remove(path);
        refuseUpload(res, QStringLiteral("The video could not be stored"));
        return;
    }
    // The title as stored, so the program can show what the service took.
    replyJson(res, {{QStringLiteral("key"), key}, {QStringLiteral("title"), title}});
}

// Uploads cut off by a stop of the service, and files no video names, go at start;
// -1 when the stored videos cannot be read (then nothing is touched).
int sweepUploads(Store &store, const QString &dataDir)
{
    const std::optional<QStringList> kept = store.videoFileNames();
    if (!kept)
        return -1;
    const QSet<QString> names(kept->cbegin(), kept->cend());
    const QDir uploads(QDir(dataDir).filePath(QStringLiteral("uploads")));
    int removed = 0;
    for (const QString &name : uploads.entryList({QStringLiteral("*.part"), QStringLiteral("*.flv")}, QDir::Files)) {
        if (!names.contains(name) && QFile::remove(uploads.filePath(name)))
            ++removed;
    }
    return removed;
}

// The name=value pairs of a form body, decoded: "+" is a blank, "%XX" a byte of UTF-8.
QList<QPair<QString, QString>> formFields(const QByteArray &body)
{
    const auto decode = [](QByteArray part) { return QUrl::fromPercentEncoding(part.replace('+', ' ')); };
    QList<QPair<QString, QString>> fields;
    for (const QByteArray &pair : body.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype equals = pair.indexOf('=');
        fields.append({decode(pair.left(equals)), equals < 0 ? QString() : decode(pair.mid(equals + 1))});
    }
    return fields;
}

// What one report says, as HTML; a body that cannot be read is shown as it came.
std::string reportDetails(const Store::Report &report)
{
    QMap<QString, QString> fields;
    for (const auto &[name, value] : formFields(report.body))
        fields.insert(name, value);
    if (report.kind == QLatin1String("/soft/activity")) {
        return "Room " + escapeHtml(fields.value(QStringLiteral("roomId"))) + ": "
               + escapeHtml(fields.value(QStringLiteral("roomName"))) + "<br>Table: "
               + escapeHtml(fields.value(QStringLiteral("tableTitle"))) + "<br>Program: "
               + escapeHtml(fields.value(QStringLiteral("exePath")));
    }
    const QJsonObject param = QJsonDocument::fromJson(fields.value(QStringLiteral("param")).toUtf8()).object();
    if (report.kind == QLatin1String("/soft/params") && param.contains(QStringLiteral("auto_start")))
        return "auto_start: " + std::to_string(param.value(QStringLiteral("auto_start")).toInt());
    return "<code>" + escapeHtml(QString::fromUtf8(report.body)) + "</code>";
}

std::string reportsTable(const QList<Store::Report> &reports)
{
    if (reports.isEmpty())
        return "<p>No reports yet.</p>";
    std::string rows;
    for (const Store::Report &report : reports) {
        const QString kind = QString(report.kind).remove(QStringLiteral("/soft/"));
        const QString time = QDateTime::fromSecsSinceEpoch(report.created, Qt::UTC)
                                     .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss 'UTC'"));
        rows += "<tr><td>" + escapeHtml(kind) + "</td><td>" + escapeHtml(time) + "</td><td>" + reportDetails(report)
                + "</td></tr>";
    }
    return "<table><tr><th>Kind</th><th>Time</th><th>Details</th></tr>" + rows + "</table>";
}

// What the program has reported for the logged-in user.
void addReportsPage(httplib::Server &server, Service &service)
{
    server.Get("/account/reports", [&service](const httplib::Request &req, httplib::Response &res) {
        QList<Store::Report> reports;
        {
            std::lock_guard lock(g_storeMutex);
            const std::optional<QString> email = service.store.sessionUser(sessionToken(req));
            if (!email) {
                res.status = 403;
                res.set_content(html("Your reports", "<p>Please log in first.</p>"), "text/html; charset=utf-8");
                return;
            }
            reports = service.store.reports(*email);
        }
        res.set_content(html("Your reports", reportsTable(reports)), "text/html; charset=utf-8");
    });
}

void addPages(httplib::Server &server, Service &service)
{
    auto page = [&server](const char *path, const std::string &title, const std::string &body) {
        server.Get(path, [title, body](const httplib::Request &, httplib::Response &res) {
            res.set_content(html(title, body), "text/html; charset=utf-8");
        });
    };
    page("/", "Brindlecast", "<p>Record your poker tables, keep the hands that matter, share them.</p>");
    page("/soft", "The Brindlecast program", "<p>You have the latest version.</p>");
    // The main window shows the banner in a band 60 pixels high: one line, centred.
    server.Get("/soft/banner", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>News - Brindlecast</title><style>"
                        "html,body{margin:0;height:100%;overflow:hidden}"
                        "body{font-family:sans-serif;font-size:13px;background:#1e2227;color:#e0e0e0;display:flex;"
                        "align-items:center;padding:0 12px;box-sizing:border-box}"
                        "b{color:#6CE937;font-size:15px;margin-right:10px}</style></head>"
                        "<body><b>News</b>Welcome to Brindlecast. Save a hand with one click while you play.</body></html>",
                        "text/html; charset=utf-8");
    });
    page("/soft/topreview", "Most viewed hands", "<p>No hands shared yet.</p>");
    page("/faq", "Questions and answers", "<p>Brindlecast keeps the last minutes of every table; press Save to keep a hand.</p>");
    page("/account/info", "Your account",
         "<p>Your videos and settings live here.</p><p><a href=\"/account/reports\">What the program has reported</a></p>");
    page("/signup", "Sign up", "<p>Ask the service's owner for an account (brindlecast-service --add-user).</p>");
    page("/auth/recovery", "Forgotten password", "<p>Ask the service's owner to set a new one.</p>");
    server.Get(R"(/video/([0-9a-f]{1,32}))", [&service](const httplib::Request &req, httplib::Response &res) {
        std::lock_guard lock(g_storeMutex);
        const std::optional<QString> title = service.store.videoTitle(QString::fromStdString(req.matches[1]));
        if (!title) {
            res.status = 404;
            res.set_content(html("Not found", "<p>No such video.</p>"), "text/html; charset=utf-8");
            return;
        }
        res.set_content(html(escapeHtml(*title), "<p>A hand shared with Brindlecast.</p>"), "text/html; charset=utf-8");
    });
    server.Get(R"(/account/hands/edit/([0-9a-f]{1,32}))", [](const httplib::Request &req, httplib::Response &res) {
        res.set_content(html("Edit your hand", "<p>Video " + req.matches[1].str() + "</p>"), "text/html; charset=utf-8");
    });
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindlecast-service"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BC_VERSION));
    const std::optional<Options> options = parseOptions(app);
    if (!options)
        return 1;
    if (!prepareDataDir(options->dataDir)) {
        std::fprintf(stderr, "brindlecast-service: cannot use %s owner-only\n", qPrintable(options->dataDir));
        return 1;
    }
    Store store;
    QString error;
    if (!store.open(QDir(options->dataDir).filePath(QStringLiteral("service.db")), error)) {
        std::fprintf(stderr, "brindlecast-service: %s\n", qPrintable(error));
        return 1;
    }
    if (options->addUser) {
        const QStringList &values = options->positional;
        if (values.size() != 3) {
            std::fprintf(stderr, "brindlecast-service: --add-user EMAIL PASSWORD NAME\n");
            return 1;
        }
        return store.addUser(values.at(0), digest(values.at(1)), values.at(2), QStringLiteral("en")) ? 0 : 1;
    }
    if (store.isEmpty()) {
        store.addUser(QStringLiteral("demo@brindlecast.local"), digest(QStringLiteral("demo")), QStringLiteral("demo"),
                      QStringLiteral("en"));
        store.setRooms(QStringLiteral("demo@brindlecast.local"), {12, 45});
        std::printf("demo user: demo@brindlecast.local, password demo\n");
    }

    if (const int removed = sweepUploads(store, options->dataDir); removed > 0)
        std::printf("removed %d unfinished uploads\n", removed);
    store.sweepSessions();

    httplib::Server server;
    const int port = bindServer(server, *options);
    if (port <= 0) {
        std::fprintf(stderr, "brindlecast-service: cannot listen on %s:%d (is the port taken, or the address not this machine's?)\n",
                     qPrintable(options->address), options->port);
        return 1;
    }
    const std::string base = options->publicUrl.isEmpty()
                                      ? "http://" + options->address.toStdString() + ":" + std::to_string(port)
                                      : options->publicUrl.toStdString();
    Service service{store, *options, base, readRooms()};
    if (service.rooms.isEmpty()) {
        std::fprintf(stderr, "brindlecast-service: the built-in room list cannot be read\n");
        return 1;
    }
    guardFormBodies(server);
    addAccountRoutes(server, service);
    addProgramRoutes(server, service);
    server.Post("/video/upload", [&service](const httplib::Request &req, httplib::Response &res,
                                            const httplib::ContentReader &reader) { handleUpload(service, req, res, reader); });
    server.set_expect_100_continue_handler(
            [&service](const httplib::Request &req, httplib::Response &res) { return answerExpectation(service, req, res); });
    addPages(server, service);
    addReportsPage(server, service);

    // Bound already: whoever waits for this line may connect at once.
    std::printf("Brindlecast service on http://%s:%d (data in %s)\n", qPrintable(options->address), port,
                qPrintable(options->dataDir));
    if (!options->publicUrl.isEmpty())
        std::printf("The programs reach it at %s\n", service.base.c_str());
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
