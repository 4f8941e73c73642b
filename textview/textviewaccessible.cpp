#include "textviewaccessible.h"

#include "textnear.h"
#include "textview.h"

#include <algorithm>

namespace {

QAccessibleInterface* create(const QString& className, QObject* object)
{
    if (className == QLatin1StringView(TextView::staticMetaObject.className()) && object && object->isWidgetType())
        return new TextViewAccessible(static_cast<TextView*>(object));
    return nullptr;
}

} // namespace

TextViewAccessible::TextViewAccessible(TextView* view)
    : QAccessibleWidget(view, QAccessible::EditableText)
{
}

void TextViewAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(create);
        return true;
    }();
    Q_UNUSED(installed);
}

TextView* TextViewAccessible::view() const
{
    return static_cast<TextView*>(widget());
}

void* TextViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TextViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void TextViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && selectionCount() == 1) {
        *startOffset = static_cast<int>(view()->selectionStart());
        *endOffset = static_cast<int>(view()->selectionEnd());
    }
}

int TextViewAccessible::selectionCount() const
{
    return view()->selectionStart() != view()->selectionEnd() ? 1 : 0;
}

void TextViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->select(view()->cursorPosition(), view()->cursorPosition());
}

void TextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->select(startOffset, endOffset);
}

int TextViewAccessible::cursorPosition() const
{
    return static_cast<int>(view()->cursorPosition());
}

void TextViewAccessible::setCursorPosition(int position)
{
    view()->select(position, position);
}

QString TextViewAccessible::text(int startOffset, int endOffset) const
{
    return view()->text().mid(startOffset, endOffset - startOffset);
}

int TextViewAccessible::characterCount() const
{
    return static_cast<int>(view()->text().size());
}

QString TextViewAccessible::near(
    int offset, QAccessible::TextBoundaryType boundaryType, TextSide direction, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = -1;
    const QString& whole = view()->text();
    const int count = static_cast<int>(whole.size());
    offset = std::clamp(offset, 0, count);
    if (boundaryType == QAccessible::LineBoundary) {
        // Lines are the lines on screen.
        VisualLine line = view()->lineFor(offset);
        if (direction == TextSide::Before) {
            if (line.start == 0)
                return {};
            line = view()->lineFor(line.start - 1);
        } else if (direction == TextSide::After) {
            if (line.last)
                return {};
            line = view()->lineFor(line.next);
        }
        *startOffset = static_cast<int>(line.start);
        *endOffset = static_cast<int>(line.next);
        return whole.mid(line.start, line.next - line.start);
    }
    return textNear(whole, offset, boundaryType, direction, startOffset, endOffset);
}

QString TextViewAccessible::textBeforeOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    return near(offset, boundaryType, TextSide::Before, startOffset, endOffset);
}

QString TextViewAccessible::textAfterOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    return near(offset, boundaryType, TextSide::After, startOffset, endOffset);
}

QString TextViewAccessible::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    return near(offset, boundaryType, TextSide::At, startOffset, endOffset);
}

QRect TextViewAccessible::characterRect(int offset) const
{
    const QRect rect = view()->characterRect(offset);
    if (rect.isNull())
        return rect;
    return QRect(view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TextViewAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = view()->viewport()->mapFromGlobal(point);
    if (!view()->viewport()->rect().contains(local))
        return -1;
    return static_cast<int>(view()->positionAt(local, true));
}

void TextViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    view()->showPosition(endIndex);
    view()->showPosition(startIndex);
}

QString TextViewAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    // One font and colour throughout.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
