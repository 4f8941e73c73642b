#pragma once

#include <QString>

#include <algorithm>
#include <utility>
#include <vector>

// The text, cursor and selection of a one-line box and its undo record, changed as a QLineEdit changes its
// own: after every edit, undo and redo the text, cursor and selection are where a QLineEdit leaves them,
// and undo takes back the same steps (typed characters together, a paste alone, a replaced selection with
// what was typed over it). Each change is one record, however long its text: a paste of megabytes costs
// one copy, not a record per character.
class LineEditing {
public:
    const QString& text() const { return m_text; }
    qsizetype cursor() const { return m_cursor; }
    bool hasSelectedText() const { return !m_text.isEmpty() && m_selEnd > m_selStart; }
    qsizetype selectionStart() const { return hasSelectedText() ? m_selStart : -1; }
    qsizetype selectionEnd() const { return hasSelectedText() ? m_selEnd : -1; }
    // The end of the selection that is not the cursor; the cursor when nothing is selected.
    qsizetype anchor() const;
    QString selectedText() const;
    bool isUndoAvailable() const { return m_undoState > 0; }
    bool isRedoAvailable() const { return m_undoState < m_history.size(); }

    // The whole text replaced, cursor at its end; nothing to undo.
    void setText(const QString& text);
    // Replaces the selection, if any, with text at the cursor.
    void insert(const QString& text);
    // The code point before the cursor (a surrogate pair at once), or the selection.
    void backspace();
    // The length code units after the cursor (the character there), or the selection.
    void del(qsizetype length);
    void removeSelectedText();
    void clear();
    void undo();
    void redo();
    // The next edit starts a step of its own.
    void separate() { m_separator = true; }
    // Moves the cursor; mark extends the selection from its anchor instead of dropping it.
    void moveCursor(qsizetype position, bool mark);
    void selectAll();
    // Selects length characters from start (a negative length: before start); the cursor at the far end.
    void setSelection(qsizetype start, qsizetype length);
    void deselect() { m_selStart = m_selEnd = 0; }
    // Sets the cursor, or the selection with the cursor at its end, as an input method asks, without
    // recording a step.
    void placeForInput(qsizetype cursor) { m_cursor = std::clamp<qsizetype>(cursor, 0, m_text.size()); }
    void selectForInput(qsizetype start, qsizetype end);

    // What changed since the last call, for the box to show and tell screen readers.
    struct Change {
        qsizetype position;
        QString removed;
        QString inserted;
    };
    std::vector<Change> takeChanges() { return std::exchange(m_changes, {}); }
    bool takeTextChanged() { return std::exchange(m_textChanged, false); }

private:
    // The steps of QLineEdit's record. Undo goes back over steps of one kind together; the order matters,
    // as undo and redo stop between kinds by comparing them.
    enum class Kind : quint8 { Separator, Insert, Remove, Delete, RemoveSelection, SetSelection };
    struct Step {
        Kind kind;
        qsizetype position; // Insert, removals: where the characters stand; the others: the cursor
        qsizetype selStart = 0;
        qsizetype selEnd = 0;
        QString characters;
    };

    // separatorCursor: the cursor a step that starts a new undo step records, if this one does.
    void record(Step step, qsizetype separatorCursor = -1);
    void insertAtCursor(const QString& text);
    void deleteAtCursor(qsizetype length, Kind kind);
    void put(qsizetype position, const QString& characters);
    void take(qsizetype position, const QString& characters);
    // The selection and cursor a step recorded.
    void restoreSelection(const Step& step);

    QString m_text;
    qsizetype m_cursor = 0;
    qsizetype m_selStart = 0;
    qsizetype m_selEnd = 0;
    std::vector<Step> m_history;
    std::size_t m_undoState = 0;
    bool m_separator = false;
    bool m_textChanged = false;
    std::vector<Change> m_changes;
};
