#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <unistd.h>

// Once the watched window has painted for the first time and the event loop is idle again, writes
// "shown" to standard output and ends the program.
class FirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [] {
                [[maybe_unused]] auto written = ::write(STDOUT_FILENO, "shown\n", 6);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};
