#include "capture/Target.h"
#include "capture/WindowImageShooter.h"
#include "resources/Resources.h"
#include "tests/support/XSession.h"

#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QTest>

namespace {

constexpr QRgb kRed = qRgb(0xff, 0, 0);
constexpr QRgb kGreen = qRgb(0, 0xff, 0);
constexpr QRgb kBlue = qRgb(0, 0, 0xff);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// A shooter for target with a frame of the given size, initialised.
struct Shot
{
    VideoRecParamsSptr params;
    std::unique_ptr<WindowImageShooter> shooter;

    Shot(const TargetSptr &target, QSize size, const QImage &watermark = QImage())
        : params(std::make_shared<VideoRecParams>())
    {
        params->target = target;
        params->watermark = watermark;
        params->format = std::make_shared<VideoFormat>(VideoFormat{size.width(), size.height(), 10, 100});
        shooter = std::make_unique<WindowImageShooter>(params);
    }
    // One frame; empty picture when the copy failed.
    QImage take(bc_ret &errors)
    {
        const uchar *bits = shooter->shoot(errors);
        return bits ? shooter->frame().copy() : QImage();
    }
};

// A window of another process, which the target rules accept.
class ForeignWindow
{
public:
    ForeignWindow(const QRect &geometry, const QString &rgb)
    {
        m_process.start(QStringLiteral(X_TEST_WINDOW),
                        {QStringLiteral("foreign"), QString::number(geometry.x()), QString::number(geometry.y()),
                         QString::number(geometry.width()), QString::number(geometry.height()), rgb});
        if (m_process.waitForReadyRead(15000))
            m_id = m_process.readLine().trimmed().toUInt();
    }
    ~ForeignWindow()
    {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    WindowId id() const { return m_id; }
    bool command(const char *line)
    {
        m_process.write(line);
        m_process.write("\n");
        return m_process.waitForReadyRead(10000) && m_process.readLine().trimmed() == "done";
    }

private:
    QProcess m_process;
    WindowId m_id = 0;
};

// Every pixel of the rectangle has this colour.
bool filled(const QImage &image, const QRect &rect, QRgb colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

bool contains(const QImage &image, const QRect &rect, QRgb colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

} // namespace

class TestShooter : public QObject
{
    Q_OBJECT
public:
    explicit TestShooter(XSession *session)
        : m_session(session)
    {
    }

private slots:
    void init() { movePointer(1270, 1015); }
    void followsResizeCentredAndCutEvenly();
    void cursorOnlyInsideTarget();
    void watermarkScaledAndBlended();
    void targetKindFollowsComposition();
    void clientContentIgnoresCoveringWindows_data();
    void clientContentIgnoresCoveringWindows();
    void minimisedWindowGivesBlackFrames();
    void halfOffScreenAndClosedWindows();
    void initFailures();

private:
    XSession *m_session;
};

void TestShooter::followsResizeCentredAndCutEvenly()
{
    TestWindow window(QStringLiteral("resized"), QRect(100, 100, 200, 100), 0xff0000);
    QVERIFY(window.waitShown());
    Shot shot(std::make_shared<ClientTarget>(window.id()), QSize(200, 100));
    QVERIFY(shot.shooter->init().ok());
    bc_ret errors;

    window.resize(150, 80);
    QImage frame = shot.take(errors);
    QVERIFY(errors.ok());
    QVERIFY(filled(frame, QRect(25, 10, 150, 80), kRed));
    QVERIFY(filled(frame, QRect(0, 0, 200, 10), kBlack));
    QVERIFY(filled(frame, QRect(0, 90, 200, 10), kBlack));
    QVERIFY(filled(frame, QRect(0, 0, 25, 100), kBlack));
    QVERIFY(filled(frame, QRect(175, 0, 25, 100), kBlack));

    // 300 x 140 into 200 x 100: 50 columns and 20 rows cut on each side.
    window.resize(300, 140);
    window.addChild(QRect(0, 0, 60, 30), 0x0000ff);
    frame = shot.take(errors);
    QVERIFY(errors.ok());
    QVERIFY(filled(frame, QRect(0, 0, 10, 10), kBlue));
    QVERIFY(filled(frame, QRect(10, 0, 190, 100), kRed));
    QVERIFY(filled(frame, QRect(0, 10, 10, 90), kRed));
}

void TestShooter::cursorOnlyInsideTarget()
{
    TestWindow window(QStringLiteral("cursor"), QRect(400, 400, 200, 100), 0xff0000);
    QVERIFY(window.waitShown());
    const QRect client = desktop::windowClientRect(window.id());
    Shot shot(std::make_shared<RegionTarget>(client), QSize(200, 100));
    QVERIFY(shot.shooter->init().ok());
    bc_ret errors;

    movePointer(client.x() + 100, client.y() + 50);
    QImage frame = shot.take(errors);
    QVERIFY(errors.ok());
    // The cursor's picture lies around the pointer's spot.
    QVERIFY(!filled(frame, QRect(76, 26, 48, 48), kRed));
    QVERIFY(filled(frame, QRect(0, 0, 40, 100), kRed));

    movePointer(client.x() - 60, client.y() + 50);
    frame = shot.take(errors);
    QVERIFY(filled(frame, frame.rect(), kRed));
}

void TestShooter::watermarkScaledAndBlended()
{
    const QImage mark = watermarkImage();
    QVERIFY(!mark.isNull());
    QVERIFY(mark.hasAlphaChannel());
    QCOMPARE(WindowImageShooter::scaledWatermark(mark, QSize(800, 600)).size(), mark.size());
    QCOMPARE(WindowImageShooter::scaledWatermark(mark, QSize(1600, 600)).width(), mark.width() * 2);
    QCOMPARE(WindowImageShooter::scaledWatermark(mark, QSize(400, 600)).size(), mark.size());

    TestWindow window(QStringLiteral("marked"), QRect(0, 0, 800, 600), 0xff0000);
    QVERIFY(window.waitShown());
    Shot shot(std::make_shared<ClientTarget>(window.id()), QSize(800, 600), mark);
    QVERIFY(shot.shooter->init().ok());
    bc_ret errors;
    const QImage frame = shot.take(errors);
    QVERIFY(errors.ok());

    // What the corner must look like: the mark drawn over the background.
    const QRect corner(800 - mark.width(), 600 - mark.height(), mark.width(), mark.height());
    auto checkMarked = [&](const QImage &frame, QRgb background) {
        QImage expected(800, 600, QImage::Format_RGB32);
        expected.fill(background);
        QPainter(&expected).drawImage(corner.topLeft(), mark);
        int differing = 0;
        for (int y = corner.top(); y <= corner.bottom(); ++y) {
            for (int x = corner.left(); x <= corner.right(); ++x) {
                const QRgb a = frame.pixel(x, y), b = expected.pixel(x, y);
                if (qAbs(qRed(a) - qRed(b)) > 2 || qAbs(qGreen(a) - qGreen(b)) > 2 || qAbs(qBlue(a) - qBlue(b)) > 2)
                    return false;
                differing += a != background;
            }
        }
        return differing > mark.width() * mark.height() / 4 && filled(frame, QRect(0, 0, 800 - mark.width(), 600), background);
    };
    QVERIFY(checkMarked(frame, kRed));

    // A window gone leaves black frames, marked all the same.
    window.close();
    const QImage black = shot.take(errors);
    QVERIFY(errors.ok());
    QVERIFY(checkMarked(black, kBlack));
}

void TestShooter::targetKindFollowsComposition()
{
    ForeignWindow table(QRect(600, 100, 300, 200), QStringLiteral("808080"));
    QVERIFY(table.id() != 0);
    TestWindow own(QStringLiteral("own"), QRect(50, 600, 100, 100), 0x00ff00);
    QVERIFY(own.waitShown());

    QVERIFY(!desktop::isCompositionEnabled());
    for (bool overlays : {false, true}) {
        const TargetSptr target = chooseWindowTarget(table.id(), desktop::isCompositionEnabled(), overlays);
        QVERIFY(std::dynamic_pointer_cast<FramedWindowTarget>(target));
    }
    QVERIFY(m_session->startCompositor());
    QVERIFY(desktop::isCompositionEnabled());
    TargetSptr target = chooseWindowTarget(table.id(), true, false);
    QVERIFY(std::dynamic_pointer_cast<ClientTarget>(target));
    target = chooseWindowTarget(table.id(), true, true);
    QVERIFY(std::dynamic_pointer_cast<WindowTarget>(target));
    QVERIFY(!std::dynamic_pointer_cast<ClientTarget>(target) && !std::dynamic_pointer_cast<FramedWindowTarget>(target));
    m_session->stopCompositor();

    // Our own windows and minimised ones are not recorded.
    QVERIFY(!chooseWindowTarget(own.id(), false, true));
    QVERIFY(table.command("minimise"));
    QTRY_VERIFY(desktop::isWindowMinimised(table.id()));
    QVERIFY(!chooseWindowTarget(table.id(), false, true));
}

void TestShooter::clientContentIgnoresCoveringWindows_data()
{
    QTest::addColumn<bool>("compositor");
    QTest::newRow("without compositor") << false;
    QTest::newRow("with compositor") << true;
}

void TestShooter::clientContentIgnoresCoveringWindows()
{
    QFETCH(bool, compositor);
    if (compositor)
        QVERIFY(m_session->startCompositor());
    TestWindow table(QStringLiteral("covered"), QRect(100, 300, 300, 200), 0xff0000);
    QVERIFY(table.waitShown());
    TestWindow note(QStringLiteral("note"), QRect(150, 350, 100, 100), 0x00ff00);
    QVERIFY(note.waitShown());
    note.raise();

    Shot own(std::make_shared<ClientTarget>(table.id()), QSize(300, 200));
    QVERIFY(own.shooter->init().ok());
    Shot screen(std::make_shared<WindowTarget>(table.id()), desktop::windowFrameRect(table.id()).size());
    QVERIFY(screen.shooter->init().ok());
    Shot framed(std::make_shared<FramedWindowTarget>(table.id()), desktop::windowFrameRect(table.id()).size());
    QVERIFY(framed.shooter->init().ok());
    bc_ret errors;
    QImage frame = own.take(errors);
    QTRY_VERIFY(filled(frame = own.take(errors), frame.rect(), kRed));
    QVERIFY(errors.ok());
    QTRY_VERIFY(contains(frame = screen.take(errors), frame.rect(), kGreen));
    QVERIFY(contains(frame, frame.rect(), kRed));
    // Right after the redirection the content may still hold what the screen
    // showed; it settles once the server has repainted the window.
    QTRY_VERIFY(!contains(frame = framed.take(errors), frame.rect(), kGreen));
    QVERIFY(errors.ok());
    QVERIFY(contains(frame, frame.rect(), kRed));
    if (compositor)
        m_session->stopCompositor();
}

void TestShooter::minimisedWindowGivesBlackFrames()
{
    ForeignWindow table(QRect(500, 500, 200, 100), QStringLiteral("ff0000"));
    QVERIFY(table.id() != 0);
    Shot own(std::make_shared<ClientTarget>(table.id()), QSize(200, 100));
    Shot screen(std::make_shared<WindowTarget>(table.id()), QSize(202, 125));
    QVERIFY(own.shooter->init().ok());
    QVERIFY(screen.shooter->init().ok());
    bc_ret errors;
    QVERIFY(filled(own.take(errors), QRect(0, 0, 200, 100), kRed));

    QVERIFY(table.command("minimise"));
    QTRY_VERIFY(desktop::isWindowMinimised(table.id()));
    for (Shot *shot : {&own, &screen}) {
        const QImage frame = shot->take(errors);
        QVERIFY(!frame.isNull());
        QVERIFY(filled(frame, frame.rect(), kBlack));
    }
    QVERIFY(errors.ok());

    QVERIFY(table.command("restore"));
    QTRY_VERIFY(filled(own.take(errors), QRect(0, 0, 200, 100), kRed));
    QTRY_VERIFY(contains(screen.take(errors), QRect(0, 0, 202, 125), kRed));
    QVERIFY(errors.ok());
}

void TestShooter::halfOffScreenAndClosedWindows()
{
    TestWindow window(QStringLiteral("edge"), QRect(1180, 700, 200, 100), 0xff0000);
    QVERIFY(window.waitShown());
    const QRect client = desktop::windowClientRect(window.id());
    const int onScreen = 1280 - client.x();
    QVERIFY(onScreen > 0 && onScreen < 200);
    Shot screen(std::make_shared<RegionTarget>(client), QSize(200, 100));
    Shot own(std::make_shared<ClientTarget>(window.id()), QSize(200, 100));
    QVERIFY(screen.shooter->init().ok());
    QVERIFY(own.shooter->init().ok());
    bc_ret errors;
    QImage frame = screen.take(errors);
    QVERIFY(errors.ok());
    QCOMPARE(frame.size(), QSize(200, 100));
    QVERIFY(filled(frame, QRect(0, 0, onScreen, 100), kRed));
    QVERIFY(filled(frame, QRect(onScreen, 0, 200 - onScreen, 100), kBlack));
    QVERIFY(filled(own.take(errors), QRect(0, 0, 200, 100), kRed));

    window.close();
    frame = own.take(errors);
    QVERIFY(!frame.isNull());
    QVERIFY(filled(frame, frame.rect(), kBlack));
    QVERIFY(errors.ok());
}

void TestShooter::initFailures()
{
    Shot noTarget(nullptr, QSize(100, 100));
    bc_ret ret = noTarget.shooter->init();
    QCOMPARE(ret.messages(QString()), QStringLiteral("Error creating screen DC"));

    Shot noSize(std::make_shared<RegionTarget>(QRect(0, 0, 10, 10)), QSize(0, 0));
    ret = noSize.shooter->init();
    QCOMPARE(ret.messages(QStringLiteral("|")),
             QStringLiteral("Error creating DC for the window image|Error creating bitmap from screen DC"));

    // A window gone before the recording starts has no frame to copy from.
    Shot gone(std::make_shared<FramedWindowTarget>(WindowId(0x7ffffff0)), QSize(10, 10));
    QCOMPARE(gone.shooter->init().messages(QString()), QStringLiteral("Error creating screen DC"));

    // A capture backend asked for by name that this build does not have is refused in words.
    qputenv("BRINDLECAST_CAPTURE", "carrier-pigeon");
    Shot unknown(std::make_shared<RegionTarget>(QRect(0, 0, 10, 10)), QSize(10, 10));
    ret = unknown.shooter->init();
    qunsetenv("BRINDLECAST_CAPTURE");
    QCOMPARE(ret.messages(QStringLiteral("|")),
             QStringLiteral("Nothing can be recorded on this desktop|The capture backend \"carrier-pigeon\" is not known "
                            "(BRINDLECAST_CAPTURE)"));
    qputenv("BRINDLECAST_CAPTURE", "x11");
    Shot named(std::make_shared<RegionTarget>(QRect(0, 0, 10, 10)), QSize(10, 10));
    QVERIFY(named.shooter->init().ok());
    qunsetenv("BRINDLECAST_CAPTURE");
}

BC_XSESSION_TEST_MAIN(TestShooter)
#include "tst_shooter.moc"
