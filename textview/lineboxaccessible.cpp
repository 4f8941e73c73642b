#include "lineboxaccessible.h"

#include "linebox.h"
#include "textnear.h"

namespace {

QAccessibleInterface* create(const QString& className, QObject* object)
{
    if (className == QLatin1StringView(LineBox::staticMetaObject.className()) && object && object->isWidgetType())
        return new LineBoxAccessible(static_cast<LineBox*>(object));
    return nullptr;
}

} // namespace

// The offset -2 asks about the caret.
int LineBoxAccessible::atCaret(int offset) const
{
    return offset == -2 ? cursorPosition() : offset;
}

LineBoxAccessible::LineBoxAccessible(LineBox* box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
}

void LineBoxAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(create);
        return true;
    }();
    Q_UNUSED(installed);
}

LineBox* LineBoxAccessible::box() const
{
    return static_cast<LineBox*>(widget());
}

void* LineBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State LineBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.selectableText = true;
    return state;
}

QString LineBoxAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value && !box()->text().isEmpty())
        return box()->text();
    return QAccessibleWidget::text(type);
}

void LineBoxAccessible::setText(QAccessible::Text type, const QString& text)
{
    if (type == QAccessible::Value)
        replaceText(0, characterCount(), text);
}

void LineBoxAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && box()->hasSelectedText()) {
        *startOffset = static_cast<int>(box()->selectionStart());
        *endOffset = static_cast<int>(box()->selectionEnd());
    }
}

int LineBoxAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void LineBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void LineBoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void LineBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->setSelection(startOffset, endOffset - startOffset);
}

int LineBoxAccessible::cursorPosition() const
{
    return static_cast<int>(box()->cursorPosition());
}

void LineBoxAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(position);
}

QString LineBoxAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return box()->text().mid(startOffset, endOffset - startOffset);
}

int LineBoxAccessible::characterCount() const
{
    return static_cast<int>(box()->text().size());
}

QString LineBoxAccessible::textBeforeOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    return textNear(box()->text(), atCaret(offset), boundaryType, TextSide::Before, startOffset, endOffset);
}

QString LineBoxAccessible::textAfterOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    return textNear(box()->text(), atCaret(offset), boundaryType, TextSide::After, startOffset, endOffset);
}

QString LineBoxAccessible::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    return textNear(box()->text(), atCaret(offset), boundaryType, TextSide::At, startOffset, endOffset);
}

QRect LineBoxAccessible::characterRect(int offset) const
{
    const QRect rect = box()->characterRect(offset);
    if (rect.isNull())
        return rect;
    return QRect(box()->mapToGlobal(rect.topLeft()), rect.size());
}

int LineBoxAccessible::offsetAtPoint(const QPoint& point) const
{
    return static_cast<int>(box()->positionAt(box()->mapFromGlobal(point)));
}

void LineBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
}

QString LineBoxAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // No attributes, as a line edit has none.
    *startOffset = *endOffset = offset;
    return {};
}

// Edits a screen reader makes go through the box's own editing, so that the user can undo them.
void LineBoxAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, {});
}

void LineBoxAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

void LineBoxAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    box()->setSelection(startOffset, endOffset - startOffset);
    box()->insert(text);
}
