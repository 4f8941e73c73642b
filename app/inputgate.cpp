#include "inputgate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

InputGate::InputGate(QWidget* letThrough)
    : m_letThrough(letThrough)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool InputGate::eventFilter(QObject* watched, QEvent* event)
{
    // Input reaches a window first and is then passed to the widget it is meant for: it is judged there.
    if (!watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        break;
    default:
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    return !(m_letThrough && m_letThrough->isAncestorOf(widget)); // the widget itself or a child of it
}
