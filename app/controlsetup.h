#pragma once

#include <QString>

#include <initializer_list>
#include <vector>

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// How the window's controls are set up to look and behave as the form's controls do.
namespace controlsetup {

enum class Wrap { SizedToCaption, WithinBox };

// A caption in plain text at the top left, on one line or wrapped within the label's box.
void setUpLabel(QLabel* label, const QString& caption, Wrap wrap);
// These labels are as large as their caption on one line. Their boxes are drawn for the window's own
// fonts; where a look-alike font is wider, the box grows so the caption is never cut off.
void fitToCaption(std::initializer_list<QLabel*> labels);
// Labels lie beneath every other control of their page.
void stackLabelsBeneath(const std::vector<QWidget*>& pageControls);
// Tab moves on, the vertical scroll bar always shows, lines wrap at the box's width.
void setUpMultiLineBox(QPlainTextEdit* box);
// No button is the window's default or cancel button: Enter and Escape press none.
QPushButton* setUpButton(QPushButton* button);
// The option buttons of the group are one stop of the Tab key: the chosen one. The arrow keys move
// between them.
void tabStopAtChosen(QButtonGroup* group);
// The About tab's links in italics, and the maker's address in bold blue, larger.
void setUpLinks(std::initializer_list<QLabel*> links, QLabel* address);

} // namespace controlsetup
