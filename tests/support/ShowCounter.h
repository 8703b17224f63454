#pragma once

// Test support: counts the times a widget was shown (install it as an event filter).

#include <QEvent>
#include <QObject>

class ShowCounter : public QObject
{
public:
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shown;
        return QObject::eventFilter(watched, event);
    }
};
