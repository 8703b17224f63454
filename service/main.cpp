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
#include <QStandardPaths>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

#include <cstdio>
#include <fstream>
#include <mutex>

namespace {

constexpr size_t kFormLimit = 64 * 1024;
std::mutex g_storeMutex;

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
            {QStringLiteral("port"), QStringLiteral("Port to listen on (default 8470)."), QStringLiteral("PORT"), QStringLiteral("8470")},
            {QStringLiteral("data"), QStringLiteral("Directory for the database and uploads."), QStringLiteral("DIR")},
            {QStringLiteral("add-user"), QStringLiteral("Add a user (EMAIL PASSWORD NAME as arguments) and exit.")},
            {QStringLiteral("installer"), QStringLiteral("Announce this file as an update to install (check code 2)."), QStringLiteral("FILE")},
            {QStringLiteral("new-version-page"), QStringLiteral("Announce a new version at this page (check code 3)."), QStringLiteral("URL")},
            {QStringLiteral("max-upload-mb"), QStringLiteral("Largest upload accepted (default 2048)."), QStringLiteral("MB"), QStringLiteral("2048")},
    });
    args.process(app);

    const QString dataDir = args.isSet(QStringLiteral("data"))
                                    ? args.value(QStringLiteral("data"))
                                    : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir().mkpath(QDir(dataDir).filePath(QStringLiteral("uploads")))) {
        std::fprintf(stderr, "brindlecast-service: cannot use %s\n", qPrintable(dataDir));
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
    const int port = args.value(QStringLiteral("port")).toInt();
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    const QString installer = args.value(QStringLiteral("installer"));
    const QString newVersionPage = args.value(QStringLiteral("new-version-page"));
    const size_t maxUpload = size_t(qBound(1, args.value(QStringLiteral("max-upload-mb")).toInt(), 1 << 20)) << 20;

    httplib::Server server;
    server.set_payload_max_length(maxUpload + kFormLimit);
    // Only uploads may be large; everything else is a small form.
    server.set_pre_routing_handler([&](const httplib::Request &req, httplib::Response &res) {
        if (req.path == "/video/upload")
            return httplib::Server::HandlerResponse::Unhandled;
        // Forms are small and say their size: a chunked body could be of any size.
        if (req.has_header("Transfer-Encoding")) {
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
        std::string reply;
        if (!installer.isEmpty())
            reply = "{\"code\": 2, \"url\": \"" + base + "/files/" + QFileInfo(installer).fileName().toStdString() + "\"}";
        else if (!newVersionPage.isEmpty())
            reply = "{\"code\": 3, \"url\": \"" + newVersionPage.toStdString() + "\"}";
        else
            reply = "{\"code\": 1, \"url\": \"" + base + "/soft\"}";
        res.set_content(reply, "application/json");
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
        QStringList rooms;
        for (int room : store.rooms(*email))
            rooms.append(QString::number(room));
        res.set_content(("[" + rooms.join(QLatin1Char(',')) + "]").toStdString(), "text/plain");
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
        auto reply = [&res](int, const std::string &key, const QString &value) {
            res.set_content("{\"" + key + "\": \"" + value.toStdString() + "\"}", "application/json");
        };
        if (!email || !req.is_multipart_form_data()) {
            // The body is read and dropped, so that the client gets the answer, not a reset.
            if (req.is_multipart_form_data())
                reader([](const httplib::MultipartFormData &) { return true; }, [](const char *, size_t) { return true; });
            else
                reader([](const char *, size_t) { return true; });
            if (email)
                reply(400, "error", QStringLiteral("Not a multipart upload"));
            else
                reply(401, "error", QStringLiteral("Please log in first"));
            return;
        }
        const QString path = QDir(dataDir).filePath(QStringLiteral("uploads/%1.flv").arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
        std::ofstream file;
        std::map<std::string, std::string> fields;
        std::string current;
        qint64 size = 0;
        int files = 0;
        QString refused; // why the upload is not taken, when it is not
        const bool complete = reader(
                [&](const httplib::MultipartFormData &part) {
                    current = part.name;
                    if (current == "sfile") {
                        if (++files > 1) {
                            refused = QStringLiteral("One video per upload");
                            return false;
                        }
                        file.open(path.toStdString(), std::ios::binary);
                    } else if (fields.size() >= 16 && !fields.count(current)) {
                        refused = QStringLiteral("Too many fields");
                        return false;
                    }
                    return true;
                },
                [&](const char *data, size_t length) {
                    if (current == "sfile") {
                        file.write(data, std::streamsize(length));
                        size += qint64(length);
                        return file.good();
                    }
                    std::string &value = fields[current];
                    if (value.size() + length > 4096) {
                        refused = QStringLiteral("A field is too long");
                        return false;
                    }
                    value.append(data, length);
                    return true;
                });
        file.close();
        if (!complete || !file || size == 0 || !refused.isEmpty()) {
            QFile::remove(path);
            if (!refused.isEmpty())
                reply(413, "error", refused);
            else if (size == 0 && complete)
                reply(400, "error", QStringLiteral("No video in the upload"));
            else
                reply(507, "error", QStringLiteral("The video could not be stored"));
            return;
        }
        std::lock_guard lock(g_storeMutex);
        const QString key = store.addVideo(*email, QString::fromStdString(fields["title"]),
                                           QString::fromStdString(fields["id_table"]).toInt(),
                                           QString::fromStdString(fields["uuid"]), path, size);
        if (key.isEmpty()) {
            QFile::remove(path);
            reply(500, "error", QStringLiteral("The video could not be stored"));
            return;
        }
        reply(200, "key", key);
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

    std::printf("Brindlecast service on %s (data in %s)\n", base.c_str(), qPrintable(dataDir));
    std::fflush(stdout);
    if (!server.listen("127.0.0.1", port)) {
        std::fprintf(stderr, "brindlecast-service: cannot listen on port %d\n", port);
        return 1;
    }
    return 0;
}
