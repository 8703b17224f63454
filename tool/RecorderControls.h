#pragma once

#include "recorder/MillisecondClock.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

// Elapsed recording time, "hh:mm:ss"; paused time is not counted.
class TimeWatcher : public QLabel
{
    Q_OBJECT
public:
    explicit TimeWatcher(QWidget *parent = nullptr);
    void start();
    void reset();
    bool isRunning() const { return m_timer.isActive(); }
    // Tests drive the time by hand.
    void setClock(const MillisecondClock &clock) { m_clock = clock; }

public slots:
    void updateTime();
    void setPaused(bool isPaused);

private:
    MillisecondClock m_clock = steadyMilliseconds;
    QTimer m_timer;
    qint64 m_startTime = 0;
    qint64 m_accumulated = 0;
};

// The microphone button, which shows the sound level as a meter growing from the
// bottom: lit in the button's text colour, grey above.
class LevelBar : public QCheckBox
{
    Q_OBJECT
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 16;
    static constexpr int kFloorDb = -54;

    explicit LevelBar(QWidget *parent = nullptr);
    int value() const { return m_value; }
    // The meter value for a level in decibels.
    static int valueFor(int dB);

public slots:
    void setLevel(int dB);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_value = 0;
    QBrush m_unlit{QColor(QStringLiteral("#6d6d6d"))};
};

// A check box that reports the mouse coming in and going out.
class HoverEventButton : public QCheckBox
{
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

signals:
    void entered();
    void left();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

// Lets the user drag a frameless window by this widget: reports each mouse move
// while pressed as a shift of the window.
template<class Base>
class Draggable : public Base
{
public:
    using Base::Base;

protected:
    virtual void emitShift(const QPoint &diff) = 0;

    void mousePressEvent(QMouseEvent *event) override
    {
        m_pressed = true;
        m_last = event->globalPosition().toPoint();
        Base::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        const QPoint now = event->globalPosition().toPoint();
        if (m_pressed && now != m_last) {
            emitShift(now - m_last);
            m_last = now;
        }
        Base::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        m_pressed = false;
        Base::mouseReleaseEvent(event);
    }

private:
    bool m_pressed = false;
    QPoint m_last;
};

class DraggableFrame : public Draggable<QFrame>
{
    Q_OBJECT
public:
    using Draggable<QFrame>::Draggable;

signals:
    void shift(const QPoint &diff);

protected:
    void emitShift(const QPoint &diff) override { emit shift(diff); }
};

class DraggableButton : public Draggable<QPushButton>
{
    Q_OBJECT
public:
    using Draggable<QPushButton>::Draggable;

signals:
    void shift(const QPoint &diff);

protected:
    void emitShift(const QPoint &diff) override { emit shift(diff); }
};
