#pragma once

#include "app/bc_ret.h"
#include "library/User.h"
#include "net/LoginRequests.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <memory>


class PasswordEdit;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;

// The login window: the start-up stage that ends with a logged-in user or with the
// program ending. With a remembered e-mail and password it logs in without showing
// itself, unless the program was restarted by a logout ("reLogin").
class LoginDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LoginDialog(const QStringList &arguments, QWidget *parent = nullptr);
    ~LoginDialog() override;

    // Loads the form, logs in at once or shows the window, and runs the event loop
    // until a user is logged in or the window is closed. Without a user afterwards,
    // a do-nothing exit command is left so that the start-up ends.
    void run();
    // The logged-in user, handed over to the caller; null without one.
    std::unique_ptr<User> takeUser();
    User *user() const { return m_user.get(); }

    // How long an automatic login runs hidden before the window shows its progress.
    void setRevealDelay(int ms) { m_revealTimer.setInterval(ms); }
    bool isSigningIn() const { return m_request != nullptr; }

    QLineEdit *emailEdit() const;
    PasswordEdit *passwordEdit() const { return m_txtPassword; }
    QCheckBox *rememberEmailBox() const { return m_chkRememberEmail; }
    QCheckBox *rememberPasswordBox() const { return m_chkRememberPassword; }
    QPushButton *signinButton() const { return m_btnSignin; }
    QPushButton *cancelButton() const { return m_btnCancel; }
    QLabel *errorLabel() const { return m_lblError; }

public slots:
    void signin();
    void onLogInDone(const bc_ret &errors, const UserInfoSptr &info);
    void onLogInDone(const bc_ret &errors);
    void displayLanguage();
    void displayNetworkOptions();
    // The texts again, in the language now in force.
    void retranslate();
    // Gives up on the login that runs; its result comes back as an error.
    void cancelSignin();
    void done(int result) override;

private:
    void buildForm();
    QFrame *buildHeader(QWidget *parent);
    QFrame *buildBody(QWidget *parent);
    QFrame *buildFooter(QWidget *parent);
    void loadLogin();
    void saveLogin();
    void setBusy(bool busy);
    bool autoLoginAllowed() const;
    void endRun();

    QStringList m_arguments;
    std::unique_ptr<User> m_user;
    QPointer<LoginRequest> m_request;
    // Closing the window after a success must not count as giving up.
    bool m_succeeded = false;
    // The window was closed: a login still running is given up, nothing shows again.
    bool m_givingUp = false;
    QTimer m_revealTimer;

    QMenuBar *m_menuBar;
    QMenu *m_mnuOptions;
    QAction *m_actLanguage;
    QAction *m_actNetworkOptions;
    QLabel *m_lblLoginStatus;
    QProgressBar *m_prgBusy;
    QLineEdit *m_txtEmail;
    PasswordEdit *m_txtPassword;
    QCheckBox *m_chkRememberEmail;
    QCheckBox *m_chkRememberPassword;
    QPushButton *m_btnSignin;
    QPushButton *m_btnCancel;
    QLabel *m_lblError;
    QLabel *m_lblCreateAccount;
    QLabel *m_lblPasswordForgot;
};
