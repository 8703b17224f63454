#include "tests/support/XSession.h"
#include "ui/BalloonTip.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr int kPatienceMs = 20000;

QImage grabScreen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// Puts the pointer somewhere and waits until the server has it there.
bool pointerTo(const QPoint &at)
{
    QCursor::setPos(at);
    return QTest::qWaitFor([&at] { return QCursor::pos() == at; }, kPatienceMs);
}

const QPoint kSpot(200, 150);

BalloonTip *shown(QWidget *attached, int durationMs, const QPoint &at = kSpot, const QString &text = QStringLiteral("Room name?"))
{
    auto *tip = new BalloonTip(text, attached);
    tip->showAt(at, durationMs);
    return tip;
}

// Does what should close the balloon and waits until it is gone; the number of
// closed() signals it sent, -1 when it is still there.
int timesClosed(BalloonTip *tip, const std::function<void(BalloonTip *)> &action)
{
    const QPointer<BalloonTip> guard(tip);
    QSignalSpy closed(tip, &BalloonTip::closed);
    action(tip);
    return QTest::qWaitFor([&guard] { return guard.isNull(); }, kPatienceMs) ? int(closed.count()) : -1;
}

const auto kClose = [](BalloonTip *tip) { tip->close(); };

} // namespace

// Runs on a private X server, with a window manager when BC_TEST_WINDOW_MANAGER is set.
class TestBalloonTip : public QObject
{
    Q_OBJECT
public:
    explicit TestBalloonTip(XSession *session)
        : m_session(session)
    {
    }

private slots:
    void initTestCase();
    void cleanupTestCase() { m_window.reset(); }
    void pointsAtItsSpot_data();
    void pointsAtItsSpot();
    void closesOnce();
    void followsItsWindowWithoutTakingTheFocus();
    void translucentOnlyWithACompositor();

private:
    XSession *m_session;
    std::unique_ptr<QWidget> m_window;
    QLineEdit *m_edit = nullptr;
    // Out of the way of every balloon: one under the pointer stays open.
    const QPoint m_aside{1270, 5};
};

void TestBalloonTip::initTestCase()
{
    QVERIFY(pointerTo(m_aside));
    m_window = std::make_unique<QWidget>();
    m_edit = new QLineEdit(m_window.get());
    (new QVBoxLayout(m_window.get()))->addWidget(m_edit);
    m_window->setGeometry(400, 300, 300, 200);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
    m_edit->setFocus();
    QTRY_VERIFY(m_edit->hasFocus());
}

void TestBalloonTip::pointsAtItsSpot_data()
{
    QTest::addColumn<QPoint>("spot");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("belowRight");
    const QString words = QStringLiteral("Please confirm the name of this <b>Poker room</b>. ");
    QTest::newRow("top left") << QPoint(120, 90) << words << true;
    QTest::newRow("bottom right") << QPoint(1240, 1000) << words << false;
    QTest::newRow("long text") << QPoint(300, 600) << words.repeated(12) << true;
}

void TestBalloonTip::pointsAtItsSpot()
{
    QFETCH(QPoint, spot);
    QFETCH(QString, text);
    QFETCH(bool, belowRight);
    const QImage before = grabScreen();
    BalloonTip *tip = shown(m_window.get(), 0, spot, text);
    QVERIFY(QTest::qWaitForWindowExposed(tip));

    // Beside the spot, on the screen, at most a third of it wide.
    const QRect area = tip->geometry();
    QVERIFY(area.contains(spot));
    QVERIFY(tip->screen()->geometry().contains(area));
    QCOMPARE(area.center().y() > spot.y(), belowRight);
    QCOMPARE(area.center().x() > spot.x(), belowRight);
    QVERIFY(area.width() <= tip->screen()->availableGeometry().width() / 3);
    // The arrow ends in the spot itself; the corners are cut away.
    const QRegion mask = tip->mask();
    const QPoint tipInside = spot - area.topLeft();
    QVERIFY(mask.contains(tipInside));
    QVERIFY(!mask.contains(tipInside + QPoint(3, 0)) && !mask.contains(tipInside - QPoint(3, 0)));
    const QPoint farCorner(area.width() - 1, area.height() - 1);
    for (const QPoint &corner : {QPoint(0, 0), QPoint(farCorner.x(), 0), QPoint(0, farCorner.y()), farCorner})
        QVERIFY(!mask.contains(corner));

    // On the screen: the bubble's colour in its margin, what lay beneath at the corners.
    const int boxMiddle = (area.height() + (belowRight ? 1 : -1) * BalloonTip::kArrowHeight) / 2;
    const QRgb fill = tip->palette().color(QPalette::ToolTipBase).rgb();
    QTRY_COMPARE(grabScreen().pixel(area.topLeft() + QPoint(3, boxMiddle)), fill);
    const QImage after = grabScreen();
    for (const QPoint &corner : {area.topLeft(), area.bottomRight()})
        QCOMPARE(after.pixel(corner), before.pixel(corner));
    QCOMPARE(timesClosed(tip, kClose), 1);
}

void TestBalloonTip::closesOnce()
{
    // When its time is up, or twice by its owner, or with the widget it is attached to.
    QCOMPARE(timesClosed(shown(m_window.get(), 200), [](BalloonTip *) {}), 1);
    QCOMPARE(timesClosed(shown(m_window.get(), 0), [](BalloonTip *tip) { tip->close(), tip->close(); }), 1);
    auto *attached = new QLabel(m_window.get());
    QCOMPARE(timesClosed(shown(attached, 0), [attached](BalloonTip *) { delete attached; }), 1);

    // The pointer over it (in the box, below the arrow) keeps it open past its time; a click closes it.
    QVERIFY(pointerTo(kSpot + QPoint(0, BalloonTip::kArrowHeight + 8)));
    BalloonTip *hovered = shown(m_window.get(), 200);
    QSignalSpy timeout(hovered->findChild<QTimer *>(QStringLiteral("closeTimer")), &QTimer::timeout);
    QVERIFY(QTest::qWaitForWindowExposed(hovered));
    QTRY_COMPARE(timeout.count(), 1);
    QVERIFY(hovered->isVisible());
    QCOMPARE(timesClosed(hovered, [](BalloonTip *) { pressPointer(true), pressPointer(false); }), 1);
    QVERIFY(pointerTo(m_aside));
}

void TestBalloonTip::followsItsWindowWithoutTakingTheFocus()
{
    QSignalSpy focusChanges(qApp, &QGuiApplication::focusWindowChanged);
    BalloonTip *tip = shown(m_edit, 0, m_edit->mapToGlobal(m_edit->rect().center()));
    QVERIFY(QTest::qWaitForWindowExposed(tip));
    const QPoint origin = m_window->mapToGlobal(QPoint(0, 0));
    const QPoint at = tip->pos();
    const QPoint offset(60, 40);
    m_window->move(m_window->pos() + offset);
    QTRY_COMPARE(m_window->mapToGlobal(QPoint(0, 0)), origin + offset);
    QTRY_COMPARE(tip->pos(), at + offset);
    // Those events came after any focus change that showing the balloon could cause.
    QCOMPARE(focusChanges.count(), 0);
    QCOMPARE(QApplication::activeWindow(), m_window.get());
    QVERIFY(m_edit->hasFocus());
    QCOMPARE(timesClosed(tip, kClose), 1);
}

void TestBalloonTip::translucentOnlyWithACompositor()
{
    for (const bool composited : {false, true}) {
        if (composited)
            QVERIFY(m_session->startCompositor());
        BalloonTip *tip = shown(nullptr, 0);
        QVERIFY(QTest::qWaitForWindowExposed(tip));
        QCOMPARE(tip->windowHandle()->format().hasAlpha(), composited);
        QVERIFY(!tip->mask().contains(QPoint(0, 0)));
        QCOMPARE(timesClosed(tip, kClose), 1);
    }
    m_session->stopCompositor();
}

int main(int argc, char **argv)
{
    XSession session;
    if (!session.start(qEnvironmentVariableIsSet("BC_TEST_WINDOW_MANAGER"))) {
        qCritical("Cannot start a private X server");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestBalloonTip test(&session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_balloontip.moc"
