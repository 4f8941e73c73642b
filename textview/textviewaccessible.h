#pragma once

#include "textnear.h"

#include <QAccessibleWidget>

class TextView;

// What screen readers see of a TextView: read-only text, its selection and cursor, lines as shown.
// Questions about words, sentences and paragraphs look only at the text around the offset asked
// about, so that none of them reads a huge text from its start.
class TextViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TextViewAccessible(TextView* view);

    // Makes TextView widgets known to the accessibility framework; runs once however often it is called.
    static void install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(
        int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const override;
    QString textAfterOffset(
        int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const override;
    QString textAtOffset(
        int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    TextView* view() const;
    QString near(int offset, QAccessible::TextBoundaryType boundaryType, TextSide direction, int* startOffset,
        int* endOffset) const;
};
