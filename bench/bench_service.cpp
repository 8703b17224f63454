// Loads the bundled service the way a crowd of programs would: 200 clients at once,
// each request on a new connection. Prints requests per second for logins and for a
// listing of rooms with 1 and with 40,000 sessions stored, and with eight slow uploads
// in flight, each against a plain page served in the same run (the reference), with
// the failed requests and the slowest answer.
// Usage: bench_service [runs] [service program] (default 5 runs of the one built here).
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr int kClients = 200;
constexpr int kRequests = 4000;
constexpr int kSlowUploads = 8;

int connectTo(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval patience{30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// One request on its own connection; true when answered 200.
bool exchange(int port, const std::string &request)
{
    const int fd = connectTo(port);
    if (fd < 0)
        return false;
    bool ok = send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size());
    std::string answer;
    char buffer[4096];
    for (ssize_t n; ok && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, size_t(n));
    close(fd);
    return ok && answer.rfind("HTTP/1.1 200", 0) == 0;
}

struct Load
{
    double perSecond = 0;
    int failed = 0;
    double slowestMs = 0;
};

// kRequests requests from kClients clients at once.
Load load(int port, const std::string &request)
{
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    std::atomic<int64_t> slowestUs{0};
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([&] {
            while (next.fetch_add(1) < kRequests) {
                QElapsedTimer one;
                one.start();
                if (!exchange(port, request))
                    ++failed;
                const int64_t us = one.nsecsElapsed() / 1000;
                for (int64_t seen = slowestUs.load(); us > seen && !slowestUs.compare_exchange_weak(seen, us);) {
                }
            }
        });
    }
    for (std::thread &client : clients)
        client.join();
    return {kRequests / (clock.nsecsElapsed() / 1e9), failed.load(), slowestUs.load() / 1000.0};
}

std::string post(const std::string &path, const std::string &body, const std::string &cookie = std::string())
{
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
           + (cookie.empty() ? std::string() : "Cookie: session=" + cookie + "\r\n")
           + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n"
           + body;
}

std::string loginRequest()
{
    const QByteArray digest = QCryptographicHash::hash("demo", QCryptographicHash::Md5).toHex();
    return post("/auth/login", "login=demo%40brindlecast.local&password=" + digest.toStdString());
}

// The session token a login sets; empty when none.
std::string logIn(int port)
{
    const int fd = connectTo(port);
    const std::string request = loginRequest();
    std::string answer;
    char buffer[4096];
    if (fd >= 0 && send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
            answer.append(buffer, size_t(n));
    }
    if (fd >= 0)
        close(fd);
    const QRegularExpressionMatch token =
            QRegularExpression(QStringLiteral("session=([0-9a-f]+)")).match(QString::fromStdString(answer));
    return token.captured(1).toStdString();
}

// Stores sessions of nobody in particular beside the service, as many users would.
bool addSessions(const QString &database, int count)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(database.toUtf8().constData(), &db) == SQLITE_OK;
    sqlite3_busy_timeout(db, 30000);
    ok = ok && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < count; ++i) {
        const std::string sql = "INSERT INTO sessions VALUES ('bench" + std::to_string(i)
                                + "', 'demo@brindlecast.local', strftime('%s','now'), strftime('%s','now'))";
        ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Uploads that trickle in, a few bytes at a time, until stopped.
class SlowUploads
{
public:
    SlowUploads(int port, const std::string &session)
    {
        for (int i = 0; i < kSlowUploads; ++i) {
            m_threads.emplace_back([this, port, session] {
                const int fd = connectTo(port);
                const std::string head = "POST /video/upload HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: session=" + session
                                         + "\r\nContent-Type: multipart/form-data; boundary=b\r\nContent-Length: 100000000\r\n\r\n"
                                           "--b\r\nContent-Disposition: form-data; name=\"sfile\"; filename=\"v.flv\"\r\n\r\n";
                bool ok = fd >= 0 && send(fd, head.data(), head.size(), MSG_NOSIGNAL) > 0;
                const std::string trickle(512, 'v');
                while (ok && !m_stop.load()) {
                    ok = send(fd, trickle.data(), trickle.size(), MSG_NOSIGNAL) > 0;
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
                if (fd >= 0)
                    close(fd);
            });
        }
        // Long enough for every upload to be taken up by the service.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ~SlowUploads()
    {
        m_stop = true;
        for (std::thread &thread : m_threads)
            thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

void print(const char *what, const Load &measured, const Load &reference)
{
    std::printf("%-34s %9.0f req/s  x%.2f of the page  %d failed  slowest %.0f ms\n", what, measured.perSecond,
                measured.perSecond / reference.perSecond, measured.failed, measured.slowestMs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir scratch;
    QProcess service;
    service.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(SERVICE);
    service.start(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), scratch.path()});
    QByteArray said;
    while (!said.contains("service on http://") && service.waitForReadyRead(30000))
        said += service.readAll();
    const int port = QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:(\\d+)")).match(QString::fromUtf8(said)).captured(1).toInt();
    if (port <= 0) {
        std::fprintf(stderr, "bench_service: the service did not start: %s\n", said.constData());
        return 1;
    }
    const std::string page = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    const std::string session = logIn(port);
    const std::string listing = post("/soft/listtablesuser", std::string(), session);
    std::printf("%d clients at once, %d requests each measure, %d runs\n", kClients, kRequests, runs);
    const QString database = scratch.filePath(QStringLiteral("service.db"));
    {
        const Load reference = load(port, page);
        print("listing, 1 session", load(port, listing), reference);
    }
    double lowestLogin = 1e9;
    int loginFailures = 0;
    for (int run = 0; run < runs; ++run) {
        const Load reference = load(port, page);
        const Load login = load(port, loginRequest());
        lowestLogin = std::min(lowestLogin, login.perSecond);
        loginFailures += login.failed;
        print("plain page (reference)", reference, reference);
        print("login", login, reference);
    }
    // The logins above stored sessions too: 40,000 in all.
    if (!addSessions(database, 40000 - 1 - runs * kRequests))
        std::fprintf(stderr, "bench_service: the sessions could not be added\n");
    {
        const Load reference = load(port, page);
        print("listing, 40,000 sessions", load(port, listing), reference);
    }
    {
        const SlowUploads uploads(port, session);
        const Load reference = load(port, page);
        print("login, 8 slow uploads in flight", load(port, loginRequest()), reference);
    }
    std::printf("logins: lowest rate of the runs %.0f req/s, %d failed\n", lowestLogin, loginFailures);
    service.kill();
    service.waitForFinished();
    return 0;
}
