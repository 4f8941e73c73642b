#include "lineediting.h"

#include <algorithm>

qsizetype LineEditing::anchor() const
{
    if (!hasSelectedText())
        return m_cursor;
    return m_cursor == m_selStart ? m_selEnd : m_selStart;
}

QString LineEditing::selectedText() const
{
    return hasSelectedText() ? m_text.mid(m_selStart, m_selEnd - m_selStart) : QString();
}

void LineEditing::put(qsizetype position, const QString& characters)
{
    m_text.insert(position, characters);
    m_changes.push_back({ position, {}, characters });
    m_textChanged = true;
}

void LineEditing::take(qsizetype position, const QString& characters)
{
    m_changes.push_back({ position, characters, {} }); // the step's own copy, shared
    m_text.remove(position, characters.size());
    m_textChanged = true;
}

void LineEditing::setText(const QString& text)
{
    deselect();
    if (text != m_text) {
        m_changes.push_back({ 0, m_text, text });
        m_textChanged = true;
    }
    m_text = text;
    m_history.clear();
    m_undoState = 0;
    m_separator = false;
    m_cursor = m_text.size();
}

void LineEditing::record(Step step, qsizetype separatorCursor)
{
    m_history.erase(m_history.begin() + static_cast<std::ptrdiff_t>(m_undoState), m_history.end());
    if (m_separator && m_undoState && m_history[m_undoState - 1].kind != Kind::Separator) {
        m_history.push_back(
            { Kind::Separator, separatorCursor < 0 ? m_cursor : separatorCursor, m_selStart, m_selEnd, {} });
    }
    m_separator = false;
    m_history.push_back(std::move(step));
    m_undoState = m_history.size();
}

void LineEditing::insertAtCursor(const QString& text)
{
    if (hasSelectedText())
        record({ Kind::SetSelection, m_cursor, m_selStart, m_selEnd, {} });
    // An empty insertion still counts as a change of the text, as in a QLineEdit.
    m_textChanged = true;
    if (text.isEmpty())
        return;
    // A QLineEdit's record marks a new step with the cursor already past the first character typed, and a
    // redo that stops there puts the cursor there.
    record({ Kind::Insert, m_cursor, 0, 0, text }, m_cursor + 1);
    put(m_cursor, text);
    m_cursor += text.size();
}

void LineEditing::deleteAtCursor(qsizetype length, Kind kind)
{
    length = std::min(length, m_text.size() - m_cursor);
    if (length <= 0)
        return;
    if (hasSelectedText())
        record({ Kind::SetSelection, m_cursor, m_selStart, m_selEnd, {} });
    record({ kind, m_cursor, 0, 0, m_text.mid(m_cursor, length) });
    take(m_cursor, m_history.back().characters);
}

void LineEditing::insert(const QString& text)
{
    removeSelectedText();
    insertAtCursor(text);
}

void LineEditing::backspace()
{
    if (hasSelectedText()) {
        removeSelectedText();
        return;
    }
    if (m_cursor == 0)
        return;
    --m_cursor;
    // The low half of a surrogate pair goes first, then the high half, each a step of its own.
    if (m_cursor > 0 && m_text.at(m_cursor).isLowSurrogate() && m_text.at(m_cursor - 1).isHighSurrogate()) {
        deleteAtCursor(1, Kind::Remove);
        --m_cursor;
    }
    deleteAtCursor(1, Kind::Remove);
}

void LineEditing::del(qsizetype length)
{
    if (hasSelectedText())
        removeSelectedText();
    else
        deleteAtCursor(length, Kind::Delete);
}

void LineEditing::removeSelectedText()
{
    if (!(m_selStart < m_selEnd && m_selEnd <= m_text.size()))
        return;
    separate();
    record({ Kind::SetSelection, m_cursor, m_selStart, m_selEnd, {} });
    // A line edit records a selection deleted from its start otherwise, but undo and redo of both end alike:
    // the step that restores the selection, just before, puts the cursor back.
    record({ Kind::RemoveSelection, m_selStart, 0, 0, m_text.mid(m_selStart, m_selEnd - m_selStart) });
    take(m_selStart, m_history.back().characters);
    if (m_cursor > m_selStart)
        m_cursor -= std::min(m_cursor, m_selEnd) - m_selStart;
    deselect();
}

void LineEditing::clear()
{
    m_selStart = 0;
    m_selEnd = m_text.size();
    removeSelectedText();
    separate();
}

void LineEditing::restoreSelection(const Step& step)
{
    m_selStart = step.selStart;
    m_selEnd = step.selEnd;
    m_cursor = step.position;
}

void LineEditing::undo()
{
    if (!isUndoAvailable())
        return;
    deselect();
    while (m_undoState) {
        const Step& step = m_history[--m_undoState];
        switch (step.kind) {
        case Kind::Separator:
            continue;
        case Kind::Insert:
            take(step.position, step.characters);
            m_cursor = step.position;
            break;
        case Kind::SetSelection:
            restoreSelection(step);
            break;
        case Kind::Remove:
        case Kind::RemoveSelection:
            put(step.position, step.characters);
            m_cursor = step.position + step.characters.size();
            break;
        case Kind::Delete:
            put(step.position, step.characters);
            m_cursor = step.position;
            break;
        }
        if (m_undoState) {
            const Kind next = m_history[m_undoState - 1].kind;
            if (next != step.kind && next < Kind::RemoveSelection
                && (step.kind < Kind::RemoveSelection || next == Kind::Separator))
                break;
        }
    }
    m_textChanged = true;
}

void LineEditing::redo()
{
    if (!isRedoAvailable())
        return;
    deselect();
    while (m_undoState < m_history.size()) {
        const Step& step = m_history[m_undoState++];
        switch (step.kind) {
        case Kind::Insert:
            put(step.position, step.characters);
            m_cursor = step.position + step.characters.size();
            break;
        case Kind::Separator:
        case Kind::SetSelection:
            restoreSelection(step);
            break;
        case Kind::Remove:
        case Kind::Delete:
        case Kind::RemoveSelection:
            take(step.position, step.characters);
            deselect();
            m_cursor = step.position;
            break;
        }
        if (m_undoState < m_history.size()) {
            const Kind next = m_history[m_undoState].kind;
            if (next != step.kind && step.kind < Kind::RemoveSelection && next != Kind::Separator
                && (next < Kind::RemoveSelection || step.kind == Kind::Separator))
                break;
        }
    }
    m_textChanged = true;
}

void LineEditing::moveCursor(qsizetype position, bool mark)
{
    if (position != m_cursor)
        separate();
    if (mark) {
        const qsizetype from = anchor();
        m_selStart = std::min(from, position);
        m_selEnd = std::max(from, position);
    } else {
        deselect();
    }
    m_cursor = position;
}

void LineEditing::selectAll()
{
    m_selStart = m_selEnd = m_cursor = 0;
    moveCursor(m_text.size(), true);
}

void LineEditing::setSelection(qsizetype start, qsizetype length)
{
    if (start < 0 || start > m_text.size())
        return;
    if (length > 0) {
        m_selStart = start;
        m_selEnd = std::min(start + length, m_text.size());
        m_cursor = m_selEnd;
    } else if (length < 0) {
        m_selStart = std::max<qsizetype>(start + length, 0);
        m_selEnd = start;
        m_cursor = m_selStart;
    } else {
        deselect();
        m_cursor = start;
    }
}

void LineEditing::selectForInput(qsizetype start, qsizetype end)
{
    m_selStart = std::min(start, end);
    m_selEnd = std::max(start, end);
    m_cursor = end;
}
