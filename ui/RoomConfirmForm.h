#pragma once

#include "detection/Detection.h"
#include "ui/BalloonTip.h"
#include "ui/SuggestionBox.h"

#include <QFrame>
#include <QPointer>


class QLabel;
class QPushButton;

// The room name box of the confirmation form: suggests the service's rooms and the
// user's own, with a border telling whether the text is a room.
class RoomBox : public HomoSuggestBox
{
    Q_OBJECT
public:
    static constexpr char kMatchingColour[] = "#AAAAAA";
    static constexpr char kNotMatchingColour[] = "#D9838D";

    // Typed text counts as a room when it stands for exactly one (see RoomMgmt::roomFor).
    explicit RoomBox(RoomMgmt *rooms, QWidget *parent = nullptr);

public slots:
    void setMatchingStyle(bool matching);
};

// Shown in a table's floating recorder until the user has named the poker room of the
// table's program; recording can begin once the room is confirmed.
class RoomConfirmForm : public QFrame
{
    Q_OBJECT
public:
    RoomConfirmForm(const ConstDetectionSptr &detection, QWidget *parent = nullptr);
    ~RoomConfirmForm() override;

    RoomBox *roomBox() const { return m_roomBox; }
    QPushButton *confirmButton() const { return m_btnConfirm; }
    QPushButton *notListedButton() const { return m_btnNotListed; }
    BalloonTip *balloon() const { return m_balloon; }

signals:
    void confirmed(const ConstDetectionSptr &detection);

private slots:
    void setMatching();
    void onConfirm();
    void onNotListed();
    void onDetectionChanged();
    void onBalloonClosed();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    ConstDetectionSptr m_detection;
    QLabel *m_lblRoom;
    RoomBox *m_roomBox;
    QPushButton *m_btnConfirm;
    QPushButton *m_btnNotListed;
    QPointer<BalloonTip> m_balloon;
    QString m_hint;
};
