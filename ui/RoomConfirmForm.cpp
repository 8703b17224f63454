#include "ui/RoomConfirmForm.h"

#include "app/Log.h"
#include "detection/Rooms.h"
#include "ui/BalloonTip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// How long the hint stays up unless the user is on it.
constexpr int kBalloonMs = 15000;

QStringList roomNames(const RoomMgmt *rooms)
{
    return rooms ? rooms->roomNames() : QStringList();
}

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    return line;
}

RoomMgmt *roomList()
{
    const DetectionManager *manager = DetectionManager::instance();
    return manager ? manager->rooms() : nullptr;
}

} // namespace

RoomBox::RoomBox(RoomMgmt *rooms, QWidget *parent)
    : HomoSuggestBox(roomNames(rooms), parent)
{
    setObjectName(QStringLiteral("RoomBox"));
    connect(this, &HomoSuggestBox::matchingChanged, this, &RoomBox::setMatchingStyle);
    if (rooms) {
        box()->setResolver([rooms](const QString &text) {
            const RoomSptr room = rooms->roomFor(text);
            return room ? room->name : QString();
        });
        setSup(rooms->userRoomNames());
        connect(rooms, &RoomMgmt::userListUpdated, this, &HomoSuggestBox::setSup);
    }
    setMatchingStyle(false);
}

void RoomBox::setMatchingStyle(bool matching)
{
    setStyleSheet(QStringLiteral("SuggestionBox {border: 1px solid %1;}")
                          .arg(QLatin1String(matching ? kMatchingColour : kNotMatchingColour)));
}

RoomConfirmForm::RoomConfirmForm(const ConstDetectionSptr &detection, QWidget *parent)
    : QFrame(parent)
    , m_detection(detection)
    , m_hint(tr("Please confirm the name of this Poker room."))
{
    setObjectName(QStringLiteral("RoomConfirmForm"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(3, 0, 3, 0);
    m_lblRoom = new QLabel(tr("Room"), this);
    m_lblRoom->setObjectName(QStringLiteral("lblRoom"));
    row->addWidget(m_lblRoom);
    row->addWidget(separator(this));
    m_roomBox = new RoomBox(roomList(), this);
    row->addWidget(m_roomBox);
    row->addWidget(separator(this));
    m_btnConfirm = new QPushButton(tr("Confirm"), this);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    m_btnConfirm->setCursor(Qt::PointingHandCursor);
    m_btnConfirm->setEnabled(false);
    row->addWidget(m_btnConfirm);
    m_btnNotListed = new QPushButton(tr("My room is not listed"), this);
    m_btnNotListed->setObjectName(QStringLiteral("btnNotListed"));
    m_btnNotListed->setCursor(Qt::PointingHandCursor);
    m_btnNotListed->setToolTip(tr("Record this program's tables without a room. You can choose its room later in Options, Detection."));
    row->addWidget(m_btnNotListed);

    // The program's file name usually says the room: offered, for the user to confirm.
    if (const RoomMgmt *rooms = roomList(); rooms && m_detection) {
        if (const RoomSptr guess = rooms->guessForProgram(m_detection->exeName()))
            m_roomBox->setText(guess->name);
    }
    setMatching();

    connect(m_roomBox, &HomoSuggestBox::matchingChanged, this, &RoomConfirmForm::setMatching);
    if (m_detection)
        connect(m_detection.get(), &Detection::updated, this, &RoomConfirmForm::onDetectionChanged);
    connect(m_btnConfirm, &QAbstractButton::clicked, this, &RoomConfirmForm::onConfirm);
    connect(m_btnNotListed, &QAbstractButton::clicked, this, &RoomConfirmForm::onNotListed);
    // Enter confirms once the text is a room; while the list shows, it picks from it.
    connect(m_roomBox->box()->lineEdit(), &QLineEdit::returnPressed, this, &RoomConfirmForm::onConfirm);
}

RoomConfirmForm::~RoomConfirmForm()
{
    // The balloon closes when the room box goes, after this form's own members are
    // gone: it must not report back then.
    if (m_balloon) {
        m_balloon->disconnect(this);
        m_balloon->close();
    }
}

void RoomConfirmForm::setMatching()
{
    m_btnConfirm->setEnabled(m_roomBox->matching());
}

void RoomConfirmForm::onConfirm()
{
    const RoomMgmt *rooms = roomList();
    const RoomSptr room = rooms ? rooms->roomByName(m_roomBox->matchedText()) : nullptr;
    if (!room || !m_detection)
        return;
    // The record in the user's list, never a new one.
    if (const DetectionSptr record = DetectionManager::instance()->lookup(m_detection->exePath()))
        record->setRoom(room->id);
}

void RoomConfirmForm::onNotListed()
{
    if (!m_detection)
        return;
    if (const DetectionSptr record = DetectionManager::instance()->lookup(m_detection->exePath()))
        record->setRoom(Detection::kUnlistedRoom);
}

void RoomConfirmForm::onDetectionChanged()
{
    // The record is shared: a room confirmed in one table's form releases them all.
    if (m_detection && m_detection->roomSettled())
        emit confirmed(m_detection);
}

void RoomConfirmForm::onBalloonClosed()
{
    setToolTip(m_hint);
}

void RoomConfirmForm::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    if (m_balloon)
        return;
    m_balloon = new BalloonTip(m_hint.toHtmlEscaped(), m_roomBox);
    connect(m_balloon, &BalloonTip::closed, this, &RoomConfirmForm::onBalloonClosed);
    m_balloon->showAt(m_roomBox->mapToGlobal(QPoint(m_roomBox->width() / 2, m_roomBox->height())), kBalloonMs);
}

void RoomConfirmForm::hideEvent(QHideEvent *event)
{
    logDebug(QStringLiteral("RoomConfirmForm::hideEvent"));
    if (m_balloon)
        m_balloon->close();
    QFrame::hideEvent(event);
}
