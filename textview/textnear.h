#pragma once

#include <QAccessible>
#include <QString>

// Qt's own answer to a screen reader's question about the word, sentence or paragraph before, at or after
// an offset, found in the text around the offset only, so that no question reads a huge text from its
// start. The offsets given back count from the start of the whole text.
enum class TextSide { Before, At, After };
QString textNear(const QString& whole, int offset, QAccessible::TextBoundaryType boundaryType, TextSide side,
    int* startOffset, int* endOffset);
