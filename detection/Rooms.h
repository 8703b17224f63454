#pragma once

#include "net/HttpConnection.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <map>
#include <memory>

// A poker room the service knows.
struct Room
{
    int id = 0;
    QString name;
};
using RoomSptr = std::shared_ptr<const Room>;

// The rooms the service knows (built into the program) and those the user plays on
// (asked of the service at construction).
class RoomMgmt : public QObject
{
    Q_OBJECT
public:
    // roomsFile: the list of rooms, as the service has it.
    explicit RoomMgmt(const QString &roomsFile = QStringLiteral(":/room.xml"), QObject *parent = nullptr);

    RoomSptr roomById(int id) const { return m_byId.value(id); }
    // Names compare without regard to case.
    RoomSptr roomByName(const QString &name) const;
    // The one room typed text stands for: its exact name, or the only room whose name
    // reads the same without case, punctuation and spaces, with or without its
    // domain ending; among several, the only ".com" one ("888 Poker" for
    // "888poker.com"). Empty when none or several fit.
    RoomSptr roomFor(const QString &text) const;
    // The room a program's file name most likely belongs to ("888poker.exe":
    // "888poker.com"), preferring a ".com" among rooms of the same name; may be empty.
    RoomSptr guessForProgram(const QString &exeName) const;
    QStringList roomNames() const { return m_names; }
    QStringList userRoomNames() const { return m_userNames; }

public slots:
    // The ids of the user's rooms, as the service replied; unknown ids are left out.
    void setUserRooms(const QSet<int> &ids);

signals:
    void userListUpdated(const QStringList &names);

private:
    void readRooms(const QString &roomsFile);

    QMap<int, RoomSptr> m_byId;
    std::map<QString, RoomSptr, bool (*)(const QString &, const QString &)> m_byName;
    QStringList m_names;
    QStringList m_userNames;
};

// Asks the service which rooms the user plays on. The reply is a bracketed,
// comma-separated list of room ids.
class RoomListRequest : public MemPostRequest
{
    Q_OBJECT
public:
    using MemPostRequest::MemPostRequest;
    void onFinished(QNetworkReply *reply, const bc_ret &errors) override;
    // The ids above 0 in a reply; anything else in it is skipped.
    static QSet<int> parseReply(const QString &text);

signals:
    // Only for a reply that arrived: a failed request leaves the user's rooms as they were.
    void roomsReceived(const QSet<int> &ids);

protected:
    bc_ret prepare(QNetworkRequest &request, QByteArray &body) override;
};
