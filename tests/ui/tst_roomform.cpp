#include "detection/Detection.h"
#include "library/User.h"
#include "ui/RoomConfirmForm.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestRoomForm : public QObject
{
    Q_OBJECT
private slots:
    void confirmingReleasesEveryForm();
};

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
