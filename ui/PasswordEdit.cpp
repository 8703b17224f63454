#include "ui/PasswordEdit.h"

#include "net/LoginRequests.h"

PasswordEdit::PasswordEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_normalStyleSheet(styleSheet())
{
    setEchoMode(QLineEdit::Password);
    connect(this, &QLineEdit::textEdited, this, &PasswordEdit::onTextEdited);
}

void PasswordEdit::setEncodedPassword(const QString &digest)
{
    m_storedDigest = digest;
    m_usingStored = true;
    setStyleSheet(QStringLiteral("color: rgb(172, 172, 172);"));
    // Seven characters stand for the remembered password; they are never sent.
    setText(QStringLiteral("0123456"));
}

void PasswordEdit::onTextEdited()
{
    if (!m_usingStored)
        return;
    m_usingStored = false;
    setStyleSheet(m_normalStyleSheet);
}

QString PasswordEdit::encodedPassword() const
{
    if (m_usingStored)
        return m_storedDigest;
    return text().isEmpty() ? QString() : passwordDigest(text());
}
