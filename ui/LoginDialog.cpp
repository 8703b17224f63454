#include "ui/LoginDialog.h"

#include "app/AppExit.h"
#include "app/Log.h"
#include "app/Paths.h"
#include "library/XmlElement.h"
#include "net/LoginRequests.h"
#include "ui/LanguageDialog.h"
#include "ui/NetOptionsDialog.h"
#include "ui/PasswordEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Retries of a login: with a second between them, a service that is restarting or a
// network that comes up late after the desktop session starts is waited for.
constexpr int kLoginRetries = 300;
// An automatic login that has not ended by then shows the window with its progress,
// so that a slow or unreachable service never leaves the user with nothing on screen.
constexpr int kDefaultRevealDelayMs = 2000;

void setLinkText(QLabel *label, const QString &text, const QString &path)
{
    label->setText(QStringLiteral("<a style=\"color:#d0d0d0;\" href=\"%1\">%2</a>")
                           .arg(serviceUrl(path).toHtmlEscaped(), text.toHtmlEscaped()));
}

QLabel *linkLabel(const QString &name, const QString &text, const QString &path, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    setLinkText(label, text, path);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    return label;
}

} // namespace

LoginDialog::LoginDialog(const QStringList &arguments, QWidget *parent)
    : QDialog(parent)
    , m_arguments(arguments)
{
    setObjectName(QStringLiteral("LoginDialog"));
    setWindowTitle(tr("Brindlecast - Login"));
    buildForm();
    m_revealTimer.setSingleShot(true);
    m_revealTimer.setInterval(kDefaultRevealDelayMs);
    connect(&m_revealTimer, &QTimer::timeout, this, &QWidget::show);
    connect(m_btnSignin, &QAbstractButton::clicked, this, &LoginDialog::signin);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &LoginDialog::cancelSignin);
    connect(m_actLanguage, &QAction::triggered, this, &LoginDialog::displayLanguage);
    connect(m_actNetworkOptions, &QAction::triggered, this, &LoginDialog::displayNetworkOptions);
    setBusy(false);
}

LoginDialog::~LoginDialog()
{
    // A request still running must not call back into a dialog that is gone.
    if (m_request)
        m_request->disconnect(this);
}

void LoginDialog::buildForm()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    m_mnuOptions = m_menuBar->addMenu(tr("&Options"));
    m_mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    m_actLanguage = m_mnuOptions->addAction(tr("&Language..."));
    m_actLanguage->setObjectName(QStringLiteral("actLanguage"));
    m_actNetworkOptions = m_mnuOptions->addAction(tr("&Network options..."));
    m_actNetworkOptions->setObjectName(QStringLiteral("actNetworkOptions"));
    outer->setMenuBar(m_menuBar);

    auto *frmLogin = new QFrame(this);
    frmLogin->setObjectName(QStringLiteral("frmLogin"));
    auto *column = new QVBoxLayout(frmLogin);
    column->addWidget(buildHeader(frmLogin));
    column->addWidget(buildBody(frmLogin));
    column->addWidget(buildFooter(frmLogin));
    outer->addWidget(frmLogin);
}

QFrame *LoginDialog::buildHeader(QWidget *parent)
{
    auto *header = new QFrame(parent);
    header->setObjectName(QStringLiteral("frmLoginHeader"));
    auto *row = new QHBoxLayout(header);
    auto *logo = new QLabel(header);
    logo->setObjectName(QStringLiteral("lblLogo"));
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo_login.png")));
    row->addWidget(logo);
    auto *status = new QVBoxLayout;
    m_lblLoginStatus = new QLabel(header);
    m_lblLoginStatus->setObjectName(QStringLiteral("lblLoginStatus"));
    status->addWidget(m_lblLoginStatus);
    m_prgBusy = new QProgressBar(header);
    m_prgBusy->setObjectName(QStringLiteral("prgBusy"));
    // No end is known: the bar runs back and forth while the request runs.
    m_prgBusy->setRange(0, 0);
    m_prgBusy->setTextVisible(false);
    m_prgBusy->setMaximumHeight(8);
    status->addWidget(m_prgBusy);
    row->addLayout(status, 1);
    return header;
}

QFrame *LoginDialog::buildBody(QWidget *parent)
{
    auto *body = new QFrame(parent);
    body->setObjectName(QStringLiteral("frmLoginBody"));
    auto *form = new QFormLayout(body);
    m_txtEmail = new QLineEdit(body);
    m_txtEmail->setObjectName(QStringLiteral("txtEmail"));
    auto *lblEmail = new QLabel(tr("Email:"), body);
    lblEmail->setObjectName(QStringLiteral("lblEmail"));
    lblEmail->setBuddy(m_txtEmail);
    form->addRow(lblEmail, m_txtEmail);
    m_txtPassword = new PasswordEdit(body);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    auto *lblPassword = new QLabel(tr("Password:"), body);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    lblPassword->setBuddy(m_txtPassword);
    form->addRow(lblPassword, m_txtPassword);
    m_chkRememberEmail = new QCheckBox(tr("Remember my email"), body);
    m_chkRememberEmail->setObjectName(QStringLiteral("chkRememberEmail"));
    form->addRow(QString(), m_chkRememberEmail);
    m_chkRememberPassword = new QCheckBox(tr("Remember my password"), body);
    m_chkRememberPassword->setObjectName(QStringLiteral("chkRememberPassword"));
    form->addRow(QString(), m_chkRememberPassword);
    auto *buttons = new QHBoxLayout;
    m_btnSignin = new QPushButton(tr("Sign in"), body);
    m_btnSignin->setObjectName(QStringLiteral("btnSignin"));
    m_btnSignin->setDefault(true);
    buttons->addWidget(m_btnSignin);
    m_btnCancel = new QPushButton(tr("Cancel"), body);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(m_btnCancel);
    buttons->addStretch();
    form->addRow(QString(), buttons);
    m_lblError = new QLabel(body);
    m_lblError->setObjectName(QStringLiteral("lblError"));
    m_lblError->setWordWrap(true);
    m_lblError->setTextFormat(Qt::PlainText);
    m_lblError->setStyleSheet(QStringLiteral("color:#e04040;"));
    form->addRow(m_lblError);
    return body;
}

QFrame *LoginDialog::buildFooter(QWidget *parent)
{
    auto *footer = new QFrame(parent);
    footer->setObjectName(QStringLiteral("frmLoginFooter"));
    auto *row = new QHBoxLayout(footer);
    m_lblCreateAccount = linkLabel(QStringLiteral("lblCreateAccount"), tr("Create an Account"),
                                   QStringLiteral("/signup"), footer);
    row->addWidget(m_lblCreateAccount);
    row->addStretch();
    m_lblPasswordForgot = linkLabel(QStringLiteral("lblPasswordForgot"), tr("Forgot your password?"),
                                    QStringLiteral("/auth/recovery"), footer);
    row->addWidget(m_lblPasswordForgot);
    return footer;
}

QLineEdit *LoginDialog::emailEdit() const
{
    return m_txtEmail;
}

void LoginDialog::loadLogin()
{
    XmlRootElement document;
    if (document.readFromFile(loginConfPath()).failed()) {
        // The first run: remembering is what most users want.
        m_chkRememberEmail->setChecked(true);
        m_chkRememberPassword->setChecked(true);
        return;
    }
    const XmlElement &root = document;
    if (!root.children(QStringLiteral("email")).isEmpty()) {
        m_txtEmail->setText(root.childString(QStringLiteral("email")));
        m_chkRememberEmail->setChecked(true);
    }
    // An empty digest would show bullets standing for no password at all.
    if (const QString digest = root.childString(QStringLiteral("encodedPassword")); !digest.isEmpty()) {
        m_txtPassword->setEncodedPassword(digest);
        m_chkRememberPassword->setChecked(true);
    }
}

void LoginDialog::saveLogin()
{
    XmlRootElement document;
    if (m_chkRememberEmail->isChecked())
        document.addChild(QStringLiteral("email"), m_txtEmail->text());
    if (m_chkRememberPassword->isChecked())
        document.addChild(QStringLiteral("encodedPassword"), m_txtPassword->encodedPassword());
    // Only the user may read what stands for their password.
    const bc_ret written = document.writeToFile(loginConfPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (written.failed())
        logWarn(QStringLiteral("login.conf not written: %1").arg(written.details(QStringLiteral(": "))));
}

bool LoginDialog::autoLoginAllowed() const
{
    const bool reLogin = m_arguments.size() >= 2 && m_arguments.at(1) == QLatin1String("reLogin");
    return !m_txtEmail->text().isEmpty() && !m_txtPassword->encodedPassword().isEmpty() && !reLogin;
}

void LoginDialog::run()
{
    loadLogin();
    if (autoLoginAllowed()) {
        signin();
        if (m_request)
            m_revealTimer.start();
    } else {
        show();
    }
    QApplication::exec();
    m_revealTimer.stop();
    if (m_user) {
        saveLogin();
        return;
    }
    logInfo(QStringLiteral("Login window closed without a login"));
    if (AppExit *appExit = AppExit::instance(); appExit && !appExit->hasCommand())
        appExit->setCommand(std::make_shared<DoNopCmd>());
}

std::unique_ptr<User> LoginDialog::takeUser()
{
    return std::move(m_user);
}

void LoginDialog::setBusy(bool busy)
{
    m_btnSignin->setEnabled(!busy);
    m_btnCancel->setVisible(busy);
    m_prgBusy->setVisible(busy);
    m_lblLoginStatus->setText(busy ? tr("Logging in...") : QString());
}

void LoginDialog::signin()
{
    if (m_request)
        return;
    setBusy(true);
    m_lblError->clear();
    const QString email = m_txtEmail->text();
    const QString digest = m_txtPassword->encodedPassword();
    if (email.trimmed().isEmpty()) {
        onLogInDone(bc_ret(tr("Email empty")));
        return;
    }
    if (digest.isEmpty()) {
        onLogInDone(bc_ret(tr("Password empty")));
        return;
    }
    m_request = new LoginRequest(email, digest);
    connect(m_request, &LoginRequest::replyParsed, this,
            qOverload<const bc_ret &, const UserInfoSptr &>(&LoginDialog::onLogInDone));
    HttpConnection::post(m_request, kLoginRetries, 0);
}

void LoginDialog::cancelSignin()
{
    if (m_request)
        m_request->cancel();
}

void LoginDialog::onLogInDone(const bc_ret &errors, const UserInfoSptr &info)
{
    m_request = nullptr;
    m_revealTimer.stop();
    bc_ret result = errors;
    if (result.ok() && !info)
        result.add(tr("Internal user name communication error"));
    QString userDirectory;
    if (result.ok()) {
        userDirectory = userDirectoryPath(info->username);
        result = ensureDirectories(userDirectory);
    }
    if (result.ok()) {
        m_user.reset();
        m_user = std::make_unique<User>(info, userDirectory);
        logInfo(QStringLiteral("Logged in as %1").arg(info->username));
        m_succeeded = true;
        close();
        endRun();
        return;
    }
    logWarn(QStringLiteral("Login failed: %1").arg(result.details(QStringLiteral(": "))));
    m_lblError->setText(result.messages(QStringLiteral(": ")));
    setBusy(false);
    if (!m_givingUp)
        show();
}

void LoginDialog::endRun()
{
    // exit, not quit: quit would first ask every window to close and could be refused.
    QCoreApplication::exit(0);
}

void LoginDialog::onLogInDone(const bc_ret &errors)
{
    onLogInDone(errors, nullptr);
}

void LoginDialog::displayLanguage()
{
    LanguageDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        retranslate();
}

void LoginDialog::retranslate()
{
    setWindowTitle(tr("Brindlecast - Login"));
    m_mnuOptions->setTitle(tr("&Options"));
    m_actLanguage->setText(tr("&Language..."));
    m_actNetworkOptions->setText(tr("&Network options..."));
    findChild<QLabel *>(QStringLiteral("lblEmail"))->setText(tr("Email:"));
    findChild<QLabel *>(QStringLiteral("lblPassword"))->setText(tr("Password:"));
    m_chkRememberEmail->setText(tr("Remember my email"));
    m_chkRememberPassword->setText(tr("Remember my password"));
    m_btnSignin->setText(tr("Sign in"));
    m_btnCancel->setText(tr("Cancel"));
    setLinkText(m_lblCreateAccount, tr("Create an Account"), QStringLiteral("/signup"));
    setLinkText(m_lblPasswordForgot, tr("Forgot your password?"), QStringLiteral("/auth/recovery"));
}

void LoginDialog::displayNetworkOptions()
{
    NetOptionsDialog options(this);
    options.exec();
}

void LoginDialog::done(int result)
{
    QDialog::done(result);
    // Closing the window (or Escape) gives up on logging in: the start-up ends.
    if (!m_succeeded) {
        m_givingUp = true;
        cancelSignin();
        endRun();
    }
}
