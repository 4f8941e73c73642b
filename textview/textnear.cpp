#include "textnear.h"

#include <algorithm>

namespace {

// How far around an offset questions about words, sentences and paragraphs look.
constexpr int Reach = 4096;

// A piece of the text, for Qt's own answers about words, sentences and paragraphs to look at.
class Piece final : public QAccessibleTextInterface {
public:
    explicit Piece(QString text)
        : m_text(std::move(text))
    {
    }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QString text(int startOffset, int endOffset) const override
    {
        return m_text.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(m_text.size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return {};
    }

private:
    QString m_text;
};

} // namespace

QString textNear(const QString& whole, int offset, QAccessible::TextBoundaryType boundaryType, TextSide side,
    int* startOffset, int* endOffset)
{
    *startOffset = *endOffset = -1;
    const int count = static_cast<int>(whole.size());
    offset = std::clamp(offset, 0, count);
    if (boundaryType == QAccessible::NoBoundary) {
        if (side != TextSide::At)
            return {};
        *startOffset = 0;
        *endOffset = count;
        return whole;
    }
    // No word, sentence or line is at or after the end. (Qt's own answer about one there never returns.)
    if (offset == count && side != TextSide::Before && boundaryType != QAccessible::CharBoundary) {
        *startOffset = *endOffset = count;
        return {};
    }
    const int from = std::max(0, offset - Reach);
    const Piece piece(whole.mid(from, std::min(count, offset + Reach) - from));
    int start = -1;
    int end = -1;
    QString found;
    if (side == TextSide::Before)
        found = piece.textBeforeOffset(offset - from, boundaryType, &start, &end);
    else if (side == TextSide::At)
        found = piece.textAtOffset(offset - from, boundaryType, &start, &end);
    else
        found = piece.textAfterOffset(offset - from, boundaryType, &start, &end);
    if (start >= 0 && end >= 0) {
        *startOffset = from + start;
        *endOffset = from + end;
    }
    return found;
}
