#pragma once

#include <QObject>
#include <QPointer>

class QPointF;
class QWidget;

namespace platform {

// Lets the user move a frameless window with the mouse, as if its title bar had been grabbed.
class WindowMover {
public:
    virtual ~WindowMover() = default;
    // Called from a mouse press; the window follows the mouse until the buttons are released.
    virtual void startMove(QWidget* window, const QPointF& globalPressPosition) = 0;
};

// Hands the move to the window manager where there is one; elsewhere (a bare X server, the offscreen
// platform) the window follows the mouse itself until release.
class SystemWindowMover final : public WindowMover {
public:
    void startMove(QWidget* window, const QPointF& globalPressPosition) override;

private:
    QPointer<QObject> m_follower;
};

} // namespace platform
