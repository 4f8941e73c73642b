#pragma once

#include <QEvent>
#include <QObject>

// Counts the events of one type that reach an object: those that every filter before it let through.
class EventCounter : public QObject {
public:
    EventCounter(QObject* watched, QEvent::Type type)
        : m_type(type)
    {
        watched->installEventFilter(this);
    }

    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == m_type;
        return false;
    }

private:
    QEvent::Type m_type;
};
