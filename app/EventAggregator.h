#pragma once

#include <QObject>
#include <QTimer>

// Turns any number of events within one turn of the event loop into one doTask()
// at the next turn: one save for many changes.
class EventAggregator : public QObject
{
    Q_OBJECT
public:
    explicit EventAggregator(QObject *parent = nullptr);

signals:
    void doTask();

public slots:
    void onNewEvent();

private:
    QTimer m_timer;
};
