#include "windowmover.h"

#include "failure.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

    // Moves the window by the distance the mouse has travelled since the press, until every button is up.
    class MouseFollower final : public QObject {
    public:
        MouseFollower(QWidget* window, const QPointF& globalPressPosition)
            : QObject(window)
            , m_window(window)
            , m_pressPosition(globalPressPosition)
            , m_windowPosition(window->pos())
        {
            QCoreApplication::instance()->installEventFilter(this);
            window->grabMouse();
        }

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            Q_UNUSED(watched)
            switch (event->type()) {
            case QEvent::MouseMove: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                m_window->move(m_windowPosition + (mouse->globalPosition() - m_pressPosition).toPoint());
                return true;
            }
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                    finish();
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                return true;
            default:
                return false;
            }
        }

    private:
        void finish()
        {
            QCoreApplication::instance()->removeEventFilter(this);
            if (QWidget::mouseGrabber() == m_window)
                m_window->releaseMouse();
            deleteLater();
        }

        QWidget* m_window;
        QPointF m_pressPosition;
        QPoint m_windowPosition;
    };

} // namespace

void SystemWindowMover::startMove(QWidget* window, const QPointF& globalPressPosition)
{
    QWindow* handle = window ? window->window()->windowHandle() : nullptr;
    if (!handle)
        throw foundation::Failure(u"The window cannot be moved because it has no window handle."_s);
    if (m_follower)
        return; // already following the mouse
    if (handle->startSystemMove())
        return;
    m_follower = new MouseFollower(window->window(), globalPressPosition);
}

} // namespace platform
