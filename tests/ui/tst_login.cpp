#include "app/AppExit.h"
#include "app/Paths.h"
#include "library/XmlElement.h"
#include "net/HttpConnection.h"
#include "net/LoginRequests.h"
#include "net/ProxyConfig.h"
#include "resources/Resources.h"
#include "tests/support/Screenshot.h"
#include "tests/support/XSession.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/ShowCounter.h"
#include "ui/LoginDialog.h"
#include "ui/NetOptionsDialog.h"
#include "ui/PasswordEdit.h"
#include "ui/WebView.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <functional>

#include <unistd.h>

namespace {

constexpr int kPatienceMs = ServiceProcess::kPatienceMs;

// Runs the login stage while steps drive the window from inside its event loop; a
// failed step closes the window, so that the stage always ends.
void runWith(LoginDialog &dialog, const std::function<void()> &steps)
{
    QTimer::singleShot(0, &dialog, [&dialog, &steps] {
        steps();
        if (QTest::currentTestFailed() && dialog.isVisible())
            dialog.close();
    });
    dialog.run();
}

void rememberLogin(const QString &email, const QString &digest)
{
    XmlRootElement document;
    document.addChild(QStringLiteral("email"), email);
    document.addChild(QStringLiteral("encodedPassword"), digest);
    QVERIFY(document.writeToFile(loginConfPath()).ok());
}

// The children of login.conf's root, by name; "unreadable" when it cannot be read.
QStringList rememberedFields()
{
    XmlRootElement document;
    if (document.readFromFile(loginConfPath()).failed())
        return {QStringLiteral("unreadable")};
    QStringList names;
    for (const QString &name : {QStringLiteral("email"), QStringLiteral("encodedPassword")}) {
        if (!document.children(name).isEmpty())
            names.append(name);
    }
    return names;
}

const QStringList kNoArguments{QStringLiteral("brindlecast")};

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    // First: the web engine takes the proxy when its first page is made.
    void embeddedPagesTakeTheProxy();
    void rememberedPasswordUntilEdited();
    void rememberedLoginNeedsNoWindow();
    void reLoginShowsTheFormAndItsErrors();
    void cancelAndCloseEndTheStage();
    void networkOptionsAreChecked();

private:
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<HttpConnection> m_connection;
    std::unique_ptr<AppExit> m_appExit;
};

void TestLogin::initTestCase()
{
    // As the program looks, for the screenshot.
    qApp->setStyleSheet(applicationStyleSheet());
}

void TestLogin::init()
{
    QDir(appDataDir()).removeRecursively();
    QVERIFY(QDir().mkpath(appDataDir()));
    m_service = std::make_unique<ServiceProcess>();
    QVERIFY(m_service->start());
    qputenv("BRINDLECAST_SERVICE_URL", m_service->url(QString()).toUtf8());
    m_connection = std::make_unique<HttpConnection>();
    m_appExit = std::make_unique<AppExit>();
}

void TestLogin::cleanup()
{
    m_appExit.reset();
    m_connection.reset();
    m_service.reset();
}

void TestLogin::embeddedPagesTakeTheProxy()
{
    // A proxy that notes what it is asked and never answers.
    QTcpServer proxy;
    QVERIFY(proxy.listen(QHostAddress::LocalHost));
    QByteArray asked;
    connect(&proxy, &QTcpServer::newConnection, this, [&proxy, &asked] {
        while (QTcpSocket *socket = proxy.nextPendingConnection())
            connect(socket, &QTcpSocket::readyRead, socket, [socket, &asked] { asked += socket->readAll(); });
    });
    ProxyConfig config;
    config.option = ProxyConfig::ManualProxy;
    config.host = QStringLiteral("127.0.0.1");
    config.port = proxy.serverPort();
    QVERIFY(saveProxyConfig(config).ok());
    // The program's network, as a start sets it up.
    m_connection.reset();
    m_connection = std::make_unique<HttpConnection>();
    {
        WebView page;
        page.load(QUrl(QStringLiteral("http://pages.brindlecast.invalid/soft/banner")));
        page.show();
        QTRY_VERIFY2_WITH_TIMEOUT(asked.contains("pages.brindlecast.invalid"), asked.constData(), 30000);
    }
    QFile::remove(netConfPath());
    m_connection.reset();
    m_connection = std::make_unique<HttpConnection>();
    QCOMPARE(QNetworkProxy::applicationProxy().type(), QNetworkProxy::NoProxy);
}

void TestLogin::rememberedPasswordUntilEdited()
{
    PasswordEdit edit;
    const QString normal = edit.styleSheet();
    QCOMPARE(edit.echoMode(), QLineEdit::Password);
    QCOMPARE(edit.encodedPassword(), QString());

    // A remembered digest: seven grey bullets, and the digest itself is what is sent.
    const QString stored = passwordDigest(QStringLiteral("secret"));
    edit.setEncodedPassword(stored);
    QCOMPARE(edit.text().size(), 7);
    QVERIFY(edit.styleSheet().contains(QStringLiteral("rgb(172, 172, 172)")));
    QCOMPARE(edit.encodedPassword(), stored);

    // Any edit by the user makes it a plain box again; what remains is what was typed.
    edit.setFocus();
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QVERIFY(!edit.isUsingStored());
    QCOMPARE(edit.styleSheet(), normal);
    QCOMPARE(edit.encodedPassword(), passwordDigest(QStringLiteral("012345")));
    edit.clear();
    QCOMPARE(edit.encodedPassword(), QString());
    edit.setText(QStringLiteral("pässwörd"));
    QCOMPARE(edit.encodedPassword(), QStringLiteral("12841e4ba5e37d2fbfc78458c6714ade"));
}

void TestLogin::rememberedLoginNeedsNoWindow()
{
    rememberLogin(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
    LoginDialog dialog(kNoArguments);
    dialog.setRevealDelay(kPatienceMs);
    ShowCounter shows;
    dialog.installEventFilter(&shows);
    dialog.run();

    QVERIFY(dialog.user());
    QCOMPARE(shows.shown, 0);
    QVERIFY(!m_appExit->hasCommand());
    QCOMPARE(dialog.user()->info()->username, QStringLiteral("demo"));
    // The user's tree exists, under the program's own directory.
    const UserPaths &paths = dialog.user()->paths();
    QCOMPARE(paths.userDir.absolutePath(), QDir(appDataDir()).filePath(QStringLiteral("users/demo")));
    for (const QDir &dir : {paths.tmp, paths.out, paths.recorded, paths.edited, paths.thumbnail})
        QVERIFY2(dir.exists(), qPrintable(dir.path()));
    // What stands for the password is the user's alone.
    QCOMPARE(rememberedFields(), QStringList({QStringLiteral("email"), QStringLiteral("encodedPassword")}));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(loginConfPath()) & others, QFile::Permissions());
    QVERIFY(QFile::permissions(loginConfPath()) & QFile::ReadOwner);
}

void TestLogin::reLoginShowsTheFormAndItsErrors()
{
    rememberLogin(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
    LoginDialog dialog({QStringLiteral("brindlecast"), QStringLiteral("reLogin")});
    runWith(dialog, [&dialog] {
        QTRY_VERIFY(dialog.isVisible());
        QVERIFY(!dialog.isSigningIn());
        QCOMPARE(dialog.emailEdit()->text(), QStringLiteral("demo@brindlecast.local"));
        QVERIFY(dialog.passwordEdit()->isUsingStored());
        QCOMPARE(dialog.passwordEdit()->text().size(), 7);
        QVERIFY(dialog.passwordEdit()->styleSheet().contains(QStringLiteral("rgb(172, 172, 172)")));
        dialog.raise();
        QVERIFY2(QTest::qWaitFor(
                         [&dialog] {
                             return distinctColours(keepScreenshot(QStringLiteral("login-window"), dialog.winId())) > 20;
                         },
                         kPatienceMs),
                 "the login window is not on the screen");

        // Empty boxes are refused without asking the service.
        dialog.emailEdit()->clear();
        QTest::mouseClick(dialog.signinButton(), Qt::LeftButton);
        QCOMPARE(dialog.errorLabel()->text(), QStringLiteral("Email empty"));
        QVERIFY(!dialog.isSigningIn() && dialog.signinButton()->isEnabled());
        QTest::keyClicks(dialog.emailEdit(), QStringLiteral("demo@brindlecast.local"));
        dialog.passwordEdit()->selectAll();
        QTest::keyClick(dialog.passwordEdit(), Qt::Key_Delete);
        QTest::mouseClick(dialog.signinButton(), Qt::LeftButton);
        QCOMPARE(dialog.errorLabel()->text(), QStringLiteral("Password empty"));

        // The service's refusal, in its own words.
        QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("Demo"));
        QTest::mouseClick(dialog.signinButton(), Qt::LeftButton);
        QVERIFY(dialog.isSigningIn() && !dialog.signinButton()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isSigningIn(), kPatienceMs);
        QCOMPARE(dialog.errorLabel()->text(), QStringLiteral("Wrong e-mail or password"));
        QVERIFY(dialog.isVisible() && dialog.signinButton()->isEnabled());

        // Nothing remembered this time.
        dialog.rememberEmailBox()->setChecked(false);
        dialog.rememberPasswordBox()->setChecked(false);
        dialog.passwordEdit()->selectAll();
        QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("demo"));
        QTest::mouseClick(dialog.signinButton(), Qt::LeftButton);
    });
    QVERIFY(dialog.user());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(rememberedFields(), QStringList());

    // The next start shows an empty form and waits for the user.
    LoginDialog next(kNoArguments);
    runWith(next, [&next] {
        QTRY_VERIFY(next.isVisible());
        QVERIFY(!next.isSigningIn());
        QCOMPARE(next.emailEdit()->text(), QString());
        QCOMPARE(next.passwordEdit()->text(), QString());
        next.close();
    });
    QVERIFY(!next.user());
    QVERIFY(m_appExit->hasCommand());
}

void TestLogin::cancelAndCloseEndTheStage()
{
    // A service that is not there: the login retries until the user gives up.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    qputenv("BRINDLECAST_SERVICE_URL", QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()).toUtf8());
    closed.close();
    rememberLogin(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));

    LoginDialog dialog(kNoArguments);
    dialog.setRevealDelay(0);
    runWith(dialog, [&dialog] {
        // A login that does not end soon shows its progress, and can be cancelled.
        QTRY_VERIFY(dialog.isVisible());
        QVERIFY(dialog.isSigningIn());
        QVERIFY(dialog.cancelButton()->isVisible() && !dialog.signinButton()->isEnabled());
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        QVERIFY(!dialog.isSigningIn());
        QCOMPARE(dialog.errorLabel()->text(), QStringLiteral("The request was cancelled."));
        QVERIFY(dialog.signinButton()->isEnabled() && !dialog.cancelButton()->isVisible());

        // Closing the window while signing in gives up too, without showing it again.
        QTest::mouseClick(dialog.signinButton(), Qt::LeftButton);
        QVERIFY(dialog.isSigningIn());
        dialog.close();
        QVERIFY(!dialog.isSigningIn());
    });
    QVERIFY(!dialog.user());
    QVERIFY(!dialog.isVisible());
    QVERIFY(m_appExit->hasCommand());
    QVERIFY(!QDir(appDataDir()).exists(QStringLiteral("users")));
}

void TestLogin::networkOptionsAreChecked()
{
    ProxyConfig config;
    config.option = ProxyConfig::SystemProxy;
    QVERIFY(saveProxyConfig(config).ok());
    NetOptionsDialog dialog;
    QVERIFY(dialog.findChild<QRadioButton *>(QStringLiteral("rdbAutoProxy"))->isChecked());
    QVERIFY(!dialog.findChild<QWidget *>(QStringLiteral("grpManualProxy"))->isEnabled());
    dialog.findChild<QRadioButton *>(QStringLiteral("rdbManualProxy"))->setChecked(true);
    QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("grpManualProxy"))->isEnabled());
    dialog.findChild<QLineEdit *>(QStringLiteral("txtProxyHost"))->setText(QStringLiteral("10.9.8.7"));
    auto *port = dialog.findChild<QLineEdit *>(QStringLiteral("txtProxyPort"));

    // What is not a port is refused where it was typed, and nothing is saved.
    for (const QString &typed : {QStringLiteral("70000"), QStringLiteral("not a number")}) {
        port->setText(typed);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("lblPortError"))->isHidden());
        QCOMPARE(loadProxyConfig()->option, int(ProxyConfig::SystemProxy));
    }
    port->setText(QStringLiteral("8080"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const ProxyConfigSptr saved = loadProxyConfig();
    QCOMPARE(saved->option, int(ProxyConfig::ManualProxy));
    QCOMPARE(saved->host, QStringLiteral("10.9.8.7"));
    QCOMPARE(saved->port, 8080);
    QFile::remove(netConfPath());
}

int main(int argc, char **argv)
{
    XSession session;
    if (!session.startPrivateScreen()) {
        qCritical("Cannot start a private X server");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // The web engine's page (proxy test) under root, as on the test machines.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    TestLogin test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_login.moc"
