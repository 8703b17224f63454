#include "ui/NetOptionsDialog.h"

#include "app/Log.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

NetOptionsDialog::NetOptionsDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Network Options"));
    auto *layout = new QVBoxLayout(this);

    auto *grpProxyConfigs = new QGroupBox(this);
    grpProxyConfigs->setObjectName(QStringLiteral("grpProxyConfigs"));
    auto *choices = new QVBoxLayout(grpProxyConfigs);
    m_bgpProxyConfigs = new QButtonGroup(this);
    m_bgpProxyConfigs->setObjectName(QStringLiteral("bgpProxyConfigs"));
    m_rdbNoProxy = new QRadioButton(tr("Do not use proxy"), grpProxyConfigs);
    m_rdbNoProxy->setObjectName(QStringLiteral("rdbNoProxy"));
    m_rdbAutoProxy = new QRadioButton(tr("Detect proxy automatically"), grpProxyConfigs);
    m_rdbAutoProxy->setObjectName(QStringLiteral("rdbAutoProxy"));
    m_rdbManualProxy = new QRadioButton(tr("Configure the proxy manually"), grpProxyConfigs);
    m_rdbManualProxy->setObjectName(QStringLiteral("rdbManualProxy"));
    for (QRadioButton *button : {m_rdbNoProxy, m_rdbAutoProxy, m_rdbManualProxy}) {
        m_bgpProxyConfigs->addButton(button);
        choices->addWidget(button);
    }
    layout->addWidget(grpProxyConfigs);

    m_grpManualProxy = new QGroupBox(this);
    m_grpManualProxy->setObjectName(QStringLiteral("grpManualProxy"));
    auto *form = new QFormLayout(m_grpManualProxy);
    auto field = [this, form](const char *labelName, const QString &label, const char *editName) {
        auto *text = new QLabel(label, m_grpManualProxy);
        text->setObjectName(QLatin1String(labelName));
        auto *edit = new QLineEdit(m_grpManualProxy);
        edit->setObjectName(QLatin1String(editName));
        form->addRow(text, edit);
        return edit;
    };
    m_txtProxyHost = field("lblProxyHost", tr("Host"), "txtProxyHost");
    m_txtProxyPort = field("lblProxyPort", tr("Port"), "txtProxyPort");
    m_txtProxyUser = field("lblProxyUser", tr("User"), "txtProxyUser");
    m_txtProxyPassword = field("lblProxyPassword", tr("Password"), "txtProxyPassword");
    m_txtProxyPassword->setEchoMode(QLineEdit::Password);
    m_txtProxyPort->setValidator(new QIntValidator(0, 65535, m_txtProxyPort));
    m_lblPortError = new QLabel(tr("The port is a number up to 65535."), m_grpManualProxy);
    m_lblPortError->setObjectName(QStringLiteral("lblPortError"));
    m_lblPortError->setVisible(false);
    form->addRow(m_lblPortError);
    layout->addWidget(m_grpManualProxy);

    auto *lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setText(tr("<p style=\"font-family: Arial;font-size:9pt\"><span style=\" font-weight:600;\">Note</span>"
                        "<span>: Changes are taken into the account only from the next start.</span></p>"));
    layout->addWidget(lblNote);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    auto *btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    m_grpManualProxy->setEnabled(false);
    const ProxyConfigSptr config = loadProxyConfig();
    (config->option == ProxyConfig::SystemProxy   ? m_rdbAutoProxy
     : config->option == ProxyConfig::ManualProxy ? m_rdbManualProxy
                                                  : m_rdbNoProxy)
            ->setChecked(true);
    m_grpManualProxy->setEnabled(config->option == ProxyConfig::ManualProxy);
    m_txtProxyHost->setText(config->host);
    m_txtProxyPort->setText(QString::number(config->port));
    m_txtProxyUser->setText(config->user);
    m_txtProxyPassword->setText(config->password);
    connect(m_rdbManualProxy, &QAbstractButton::toggled, m_grpManualProxy, &QWidget::setEnabled);
    connect(btnOK, &QAbstractButton::clicked, this, &NetOptionsDialog::accept);
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

void NetOptionsDialog::accept()
{
    ProxyConfig config;
    config.option = m_rdbNoProxy->isChecked()     ? ProxyConfig::NoProxy
                    : m_rdbAutoProxy->isChecked() ? ProxyConfig::SystemProxy
                                                  : ProxyConfig::ManualProxy;
    config.host = m_txtProxyHost->text();
    // Empty is no port; anything else must be one (the validator cannot stop "70000" as typed).
    if (config.option == ProxyConfig::ManualProxy && !m_txtProxyPort->text().isEmpty()
        && !m_txtProxyPort->hasAcceptableInput()) {
        m_lblPortError->setVisible(true);
        m_txtProxyPort->setFocus();
        return;
    }
    config.port = m_txtProxyPort->text().toInt();
    config.user = m_txtProxyUser->text();
    config.password = m_txtProxyPassword->text();
    const bc_ret ret = saveProxyConfig(config);
    if (ret.failed())
        logWarn(ret.details(QStringLiteral(": ")));
    QDialog::accept();
}
