#include "controlsetup.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace controlsetup {

void setUpLabel(QLabel* label, const QString& caption, Wrap wrap)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(wrap == Wrap::WithinBox);
}

void fitToCaption(std::initializer_list<QLabel*> labels)
{
    for (QLabel* label : labels) {
        const QFontMetrics metrics = label->fontMetrics();
        label->resize(
            qMax(label->width(), metrics.horizontalAdvance(label->text())), qMax(label->height(), metrics.height()));
    }
}

void stackLabelsBeneath(const std::vector<QWidget*>& pageControls)
{
    for (QWidget* control : pageControls) {
        if (!qobject_cast<QLabel*>(control))
            control->raise();
    }
}

void setUpMultiLineBox(QPlainTextEdit* box)
{
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void unlimited(QLineEdit* box)
{
    box->setMaxLength(std::numeric_limits<int>::max());
}

QPushButton* setUpButton(QPushButton* button)
{
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace controlsetup
