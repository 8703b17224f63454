#include "detection/Rooms.h"

#include "app/Log.h"
#include "app/Paths.h"
#include "library/XmlElement.h"

#include <QRegularExpression>

namespace {

constexpr int kUserRoomsRetries = 30;

bool lessIgnoringCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

// Letters and digits only, in lower case.
QString squeezed(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            out.append(c.toLower());
    }
    return out;
}

// The name without a domain ending such as ".com", ".fr" or ".co.uk".
QString withoutEnding(const QString &name)
{
    static const QRegularExpression ending(QStringLiteral("(\\.[a-z]{2,3})?\\.[a-z]{2,4}$"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString bare = name.trimmed();
    bare.remove(ending);
    return bare.isEmpty() ? name : bare;
}

// How a room's name is compared with typed text: its whole name and its name
// without the ending, squeezed.
bool readsAs(const Room &room, const QString &key)
{
    return !key.isEmpty() && (squeezed(room.name) == key || squeezed(withoutEnding(room.name)) == key);
}

} // namespace

RoomMgmt::RoomMgmt(const QString &roomsFile, QObject *parent)
    : QObject(parent)
    , m_byName(&lessIgnoringCase)
{
    readRooms(roomsFile);
    auto *request = new RoomListRequest;
    connect(request, &RoomListRequest::roomsReceived, this, &RoomMgmt::setUserRooms);
    // Asked once per run: a service still starting must not leave the list empty.
    HttpConnection::post(request, kUserRoomsRetries, 0, RetryDelays::Growing);
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

RoomSptr RoomMgmt::roomFor(const QString &text) const
{
    if (RoomSptr exact = roomByName(text.trimmed()))
        return exact;
    const QString key = squeezed(text);
    QList<RoomSptr> fits;
    QList<RoomSptr> dotComs;
    for (const RoomSptr &room : m_byId) {
        if (!readsAs(*room, key))
            continue;
        fits.append(room);
        if (room->name.endsWith(QLatin1String(".com"), Qt::CaseInsensitive))
            dotComs.append(room);
    }
    // A name without its ending means the ".com" room when the others are national ones.
    if (fits.size() == 1)
        return fits.first();
    return dotComs.size() == 1 ? dotComs.first() : nullptr;
}

RoomSptr RoomMgmt::guessForProgram(const QString &exeName) const
{
    QString base = exeName.trimmed();
    if (base.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        base.chop(4);
    const QString key = squeezed(base);
    if (key.isEmpty())
        return nullptr;
    // Rooms of the same name first; else the longest room name the program's starts
    // with ("Winamax Poker" for "winamax.fr").
    RoomSptr best;
    int bestScore = 0;
    for (const RoomSptr &room : m_byId) {
        const QString bare = squeezed(withoutEnding(room->name));
        int score = 0;
        if (readsAs(*room, key))
            score = 3000;
        else if (bare.size() >= 3 && key.startsWith(bare))
            score = 1000 + bare.size();
        if (score > 0 && room->name.endsWith(QLatin1String(".com"), Qt::CaseInsensitive))
            score += 100;
        if (score > bestScore) {
            best = room;
            bestScore = score;
        }
    }
    return best;
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
