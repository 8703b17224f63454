#pragma once

#include "bc_ret.h"

#include <QDialog>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// How the program reaches the web service, kept in "net.conf".
struct ProxyConfig
{
    enum Option { NoProxy = 0, SystemProxy = 1, ManualProxy = 2 };
    int option = NoProxy;
    QString host;
    int port = 0; // 0: none given
    static bool isPort(int value) { return value >= 0 && value <= 65535; }
    QString user;
    QString password;
};
using ProxyConfigSptr = std::shared_ptr<ProxyConfig>;

// A missing or unreadable file, or a manual proxy without host or with a port that is
// no port (over 65535, say), gives no proxy.
ProxyConfigSptr loadProxyConfig();
// Written readable by the owner only: it holds the proxy password.
bc_ret saveProxyConfig(const ProxyConfig &config);
void applyProxy(QNetworkAccessManager *manager, const ProxyConfigSptr &config);

// "Network Options": the proxy choice, applied at the next start.
class NetOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit NetOptionsDialog(QWidget *parent = nullptr);

public slots:
    void accept() override;

private:
    QGroupBox *m_grpManualProxy;
    QButtonGroup *m_bgpProxyConfigs;
    QRadioButton *m_rdbNoProxy;
    QRadioButton *m_rdbAutoProxy;
    QRadioButton *m_rdbManualProxy;
    QLineEdit *m_txtProxyHost;
    QLineEdit *m_txtProxyPort;
    QLineEdit *m_txtProxyUser;
    QLineEdit *m_txtProxyPassword;
    QLabel *m_lblPortError;
};
