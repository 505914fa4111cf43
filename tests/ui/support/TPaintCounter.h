#pragma once

#include <QEvent>
#include <QObject>

// Counts the paint events of the widget it is installed on as an event filter.
class TPaintCounter : public QObject
{
public:
    int Count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        Count += event->type() == QEvent::Paint;
        return false;
    }
};
