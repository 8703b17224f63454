// brindlecast-service: the bundled local web service. A small, real implementation
// of every request and page the program relies on, so that the whole system runs
// on one machine and the tests have a real peer.
#include "Store.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

#include <cstdio>
#include <fstream>
#include <mutex>

#include <sys/socket.h>
#include <sys/stat.h>

namespace {

constexpr size_t kFormLimit = 64 * 1024;
// What a refused upload may still send before the answer: reading that much lets the
// answer reach a small request whole, instead of being cut by a reset.
constexpr size_t kDrainLimit = 1024 * 1024;
std::mutex g_storeMutex;

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindlecast-service"));
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("The Brindlecast web service, for running the program on one machine."));
    args.addHelpOption();
    args.addOptions({
            {QStringLiteral("port"), QStringLiteral("Port to listen on (default 8470; 0: any free port)."), QStringLiteral("PORT"),
             QStringLiteral("8470")},
            {QStringLiteral("data"), QStringLiteral("Directory for the database and uploads."), QStringLiteral("DIR")},
            {QStringLiteral("add-user"), QStringLiteral("Add a user (EMAIL PASSWORD NAME as arguments) and exit.")},
            {QStringLiteral("installer"), QStringLiteral("Announce this file as an update to install (check code 2)."), QStringLiteral("FILE")},
            {QStringLiteral("new-version-page"), QStringLiteral("Announce a new version at this page (check code 3)."), QStringLiteral("URL")},
            {QStringLiteral("max-upload-mb"), QStringLiteral("Largest upload accepted (default 2048)."), QStringLiteral("MB"), QStringLiteral("2048")},
    });
    args.process(app);

    bool portIsNumber = false;
    const int port = args.value(QStringLiteral("port")).toInt(&portIsNumber);
    if (!portIsNumber || port < 0 || port > 65535) {
        std::fprintf(stderr, "brindlecast-service: --port takes a number from 0 to 65535, not \"%s\"\n",
                     qPrintable(args.value(QStringLiteral("port"))));
        return 1;
    }
    // The database holds password hashes and sessions, the uploads are private videos.
    umask(077);
    const QString dataDir = args.isSet(QStringLiteral("data"))
                                    ? args.value(QStringLiteral("data"))
                                    : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QFile::Permissions ownerDir = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions ownerFile = QFile::ReadOwner | QFile::WriteOwner;
    const QDir data(dataDir);
    if (!QDir().mkpath(data.filePath(QStringLiteral("uploads"))) || !makeOwnerOnly(dataDir, ownerDir)
        || !makeOwnerOnly(data.filePath(QStringLiteral("uploads")), ownerDir)
        || !makeOwnerOnly(data.filePath(QStringLiteral("service.db")), ownerFile)
        || !makeOwnerOnly(data.filePath(QStringLiteral("service.db-wal")), ownerFile)
        || !makeOwnerOnly(data.filePath(QStringLiteral("service.db-shm")), ownerFile)) {
        std::fprintf(stderr, "brindlecast-service: cannot use %s owner-only\n", qPrintable(dataDir));
        return 1;
    }
    Store store;
    QString error;
    if (!store.open(QDir(dataDir).filePath(QStringLiteral("service.db")), error)) {
        std::fprintf(stderr, "brindlecast-service: %s\n", qPrintable(error));
        return 1;
    }
    auto digest = [](const QString &password) {
        return QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex());
    };
    if (args.isSet(QStringLiteral("add-user"))) {
        const QStringList values = args.positionalArguments();
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
    const QString installer = args.value(QStringLiteral("installer"));
    const QString newVersionPage = args.value(QStringLiteral("new-version-page"));
    const size_t maxUpload = size_t(qBound(1, args.value(QStringLiteral("max-upload-mb")).toInt(), 1 << 20)) << 20;

    httplib::Server server;
    server.set_payload_max_length(maxUpload + kFormLimit);
    // The library ignores a reply's "Connection: close": one request per connection is
    // what closes a connection whose body was left unread (refusals) after the answer.
    server.set_keep_alive_max_count(1);
    // Not the library's SO_REUSEPORT, which lets a second service share a taken port silently.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // How scripts/run tells this service from another program on the port.
    server.set_default_headers({{"Server", "brindlecast-service"}});
    const int boundPort = port == 0 ? server.bind_to_any_port("127.0.0.1")
                                    : (server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (boundPort <= 0) {
        std::fprintf(stderr, "brindlecast-service: cannot listen on 127.0.0.1:%d (is the port taken?)\n", port);
        return 1;
    }
    const std::string base = "http://127.0.0.1:" + std::to_string(boundPort);

    // Only uploads may be large; everything else is a small form.
    server.set_pre_routing_handler([&](const httplib::Request &req, httplib::Response &res) {
        // The library reads a body for every other method, DELETE included.
        const bool bodiless = req.method == "GET" || req.method == "HEAD" || req.method == "OPTIONS";
        if (req.path == "/video/upload" || bodiless)
            return httplib::Server::HandlerResponse::Unhandled;
        // Forms are small and say their size. A chunked body could be of any size, and the
        // library reads one without a length to the end of the connection, with no limit.
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

    server.Post("/auth/login", [&](const httplib::Request &req, httplib::Response &res) {
        std::optional<Store::User> user;
        QString token;
        {
            std::lock_guard lock(g_storeMutex);
            user = store.checkLogin(param(req, "login"), param(req, "password"));
            if (user)
                token = store.newSession(user->email);
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
    server.Post("/auth/logout", [&](const httplib::Request &req, httplib::Response &res) {
        std::lock_guard lock(g_storeMutex);
        store.endSession(sessionToken(req));
        res.set_header("Set-Cookie", "session=; Path=/; Max-Age=0");
        res.set_content("ok", "text/plain");
    });
    server.Post("/soft/check", [&](const httplib::Request &, httplib::Response &res) {
        const QString here = QString::fromStdString(base);
        QJsonObject reply;
        if (!installer.isEmpty())
            reply = {{QStringLiteral("code"), 2}, {QStringLiteral("url"), here + QStringLiteral("/files/") + QFileInfo(installer).fileName()}};
        else if (!newVersionPage.isEmpty())
            reply = {{QStringLiteral("code"), 3}, {QStringLiteral("url"), newVersionPage}};
        else
            reply = {{QStringLiteral("code"), 1}, {QStringLiteral("url"), here + QStringLiteral("/soft")}};
        res.set_content(json(QJsonDocument(reply)), "application/json");
    });
    if (!installer.isEmpty()) {
        // Escaped: the route is a pattern, the file name may hold its special characters.
        const std::string path = "/files/" + QRegularExpression::escape(QFileInfo(installer).fileName()).toStdString();
        server.Get(path, [installer](const httplib::Request &, httplib::Response &res) {
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
        });
    }
    server.Post("/soft/listtablesuser", [&](const httplib::Request &req, httplib::Response &res) {
        std::lock_guard lock(g_storeMutex);
        const std::optional<QString> email = store.sessionUser(sessionToken(req));
        if (!email) {
            res.status = 403;
            return;
        }
        QJsonArray rooms;
        for (int room : store.rooms(*email))
            rooms.append(room);
        res.set_content(json(QJsonDocument(rooms)), "text/plain");
    });
    for (const char *kind : {"/soft/params", "/soft/activity"}) {
        server.Post(kind, [&, kind](const httplib::Request &req, httplib::Response &res) {
            std::lock_guard lock(g_storeMutex);
            const std::optional<QString> email = store.sessionUser(sessionToken(req));
            if (!email) {
                res.status = 403;
                return;
            }
            store.addReport(QString::fromLatin1(kind), *email, QString::fromStdString(req.body));
            res.set_content("ok", "text/plain");
        });
    }
    // The file part is streamed to disk as it arrives; only the small fields are kept.
    server.Post("/video/upload", [&](const httplib::Request &req, httplib::Response &res,
                                     const httplib::ContentReader &reader) {
        std::optional<QString> email;
        {
            std::lock_guard lock(g_storeMutex);
            email = store.sessionUser(sessionToken(req));
        }
        // Refusals are answered like successes, as JSON with an "error": the program
        // shows that text (an HTTP error status would only tell it "Content error.").
        // The status is set again because a body cut short leaves the library's 400 in it.
        auto reply = [&res](const QJsonObject &answer) {
            res.status = 200;
            res.set_content(json(QJsonDocument(answer)), "application/json");
        };
        auto refuse = [&reply](const QString &why) { reply({{QStringLiteral("error"), why}}); };
        // After a refusal the rest of the body is read and dropped up to kDrainLimit; past
        // that the connection is closed after the answer (one request per connection).
        size_t drained = 0;
        auto drain = [&drained](size_t length) {
            drained += length;
            return drained <= kDrainLimit;
        };
        const QString tooLarge = QStringLiteral("The video is larger than %1 MB").arg(maxUpload >> 20);
        const bool multipart = req.is_multipart_form_data();
        if (!email || !multipart || req.get_header_value<uint64_t>("Content-Length") > maxUpload + kFormLimit) {
            if (req.get_header_value<uint64_t>("Content-Length") <= kDrainLimit) {
                if (multipart)
                    reader([&](const httplib::MultipartFormData &) { return drained <= kDrainLimit; },
                           [&](const char *, size_t length) { return drain(length); });
                else
                    reader([&](const char *, size_t length) { return drain(length); });
            }
            refuse(!email ? QStringLiteral("Please log in first")
                   : !multipart ? QStringLiteral("Not a multipart upload")
                                : tooLarge);
            return;
        }
        const QString path = QDir(dataDir).filePath(QStringLiteral("uploads/%1.flv").arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
        std::ofstream file;
        std::map<std::string, std::string> fields;
        std::string current;
        size_t size = 0;
        int files = 0;
        QString refused; // why the upload is not taken, when it is not
        const bool complete = reader(
                [&](const httplib::MultipartFormData &part) {
                    if (!refused.isEmpty())
                        return drained <= kDrainLimit;
                    current = part.name;
                    if (current == "sfile") {
                        if (++files > 1)
                            refused = QStringLiteral("One video per upload");
                        else
                            file.open(path.toStdString(), std::ios::binary);
                    } else if (fields.size() >= 16 && !fields.count(current)) {
                        refused = QStringLiteral("Too many fields");
                    }
                    return true;
                },
                [&](const char *data, size_t length) {
                    if (!refused.isEmpty())
                        return drain(length);
                    if (current == "sfile") {
                        // Checked as it streams: a chunked or length-less body says no size up front.
                        if (size + length > maxUpload) {
                            refused = tooLarge;
                            return drain(length);
                        }
                        file.write(data, std::streamsize(length));
                        size += length;
                        return file.good();
                    }
                    std::string &value = fields[current];
                    if (value.size() + length > 4096) {
                        refused = QStringLiteral("A field is too long");
                        return drain(length);
                    }
                    value.append(data, length);
                    return true;
                });
        file.close();
        if (!complete || !file || size == 0 || !refused.isEmpty()) {
            QFile::remove(path);
            if (!refused.isEmpty())
                refuse(refused);
            else if (size == 0 && complete)
                refuse(QStringLiteral("No video in the upload"));
            else
                refuse(QStringLiteral("The video could not be stored"));
            return;
        }
        std::lock_guard lock(g_storeMutex);
        const QString title = QString::fromStdString(fields["title"]);
        const QString key = store.addVideo(*email, title, QString::fromStdString(fields["id_table"]).toInt(),
                                           QString::fromStdString(fields["uuid"]), path, qint64(size));
        if (key.isEmpty()) {
            QFile::remove(path);
            refuse(QStringLiteral("The video could not be stored"));
            return;
        }
        // The title as stored, so the program can show what the service took.
        reply({{QStringLiteral("key"), key}, {QStringLiteral("title"), title}});
    });

    auto page = [&](const char *path, const std::string &title, const std::string &body) {
        server.Get(path, [title, body](const httplib::Request &, httplib::Response &res) {
            res.set_content(html(title, body), "text/html; charset=utf-8");
        });
    };
    page("/", "Brindlecast", "<p>Record your poker tables, keep the hands that matter, share them.</p>");
    page("/soft", "The Brindlecast program", "<p>You have the latest version.</p>");
    page("/soft/banner", "News", "<p>Welcome to Brindlecast. Save a hand with one click while you play.</p>");
    page("/soft/topreview", "Most viewed hands", "<p>No hands shared yet.</p>");
    page("/faq", "Questions and answers", "<p>Brindlecast keeps the last minutes of every table; press Save to keep a hand.</p>");
    page("/account/info", "Your account", "<p>Your videos and settings live here.</p>");
    page("/signup", "Sign up", "<p>Ask the service's owner for an account (brindlecast-service --add-user).</p>");
    page("/auth/recovery", "Forgotten password", "<p>Ask the service's owner to set a new one.</p>");
    server.Get(R"(/video/([0-9a-f]{1,32}))", [&](const httplib::Request &req, httplib::Response &res) {
        std::lock_guard lock(g_storeMutex);
        const std::optional<QString> title = store.videoTitle(QString::fromStdString(req.matches[1]));
        if (!title) {
            res.status = 404;
            res.set_content(html("Not found", "<p>No such video.</p>"), "text/html; charset=utf-8");
            return;
        }
        res.set_content(html(escapeHtml(*title), "<p>A hand shared with Brindlecast.</p>"), "text/html; charset=utf-8");
    });
    server.Get(R"(/account/hands/edit/([0-9a-f]{1,32}))", [&](const httplib::Request &req, httplib::Response &res) {
        res.set_content(html("Edit your hand", "<p>Video " + req.matches[1].str() + "</p>"), "text/html; charset=utf-8");
    });

    // Bound already: whoever waits for this line may connect at once.
    std::printf("Brindlecast service on %s (data in %s)\n", base.c_str(), qPrintable(dataDir));
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
