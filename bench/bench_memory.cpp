// The program's memory beside the tables: the real brindlecast against the bundled
// service on a private X server (openbox, no tray, so closing the main window
// minimises it), summing the PSS of the program and every process it started:
// shown, hidden past the web pages' release delay, then hidden with 1 and 4 tables
// recording; and how long the service's pages take to come back when the window is
// shown again (by starting the program a second time, which shows the running one). A bare Qt Widgets window, measured in the same run, is the floor.
//
// Usage: bench_memory (about three minutes; the release delay is a minute).
#include "detection/Detection.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "library/XmlElement.h"
#include "net/LoginRequests.h"
#include "platform/DesktopWindows.h"
#include "tests/support/PulseSession.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/XSession.h"
#include "ui/WebView.h"
#include "app/Paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kSettleMs = 3000;
constexpr int kPatienceMs = 60000;

struct Tree
{
    double pssMiB = 0;
    int processes = 0;
};

qint64 parentOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() : -1;
}

double pssMiB(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : rollup.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// The process and everything under it.
Tree measure(qint64 root)
{
    QSet<qint64> tree{root};
    QList<qint64> all;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
        if (const qint64 pid = entry.toLongLong(); pid > 0)
            all << pid;
    for (bool grown = true; grown;) {
        grown = false;
        for (const qint64 pid : all)
            if (!tree.contains(pid) && tree.contains(parentOf(pid))) {
                tree.insert(pid);
                grown = true;
            }
    }
    Tree result;
    for (const qint64 pid : tree) {
        result.pssMiB += pssMiB(pid);
        ++result.processes;
    }
    return result;
}

// Measured once the figure has stopped moving (within 1 MiB over the settle time).
Tree settled(qint64 root)
{
    QElapsedTimer clock;
    clock.start();
    Tree last = measure(root);
    QElapsedTimer steady;
    steady.start();
    while (clock.elapsed() < kPatienceMs) {
        QTest::qWait(500);
        const Tree now = measure(root);
        if (qAbs(now.pssMiB - last.pssMiB) > 1.0 || now.processes != last.processes)
            steady.restart();
        last = now;
        if (steady.elapsed() >= kSettleMs)
            break;
    }
    return last;
}

WindowId windowTitled(const QString &title)
{
    for (const WindowId window : desktop::topLevelWindows())
        if (desktop::windowTitle(window) == title && desktop::isWindowVisible(window))
            return window;
    return 0;
}

// What a click on the window's close button does: the window manager is asked.
void askToClose(WindowId window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11->connection();
    const char name[] = "_NET_CLOSE_WINDOW";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window);
    event.type = atom ? atom->atom : 0;
    event.data.data32[1] = 2;
    free(atom);
    xcb_send_event(c, 0, xcb_window_t(desktop::rootWindow()),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

int countIn(const QString &file, const QByteArray &text)
{
    QFile log(file);
    return log.open(QIODevice::ReadOnly) ? int(log.readAll().count(text)) : 0;
}

// Closes the main window as its close button does, once it is there to close.
void closeMainWindow(const QString &log)
{
    const int closes = countIn(log, "MainWindow::closeEvent");
    const bool closed = QTest::qWaitFor(
            [&] {
                if (const WindowId window = windowTitled(QStringLiteral("Brindlecast - Main Window")))
                    askToClose(window);
                return QTest::qWaitFor([&] { return countIn(log, "MainWindow::closeEvent") > closes; }, 2000);
            },
            kPatienceMs);
    if (!closed)
        std::printf("(the main window did not close)\n");
}

bool prepareUser()
{
    QDir().mkpath(appDataDir());
    XmlRootElement login;
    login.addChild(QStringLiteral("email"), QStringLiteral("demo@brindlecast.local"));
    login.addChild(QStringLiteral("encodedPassword"), passwordDigest(QStringLiteral("demo")));
    if (login.writeToFile(loginConfPath()).failed())
        return false;
    const QString dir = QDir(appDataDir()).filePath(QStringLiteral("users/demo"));
    if (ensureDirectories(dir).failed())
        return false;
    User user(std::make_shared<UserInfo>(), dir);
    WindowConfig settings(user.paths());
    settings.setShowHelpAtStartup(false);
    // The tables' program is a poker room whose tables are recorded.
    DetectionManager detection(user.paths());
    detection.load();
    const DetectionSptr program = detection.detectionFor(QDir(appDataDir()).filePath(QStringLiteral("PokerStars.exe")));
    if (!program)
        return false;
    program->setRoom(Detection::kUnlistedRoom);
    return settings.save().ok() && detection.save().ok();
}

void print(const char *state, const Tree &program, const Tree &floor)
{
    std::printf("%-34s %9.1f MiB %4d processes   floor %6.1f MiB   ratio %5.2f\n", state, program.pssMiB,
                program.processes, floor.pssMiB, floor.pssMiB > 0 ? program.pssMiB / floor.pssMiB : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + home.filePath(QStringLiteral("no-bus"))).toUtf8());
    XSession session;
    PulseSession pulse;
    ServiceProcess service;
    if (!session.start(true) || !pulse.start() || !service.start()) {
        std::fprintf(stderr, "cannot start a private X server, sound server and service\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    QGuiApplication app(argc, argv);
    if (!prepareUser() || !QFile::copy(QStringLiteral(X_TEST_WINDOW), QDir(appDataDir()).filePath(QStringLiteral("PokerStars.exe")))) {
        std::fprintf(stderr, "cannot prepare the user's files\n");
        return 1;
    }

    QProcess floor;
    floor.start(QStringLiteral(FLOOR_WINDOW), {});
    if (!QTest::qWaitFor([] { return windowTitled(QStringLiteral("Memory floor")) != 0; }, kPatienceMs)) {
        std::fprintf(stderr, "the floor window did not show\n");
        return 1;
    }
    const Tree floorShown = settled(floor.processId());

    const QString log = logFilePath();
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(BRINDLECAST), {});
    if (!QTest::qWaitFor([&] { return windowTitled(QStringLiteral("Brindlecast - Main Window")) != 0; }, kPatienceMs)
        || !QTest::qWaitFor([&] { return countIn(log, "Service page") >= 2; }, kPatienceMs)) {
        std::fprintf(stderr, "the main window and its pages did not show\n");
        return 1;
    }
    // A first start shows the guide beside the window: the player closes it.
    if (QTest::qWaitFor([] { return windowTitled(QStringLiteral("Brindlecast - Quick start")) != 0; }, 3000))
        askToClose(windowTitled(QStringLiteral("Brindlecast - Quick start")));
    std::printf("brindlecast, remembered login, no recording (PSS of every process it started)\n");
    print("main window shown", settled(program.processId()), floorShown);

    closeMainWindow(log);
    QTest::qWait(WebView::kReleaseDelayMs);
    if (!QTest::qWaitFor([&] { return measure(program.processId()).processes == 1; }, kPatienceMs)) {
        std::printf("(the web engine's processes did not end)\n");
        QFile text(log);
        if (text.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "%s\n", text.readAll().right(3000).constData());
    }
    print("closed, a release delay later", settled(program.processId()), floorShown);

    std::vector<std::unique_ptr<QProcess>> tables;
    Tree oneTable;
    for (int i = 0; i < 4; ++i) {
        auto table = std::make_unique<QProcess>();
        table->start(QDir(appDataDir()).filePath(QStringLiteral("PokerStars.exe")),
                     {QStringLiteral("Table 'T%1' - No Limit Hold'em").arg(i), QString::number(40 + i * 60),
                      QString::number(40 + i * 50), QStringLiteral("634"), QStringLiteral("478"),
                      QStringLiteral("1f6f3f"), QStringLiteral("animate")});
        table->waitForReadyRead(15000);
        tables.push_back(std::move(table));
        // Recording: the table's segment file is there.
        const QDir segments(QDir(appDataDir()).filePath(QStringLiteral("users/demo/tmp")));
        if (!QTest::qWaitFor([&] { return segments.entryList({QStringLiteral("*.avi")}, QDir::Files).size() > i; },
                             kPatienceMs))
            std::printf("(table %d is not recorded)\n", i + 1);
        if (i == 0) {
            oneTable = settled(program.processId());
            print("closed, 1 table recording", oneTable, floorShown);
        }
    }
    const Tree fourTables = settled(program.processId());
    print("closed, 4 tables recording", fourTables, floorShown);
    std::printf("%-34s %9.1f MiB per table\n", "each table adds", (fourTables.pssMiB - oneTable.pssMiB) / 3.0);

    // Started again, the program shows its window: its pages come back.
    const int shownBefore = countIn(log, "Service page");
    QElapsedTimer back;
    back.start();
    QProcess::execute(QStringLiteral(BRINDLECAST), {});
    if (!QTest::qWaitFor([&] { return countIn(log, "Service page") >= shownBefore + 2; }, kPatienceMs))
        std::printf("(the pages did not come back)\n");
    std::printf("%-34s %9lld ms (after the second start answered)\n", "pages back", qint64(back.elapsed()));
    for (auto &table : tables)
        table->kill();
    program.terminate();
    program.waitForFinished(30000);
    floor.kill();
    floor.waitForFinished();
    return 0;
}
