#include "ui/LanguageDialog.h"

#include "library/TranslatorManager.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

void LanguageDialog::fillLanguages(QComboBox *box)
{
    const QSignalBlocker quiet(box);
    box->clear();
    if (const TranslatorManager *manager = TranslatorManager::instance()) {
        for (auto language = manager->languages().cbegin(); language != manager->languages().cend(); ++language)
            box->addItem(language.value(), language.key());
    }
    box->setCurrentIndex(box->findData(currentLanguage()));
}

LanguageDialog::LanguageDialog(QWidget *parent)
    : QDialog(parent)
    , m_openedWith(currentLanguage())
{
    setObjectName(QStringLiteral("LanguageDialog"));
    setWindowTitle(tr("Choose your language"));
    auto *layout = new QVBoxLayout(this);
    m_cmbLanguages = new QComboBox(this);
    m_cmbLanguages->setObjectName(QStringLiteral("cmbLanguages"));
    fillLanguages(m_cmbLanguages);
    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(m_cmbLanguages);
    layout->addLayout(buttons);
    connect(ok, &QAbstractButton::clicked, this, &LanguageDialog::accept);
    connect(cancel, &QAbstractButton::clicked, this, &LanguageDialog::reject);
}

void LanguageDialog::accept()
{
    const QString chosen = m_cmbLanguages->currentData().toString();
    if (chosen != m_openedWith && setLanguage(chosen))
        QDialog::accept();
    else
        QDialog::reject();
}
