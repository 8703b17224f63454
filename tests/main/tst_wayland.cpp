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
#include "tests/support/WaylandSession.h"
#include "tests/support/XSession.h"
#include "tool/Follower.h"
#include "ui/RoomConfirmForm.h"
#include "ui/SuggestionBox.h"
#include "tool/RecorderManager.h"

#include <QApplication>
#include <QDir>
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
    void blackRegionIsToldNotKeptSilent();

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
// chosen, both displays announced.
ToolRun record(const QStringList &what, const QString &out)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(RECORD_TOOL), what + QStringList{QStringLiteral("--duration"), QStringLiteral("5"),
                                                                QStringLiteral("--save-on-stop"), QStringLiteral("--no-audio"),
                                                                QStringLiteral("--out"), out});
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

    // The same place cannot be read from the screen (the copy fails, or gives black):
    // what the warning is for.
    black = false;
    const QImage region = shootOnce(std::make_shared<RegionTarget>(client), client.size(), black);
    QVERIFY(region.isNull() || black);
    process.closeWriteChannel();
    process.waitForFinished(10000);
}

void TestWayland::initTestCase()
{
    QVERIFY(m_pulse.start());
    qApp->setStyleSheet(applicationStyleSheet());
    const QString dir = m_home.filePath(QStringLiteral("user"));
    QVERIFY(ensureDirectories(dir).ok());
    m_user = std::make_unique<User>(std::make_shared<UserInfo>(), dir);
    m_settings = std::make_unique<WindowConfig>(m_user->paths());
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
    follower.attach(std::make_shared<Detection>(QStringLiteral("C:/Poker/room.exe"), true, 0));
    auto *form = follower.findChild<RoomConfirmForm *>();
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowExposed(&follower));
    QLineEdit *name = form->roomBox()->box()->lineEdit();
    QTRY_VERIFY(name->isVisible());
    // The compositor places it (X11 is not told where), and gives it the keyboard.
    follower.activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(follower.isActiveWindow(), ProgramWindow::kPatienceMs);
    name->setFocus();
    for (quint32 key : {0x7aU, 0x6fU, 0x65U}) // z, o, e
        pressKey(key);
    QTRY_VERIFY_WITH_TIMEOUT(name->text().endsWith(QLatin1String("zoe")), ProgramWindow::kPatienceMs);

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

void TestWayland::blackRegionIsToldNotKeptSilent()
{
    QProcess process;
    const quint32 table = showTable(process, QStringLiteral("region table"));
    QVERIFY(table);
    const QRect client = desktop::windowClientRect(table);
    QTemporaryDir out;
    const QString region =
            QStringLiteral("%1,%2,%3,%4").arg(client.x() + 10).arg(client.y() + 10).arg(423).arg(301);
    const ToolRun run = record({QStringLiteral("--region"), region}, out.path());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.count(QLatin1String("Only black is being recorded")) == 1, qPrintable(run.errors));
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
    TestWayland test(&session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
