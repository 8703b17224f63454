#include "detection/Rooms.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "library/XmlElement.h"

#include <QRegularExpression>

namespace {

bool lessIgnoringCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

} // namespace

RoomMgmt::RoomMgmt(const QString &roomsFile, QObject *parent)
    : QObject(parent)
    , m_byName(&lessIgnoringCase)
{
    readRooms(roomsFile);
    auto *request = new RoomListRequest;
    connect(request, &RoomListRequest::roomsReceived, this, &RoomMgmt::setUserRooms);
    HttpConnection::post(request, 0, 0);
}

void RoomMgmt::readRooms(const QString &roomsFile)
{
    XmlRootElement document;
    if (const bc_ret read = document.readFromFile(roomsFile); read.failed()) {
        logError(QStringLiteral("Room list not read: %1").arg(read.details(QStringLiteral(": "))));
        return;
    }
    for (const XmlElement &item : document.children(QStringLiteral("item"))) {
        auto room = std::make_shared<Room>(
                Room{item.childInt(QStringLiteral("id"), 0), item.childString(QStringLiteral("name")).trimmed()});
        if (m_byName.count(room->name) > 0) {
            logDebug(QStringLiteral("RoomMgmt::RoomMgmt:%1 existed!").arg(room->name));
            continue;
        }
        m_byId.insert(room->id, room);
        m_byName.emplace(room->name, room);
        m_names.append(room->name);
    }
}

RoomSptr RoomMgmt::roomByName(const QString &name) const
{
    const auto found = m_byName.find(name);
    return found == m_byName.end() ? nullptr : found->second;
}

void RoomMgmt::setUserRooms(const QSet<int> &ids)
{
    m_userNames.clear();
    for (int id : ids) {
        if (const RoomSptr room = roomById(id))
            m_userNames.append(room->name);
    }
    emit userListUpdated(m_userNames);
}

bc_ret RoomListRequest::prepare(QNetworkRequest &request, QByteArray &body)
{
    setCommonHeaders(request, serviceUrl(QStringLiteral("/soft/listtablesuser")));
    body.clear();
    return bc_ret();
}

QSet<int> RoomListRequest::parseReply(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\[,\\s*\\]]"));
    QSet<int> ids;
    for (const QString &part : text.split(separators, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int id = part.toInt(&ok, 10);
        if (ok && id > 0)
            ids.insert(id);
    }
    return ids;
}

void RoomListRequest::onFinished(QNetworkReply *reply, const bc_ret &errors)
{
    if (errors.failed() || !reply) {
        logDebug(QStringLiteral("RoomListRequest: %1").arg(errors.details(QStringLiteral(": "))));
        return;
    }
    const QString text = QString::fromUtf8(reply->readAll());
    logDebug(QStringLiteral("RoomListRequest::parseReply %1").arg(text));
    emit roomsReceived(parseReply(text));
}
