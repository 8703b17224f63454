#pragma once

#include <QLineEdit>

// The password box of the login window. A remembered password is kept as its digest
// only: the box then shows seven grey bullets standing for it, and any edit turns
// it back into a plain password box holding what was typed.
class PasswordEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit PasswordEdit(QWidget *parent = nullptr);

    void setEncodedPassword(const QString &digest);
    // The digest to send: the remembered one, that of the text typed, or empty when
    // the box is empty.
    QString encodedPassword() const;
    bool isUsingStored() const { return m_usingStored; }

public slots:
    void onTextEdited();

private:
    QString m_normalStyleSheet;
    QString m_storedDigest;
    bool m_usingStored = false;
};
