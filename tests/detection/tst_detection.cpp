#include "app/Log.h"
#include "detection/Detection.h"
#include "detection/IdRules.h"
#include "detection/Rooms.h"
#include "library/User.h"
#include "library/XmlElement.h"
#include "net/LoginRequests.h"
#include "tests/support/ServiceProcess.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Facts
{
    QString title;
    QString className;
    quint32 style = 0;
};

// Windows as the rules would see them, without a desktop.
class FakeFacts : public WindowFactsSource
{
public:
    QMap<WindowId, Facts> windows;
    QString title(WindowId window) const override { return windows.value(window).title; }
    QString className(WindowId window) const override { return windows.value(window).className; }
    quint32 style(WindowId window) const override { return windows.value(window).style; }
};

ConstDetectionSptr program(const QString &path)
{
    return std::make_shared<Detection>(path, true, Detection::kNoRoom);
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

Q_DECLARE_METATYPE(IdResult)

class TestDetection : public QObject
{
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void knownProgramsAreRecorded();
    void oldListsAreMigratedOnce();
    void roomList();
    void userRoomsFromTheService();
};

void TestDetection::rules_data()
{
    QTest::addColumn<QString>("exePath");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("className");
    QTest::addColumn<quint32>("style");
    QTest::addColumn<IdResult>("expected");

    const QString poker = QStringLiteral("C:\\Games\\poker.exe");
    const QString frame = QStringLiteral("Afx:00400000:0");
    QTest::newRow("poker.exe tournament window") << poker << "Tournament 5 - NLH (#1234567)" << frame << 0u << IdRejected;
    QTest::newRow("poker.exe table") << poker << "Table 12 - NLH 0.5/1" << frame << 0u << IdTable;
    QTest::newRow("poker.exe welcome") << poker << "Welcome" << frame << 0u << IdUnknown;
    QTest::newRow("poker.exe dialog") << poker << "Omaha rules" << "#32770" << 0u << IdTable;
    QTest::newRow("poker.exe other class") << poker << "Table 12 - NLH" << "Chrome_Widget" << 0u << IdUnknown;
    QTest::newRow("mainclient.exe number") << "/w/mainclient.exe" << "NLH table #7654321" << "" << 0u << IdRejected;
    QTest::newRow("client.exe eight digits") << "/w/client.exe" << "Table (12345678)" << "" << 0u << IdTable;
    QTest::newRow("Client.exe is not client.exe") << "/w/Client.exe" << "Table (12345678)" << "" << 0u << IdUnknown;
    QTest::newRow("bodog style") << "/w/BPGame.exe" << "Lobby" << "" << 0x960F0003u << IdTable;
    QTest::newRow("bodog other style") << "/w/BPGame.exe" << "NLH" << "" << 0x960F0000u << IdUnknown;
    QTest::newRow("cake style") << "/w/PokerClient.exe" << "Holdem 1/2" << "" << 0x160F0000u << IdTable;
    QTest::newRow("cake other style") << "/w/PokerClient.exe" << "Holdem 1/2" << "" << 0u << IdUnknown;
    QTest::newRow("casino.exe words first") << "/w/casino.exe" << "Main lobby" << "" << 0x16040000u << IdRejected;
    QTest::newRow("casino.exe style") << "/w/casino.exe" << "Table 3" << "" << 0x16040000u << IdTable;
    QTest::newRow("pkr") << "/w/pokerapp.exe" << "  PKR - let's play! " << "" << 0u << IdTable;
    QTest::newRow("lobby word wins") << "/w/PokerStars.exe" << "holdem lobby" << "" << 0u << IdRejected;
    QTest::newRow("table word") << "/w/PokerStars.exe" << "Omaha hi-lo" << "" << 0u << IdTable;
    QTest::newRow("undecided") << "/w/PokerStars.exe" << "Settings" << "" << 0u << IdUnknown;
}

void TestDetection::rules()
{
    QFETCH(QString, exePath);
    QFETCH(QString, title);
    QFETCH(QString, className);
    QFETCH(quint32, style);
    QFETCH(IdResult, expected);
    auto facts = std::make_shared<FakeFacts>();
    facts->windows.insert(7, Facts{title, className, style});
    const IdRuleSet rules(facts);
    QCOMPARE(rules.identify(7, program(exePath)), expected);
}

void TestDetection::knownProgramsAreRecorded()
{
    QTemporaryDir home;
    const UserPaths paths(home.path());
    DetectionManager manager(paths);
    QCOMPARE(DetectionManager::instance(), &manager);
    QSignalSpy changed(&manager, &DetectionManager::updated);

    // The built-in list matches whatever the case; the record starts recordable, with no room.
    const DetectionSptr stars = manager.detectionFor(QStringLiteral("C:\\Program Files\\PokerStars\\POKERSTARS.EXE"));
    QVERIFY(stars);
    QCOMPARE(stars->exeName(), QStringLiteral("POKERSTARS.EXE"));
    QVERIFY(stars->recordable());
    QCOMPARE(stars->room(), -1);
    QCOMPARE(manager.detectionFor(QStringLiteral("c:\\program files\\pokerstars\\pokerstars.exe")), stars);
    QCOMPARE(manager.detections().size(), 1);
    // One save for all of it, at the next turn of the event loop.
    QVERIFY(!QFile::exists(paths.detectionFile));
    QVERIFY(changed.wait());
    QCOMPARE(changed.size(), 1);
    QVERIFY(readAll(paths.detectionFile).contains(QStringLiteral("POKERSTARS.EXE")));

    // A change is reported once, however often it is made.
    QSignalSpy recordUpdated(stars.get(), &Detection::updated);
    stars->setRecordable(false);
    stars->setRecordable(false);
    QCOMPARE(recordUpdated.size(), 1);
    QVERIFY(changed.wait());
    QCOMPARE(changed.size(), 2);
    QVERIFY(readAll(paths.detectionFile).contains(QStringLiteral("<recordable value=\"false\"/>")));

    // Other programs never enter the list, and looking up never creates.
    QVERIFY(!manager.detectionFor(QStringLiteral("/usr/bin/firefox")));
    QVERIFY(!manager.detectionFor(QStringLiteral("/usr/bin/firefox")));
    QVERIFY(!manager.lookup(QStringLiteral("C:\\Games\\PartyPoker.exe")));
    stars->setRoom(12);
    QVERIFY(changed.wait());
    QCOMPARE(manager.detections().size(), 1);
    QVERIFY(!readAll(paths.detectionFile).contains(QStringLiteral("firefox")));
    QVERIFY(readAll(paths.detectionFile).contains(QStringLiteral("<room value=\"12\"/>")));
}

void TestDetection::oldListsAreMigratedOnce()
{
    QTemporaryDir home;
    const UserPaths paths(home.path());
    auto touch = [&paths] {
        QFile recognition(paths.recognitionFile);
        return recognition.open(QIODevice::WriteOnly) && recognition.write("old") == 3;
    };
    // A list from before the flag existed, beside the recognition file of that time.
    {
        XmlRootElement old;
        XmlElement item = old.addChild(QStringLiteral("item"), QString());
        item.addChild(QStringLiteral("exePath"), QStringLiteral("/opt/w/PartyPoker.exe"));
        item.addChild(QStringLiteral("recordable"), true);
        item.addChild(QStringLiteral("room"), 45);
        QVERIFY(old.writeToFile(paths.detectionFile).ok());
    }
    QVERIFY(touch());
    {
        DetectionManager manager(paths);
        QSignalSpy changed(&manager, &DetectionManager::updated);
        QVERIFY(manager.load().ok());
        QVERIFY(!QFile::exists(paths.recognitionFile));
        QCOMPARE(manager.lookup(QStringLiteral("/opt/w/partypoker.exe"))->room(), 45);
        QVERIFY(changed.wait());
    }
    QVERIFY(readAll(paths.detectionFile).contains(QStringLiteral("<migrate_1_2_9 value=\"true\"/>")));
    // Once only: a later start leaves the file alone.
    QVERIFY(touch());
    DetectionManager again(paths);
    QVERIFY(again.load().ok());
    QVERIFY(QFile::exists(paths.recognitionFile));
    QCOMPARE(again.detections().size(), 1);
}

void TestDetection::roomList()
{
    QTemporaryDir dir;
    openLog(dir.filePath(QStringLiteral("log.txt")));
    setLogLevel(0);
    const QString file = dir.filePath(QStringLiteral("rooms.xml"));
    {
        XmlRootElement rooms;
        const QList<QPair<int, QString>> rows{
                {3, QStringLiteral(" Winamax.fr ")}, {9, QStringLiteral("pokerstars.com")}, {11, QStringLiteral("WINAMAX.FR")}};
        for (const auto &[id, name] : rows) {
            XmlElement item = rooms.addChild(QStringLiteral("item"), QString());
            item.addChild(QStringLiteral("id"), id);
            item.addChild(QStringLiteral("name"), name);
        }
        QVERIFY(rooms.writeToFile(file).ok());
    }
    RoomMgmt rooms(file);
    // The first of two names that differ in case is kept, trimmed; the other is logged once.
    QCOMPARE(rooms.roomNames(), QStringList({QStringLiteral("Winamax.fr"), QStringLiteral("pokerstars.com")}));
    QCOMPARE(rooms.roomByName(QStringLiteral("winamax.FR"))->id, 3);
    QVERIFY(!rooms.roomById(11));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("log.txt"))).count(QStringLiteral("RoomMgmt::RoomMgmt:WINAMAX.FR existed!")), 1);

    // Replies: any brackets, commas, blanks and line breaks between ids; nothing else counts.
    QCOMPARE(RoomListRequest::parseReply(QString()), QSet<int>());
    QCOMPARE(RoomListRequest::parseReply(QStringLiteral("[]")), QSet<int>());
    QCOMPARE(RoomListRequest::parseReply(QStringLiteral("[ 9,\n 3 ,\r\n\t120]")), QSet<int>({3, 9, 120}));
    QCOMPARE(RoomListRequest::parseReply(QStringLiteral("[9,0,-4,x,9]")), QSet<int>({9}));
    QSignalSpy updated(&rooms, &RoomMgmt::userListUpdated);
    rooms.setUserRooms({9, 120});
    QCOMPARE(updated.size(), 1);
    QCOMPARE(updated.first().first().toStringList(), QStringList({QStringLiteral("pokerstars.com")}));
    rooms.setUserRooms({});
    QCOMPARE(updated.last().first().toStringList(), QStringList());

}

void TestDetection::userRoomsFromTheService()
{
    ServiceProcess service;
    QVERIFY(service.start());
    qputenv("BRINDLECAST_SERVICE_URL", service.url(QString()).toUtf8());
    HttpConnection connection;
    auto *login = new LoginRequest(QStringLiteral("demo@brindlecast.local"), passwordDigest(QStringLiteral("demo")));
    QSignalSpy loggedIn(login, &LoginRequest::replyParsed);
    HttpConnection::post(login, 0, 0);
    QVERIFY(loggedIn.wait(ServiceProcess::kPatienceMs));

    // The service names the demo user's rooms by the ids of the list both sides have.
    RoomMgmt rooms;
    QSignalSpy updated(&rooms, &RoomMgmt::userListUpdated);
    QVERIFY(updated.wait(ServiceProcess::kPatienceMs));
    QStringList names = updated.first().first().toStringList();
    names.sort();
    QCOMPARE(names, QStringList({QStringLiteral("partypoker.com"), QStringLiteral("pokerstars.com")}));
    QVERIFY(rooms.roomNames().size() > 1);
}

QTEST_GUILESS_MAIN(TestDetection)
#include "tst_detection.moc"
