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
    // Named, the label itself no longer tells of its text: the name is said again for "failed" after "failed".
    if (accessibleName() != text) {
        setAccessibleName(text);
    } else {
        QAccessibleEvent said(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&said);
    }
    setAccessibleDescription(tooltip);
    setText(fitted(text));
    setToolTip(tooltip.isEmpty() ? text : tooltip);
}

void StatusPanel::showProgress(const QString& text)
{
    // Unnamed, a label is named by its text, which now changes at every step: it keeps the words it had.
    if (accessibleName().isEmpty())
        setAccessibleName(this->text().isEmpty() ? QStringLiteral(" ") : this->text());
    setAccessibleDescription(text);
    setText(fitted(text));
    setToolTip(text);
}

QString StatusPanel::fitted(const QString& text) const
{
    return fontMetrics().elidedText(text, Qt::ElideRight, contentsRect().width() - 2 * margin() - 4);
}
