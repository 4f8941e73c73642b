#include "statuspanel.h"

#include <QAccessible>

StatusPanel::StatusPanel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void StatusPanel::say(const QString& text, const QString& tooltip)
{
    const int room = contentsRect().width() - 2 * margin() - 4;
    // Named, the label itself no longer tells of its text: the name is said again for "failed" after "failed".
    if (accessibleName() != text) {
        setAccessibleName(text);
    } else {
        QAccessibleEvent said(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&said);
    }
    setAccessibleDescription(tooltip);
    setText(fontMetrics().elidedText(text, Qt::ElideRight, room));
    setToolTip(tooltip.isEmpty() ? text : tooltip);
}
