#pragma once

#include "net/ProxyConfig.h"

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

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
