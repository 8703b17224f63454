#include "ui/StyledWidgets.h"
#include "ui/SuggestionBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QStandardItem>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QStringList kNames{
    QStringLiteral("pokerstars.se"), QStringLiteral("winamax.fr"),    QStringLiteral("pokerstars.fr"),
    QStringLiteral("pokerstars.com"), QStringLiteral("pokerstars.it"), QStringLiteral("partypoker.com"),
    QStringLiteral("pokerstars.es"), QStringLiteral("pokerstars.net"), QStringLiteral("pokerstars.de"),
    QStringLiteral("pokerstars.pt"), QStringLiteral("888poker.es"),
};

QStringList rowTexts(const QStandardItem *root)
{
    QStringList texts;
    for (int row = 0; row < root->rowCount(); ++row)
        texts.append(root->child(row)->text());
    return texts;
}

// Lays the widgets out one under the other, then shows the window with the keyboard,
// so that focus and the list's window behave as for the user.
bool showActive(QWidget &window, std::initializer_list<QWidget *> widgets)
{
    auto *layout = new QVBoxLayout(&window);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

} // namespace

class TestSuggestionBox : public QObject
{
    Q_OBJECT
private slots:
    void suggestsAndReportsMatches();
    void onlyNamesAreChosen();
    void setTextShortensToACompletion();
    void keysStayWithTheLineEdit();
    void listFollowsTheWindow();
    void homoBoxRelays();
    void styledWidgets();
};

void TestSuggestionBox::suggestsAndReportsMatches()
{
    QWidget window;
    auto *box = new SuggestionBox(kNames);
    QVERIFY(showActive(window, {box}));
    box->lineEdit()->setFocus();
    QSignalSpy spy(box, &SuggestionBox::matchingChanged);

    // Five at most, in case-insensitive order.
    QTest::keyClicks(box->lineEdit(), QStringLiteral("pokers"));
    QVERIFY(box->popup()->isVisible());
    QCOMPARE(rowTexts(box->suggestionRoot()),
             QStringList({"pokerstars.com", "pokerstars.de", "pokerstars.es", "pokerstars.fr", "pokerstars.it"}));
    QCOMPARE(spy.count(), 0);

    // A whole name matches once; one more character ends it once.
    QTest::keyClicks(box->lineEdit(), QStringLiteral("tars.fr"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(box->matchedText(), QStringLiteral("pokerstars.fr"));
    QCOMPARE(box->popup()->currentIndex(), box->suggestionRoot()->child(0)->index());
    QTest::keyClick(box->lineEdit(), 'x');
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QVERIFY(box->matchedText().isEmpty());
    // Suggested regardless of case, but only the exact name matches.
    box->lineEdit()->setText(QStringLiteral("PokerStars.FR"));
    QCOMPARE(rowTexts(box->suggestionRoot()), QStringList({"pokerstars.fr"}));
    QVERIFY(!box->matching());
    QCOMPARE(spy.count(), 2);

    // The user's rooms replace the previous ones, in order, and the list shows every row.
    box->setYourRooms({QStringLiteral("winamax.fr"), QStringLiteral("888poker.es")});
    box->setYourRooms({QStringLiteral("partypoker.com"), QStringLiteral("winamax.fr"), QStringLiteral("a")});
    QCOMPARE(rowTexts(box->yourRoomsRoot()), QStringList({"partypoker.com", "winamax.fr", "a"}));
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(box->suggestionRoot()->rowCount(), 5);
    QVERIFY(QTest::qWaitForWindowExposed(box->popup()));
    const QModelIndex last = box->yourRoomsRoot()->child(2)->index();
    QTRY_VERIFY(box->popup()->viewport()->rect().contains(box->popup()->visualRect(last)));
    QCOMPARE(box->popup()->width(), box->width());
}

void TestSuggestionBox::onlyNamesAreChosen()
{
    QWidget window;
    auto *box = new SuggestionBox(kNames);
    QVERIFY(showActive(window, {box}));
    box->lineEdit()->setFocus();
    box->setYourRooms({QStringLiteral("winamax.fr")});
    QTest::keyClicks(box->lineEdit(), QStringLiteral("pokers"));
    QVERIFY(QTest::qWaitForWindowExposed(box->popup()));

    for (QStandardItem *header : {box->suggestionRoot(), box->yourRoomsRoot()}) {
        box->completed(header->index());
        QCOMPARE(box->text(), QStringLiteral("pokers"));
        QVERIFY(box->popup()->isVisible());
    }
    box->completed(box->yourRoomsRoot()->child(0)->index());
    QCOMPARE(box->text(), QStringLiteral("winamax.fr"));
    QVERIFY(!box->popup()->isVisible());

    // A click chooses the row clicked.
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("pokers"));
    QVERIFY(QTest::qWaitForWindowExposed(box->popup()));
    const QRect second = box->popup()->visualRect(box->suggestionRoot()->child(1)->index());
    QTest::mouseClick(box->popup()->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(box->text(), QStringLiteral("pokerstars.de"));
    QVERIFY(!box->popup()->isVisible());
    QVERIFY(box->matching());
}

void TestSuggestionBox::setTextShortensToACompletion()
{
    SuggestionBox box(kNames);
    // Shortened to "winamax.", which only one name completes.
    box.setText(QStringLiteral("winamax.be"));
    QCOMPARE(box.text(), QStringLiteral("winamax.fr"));
    QVERIFY(box.matching());
    // Shortened to "pokerstars.", which many names complete.
    box.setText(QStringLiteral("  pokerstars.xyz "));
    QCOMPARE(box.text(), QStringLiteral("pokerstars."));
    QVERIFY(!box.matching());
    box.setText(QStringLiteral("Partypoker"));
    QCOMPARE(box.text(), QStringLiteral("partypoker.com"));
    box.setText(QStringLiteral("zzz"));
    QCOMPARE(box.text(), QString());
    box.setText(QStringLiteral("pokerstars.it"));
    QCOMPARE(box.text(), QStringLiteral("pokerstars.it"));
    // Setting the text suggests but does not open the list.
    QCOMPARE(rowTexts(box.suggestionRoot()), QStringList({"pokerstars.it"}));
    QVERIFY(!box.popup()->isVisible());
}

void TestSuggestionBox::keysStayWithTheLineEdit()
{
    QWidget window;
    auto *box = new SuggestionBox(kNames);
    auto *other = new QLineEdit;
    QVERIFY(showActive(window, {box, other}));
    box->lineEdit()->setFocus();
    QVERIFY(box->lineEdit()->hasFocus());

    QTest::keyClicks(box->lineEdit(), QStringLiteral("pok"));
    QVERIFY(QTest::qWaitForWindowExposed(box->popup()));
    // Whatever the X server did about the new window has reached Qt by now.
    QGuiApplication::sync();
    QCOMPARE(QGuiApplication::focusWindow(), window.windowHandle());
    QCOMPARE(QApplication::focusWidget(), box->lineEdit());
    // Keys as the keyboard delivers them: to the window that has the focus.
    for (const char c : {'e', 'r', 's'})
        QTest::keyClick(QGuiApplication::focusWindow(), c);
    QCOMPARE(box->text(), QStringLiteral("pokers"));
    QVERIFY(box->popup()->isVisible());

    // Down from the header reaches the first suggestion; Return takes the current row.
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Down);
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Down);
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Return);
    QCOMPARE(box->text(), QStringLiteral("pokerstars.de"));
    QVERIFY(!box->popup()->isVisible());

    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QVERIFY(box->popup()->isVisible());
    QTest::keyClick(box->lineEdit(), Qt::Key_Escape);
    QVERIFY(!box->popup()->isVisible());
    QCOMPARE(box->text(), QStringLiteral("pokerstars.d"));

    // The drop button toggles the list and leaves the focus where it was.
    QTest::mouseClick(box->dropButton(), Qt::LeftButton);
    QVERIFY(box->popup()->isVisible());
    QTest::mouseClick(box->dropButton(), Qt::LeftButton);
    QVERIFY(!box->popup()->isVisible());
    QVERIFY(box->lineEdit()->hasFocus());

    // Leaving the line edit closes the list.
    QTest::mouseClick(box->dropButton(), Qt::LeftButton);
    QVERIFY(box->popup()->isVisible());
    other->setFocus();
    QVERIFY(!box->popup()->isVisible());
}

void TestSuggestionBox::listFollowsTheWindow()
{
    // One box whose ancestor, and one that itself, moves into the window after construction.
    auto *frame = new QFrame;
    auto *inFrame = new SuggestionBox(kNames, frame);
    (new QVBoxLayout(frame))->addWidget(inFrame);
    auto *alone = new SuggestionBox(kNames);
    QWidget window;
    window.move(100, 100);
    QVERIFY(showActive(window, {frame, alone}));

    for (SuggestionBox *box : {inFrame, alone}) {
        box->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(box->popup()));
        QCOMPARE(box->popup()->pos(), box->mapToGlobal(QPoint(0, box->height())));
    }
    const QPoint shift(70, 40);
    const QPoint before[] = {inFrame->mapToGlobal(QPoint(0, inFrame->height())),
                             alone->mapToGlobal(QPoint(0, alone->height()))};
    window.move(window.pos() + shift);
    QTRY_COMPARE(inFrame->mapToGlobal(QPoint(0, inFrame->height())), before[0] + shift);
    QTRY_COMPARE(inFrame->popup()->pos(), before[0] + shift);
    QTRY_COMPARE(alone->popup()->pos(), before[1] + shift);

    // Hiding the box hides its list.
    alone->hide();
    QVERIFY(!alone->popup()->isVisible());
}

void TestSuggestionBox::homoBoxRelays()
{
    HomoSuggestBox homo(kNames);
    QSignalSpy spy(&homo, &HomoSuggestBox::matchingChanged);
    homo.setText(QStringLiteral("winamax"));
    QCOMPARE(homo.text(), QStringLiteral("winamax.fr"));
    QVERIFY(homo.matching());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);

    homo.setSup({QStringLiteral("888poker.es"), QStringLiteral("winamax.fr")});
    QCOMPARE(rowTexts(homo.box()->yourRoomsRoot()), QStringList({"888poker.es", "winamax.fr"}));

    const QFontMetrics metrics(homo.font());
    int widest = 0;
    for (const QString &name : kNames)
        widest = qMax(widest, metrics.horizontalAdvance(name));
    QCOMPARE(homo.minimumWidth(), widest + 6);
}

void TestSuggestionBox::styledWidgets()
{
    // The size follows the page shown, not the largest page.
    StackedWidget stack;
    auto *big = new QWidget;
    big->setMinimumSize(400, 300);
    auto *small = new QWidget;
    small->setMinimumSize(100, 50);
    stack.addWidget(big);
    stack.addWidget(small);
    QVERIFY(big->isHidden() && small->isHidden());
    QVERIFY(stack.setCurrentWidget(big));
    QCOMPARE(stack.sizeHint(), QSize(400, 300));
    QVERIFY(stack.setCurrentWidget(small));
    QCOMPARE(stack.sizeHint(), QSize(100, 50));
    QVERIFY(big->isHidden() && !small->isHidden());
    QWidget stranger;
    QVERIFY(!stack.setCurrentWidget(&stranger));
    QCOMPARE(stack.currentWidget(), small);

    QWidget window;
    auto *hLine = new H_Line;
    auto *vLine = new V_Line;
    auto *label = new LabelButton(QStringLiteral("label"));
    auto *frame = new FrameButton;
    frame->setMinimumSize(40, 20);
    auto *button = new StyledButton(QStringLiteral("button"));
    auto *combo = new StyledComboBox;
    QVERIFY(showActive(window, {hLine, vLine, label, frame, button, combo}));
    for (QWidget *widget : std::initializer_list<QWidget *>{&stack, hLine, vLine, label, frame, button, combo})
        QCOMPARE(widget->property("bc_is_styled").toString(), QStringLiteral("true"));
    QCOMPARE(hLine->height(), 2);
    QCOMPARE(vLine->width(), 2);
    QVERIFY(qobject_cast<QListView *>(combo->view()));

    // Clicked on a left-button release inside only.
    QSignalSpy labelClicks(label, &LabelButton::clicked);
    QSignalSpy frameClicks(frame, &FrameButton::clicked);
    QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(frame, Qt::LeftButton);
    QTest::mouseClick(label, Qt::RightButton);
    QTest::mousePress(frame, Qt::LeftButton);
    QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(frame->width() + 5, 2));
    QCOMPARE(labelClicks.count(), 1);
    QCOMPARE(frameClicks.count(), 1);

    // Hovering reaches the style sheet.
    button->setStyleSheet(QStringLiteral("StyledButton[hovered=\"true\"] { color: rgb(255, 0, 0); }"));
    QVERIFY(button->palette().color(button->foregroundRole()) != QColor(255, 0, 0));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(button, &enter);
    QCOMPARE(button->palette().color(button->foregroundRole()), QColor(255, 0, 0));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    QVERIFY(button->palette().color(button->foregroundRole()) != QColor(255, 0, 0));
}

QTEST_MAIN(TestSuggestionBox)
#include "tst_suggestionbox.moc"
