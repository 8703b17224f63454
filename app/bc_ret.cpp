#include "app/bc_ret.h"

#include <cerrno>
#include <cstring>

bc_ret::bc_ret(const QString &context, qint64 code, const QString &text)
{
    add(context, code, text);
}

bc_ret::bc_ret(const QString &context, qint64 code)
{
    add(context, code);
}

bc_ret::bc_ret(const QString &text)
{
    add(text);
}

bc_ret &bc_ret::add(const QString &context, qint64 code, const QString &text)
{
    m_entries.append(Entry{context, code, text});
    return *this;
}

bc_ret &bc_ret::add(const QString &context, qint64 code)
{
    return add(context, code, QString());
}

bc_ret &bc_ret::add(const QString &text)
{
    return add(QString(), 0, text);
}

bc_ret &bc_ret::operator+=(const bc_ret &other)
{
    if (m_entries.isEmpty())
        m_entries = other.m_entries;
    else
        m_entries.append(other.m_entries);
    return *this;
}

QString bc_ret::messages(const QString &separator) const
{
    QString out;
    bool written = false;
    for (auto it = m_entries.crbegin(); it != m_entries.crend(); ++it) {
        if (it->text.isEmpty())
            continue;
        if (written)
            out += separator;
        out += it->text;
        written = true;
    }
    return out;
}

QString bc_ret::details(const QString &separator) const
{
    QString out;
    bool written = false;
    for (auto it = m_entries.crbegin(); it != m_entries.crend(); ++it) {
        if (written)
            out += separator;
        out += QLatin1Char('{') + it->context + QLatin1String("; ") + QString::number(it->code)
                + QLatin1String("; ") + it->text + QLatin1Char('}');
        written = true;
    }
    return out;
}

bc_ret bc_ret::fromLastError(const QString &context)
{
    return fromErrno(context, errno);
}

bc_ret bc_ret::fromErrno(const QString &context, int errnum)
{
    // strerror_r (GNU flavour) is the thread-safe form of strerror.
    char buffer[256];
    const char *text = strerror_r(errnum, buffer, sizeof buffer);
    return bc_ret(context, errnum, QString::fromLocal8Bit(text));
}

void registerResultMetaType()
{
    qRegisterMetaType<bc_ret>("bc_ret");
}
