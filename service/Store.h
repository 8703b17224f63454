#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;

// The service's data: users, sessions, rooms, uploaded videos and reports, in SQLite.
class Store
{
public:
    struct User
    {
        QString email;
        QString name;
        QString language;
    };

    ~Store();
    bool open(const QString &path, QString &error);

    bool isEmpty();
    // passwordDigest: the lower-case MD5 hex digest the program sends.
    bool addUser(const QString &email, const QString &passwordDigest, const QString &name, const QString &language);
    std::optional<User> checkLogin(const QString &email, const QString &passwordDigest);
    void setRooms(const QString &email, const QList<int> &rooms);
    QList<int> rooms(const QString &email);

    // Sessions end at logout or after this long without use.
    static constexpr qint64 kSessionIdleSeconds = 30 * 24 * 3600;
    // Empty when it could not be stored.
    QString newSession(const QString &email);
    // The session's user, none when unknown or expired; a use keeps it alive (counted
    // to the minute, so that most requests only read).
    std::optional<QString> sessionUser(const QString &token);
    void endSession(const QString &token);
    // Removes the sessions unused for too long; sessionUser does it every few minutes.
    int sweepSessions();

    // The new video's key; empty when it could not be stored.
    QString addVideo(const QString &email, const QString &title, int room, const QString &uuid, const QString &path,
                     qint64 size);
    std::optional<QString> videoTitle(const QString &key);
    // The file names (without folder) of every stored video; none when it cannot be read.
    std::optional<QStringList> videoFileNames();
    struct Report
    {
        QString kind;
        qint64 created = 0; // seconds since the epoch
        QByteArray body;
    };
    // body: the bytes as they came, kept as they are.
    void addReport(const QString &kind, const QString &email, const QByteArray &body);
    // The user's reports, newest first.
    QList<Report> reports(const QString &email);

private:
    bool exec(const char *sql);
    bool addLastUse();

    sqlite3 *m_db = nullptr;
    qint64 m_nextSweep = 0;
};
