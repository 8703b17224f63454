#include "service/Store.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>

#include <sqlite3.h>

namespace {

// One prepared statement, finalized on scope exit.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement &bind(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, ++m_index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // A blob: bytes that need not be text are stored unchanged.
    Statement &bind(const QByteArray &bytes)
    {
        sqlite3_bind_blob(m_statement, ++m_index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &bind(qint64 value)
    {
        sqlite3_bind_int64(m_statement, ++m_index, value);
        return *this;
    }
    bool step() { return m_statement && sqlite3_step(m_statement) == SQLITE_ROW; }
    // SQLITE_ROW, SQLITE_DONE or the error.
    int stepResult() { return m_statement ? sqlite3_step(m_statement) : SQLITE_ERROR; }
    bool run() { return m_statement && sqlite3_step(m_statement) == SQLITE_DONE; }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column)));
    }
    QByteArray bytes(int column) const
    {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }
    qint64 number(int column) const { return sqlite3_column_int64(m_statement, column); }

private:
    sqlite3_stmt *m_statement = nullptr;
    int m_index = 0;
};

QString randomHex(int bytes)
{
    QByteArray data(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(data.data()), bytes / 4);
    return QString::fromLatin1(data.toHex());
}

QString saltedHash(const QString &salt, const QString &digest)
{
    return QString::fromLatin1(QCryptographicHash::hash((salt + digest).toUtf8(), QCryptographicHash::Sha256).toHex());
}

} // namespace

Store::~Store()
{
    sqlite3_close(m_db);
}

bool Store::exec(const char *sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool Store::open(const QString &path, QString &error)
{
    if (sqlite3_open(path.toUtf8().constData(), &m_db) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    sqlite3_busy_timeout(m_db, 2000);
    // In WAL mode NORMAL loses nothing when the service dies, only the last commits
    // when the machine does; it spares a disk flush per login.
    const bool ok = exec("PRAGMA journal_mode=WAL") && exec("PRAGMA synchronous=NORMAL")
                    && exec("CREATE TABLE IF NOT EXISTS users (email TEXT PRIMARY KEY, name TEXT, language TEXT,"
                            " salt TEXT, hash TEXT)")
                    && exec("CREATE TABLE IF NOT EXISTS sessions (token TEXT PRIMARY KEY, email TEXT, created INTEGER,"
                            " used INTEGER)")
                    && addLastUse()
                    && exec("CREATE INDEX IF NOT EXISTS sessions_used ON sessions (used)")
                    && exec("CREATE TABLE IF NOT EXISTS rooms (email TEXT, room INTEGER)")
                    && exec("CREATE TABLE IF NOT EXISTS videos (key TEXT PRIMARY KEY, email TEXT, title TEXT, room INTEGER,"
                            " uuid TEXT, path TEXT, size INTEGER, created INTEGER)")
                    && exec("CREATE TABLE IF NOT EXISTS reports (kind TEXT, email TEXT, body TEXT, created INTEGER)");
    if (!ok)
        error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return ok;
}

// Databases from before sessions expired have no last use: count it from their creation.
bool Store::addLastUse()
{
    Statement columns(m_db, "SELECT COUNT(*) FROM pragma_table_info('sessions') WHERE name = 'used'");
    if (!columns.step())
        return false;
    return columns.number(0) > 0
           || (exec("ALTER TABLE sessions ADD COLUMN used INTEGER") && exec("UPDATE sessions SET used = created"));
}

bool Store::isEmpty()
{
    Statement count(m_db, "SELECT COUNT(*) FROM users");
    return !count.step() || count.number(0) == 0;
}

bool Store::addUser(const QString &email, const QString &passwordDigest, const QString &name, const QString &language)
{
    const QString salt = randomHex(16);
    return Statement(m_db, "INSERT OR REPLACE INTO users VALUES (?, ?, ?, ?, ?)")
            .bind(email.trimmed().toLower())
            .bind(name)
            .bind(language)
            .bind(salt)
            .bind(saltedHash(salt, passwordDigest.toLower()))
            .run();
}

std::optional<Store::User> Store::checkLogin(const QString &email, const QString &passwordDigest)
{
    Statement query(m_db, "SELECT name, language, salt, hash FROM users WHERE email = ?");
    query.bind(email.trimmed().toLower());
    if (!query.step() || saltedHash(query.text(2), passwordDigest.toLower()) != query.text(3))
        return std::nullopt;
    return User{email.trimmed().toLower(), query.text(0), query.text(1)};
}

void Store::setRooms(const QString &email, const QList<int> &rooms)
{
    Statement(m_db, "DELETE FROM rooms WHERE email = ?").bind(email).run();
    for (int room : rooms)
        Statement(m_db, "INSERT INTO rooms VALUES (?, ?)").bind(email).bind(qint64(room)).run();
}

QList<int> Store::rooms(const QString &email)
{
    QList<int> result;
    Statement query(m_db, "SELECT room FROM rooms WHERE email = ? ORDER BY room");
    query.bind(email);
    while (query.step())
        result.append(int(query.number(0)));
    return result;
}

QString Store::newSession(const QString &email)
{
    const QString token = randomHex(32);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const bool stored = Statement(m_db, "INSERT INTO sessions (token, email, created, used) VALUES (?, ?, ?, ?)")
                                .bind(token)
                                .bind(email)
                                .bind(now)
                                .bind(now)
                                .run();
    return stored ? token : QString();
}

std::optional<QString> Store::sessionUser(const QString &token)
{
    if (token.isEmpty())
        return std::nullopt;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (now >= m_nextSweep)
        sweepSessions();
    std::optional<QString> email;
    qint64 used = 0;
    {
        Statement query(m_db, "SELECT email, used FROM sessions WHERE token = ?");
        query.bind(token);
        if (!query.step())
            return std::nullopt;
        email = query.text(0);
        used = query.number(1);
    }
    // An expired session goes as soon as it is shown, swept or not: a stolen old cookie is worth nothing.
    if (used < now - kSessionIdleSeconds) {
        endSession(token);
        return std::nullopt;
    }
    if (now - used >= 60)
        Statement(m_db, "UPDATE sessions SET used = ? WHERE token = ?").bind(now).bind(token).run();
    return email;
}

int Store::sweepSessions()
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_nextSweep = now + 300;
    if (!Statement(m_db, "DELETE FROM sessions WHERE used < ?").bind(now - kSessionIdleSeconds).run())
        return 0;
    return sqlite3_changes(m_db);
}

void Store::endSession(const QString &token)
{
    Statement(m_db, "DELETE FROM sessions WHERE token = ?").bind(token).run();
}

QString Store::addVideo(const QString &email, const QString &title, int room, const QString &uuid, const QString &path,
                        qint64 size)
{
    const QString key = randomHex(8);
    const bool stored = Statement(m_db, "INSERT INTO videos VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
            .bind(key)
            .bind(email)
            .bind(title)
            .bind(qint64(room))
            .bind(uuid)
            .bind(path)
            .bind(size)
            .bind(QDateTime::currentSecsSinceEpoch())
            .run();
    return stored ? key : QString();
}

std::optional<QString> Store::videoTitle(const QString &key)
{
    Statement query(m_db, "SELECT title FROM videos WHERE key = ?");
    query.bind(key);
    if (!query.step())
        return std::nullopt;
    return query.text(0);
}

std::optional<QStringList> Store::videoFileNames()
{
    Statement query(m_db, "SELECT path FROM videos");
    QStringList names;
    int result = SQLITE_ROW;
    while ((result = query.stepResult()) == SQLITE_ROW)
        names.append(query.text(0).section(QLatin1Char('/'), -1));
    if (result != SQLITE_DONE)
        return std::nullopt;
    return names;
}

void Store::addReport(const QString &kind, const QString &email, const QByteArray &body)
{
    Statement(m_db, "INSERT INTO reports VALUES (?, ?, ?, ?)").bind(kind).bind(email).bind(body).bind(QDateTime::currentSecsSinceEpoch()).run();
}

QList<Store::Report> Store::reports(const QString &email)
{
    QList<Report> result;
    Statement query(m_db, "SELECT kind, created, body FROM reports WHERE email = ? ORDER BY created DESC, rowid DESC");
    query.bind(email);
    while (query.step())
        result.append(Report{query.text(0), query.number(1), query.bytes(2)});
    return result;
}
