#include "controlsetup.h"

#include "fonts.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

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

QPushButton* setUpButton(QPushButton* button)
{
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void tabStopAtChosen(QButtonGroup* group)
{
    const auto stop = [](QAbstractButton* option, bool chosen) {
        option->setFocusPolicy(chosen ? Qt::StrongFocus : Qt::ClickFocus);
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, stop);
    for (QAbstractButton* option : group->buttons())
        stop(option, option->isChecked());
}

void setUpLinks(std::initializer_list<QLabel*> links, QLabel* address)
{
    QFont linkFont = fonts::msSansSerif(12);
    linkFont.setItalic(true);
    for (QLabel* link : links)
        link->setFont(linkFont);
    QFont addressFont = fonts::msSansSerif(13.5);
    addressFont.setBold(true);
    address->setFont(addressFont);
    QPalette blue = address->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    address->setPalette(blue);
}

} // namespace controlsetup
