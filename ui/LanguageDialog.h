#pragma once

#include <QDialog>

class QComboBox;

// "Choose your language": the four languages by their own names; OK switches.
class LanguageDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LanguageDialog(QWidget *parent = nullptr);
    QComboBox *languageBox() const { return m_cmbLanguages; }
    // Fills a box with the languages (their own names shown, the English ones as
    // data) and selects the one in force.
    static void fillLanguages(QComboBox *box);

public slots:
    void accept() override;

private:
    QComboBox *m_cmbLanguages;
    QString m_openedWith;
};
