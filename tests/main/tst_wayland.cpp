#include "capture/WindowImageShooter.h"
#include "detection/Detection.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "media/FrameDecoder.h"
#include "platform/DesktopWindows.h"
#include "resources/Resources.h"
#include "tests/support/ProgramWindow.h"
#include "tests/support/PulseSession.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestUser.h"
#include "tests/support/WaylandSession.h"
#include "tests/support/XSession.h"
#include "tool/Follower.h"
#include "ui/RoomConfirmForm.h"
#include "ui/SuggestionBox.h"
#include "tool/RecorderManager.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// On a headless Wayland session whose XWayland shows the tables, as Wine's tables are
// shown on GNOME or KDE Plasma today.
class TestWayland : public QObject
{
    Q_OBJECT
public:
    explicit TestWayland(WaylandSession *session)
        : m_session(session)
    {
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void tablesAreReadFromTheirOwnContent();
    void followerSitsOnItsTable();
    void followerTakesTyping();
    void recordToolRecordsTheTableWithDefaults();
    void regionsAndMonitorsComeFromScreenSharing();
    void withoutScreenSharingRegionsSayWhy();
    void blackIsToldNotKeptSilent();

private:
    WaylandSession *m_session;
    QTemporaryDir m_home;
    PulseSession m_pulse;
    std::unique_ptr<User> m_user;
    std::unique_ptr<WindowConfig> m_settings;
    std::unique_ptr<DetectionManager> m_detection;
};

namespace {

constexpr QRgb kTableColour = 0xff2050c0;
constexpr QRgb kTerminalColour = 0xff30a050;

bool closeTo(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 && qAbs(qBlue(a) - qBlue(b)) < 24;
}

// Where pictures are compared: a quarter in, away from the pointer (at the screen's
// centre) and the watermark (bottom right).
QPoint probePoint(const QSize &size)
{
    return QPoint(size.width() / 4, size.height() / 4);
}

// One frame of the target as the recorder makes it, and whether all of it was black.
QImage shootOnce(const TargetSptr &target, const QSize &size, bool &black)
{
    auto params = std::make_shared<VideoRecParams>();
    params->target = target;
    params->format = std::make_shared<VideoFormat>(VideoFormat{size.width(), size.height(), 10, 100});
    WindowImageShooter shooter(params);
    bc_ret errors;
    if (shooter.init().failed() || !shooter.shoot(errors))
        return QImage();
    black = shooter.copiedBlack();
    return shooter.frame().copy();
}

// The table: another process's X11 window, as Wine's are; its id once it is shown.
quint32 showTable(QProcess &table, const QString &title)
{
    table.start(QStringLiteral(X_TEST_WINDOW), {title, QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("634"),
                                                QStringLiteral("478"), QStringLiteral("2050c0")});
    if (!table.waitForReadyRead(20000))
        return 0;
    return table.readLine().trimmed().toUInt();
}

struct ToolRun
{
    int exitCode = -1;
    QString errors;
    QStringList saved;
};

// brindlecast-record as a player's script starts it in a Wayland session: no platform
// chosen, both displays announced. changes: NAME=value for its environment.
void startTool(QProcess &tool, const QStringList &what, const QString &out, const QStringList &changes = {},
               int seconds = 5)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const QString &change : changes)
        environment.insert(change.section(QLatin1Char('='), 0, 0), change.section(QLatin1Char('='), 1));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(RECORD_TOOL), what + QStringList{QStringLiteral("--duration"), QString::number(seconds),
                                                                QStringLiteral("--save-on-stop"), QStringLiteral("--no-audio"),
                                                                QStringLiteral("--out"), out});
}

ToolRun finishTool(QProcess &tool)
{
    ToolRun run;
    if (!tool.waitForFinished(60000))
        return run;
    run.exitCode = tool.exitCode();
    run.errors = QString::fromLocal8Bit(tool.readAllStandardError());
    for (const QString &line : QString::fromLocal8Bit(tool.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("saved ")))
            run.saved.append(line.mid(6));
    }
    return run;
}

ToolRun record(const QStringList &what, const QString &out, const QStringList &changes = {})
{
    QProcess tool;
    startTool(tool, what, out, changes);
    return finishTool(tool);
}

} // namespace

void TestWayland::tablesAreReadFromTheirOwnContent()
{
    QVERIFY(desktop::isXWayland());
    QProcess process;
    const quint32 table = showTable(process, QStringLiteral("own content"));
    QVERIFY2(table, qPrintable(m_session->log()));
    // Whatever the overlapping setting says: XWayland's screen holds no pictures.
    for (bool overlays : {true, false})
        QVERIFY(std::dynamic_pointer_cast<ClientTarget>(chooseWindowTarget(table, overlays)));

    const QRect client = desktop::windowClientRect(table);
    bool black = true;
    const QImage frame = shootOnce(chooseWindowTarget(table, true), client.size(), black);
    QVERIFY(!frame.isNull());
    QVERIFY(!black);
    // What the compositor itself shows there.
    const QImage screen = m_session->screenshot();
    QVERIFY(!screen.isNull());
    const QPoint onScreen = client.topLeft() + probePoint(client.size());
    QVERIFY2(closeTo(screen.pixel(onScreen), kTableColour), qPrintable(QString::number(screen.pixel(onScreen), 16)));
    const QRgb recorded = frame.pixel(probePoint(frame.size()));
    QVERIFY2(closeTo(recorded, screen.pixel(onScreen)), qPrintable(QString::number(recorded, 16)));

    // The same place as a region of the screen: the desktop's screen sharing shows it.
    black = true;
    const QImage region = shootOnce(std::make_shared<RegionTarget>(client), client.size(), black);
    QVERIFY(!region.isNull());
    QVERIFY(!black);
    const QRgb shared = region.pixel(probePoint(region.size()));
    QVERIFY2(closeTo(shared, screen.pixel(onScreen)), qPrintable(QString::number(shared, 16)));
    process.closeWriteChannel();
    process.waitForFinished(10000);
}

void TestWayland::initTestCase()
{
    QVERIFY(m_pulse.start());
    qApp->setStyleSheet(applicationStyleSheet());
    QVERIFY(openTestUser(m_home, m_user, m_settings));
    m_detection = std::make_unique<DetectionManager>(m_user->paths());
}

void TestWayland::cleanupTestCase()
{
    m_detection.reset();
    m_settings.reset();
    m_user.reset();
}

void TestWayland::followerSitsOnItsTable()
{
    m_settings->setAutoDetection(false);
    RecorderManager manager;
    ProgramWindow table(QStringLiteral(X_TEST_WINDOW), QStringLiteral("followed table"), QRect(200, 300, 634, 478));
    QVERIFY(table.id());
    manager.windowObserver().follow(table.id(), false);
    QPointer<WindowFollower> follower = manager.windowObserver().follower(table.id());
    QVERIFY(follower);
    QVERIFY(QTest::qWaitForWindowExposed(follower));
    const WindowId own = WindowId(follower->winId());
    // At the table's top edge (the screen's, when there is no room above), where it
    // asked to be: the compositor shows it there, and nothing in the table's middle.
    const QRect tableRect = desktop::windowFrameRect(table.id());
    QTRY_VERIFY_WITH_TIMEOUT(desktop::windowFrameRect(own).top() <= tableRect.top(), ProgramWindow::kPatienceMs);
    const QRect placed = desktop::windowFrameRect(own);
    QVERIFY2(placed.bottom() <= tableRect.top() + placed.height(), qPrintable(m_session->log()));
    QImage screen;
    QVERIFY(QTest::qWaitFor(
            [&] {
                screen = m_session->screenshot();
                return !screen.isNull() && distinctColours(screen.copy(placed)) > 10;
            },
            ProgramWindow::kPatienceMs));
    screen.save(QStringLiteral(BC_TEST_ARTEFACTS) + QStringLiteral("/wayland-follower.png"));
    QCOMPARE(distinctColours(screen.copy(QRect(tableRect.center() - QPoint(200, 100), QSize(400, 200)))), 1);
}

void TestWayland::followerTakesTyping()
{
    // A table of a poker program whose room is not known: its recorder asks for the room,
    // whose name the player clicks into and types.
    ProgramWindow table(QStringLiteral(X_TEST_WINDOW), QStringLiteral("unknown room"), QRect(200, 300, 634, 478));
    QVERIFY(table.id());
    WindowFollower follower(table.id(), chooseWindowTarget(table.id(), true), 100, false);
    follower.attach(std::make_shared<Detection>(QStringLiteral("C:/Poker/room.exe"), true, Detection::kNoRoom));
    auto *form = follower.findChild<RoomConfirmForm *>();
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowExposed(&follower));
    QLineEdit *name = form->roomBox()->box()->lineEdit();
    QTRY_VERIFY(name->isVisible());
    // The compositor places it (X11 is not told where), and gives it the keyboard.
    follower.activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(follower.isActiveWindow(), ProgramWindow::kPatienceMs);
    // Under load the compositor may pass the keys on before the focus: typed again then.
    bool typed = false;
    for (int attempt = 0; attempt < 3 && !typed; ++attempt) {
        name->setFocus();
        for (quint32 key : {0x7aU, 0x6fU, 0x65U}) // z, o, e
            pressKey(key);
        typed = QTest::qWaitFor([name] { return name->text().endsWith(QLatin1String("zoe")); }, ProgramWindow::kPatienceMs / 3);
    }
    QVERIFY2(typed, qPrintable(name->text()));

    // Once the room is known it records, placed by itself at the table again.
    // (What the form's confirmation calls, with the room the player named.)
    follower.initRecorder(std::make_shared<Detection>(QStringLiteral("C:/Poker/room.exe"), true, 12));
    QVERIFY(follower.recorder());
    QVERIFY(follower.windowFlags().testFlag(Qt::BypassWindowManagerHint));
    QVERIFY(QTest::qWaitForWindowExposed(&follower));
    QTRY_VERIFY_WITH_TIMEOUT(desktop::windowFrameRect(WindowId(follower.winId())).top()
                                     <= desktop::windowFrameRect(table.id()).top(),
                             ProgramWindow::kPatienceMs);
}

void TestWayland::recordToolRecordsTheTableWithDefaults()
{
    QProcess process;
    const quint32 table = showTable(process, QStringLiteral("recorded table"));
    QVERIFY(table);
    QTemporaryDir out;
    const ToolRun run = record({QStringLiteral("--window"), QString::number(table)}, out.path());
    QVERIFY2(run.exitCode == 0 && run.saved.size() == 1, qPrintable(run.errors));
    QVERIFY2(!run.errors.contains(QLatin1String("black")), qPrintable(run.errors));
    FrameDecoder decoder;
    QVERIFY(decoder.open(run.saved.first()).ok());
    for (qint64 ms : {500, 4000}) {
        QImage image;
        QVERIFY(decoder.decodeAt(ms, QSize(), image).ok());
        const QRgb recorded = image.pixel(probePoint(image.size()));
        QVERIFY2(closeTo(recorded, kTableColour), qPrintable(QString::number(recorded, 16)));
    }
    process.closeWriteChannel();
    process.waitForFinished(10000);
}

void TestWayland::regionsAndMonitorsComeFromScreenSharing()
{
    // A Wayland-native window and an X11 table, side by side or one over the other.
    QProcess terminal;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    terminal.setProcessEnvironment(environment);
    // It writes a short line five times a second at its left edge: a desktop that sends
    // pictures only when something changes sends them.
    terminal.start(QStringLiteral("foot"), {QStringLiteral("--override=colors.background=30a050"), QStringLiteral("sh"),
                                            QStringLiteral("-c"), QStringLiteral("while :; do echo .; sleep 0.2; done")});
    QVERIFY(terminal.waitForStarted(10000));
    // Shown before the table, so that the compositor lays the two out once.
    QImage screen;
    QVERIFY2(QTest::qWaitFor(
                     [&] {
                         screen = m_session->screenshot();
                         return !screen.isNull() && closeTo(screen.pixel(1500, 800), kTerminalColour);
                     },
                     ProgramWindow::kPatienceMs),
             qPrintable(m_session->log()));
    QProcess process;
    const quint32 table = showTable(process, QStringLiteral("shared table"));
    QVERIFY(table);
    // Half on the table, half on the terminal beside it (wherever the compositor put the
    // table), at an odd size; taken once the screen shows both there.
    QRect client;
    QRect region;
    QPoint tableAt;
    QPoint terminalAt;
    QVERIFY2(QTest::qWaitFor(
                     [&] {
                         client = desktop::windowClientRect(table);
                         const bool terminalOnTheLeft = client.left() >= 250;
                         region = QRect(terminalOnTheLeft ? client.left() - 212 : client.right() - 211, client.top() + 80, 423, 301);
                         tableAt = QPoint(terminalOnTheLeft ? region.width() - 60 : 60, 100);
                         terminalAt = QPoint(terminalOnTheLeft ? 60 : region.width() - 60, 100);
                         screen = m_session->screenshot();
                         return !screen.isNull() && screen.rect().contains(region)
                                && closeTo(screen.pixel(region.topLeft() + terminalAt), kTerminalColour)
                                && closeTo(screen.pixel(region.topLeft() + tableAt), kTableColour);
                     },
                     ProgramWindow::kPatienceMs),
             qPrintable(m_session->log()));

    QTemporaryDir out;
    const ToolRun run = record({QStringLiteral("--region"), QStringLiteral("%1,%2,%3,%4").arg(region.x()).arg(region.y())
                                                                    .arg(region.width()).arg(region.height())},
                               out.path());
    QVERIFY2(run.exitCode == 0 && run.saved.size() == 1, qPrintable(run.errors + m_session->log()));
    QVERIFY2(!run.errors.contains(QLatin1String("black")), qPrintable(run.errors));
    FrameDecoder decoder;
    QVERIFY(decoder.open(run.saved.first()).ok());
    // The shared screen's first picture comes with its first change, within a second.
    for (qint64 ms : {1000, 4000}) {
        QImage image;
        QVERIFY(decoder.decodeAt(ms, QSize(), image).ok());
        if (ms == 1000)
            image.save(QStringLiteral(BC_TEST_ARTEFACTS) + QStringLiteral("/wayland-region.png"));
        // Each side shows what the compositor shows there.
        for (const QPoint at : {tableAt, terminalAt}) {
            const QRgb recorded = image.pixel(at);
            const QRgb shown = screen.pixel(region.topLeft() + at);
            QVERIFY2(closeTo(recorded, shown), qPrintable(QStringLiteral("%1 at %2,%3 shown %4")
                                                                  .arg(recorded, 0, 16).arg(at.x()).arg(at.y()).arg(shown, 0, 16)));
        }
        QVERIFY(closeTo(image.pixel(tableAt), kTableColour));
        QVERIFY(closeTo(image.pixel(terminalAt), kTerminalColour));
    }

    // Two recordings of one program at once share the screen each on its own, and one
    // ending leaves the other going.
    const auto shooterOf = [](const QRect &rect) {
        auto params = std::make_shared<VideoRecParams>();
        params->target = std::make_shared<RegionTarget>(rect);
        params->format = std::make_shared<VideoFormat>(VideoFormat{rect.width(), rect.height(), 10, 100});
        return std::make_unique<WindowImageShooter>(params);
    };
    auto tableShooter = shooterOf(QRect(client.topLeft() + QPoint(20, 20), QSize(200, 150)));
    auto onTerminal = shooterOf(QRect(region.topLeft() + terminalAt - QPoint(30, 30), QSize(120, 90)));
    QVERIFY(tableShooter->init().ok());
    QVERIFY(onTerminal->init().ok());
    tableShooter.reset();
    // The terminal's next change brings its picture.
    bc_ret errors;
    QVERIFY2(QTest::qWaitFor([&] { return onTerminal->shoot(errors) && closeTo(onTerminal->frame().pixel(30, 30), kTerminalColour); },
                             ProgramWindow::kPatienceMs),
             qPrintable(errors.messages(QStringLiteral(": "))));

    // The whole monitor, by the name the program's other half gives it too.
    QTemporaryDir monitorOut;
    const ToolRun monitor = record({QStringLiteral("--monitor"), QGuiApplication::primaryScreen()->name()}, monitorOut.path());
    QVERIFY2(monitor.exitCode == 0 && monitor.saved.size() == 1, qPrintable(monitor.errors));
    QVERIFY(decoder.open(monitor.saved.first()).ok());
    QImage whole;
    QVERIFY(decoder.decodeAt(2000, QSize(), whole).ok());
    const QPoint onTable = client.topLeft() + probePoint(client.size());
    const QPoint scaled(onTable.x() * whole.width() / screen.width(), onTable.y() * whole.height() / screen.height());
    QVERIFY2(closeTo(whole.pixel(scaled), kTableColour), qPrintable(QString::number(whole.pixel(scaled), 16)));
    process.closeWriteChannel();
    process.waitForFinished(10000);
    terminal.terminate();
    terminal.waitForFinished(10000);
}

void TestWayland::withoutScreenSharingRegionsSayWhy()
{
    const QStringList region{QStringLiteral("--region"), QStringLiteral("100,100,423,301")};
    const auto noRecording = [](const QString &dir) {
        return QDir(dir).entryList({QStringLiteral("*.avi")}, QDir::Files).isEmpty();
    };
    // A desktop without the portal (no session bus at all).
    QTemporaryDir out;
    ToolRun run = record(region, out.path(),
                         {QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=%1/none").arg(m_home.path())});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(QLatin1String("offers no screen sharing")), qPrintable(run.errors));
    QVERIFY(run.saved.isEmpty() && noRecording(out.path()));

    // The user refuses.
    QVERIFY2(m_session->setScreenSharingAllowed(false), qPrintable(m_session->log()));
    run = record(region, out.path());
    QVERIFY2(m_session->setScreenSharingAllowed(true), qPrintable(m_session->log()));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(QLatin1String("Sharing the screen was refused")), qPrintable(run.errors));
    QVERIFY(run.saved.isEmpty() && noRecording(out.path()));
}

void TestWayland::blackIsToldNotKeptSilent()
{
    QProcess process;
    const quint32 table = showTable(process, QStringLiteral("table shared, then not"));
    QVERIFY(table);
    const QRect client = desktop::windowClientRect(table);
    const QStringList region{QStringLiteral("--region"),
                             QStringLiteral("%1,%2,423,301").arg(client.x() + 20).arg(client.y() + 20)};
    // Read from XWayland's own screen, which holds no pictures.
    QTemporaryDir xOut;
    ToolRun run = record(region, xOut.path(), {QStringLiteral("BRINDLECAST_CAPTURE=x11")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.count(QLatin1String("Only black is being recorded")) == 1, qPrintable(run.errors));

    // Shared, then the desktop's side of the sharing goes away once a first part is saved.
    QTemporaryDir out;
    QProcess tool;
    startTool(tool, region + QStringList{QStringLiteral("--save-at"), QStringLiteral("2")}, out.path(), {}, 12);
    QVERIFY2(QTest::qWaitFor([&] { return tool.peek(1 << 16).contains("saved "); }, ProgramWindow::kPatienceMs),
             qPrintable(QString::fromLocal8Bit(tool.readAllStandardError())));
    QVERIFY2(m_session->setScreenSharingAllowed(true), qPrintable(m_session->log()));
    run = finishTool(tool);
    QVERIFY2(run.exitCode == 0 && run.saved.size() == 2, qPrintable(run.errors));
    // Told once, and what was shared before is kept.
    QVERIFY2(run.errors.count(QLatin1String("Only black is being recorded")) == 1, qPrintable(run.errors + m_session->log()));
    FrameDecoder decoder;
    QVERIFY(decoder.open(run.saved.first()).ok());
    QImage first;
    QVERIFY(decoder.decodeAt(1800, QSize(), first).ok());
    const QRgb recorded = first.pixel(probePoint(first.size()));
    QVERIFY2(closeTo(recorded, kTableColour), qPrintable(QString::number(recorded, 16)));
    process.closeWriteChannel();
    process.waitForFinished(10000);
}

int main(int argc, char **argv)
{
    WaylandSession session;
    if (!session.start()) {
        qCritical("Cannot start a headless Wayland session: %s", qPrintable(session.log()));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (!session.startScreenSharing()) {
        qCritical("Cannot start the Wayland session's screen sharing: %s", qPrintable(session.log()));
        return 1;
    }
    TestWayland test(&session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
