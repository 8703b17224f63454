#include "detection/Detection.h"

#include "app/Log.h"
#include "detection/Rooms.h"
#include "library/ListFile.h"
#include "library/User.h"
#include "library/XmlElement.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kItem = QStringLiteral("item");
const QString kExePath = QStringLiteral("exePath");
const QString kRecordable = QStringLiteral("recordable");
const QString kRoom = QStringLiteral("room");
const QString kMigrated = QStringLiteral("migrate_1_2_9");

} // namespace

QString exeNameOf(const QString &exePath)
{
    QString path = exePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path.section(QLatin1Char('/'), -1);
}

Detection::Detection(const QString &exePath, bool recordable, int room)
    : m_exePath(exePath)
    , m_exeName(exeNameOf(exePath))
    , m_recordable(recordable)
    , m_room(room)
{
}

void Detection::setRecordable(bool recordable)
{
    if (m_recordable == recordable)
        return;
    m_recordable = recordable;
    emit updated();
}

void Detection::setRoom(int room)
{
    if (m_room == room)
        return;
    m_room = room;
    emit updated();
}

DetectionManager *DetectionManager::s_instance = nullptr;

DetectionManager::DetectionManager(const UserPaths &paths, QObject *parent, const QString &knownNamesFile,
                                   const QString &roomsFile)
    : QObject(parent)
    , m_detectionFile(paths.detectionFile)
    , m_recognitionFile(paths.recognitionFile)
    , m_rooms(new RoomMgmt(roomsFile, this))
{
    XmlRootElement known;
    if (const bc_ret read = known.readFromFile(knownNamesFile); read.failed())
        logError(QStringLiteral("Poker programs not known: %1").arg(read.details(QStringLiteral(": "))));
    for (const XmlElement &item : known.children(kItem))
        m_knownNames.insert(item.childString(QStringLiteral("exeName")));
    connect(&m_aggregator, &EventAggregator::doTask, this, &DetectionManager::updated);
    connect(&m_aggregator, &EventAggregator::doTask, this, &DetectionManager::save);
    s_instance = this;
}

DetectionManager::~DetectionManager()
{
    if (s_instance == this)
        s_instance = nullptr;
}

DetectionManager *DetectionManager::instance()
{
    return s_instance;
}

void DetectionManager::add(const DetectionSptr &detection)
{
    if (detection->exePath().isEmpty())
        return;
    m_detections.insert_or_assign(detection->exePath(), detection);
    connect(detection.get(), &Detection::updated, &m_aggregator, &EventAggregator::onNewEvent, Qt::UniqueConnection);
    m_aggregator.onNewEvent();
}

DetectionSptr DetectionManager::detectionFor(const QString &exePath)
{
    if (DetectionSptr known = lookup(exePath))
        return known;
    if (exePath.isEmpty() || !isKnownProgram(exeNameOf(exePath)))
        return nullptr;
    auto detection = std::make_shared<Detection>(exePath, true, Detection::kNoRoom);
    add(detection);
    return detection;
}

DetectionSptr DetectionManager::lookup(const QString &exePath) const
{
    const auto found = m_detections.find(exePath);
    return found == m_detections.end() ? nullptr : found->second;
}

QList<DetectionSptr> DetectionManager::detections() const
{
    QList<DetectionSptr> list;
    for (const auto &entry : m_detections)
        list.append(entry.second);
    return list;
}

bc_ret DetectionManager::load()
{
    // A first start has no list yet.
    if (!QFileInfo::exists(m_detectionFile))
        return bc_ret();
    XmlRootElement document;
    const bc_ret read = document.readFromFile(m_detectionFile, XmlRootElement::ReadMode::KeepComplete);
    int kept = 0;
    for (const XmlElement &item : document.children(kItem)) {
        add(std::make_shared<Detection>(item.childString(kExePath), item.childBool(kRecordable, false),
                                        item.childInt(kRoom, Detection::kNoRoom)));
        ++kept;
    }
    // The programs read are kept; the damaged file itself is kept aside and never
    // overwritten (without a place aside, nothing is saved over it).
    if (read.failed()) {
        m_writable = setDamagedFileAside(m_detectionFile, read.messages(QStringLiteral(": ")), kept);
        return read;
    }
    m_migrated_1_2_9 = document.childBool(kMigrated, false);
    if (!m_migrated_1_2_9) {
        // Lists from before 1.2.9 came with a recognition file that nothing reads any more.
        QFile::remove(m_recognitionFile);
        m_migrated_1_2_9 = true;
        m_aggregator.onNewEvent();
    }
    return bc_ret();
}

bc_ret DetectionManager::save()
{
    logDebug(QStringLiteral("DetectionManager::save"));
    if (!m_writable)
        return bc_ret(QStringLiteral("DetectionManager::save"), -1,
                      QStringLiteral("'%1' is damaged and left as it is").arg(m_detectionFile));
    XmlRootElement document;
    for (const auto &entry : m_detections) {
        XmlElement item = document.addChild(kItem, QString());
        item.addChild(kExePath, entry.second->exePath());
        item.addChild(kRecordable, entry.second->recordable());
        item.addChild(kRoom, entry.second->room());
    }
    document.addChild(kMigrated, m_migrated_1_2_9);
    return document.writeToFile(m_detectionFile);
}
