#pragma once

#include "app/bc_ret.h"
#include "app/EventAggregator.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <set>

class RoomMgmt;
struct UserPaths;

// One program of the user's that is a poker room: where it is, whether its tables are
// picked up, and the room the user confirmed for it.
class Detection : public QObject
{
    Q_OBJECT
public:
    // Not asked yet, or not answered.
    static constexpr int kNoRoom = -1;
    // The user said the program's room is not in the list: its tables are recorded
    // without a room.
    static constexpr int kUnlistedRoom = 0;

    Detection(const QString &exePath, bool recordable, int room);

    QString exePath() const { return m_exePath; }
    // The file name: what follows the last "/" or "\".
    QString exeName() const { return m_exeName; }
    bool recordable() const { return m_recordable; }
    int room() const { return m_room; }
    // Whether the user has answered which room the program is: a room or "not listed".
    bool roomSettled() const { return m_room >= 0; }
    // The room to record under: kNoRoom unless a listed room was confirmed.
    int recordingRoom() const { return m_room > 0 ? m_room : kNoRoom; }

    void setRecordable(bool recordable);
    void setRoom(int room);

signals:
    // Only when a value really changed.
    void updated();

private:
    QString m_exePath;
    QString m_exeName;
    bool m_recordable;
    int m_room;
};
using DetectionSptr = std::shared_ptr<Detection>;
using ConstDetectionSptr = std::shared_ptr<const Detection>;

// The file name of a program's path, backslashes counting as "/".
QString exeNameOf(const QString &exePath);

// Orders text without regard to case: program paths and names are compared so.
struct CaseInsensitiveLess
{
    bool operator()(const QString &a, const QString &b) const { return a.compare(b, Qt::CaseInsensitive) < 0; }
};

// The user's list of programs found to be poker rooms, kept in "detection.conf" and
// saved after every change (once per turn of the event loop). One instance, reachable
// through instance() while it lives.
class DetectionManager : public QObject
{
    Q_OBJECT
public:
    // knownNamesFile: the built-in list of poker programs' file names.
    explicit DetectionManager(const UserPaths &paths, QObject *parent = nullptr,
                              const QString &knownNamesFile = QStringLiteral(":/detection.xml"),
                              const QString &roomsFile = QStringLiteral(":/room.xml"));
    ~DetectionManager() override;
    static DetectionManager *instance();

    bc_ret load();
    // The record of a program: the one in the list, or a new one when its file name
    // is a known poker program; empty otherwise.
    DetectionSptr detectionFor(const QString &exePath);
    // The record in the list, never a new one.
    DetectionSptr lookup(const QString &exePath) const;
    QList<DetectionSptr> detections() const;
    RoomMgmt *rooms() const { return m_rooms; }
    bool isKnownProgram(const QString &exeName) const { return m_knownNames.count(exeName) > 0; }

public slots:
    bc_ret save();

signals:
    void updated();

private:
    void add(const DetectionSptr &detection);

    QString m_detectionFile;
    QString m_recognitionFile;
    RoomMgmt *m_rooms;
    std::set<QString, CaseInsensitiveLess> m_knownNames;
    std::map<QString, DetectionSptr, CaseInsensitiveLess> m_detections;
    EventAggregator m_aggregator;
    bool m_migrated_1_2_9 = false;
    // False when the file was damaged and could not be moved aside: it is never overwritten.
    bool m_writable = true;
    static DetectionManager *s_instance;
};
