#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// Result of every fallible operation: an ordered list of error entries,
// innermost cause first, each outer layer appending its own entry.
// Empty means success. Copies are cheap (the list is implicitly shared).
class bc_ret
{
public:
    struct Entry
    {
        QString context;
        qint64 code = 0;
        QString text;

        bool operator==(const Entry &other) const = default;
    };

    bc_ret() = default;
    bc_ret(const QString &context, qint64 code, const QString &text);
    bc_ret(const QString &context, qint64 code);
    explicit bc_ret(const QString &text);

    bool ok() const { return m_entries.isEmpty(); }
    bool failed() const { return !ok(); }

    bc_ret &add(const QString &context, qint64 code, const QString &text);
    bc_ret &add(const QString &context, qint64 code);
    bc_ret &add(const QString &text);
    bc_ret &operator+=(const bc_ret &other);

    const QList<Entry> &entries() const { return m_entries; }

    // User-facing text: non-empty texts, outermost first.
    QString messages(const QString &separator) const;
    // Full chain for logs and error boxes: "{context; code; text}", outermost first.
    QString details(const QString &separator) const;

    // One entry with the calling thread's errno and the system's text for it.
    static bc_ret fromLastError(const QString &context);
    // One entry for the given errno value and the system's text for it.
    static bc_ret fromErrno(const QString &context, int errnum);

    bool operator==(const bc_ret &other) const = default;

private:
    QList<Entry> m_entries;
};

Q_DECLARE_METATYPE(bc_ret)

// Registers bc_ret under the name "bc_ret" for queued connections.
void registerResultMetaType();
