#include "tool/RecorderControls.h"

#include "recorder/MillisecondClock.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTime>

TimeWatcher::TimeWatcher(QWidget *parent)
    : QLabel(parent)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &TimeWatcher::updateTime);
    reset();
}

void TimeWatcher::reset()
{
    m_startTime = m_clock();
    m_accumulated = 0;
    setText(QStringLiteral("00:00:00"));
}

void TimeWatcher::start()
{
    if (m_timer.isActive())
        return;
    m_startTime = m_clock() - m_accumulated;
    m_timer.start();
}

void TimeWatcher::updateTime()
{
    // While paused the time stands still.
    if (m_timer.isActive())
        m_accumulated = m_clock() - m_startTime;
    setText(QTime(0, 0).addMSecs(int(m_accumulated)).toString(QStringLiteral("hh:mm:ss")));
}

void TimeWatcher::setPaused(bool isPaused)
{
    if (isPaused && m_timer.isActive()) {
        m_accumulated = m_clock() - m_startTime;
        m_timer.stop();
    } else if (!isPaused && !m_timer.isActive()) {
        m_startTime = m_clock() - m_accumulated;
        m_timer.start();
    }
}

LevelBar::LevelBar(QWidget *parent)
    : QCheckBox(parent)
{
}

int LevelBar::valueFor(int dB)
{
    const int value = (dB - kFloorDb) * kMaximum / (0 - kFloorDb);
    return qBound(kMinimum, value, kMaximum);
}

void LevelBar::setLevel(int dB)
{
    const int value = valueFor(dB);
    if (value == m_value)
        return;
    m_value = value;
    update();
}

void LevelBar::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    const QRect area = rect();
    const QPalette::ColorGroup group = isEnabled() ? (isActiveWindow() ? QPalette::Active : QPalette::Inactive)
                                                   : QPalette::Disabled;
    painter.fillRect(area, palette().brush(group, QPalette::ButtonText));
    // The grey part reaches down from the top; the lit part grows from the bottom.
    const int bottom = area.top() + 3 + (kMaximum - m_value) * 16 / kMaximum;
    painter.fillRect(QRect(QPoint(area.left(), area.top()), QPoint(area.right(), bottom)), m_unlit);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_CheckBox, option);
}

void HoverEventButton::enterEvent(QEnterEvent *event)
{
    QCheckBox::enterEvent(event);
    emit entered();
}

void HoverEventButton::leaveEvent(QEvent *event)
{
    QCheckBox::leaveEvent(event);
    emit left();
}
