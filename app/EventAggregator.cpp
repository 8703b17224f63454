#include "app/EventAggregator.h"

EventAggregator::EventAggregator(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &EventAggregator::doTask);
}

void EventAggregator::onNewEvent()
{
    if (!m_timer.isActive())
        m_timer.start();
}
