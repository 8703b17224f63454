#include "detection/Detection.h"
#include "detection/Rooms.h"
#include "library/User.h"
#include "ui/RoomConfirmForm.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QStandardItem>
#include <QTreeView>

class TestRoomForm : public QObject
{
    Q_OBJECT
private slots:
    void confirmingReleasesEveryForm();
    void namesAreReadAsPlayersWriteThem();
    void programNameIsOfferedAndEnterConfirms();
    void notListedRecordsWithoutRoom();
};

namespace {

QString roomFor(const RoomMgmt &rooms, const QString &text)
{
    const RoomSptr room = rooms.roomFor(text);
    return room ? room->name : QString();
}

QString guessFor(const RoomMgmt &rooms, const QString &exeName)
{
    const RoomSptr room = rooms.guessForProgram(exeName);
    return room ? room->name : QString();
}

} // namespace

void TestRoomForm::namesAreReadAsPlayersWriteThem()
{
    const RoomMgmt rooms;
    // Case, spaces, punctuation and a missing ending, when one room fits.
    QCOMPARE(roomFor(rooms, QStringLiteral("888poker")), QStringLiteral("888poker.com"));
    QCOMPARE(roomFor(rooms, QStringLiteral(" 888 Poker ")), QStringLiteral("888poker.com"));
    QCOMPARE(roomFor(rooms, QStringLiteral("PokerStars.FR")), QStringLiteral("pokerstars.fr"));
    QCOMPARE(roomFor(rooms, QStringLiteral("Winamax FR")), QStringLiteral("winamax.fr"));
    // Without an ending the international ".com" room is meant.
    QCOMPARE(roomFor(rooms, QStringLiteral("pokerstars")), QStringLiteral("pokerstars.com"));
    // Several rooms fit and none is that, or none fits: no room.
    QCOMPARE(roomFor(rooms, QStringLiteral("winamax")), QString());
    QCOMPARE(roomFor(rooms, QStringLiteral("pokerstars.co")), QString());
    QCOMPARE(roomFor(rooms, QStringLiteral("...")), QString());

    // A program's file name: its room, the ".com" among several, or the room its
    // name begins with.
    QCOMPARE(guessFor(rooms, QStringLiteral("888poker.exe")), QStringLiteral("888poker.com"));
    QCOMPARE(guessFor(rooms, QStringLiteral("PokerStars.exe")), QStringLiteral("pokerstars.com"));
    QCOMPARE(guessFor(rooms, QStringLiteral("PartyPoker.exe")), QStringLiteral("partypoker.com"));
    QCOMPARE(guessFor(rooms, QStringLiteral("Winamax Poker.exe")), QStringLiteral("winamax.fr"));
    QCOMPARE(guessFor(rooms, QStringLiteral("notepad.exe")), QString());
    QCOMPARE(guessFor(rooms, QStringLiteral(".exe")), QString());
}

void TestRoomForm::programNameIsOfferedAndEnterConfirms()
{
    QTemporaryDir home;
    const UserPaths paths(home.path());
    DetectionManager manager(paths);
    const DetectionSptr program = manager.detectionFor(QStringLiteral("C:\\Program Files\\888poker\\888poker.exe"));
    QVERIFY(program);
    RoomConfirmForm form(program);
    QSignalSpy confirmed(&form, &RoomConfirmForm::confirmed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // Filled in from the program's name, offered first, and ready to confirm.
    QLineEdit *edit = form.roomBox()->box()->lineEdit();
    QCOMPARE(edit->text(), QStringLiteral("888poker.com"));
    QCOMPARE(form.roomBox()->box()->suggestionRoot()->child(0)->text(), QStringLiteral("888poker.com"));
    QVERIFY(form.confirmButton()->isEnabled());

    // What a player types is taken when it names one room; Enter confirms it.
    edit->setFocus();
    edit->clear();
    QVERIFY(!form.confirmButton()->isEnabled());
    QTest::keyClicks(edit, QStringLiteral("888 Poker"));
    QVERIFY(form.confirmButton()->isEnabled());
    QCOMPARE(form.roomBox()->box()->suggestionRoot()->child(0)->text(), QStringLiteral("888poker.com"));
    // The first Enter closes the list the typing opened, the next one confirms.
    if (form.roomBox()->box()->popup()->isVisible())
        QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!form.roomBox()->box()->popup()->isVisible());
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(program->room(), manager.rooms()->roomByName(QStringLiteral("888poker.com"))->id);
    QCOMPARE(confirmed.size(), 1);
}

void TestRoomForm::notListedRecordsWithoutRoom()
{
    QTemporaryDir home;
    const UserPaths paths(home.path());
    {
        DetectionManager manager(paths);
        const DetectionSptr program = manager.detectionFor(QStringLiteral("/opt/poker/ACF.exe"));
        QVERIFY(program);
        QVERIFY(!program->roomSettled());
        RoomConfirmForm form(program);
        QSignalSpy confirmed(&form, &RoomConfirmForm::confirmed);
        QSignalSpy saved(&manager, &DetectionManager::updated);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.notListedButton(), Qt::LeftButton);
        QCOMPARE(confirmed.size(), 1);
        QVERIFY(program->roomSettled());
        QCOMPARE(program->recordingRoom(), int(Detection::kNoRoom));
        QVERIFY(saved.wait());
    }
    // Kept: the next run does not ask again.
    DetectionManager again(paths);
    QVERIFY(again.load().ok());
    const DetectionSptr program = again.lookup(QStringLiteral("/opt/poker/ACF.exe"));
    QVERIFY(program);
    QCOMPARE(program->room(), int(Detection::kUnlistedRoom));
    QVERIFY(program->roomSettled());
}

void TestRoomForm::confirmingReleasesEveryForm()
{
    QTemporaryDir home;
    const UserPaths paths(home.path());
    DetectionManager manager(paths);
    const DetectionSptr stars = manager.detectionFor(QStringLiteral("C:\\Poker\\PokerStars.exe"));
    QVERIFY(stars);
    RoomConfirmForm first(stars);
    RoomConfirmForm second(stars);
    QSignalSpy firstConfirmed(&first, &RoomConfirmForm::confirmed);
    QSignalSpy secondConfirmed(&second, &RoomConfirmForm::confirmed);
    first.show();
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));

    // Not a room: the button stays off and the border says so.
    QLineEdit *edit = first.roomBox()->box()->lineEdit();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("pokerstars.co"));
    QVERIFY(!first.confirmButton()->isEnabled());
    QVERIFY(first.roomBox()->styleSheet().contains(QLatin1String(RoomBox::kNotMatchingColour)));
    QTest::keyClick(edit, Qt::Key_M);
    QVERIFY(first.confirmButton()->isEnabled());
    QVERIFY(first.roomBox()->styleSheet().contains(QLatin1String(RoomBox::kMatchingColour)));

    // Confirmed in one form: the room is stored, and both forms let go.
    QSignalSpy saved(&manager, &DetectionManager::updated);
    QTest::mouseClick(first.confirmButton(), Qt::LeftButton);
    QCOMPARE(stars->room(), 12);
    QCOMPARE(firstConfirmed.size(), 1);
    QCOMPARE(secondConfirmed.size(), 1);
    QCOMPARE(secondConfirmed.first().first().value<ConstDetectionSptr>(), ConstDetectionSptr(stars));
    QVERIFY(saved.wait());
    QFile list(paths.detectionFile);
    QVERIFY(list.open(QIODevice::ReadOnly));
    QVERIFY(list.readAll().contains("<room value=\"12\"/>"));

    // The hint balloon leaves its text as the form's tool tip once it is gone.
    QVERIFY(first.balloon());
    first.balloon()->close();
    QTRY_COMPARE(first.toolTip(), QStringLiteral("Please confirm the name of this Poker room."));
}

QTEST_MAIN(TestRoomForm)
#include "tst_roomform.moc"
