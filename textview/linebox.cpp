#include "linebox.h"

#include "lineboxaccessible.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QIcon>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionFrame>
#include <QTextCharFormat>

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace {

// The room a line edit leaves between its contents rectangle and the text.
constexpr int HorizontalMargin = 2;
constexpr int VerticalMargin = 1;
// A text longer than LineBox::WholeText is laid out a piece of Span characters at a time, moved on when
// the cursor comes within Margin of its ends.
constexpr qsizetype Span = 8192;
constexpr qsizetype Margin = 2048;
// How far before a position its character's cluster may begin.
constexpr qsizetype ClusterContext = 64;
// How much text an input method is shown around the cursor.
constexpr qsizetype SurroundingReach = 4096;

// Control characters show as spaces, as in a line edit; tabs stay.
QString displayText(QString text)
{
    for (QChar& c : text) {
        if ((c.unicode() < 0x20 && c != u'\t') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

// Characters that lie inside a word for the cursor's word steps, and never at their edges.
bool inWord(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

// The keyboard conventions the platform theme follows, told by the key bindings it gives.
bool windowsKeys()
{
    return QKeySequence::keyBindings(QKeySequence::Close).contains(QKeySequence(Qt::CTRL | Qt::Key_F4));
}

bool x11Keys()
{
    return QKeySequence::keyBindings(QKeySequence::DeleteCompleteLine).contains(QKeySequence(Qt::CTRL | Qt::Key_U));
}

// Whether a key's text is typed into the box.
bool typed(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    if (event->modifiers() == Qt::ControlModifier || event->modifiers() == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse
        || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

// The captions a QLineEdit's menu has, in the language it is translated into.
QString lineEditCaption(const char* caption)
{
    return QCoreApplication::translate("QLineEdit", caption);
}

QString shortcutText(QKeySequence::StandardKey key)
{
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    if (shortcut.isEmpty() || QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus))
        return {};
    return u'\t' + shortcut;
}

bool overridesShortcut(const QKeyEvent* event)
{
    static constexpr QKeySequence::StandardKey Keys[] = { QKeySequence::Copy, QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord, QKeySequence::MoveToStartOfLine, QKeySequence::MoveToEndOfLine,
        QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument, QKeySequence::SelectNextWord,
        QKeySequence::SelectPreviousWord, QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
        QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock, QKeySequence::SelectStartOfDocument,
        QKeySequence::SelectAll, QKeySequence::SelectEndOfDocument, QKeySequence::Paste, QKeySequence::Cut,
        QKeySequence::Redo, QKeySequence::Undo, QKeySequence::DeleteCompleteLine };
    for (QKeySequence::StandardKey key : Keys) {
        if (event->matches(key))
            return true;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier && modifiers != Qt::KeypadModifier)
        return false;
    const int key = event->key();
    return key < Qt::Key_Escape || key == Qt::Key_Delete || key == Qt::Key_Backspace || key == Qt::Key_Home
        || key == Qt::Key_End || key == Qt::Key_Left || key == Qt::Key_Right;
}

} // namespace

LineBox::LineBox(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression);
    setAttribute(Qt::WA_MacShowFocusRect);
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed, QSizePolicy::LineEdit));
    setBackgroundRole(QPalette::Base);
    setCursor(Qt::IBeamCursor);
    setAcceptDrops(true);
    LineBoxAccessible::install();
}

LineBox::~LineBox() = default;

// --- Changes -------------------------------------------------------------------------------------------

void LineBox::finish(bool edited)
{
    const bool textChanged = m_edit.takeTextChanged();
    const std::vector<LineEditing::Change> changes = m_edit.takeChanges();
    placePiece(changes, textChanged);
    const qsizetype oldCursor = m_lastCursor;
    const bool selectionMoved = selectionStart() != m_lastSelectionStart || selectionEnd() != m_lastSelectionEnd;
    m_lastCursor = cursorPosition();
    m_lastSelectionStart = selectionStart();
    m_lastSelectionEnd = selectionEnd();
    tellScreenReaders(changes, oldCursor, selectionMoved);
    if (textChanged) {
        if (edited)
            emit textEdited(text());
        emit this->textChanged(text());
    }
    if (selectionMoved)
        emit selectionChanged();
    if (oldCursor != m_lastCursor)
        emit cursorPositionChanged(oldCursor, m_lastCursor);
    updateMicroFocus();
    update();
}

void LineBox::tellScreenReaders(
    const std::vector<LineEditing::Change>& changes, qsizetype oldCursor, bool selectionMoved)
{
    if (!QAccessible::isActive())
        return;
    const int cursor = static_cast<int>(cursorPosition());
    for (const LineEditing::Change& change : changes) {
        const int position = static_cast<int>(change.position);
        if (change.removed.isEmpty()) {
            QAccessibleTextInsertEvent event(this, position, change.inserted);
            event.setCursorPosition(cursor);
            QAccessible::updateAccessibility(&event);
        } else if (change.inserted.isEmpty()) {
            QAccessibleTextRemoveEvent event(this, position, change.removed);
            event.setCursorPosition(cursor);
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextUpdateEvent event(this, position, change.removed, change.inserted);
            event.setCursorPosition(cursor);
            QAccessible::updateAccessibility(&event);
        }
    }
    if (selectionMoved && hasSelectedText()) {
        QAccessibleTextSelectionEvent event(this, static_cast<int>(selectionStart()), static_cast<int>(selectionEnd()));
        event.setCursorPosition(cursor);
        QAccessible::updateAccessibility(&event);
    } else if (selectionMoved || oldCursor != cursor) {
        QAccessibleTextCursorEvent event(this, cursor);
        QAccessible::updateAccessibility(&event);
    }
}

void LineBox::setText(const QString& text)
{
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->reset();
    m_edit.setText(text);
    finish(false);
}

void LineBox::clear()
{
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->reset();
    m_edit.clear();
    finish(false);
}

void LineBox::insert(const QString& text)
{
    m_edit.insert(text);
    finish();
}

void LineBox::selectAll()
{
    commitPreedit();
    m_edit.selectAll();
    finish();
}

void LineBox::deselect()
{
    m_edit.deselect();
    finish();
}

void LineBox::undo()
{
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->reset();
    m_edit.undo();
    finish();
}

void LineBox::redo()
{
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->reset();
    m_edit.redo();
    finish();
}

void LineBox::cut()
{
    if (!hasSelectedText())
        return;
    copy();
    m_edit.removeSelectedText();
    finish();
}

void LineBox::copy() const
{
    if (hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText());
}

void LineBox::paste()
{
    pasteFrom(QClipboard::Clipboard);
}

void LineBox::pasteFrom(QClipboard::Mode mode)
{
    const QString clip = QGuiApplication::clipboard()->text(mode);
    if (clip.isEmpty() && !hasSelectedText())
        return;
    m_edit.separate(); // a paste is a step of its own
    m_edit.insert(clip);
    m_edit.separate();
    finish();
}

void LineBox::setCursorPosition(qsizetype position)
{
    if (position <= text().size())
        moveCursor(std::max<qsizetype>(0, position), false);
}

void LineBox::setSelection(qsizetype start, qsizetype length)
{
    commitPreedit();
    m_edit.setSelection(start, length);
    finish();
}

void LineBox::moveCursor(qsizetype position, bool mark)
{
    commitPreedit();
    m_edit.moveCursor(position, mark);
    finish();
}

void LineBox::commitPreedit()
{
    if (m_preedit.isEmpty())
        return;
    QGuiApplication::inputMethod()->commit();
    if (m_preedit.isEmpty())
        return;
    m_preedit.clear();
    m_preeditCursor = 0;
    m_preeditFormats.clear();
    m_layout.reset();
}

// --- Layout --------------------------------------------------------------------------------------------

void LineBox::placePiece(const std::vector<LineEditing::Change>& changes, bool textChanged)
{
    const qsizetype size = text().size();
    const qsizetype cursor = cursorPosition();
    qsizetype firstChange = size + 1;
    for (const LineEditing::Change& change : changes)
        firstChange = std::min(firstChange, change.position);

    qsizetype start = 0;
    if (size > LineBox::WholeText) {
        start = m_pieceStart;
        const qsizetype end = std::min(size, start + Span);
        const bool cursorInside = (start == 0 || cursor >= start + Margin) && (end == size || cursor <= end - Margin)
            && cursor >= start && cursor <= end;
        if (!cursorInside || firstChange < start)
            start = std::clamp<qsizetype>(cursor - Span / 2, 0, size - Span);
        if (start > 0 && text().at(start).isLowSurrogate())
            --start;
    }
    qsizetype end = std::min(size, start + Span);
    if (size <= LineBox::WholeText)
        end = size;
    else if (end < size && text().at(end).isLowSurrogate())
        ++end;

    if (start != m_pieceStart) {
        // Keep the text where it is on screen: the scroll is counted from the piece's start.
        const qsizetype oldStart = m_pieceStart;
        const qsizetype oldEnd = m_pieceEnd;
        const bool unchangedUpTo = firstChange >= std::max(start, oldStart);
        if (unchangedUpTo && m_layout && start > oldStart && start <= oldEnd && m_preedit.isEmpty()) {
            m_hscroll -= qRound(m_layout->lineAt(0).cursorToX(static_cast<int>(start - oldStart)));
            m_layout.reset();
            m_pieceStart = start;
            m_pieceEnd = end;
        } else if (unchangedUpTo && oldStart > start && oldStart <= end && m_preedit.isEmpty()) {
            m_pieceStart = start;
            m_pieceEnd = end;
            m_layout.reset();
            m_hscroll += qRound(line().cursorToX(static_cast<int>(oldStart - start)));
        } else {
            m_jumped = true;
            m_jumpedRight = cursor >= m_lastCursor;
        }
    }
    if (textChanged || start != m_pieceStart || end != m_pieceEnd)
        m_layout.reset();
    m_pieceStart = start;
    m_pieceEnd = end;
}

void LineBox::layOut() const
{
    m_layout = std::make_unique<QTextLayout>(displayText(text().mid(m_pieceStart, m_pieceEnd - m_pieceStart)), font());
    m_layout->setCacheEnabled(true);
    QTextOption option = m_layout->textOption();
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    m_layout->setTextOption(option);
    if (!m_preedit.isEmpty()) {
        const int at = static_cast<int>(cursorPosition() - m_pieceStart);
        m_layout->setPreeditArea(at, m_preedit);
        QList<QTextLayout::FormatRange> formats = m_preeditFormats;
        for (QTextLayout::FormatRange& range : formats)
            range.start += at;
        m_layout->setFormats(formats);
    }
    m_layout->beginLayout();
    m_layout->createLine();
    m_layout->endLayout();
}

const QTextLayout& LineBox::layout() const
{
    if (!m_layout)
        layOut();
    return *m_layout;
}

QRect LineBox::contentsRectForText() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
}

QRect LineBox::lineRect() const
{
    const QRect r = contentsRectForText();
    const int height = fontMetrics().height();
    const int top = r.y() + (r.height() - height + 1) / 2;
    return QRect(r.x() + HorizontalMargin, top, r.width() - 2 * HorizontalMargin, height);
}

int LineBox::xOf(qsizetype position) const
{
    return qRound(line().cursorToX(static_cast<int>(position - m_pieceStart)));
}

void LineBox::updateScroll(const QRect& lineRect) const
{
    const int width = lineRect.width();
    const int cursorX = qRound(line().cursorToX(static_cast<int>(cursorPosition() - m_pieceStart + m_preeditCursor)));
    // Past the piece's end the text goes on: as far as scrolling goes, it has no end.
    const int widthUsed = m_pieceEnd == text().size() ? qRound(line().naturalTextWidth()) + 1 : INT_MAX / 4;
    if (m_jumped) {
        // The cursor went far: it is brought in at the edge it went past.
        m_hscroll = m_jumpedRight ? INT_MIN / 4 : cursorX + 1;
        m_jumped = false;
    }
    if (m_pieceStart == 0 && widthUsed <= width)
        m_hscroll = 0;
    else if (cursorX - m_hscroll >= width)
        m_hscroll = cursorX - width + 1;
    else if (cursorX - m_hscroll < 0 && m_hscroll < widthUsed)
        m_hscroll = cursorX;
    else if (widthUsed - m_hscroll < width)
        m_hscroll = widthUsed - width + 1;
    else
        m_hscroll = std::max(0, m_hscroll);
}

QPoint LineBox::textOrigin() const
{
    const QRect rect = lineRect();
    return rect.topLeft() - QPoint(m_hscroll, qRound(line().ascent()) - fontMetrics().ascent());
}

qsizetype LineBox::positionAtX(int x) const
{
    const QRect r = contentsRectForText();
    // With pre-edit text shown, positions after it count it, as in a line edit: committing it makes them true.
    const qsizetype position = line().xToCursor(x - (r.x() - m_hscroll + HorizontalMargin));
    return std::clamp<qsizetype>(m_pieceStart + position, 0, text().size() + m_preedit.size());
}

QRect LineBox::cursorRect() const
{
    const QRect r = contentsRectForText();
    const int x = r.x() - m_hscroll + HorizontalMargin
        + qRound(line().cursorToX(static_cast<int>(cursorPosition() - m_pieceStart + m_preeditCursor)));
    const int cursorWidth = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    return QRect(x - 5, textOrigin().y(), cursorWidth + 9, static_cast<int>(line().height() + 1));
}

QRect LineBox::characterRect(qsizetype position) const
{
    if (position < m_pieceStart || position >= m_pieceEnd || !m_preedit.isEmpty())
        return {};
    const int left = xOf(position);
    const int right = xOf(position + 1);
    const QRect r = contentsRectForText();
    return QRect(r.x() - m_hscroll + HorizontalMargin + left, lineRect().y(), right - left, qRound(line().height()));
}

// --- Cursor stops --------------------------------------------------------------------------------------

qsizetype LineBox::stop(qsizetype position, Stop which) const
{
    const bool forward = which == Stop::NextCharacter || which == Stop::NextWord;
    const QTextLayout::CursorMode mode
        = which == Stop::NextWord || which == Stop::PreviousWord ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    if (wholeTextLaidOut() && m_preedit.isEmpty()) {
        const int at = static_cast<int>(position);
        return forward ? layout().nextCursorPosition(at, mode) : layout().previousCursorPosition(at, mode);
    }
    // Looked for in the text after (or before) position; a stop found at the edge of that may lie further on.
    const qsizetype size = text().size();
    for (qsizetype reach = 256;;) {
        const qsizetype from = std::max<qsizetype>(0, position - (forward ? ClusterContext : reach));
        const qsizetype to = std::min(size, position + (forward ? reach : ClusterContext));
        QTextLayout piece(displayText(text().mid(from, to - from)));
        const int at = static_cast<int>(position - from);
        const qsizetype found
            = from + (forward ? piece.nextCursorPosition(at, mode) : piece.previousCursorPosition(at, mode));
        if (forward ? found < to || to == size : found > from || from == 0)
            return found;
        // Letters, digits and marks are never where a word stop is. Stopped at the edge inside a long word,
        // the rest of it is passed over without laying it out, and the stop looked for from its last
        // character, as the step would have gone on from there.
        qsizetype edge = forward ? to : from;
        if (mode == QTextLayout::SkipWords && inWord(text().at(forward ? to - 1 : from))) {
            while (forward ? edge < size && inWord(text().at(edge)) : edge > 0 && inWord(text().at(edge - 1)))
                edge += forward ? 1 : -1;
            if (edge != (forward ? to : from)) {
                position = forward ? edge - 1 : edge + 1;
                continue;
            }
        }
        reach *= 2;
    }
}

void LineBox::selectWordAt(qsizetype position)
{
    const qsizetype next = std::min(position + 1, text().size());
    const qsizetype start = stop(next, Stop::PreviousWord);
    moveCursor(start, false);
    qsizetype end = stop(start, Stop::NextWord);
    while (end > position && text().at(end - 1).isSpace())
        --end;
    moveCursor(end, true);
}

// --- Keys ----------------------------------------------------------------------------------------------

bool LineBox::handleKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return) {
        QGuiApplication::inputMethod()->commit();
        QGuiApplication::inputMethod()->hide();
        emit returnPressed();
        emit editingFinished();
        return false;
    }
    const auto deleteForward = [this] {
        if (hasSelectedText())
            m_edit.removeSelectedText();
        else
            m_edit.del(stop(cursorPosition(), Stop::NextCharacter) - cursorPosition());
        finish();
    };
    const qsizetype cursor = cursorPosition();
    const qsizetype size = text().size();
    bool known = true;
    if (event == QKeySequence::Undo) {
        undo();
    } else if (event == QKeySequence::Redo) {
        redo();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::Paste) {
        // Ctrl+Shift+Insert pastes the X11 selection where X11's conventions hold.
        const bool selection
            = x11Keys() && event->modifiers() == (Qt::CTRL | Qt::SHIFT) && event->key() == Qt::Key_Insert;
        pasteFrom(selection ? QClipboard::Selection : QClipboard::Clipboard);
    } else if (event == QKeySequence::Cut) {
        cut();
    } else if (event == QKeySequence::DeleteEndOfLine) {
        setSelection(cursor, size);
        copy();
        deleteForward();
    } else if (event == QKeySequence::MoveToStartOfLine || event == QKeySequence::MoveToStartOfBlock) {
        moveCursor(0, false);
    } else if (event == QKeySequence::MoveToEndOfLine || event == QKeySequence::MoveToEndOfBlock) {
        moveCursor(size, false);
    } else if (event == QKeySequence::SelectStartOfLine || event == QKeySequence::SelectStartOfBlock) {
        moveCursor(0, true);
    } else if (event == QKeySequence::SelectEndOfLine || event == QKeySequence::SelectEndOfBlock) {
        moveCursor(size, true);
    } else if (event == QKeySequence::MoveToNextChar) {
        // A selection collapses to its end, except where Windows' conventions hold.
        if (hasSelectedText() && !windowsKeys())
            moveCursor(selectionEnd(), false);
        else
            moveCursor(stop(cursor, Stop::NextCharacter), false);
    } else if (event == QKeySequence::SelectNextChar) {
        moveCursor(stop(cursor, Stop::NextCharacter), true);
    } else if (event == QKeySequence::MoveToPreviousChar) {
        if (hasSelectedText() && !windowsKeys())
            moveCursor(selectionStart(), false);
        else
            moveCursor(stop(cursor, Stop::PreviousCharacter), false);
    } else if (event == QKeySequence::SelectPreviousChar) {
        moveCursor(stop(cursor, Stop::PreviousCharacter), true);
    } else if (event == QKeySequence::MoveToNextWord) {
        moveCursor(stop(cursor, Stop::NextWord), false);
    } else if (event == QKeySequence::MoveToPreviousWord) {
        moveCursor(stop(cursor, Stop::PreviousWord), false);
    } else if (event == QKeySequence::SelectNextWord) {
        moveCursor(stop(cursor, Stop::NextWord), true);
    } else if (event == QKeySequence::SelectPreviousWord) {
        moveCursor(stop(cursor, Stop::PreviousWord), true);
    } else if (event == QKeySequence::Delete) {
        deleteForward();
    } else if (event == QKeySequence::DeleteEndOfWord || event == QKeySequence::DeleteStartOfWord) {
        if (!hasSelectedText())
            moveCursor(
                stop(cursor, event == QKeySequence::DeleteEndOfWord ? Stop::NextWord : Stop::PreviousWord), true);
        if (hasSelectedText())
            deleteForward();
    } else if (event == QKeySequence::DeleteCompleteLine) {
        setSelection(0, size);
        copy();
        deleteForward();
    } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & Qt::ControlModifier)) {
        m_edit.backspace();
        finish();
    } else {
        // Ctrl+Up and Ctrl+Down are a line edit's, for completions; this box has none.
        const bool completion = (event->modifiers() & Qt::ControlModifier)
            && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down);
        known = completion || event->key() == Qt::Key_Direction_L || event->key() == Qt::Key_Direction_R;
    }

    if (!known) {
        if (!typed(event))
            return false;
        insert(event->text());
        return true;
    }
    if (QGuiApplication::clipboard()->supportsSelection() && hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
    return true;
}

void LineBox::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event)) {
        event->ignore();
        return;
    }
    event->accept();
    // The cursor stays on while keys are pressed.
    m_blink.stop();
    m_blinkOn = true;
}

// --- Input methods -------------------------------------------------------------------------------------

void LineBox::inputMethodEvent(QInputMethodEvent* event)
{
    const bool input
        = !event->commitString().isEmpty() || event->preeditString() != m_preedit || event->replacementLength() > 0;
    if (input)
        m_edit.removeSelectedText();
    const QString commit = event->commitString();
    qsizetype after = cursorPosition();
    if (event->replacementStart() <= 0)
        after += commit.size() - std::min(-event->replacementStart(), event->replacementLength());
    const qsizetype at = std::max<qsizetype>(0, cursorPosition() + event->replacementStart());
    m_edit.placeForInput(at);
    if (event->replacementLength()) {
        m_edit.selectForInput(at + event->replacementLength(), at);
        m_edit.removeSelectedText();
    }
    if (!commit.isEmpty())
        m_edit.insert(commit);
    else
        m_edit.placeForInput(after);

    const auto textSize = text().size();
    const qsizetype origin = surroundingStart();
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type != QInputMethodEvent::Selection)
            continue;
        const qsizetype start = origin + attribute.start;
        const qsizetype cursor = std::clamp<qsizetype>(start + attribute.length, 0, textSize);
        if (attribute.length) {
            m_edit.selectForInput(std::clamp<qsizetype>(start, 0, textSize), cursor);
        } else {
            m_edit.deselect();
            m_edit.placeForInput(cursor);
        }
    }

    m_preedit = event->preeditString();
    m_preeditCursor = m_preedit.size();
    m_hideCursor = false;
    m_preeditFormats.clear();
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            m_preeditCursor = attribute.start;
            m_hideCursor = !attribute.length;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(attribute.value).toCharFormat();
            if (format.isValid())
                m_preeditFormats.append({ attribute.start, attribute.length, format });
        }
    }
    if (m_preedit.isEmpty())
        m_preeditCursor = 0;
    m_layout.reset();
    finish(input);
}

// An input method sees the text around the cursor only, however long the text is, and counts positions
// from its start.
qsizetype LineBox::surroundingStart() const
{
    return text().size() <= 2 * SurroundingReach ? 0 : std::max<qsizetype>(0, cursorPosition() - SurroundingReach);
}

QVariant LineBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const qsizetype from = surroundingStart();
    const qsizetype to = std::min(text().size(), std::max(from + 2 * SurroundingReach, cursorPosition()));
    switch (query) {
    case Qt::ImCursorRectangle:
        return cursorRect();
    case Qt::ImAnchorRectangle: {
        const qsizetype anchor = m_edit.anchor();
        if (anchor == cursorPosition() || anchor < m_pieceStart || anchor > m_pieceEnd)
            return cursorRect();
        return cursorRect().translated(xOf(anchor) - xOf(cursorPosition()), 0);
    }
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return QVariant(static_cast<int>(cursorPosition() - from));
    case Qt::ImAnchorPosition:
        return QVariant(static_cast<int>(m_edit.anchor() - from));
    case Qt::ImSurroundingText:
        return QVariant(text().mid(from, to - from));
    case Qt::ImCurrentSelection:
        return QVariant(selectedText());
    case Qt::ImMaximumTextLength:
        return QVariant(INT_MAX);
    case Qt::ImAbsolutePosition:
        return QVariant(static_cast<qlonglong>(cursorPosition()));
    case Qt::ImTextBeforeCursor:
        return QVariant(text().mid(from, cursorPosition() - from));
    case Qt::ImTextAfterCursor:
        return QVariant(text().mid(cursorPosition(), to - cursorPosition()));
    case Qt::ImReadOnly:
        return false;
    default:
        return QWidget::inputMethodQuery(query);
    }
}

// --- Mouse and drops -----------------------------------------------------------------------------------

bool LineBox::mouseToInputMethod(QMouseEvent* event)
{
    if (m_preedit.isEmpty())
        return false;
    const qsizetype inPreedit = positionAtX(event->position().toPoint().x()) - cursorPosition();
    if (inPreedit < 0 || inPreedit > m_preedit.size())
        return false;
    if (event->type() == QEvent::MouseButtonRelease)
        QGuiApplication::inputMethod()->invokeAction(QInputMethod::Click, static_cast<int>(inPreedit));
    return true;
}

void LineBox::mousePressEvent(QMouseEvent* event)
{
    m_pressPoint = event->position().toPoint();
    if (mouseToInputMethod(event) || event->button() == Qt::RightButton)
        return;
    if (m_tripleClick.isActive()
        && (m_pressPoint - m_tripleClickPoint).manhattanLength() < QApplication::startDragDistance()) {
        selectAll();
        return;
    }
    moveCursor(positionAtX(m_pressPoint.x()), event->modifiers() & Qt::ShiftModifier);
}

void LineBox::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        // Well below the press the selection goes to the end, well above it to the start.
        const QPoint point = event->position().toPoint();
        const int threshold = QGuiApplication::styleHints()->mouseQuickSelectionThreshold();
        if (threshold > 0 && point.y() > m_pressPoint.y() + threshold)
            moveCursor(text().size(), true);
        else if (threshold > 0 && point.y() + threshold < m_pressPoint.y())
            moveCursor(0, true);
        else
            moveCursor(positionAtX(point.x()), true);
    }
    mouseToInputMethod(event);
}

void LineBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (mouseToInputMethod(event))
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return;
    if (event->button() == Qt::LeftButton) {
        if (hasSelectedText())
            clipboard->setText(selectedText(), QClipboard::Selection);
    } else if (event->button() == Qt::MiddleButton) {
        deselect();
        insert(clipboard->text(QClipboard::Selection));
    }
}

void LineBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mouseToInputMethod(event);
        return;
    }
    qsizetype position = positionAtX(event->position().toPoint().x());
    if (!m_preedit.isEmpty()) {
        // The pre-edit text is committed first; a word clicked in it is selected if it stays.
        const qsizetype preeditAt = cursorPosition();
        const qsizetype inPreedit = position - preeditAt;
        const qsizetype preeditSize = m_preedit.size();
        const qsizetype sizeBefore = text().size();
        commitPreedit();
        const qsizetype added = text().size() - sizeBefore;
        if (inPreedit >= 0 && inPreedit <= preeditSize)
            position = added == 0 ? -1 : std::clamp(position, preeditAt, preeditAt + added);
        else if (position > preeditAt)
            position += added - preeditSize;
    }
    if (position >= 0)
        selectWordAt(position);
    m_tripleClick.start(QApplication::doubleClickInterval(), this);
    m_tripleClickPoint = event->position().toPoint();
}

void LineBox::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void LineBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasFormat(u"text/plain"_s))
        return;
    event->acceptProposedAction();
    moveCursor(positionAtX(event->position().toPoint().x()), false);
    m_cursorVisible = true;
    update();
}

void LineBox::dragLeaveEvent(QDragLeaveEvent*)
{
    if (m_cursorVisible) {
        m_cursorVisible = false;
        update();
    }
}

void LineBox::dropEvent(QDropEvent* event)
{
    const QString dropped = event->mimeData()->text();
    if (dropped.isNull()) {
        event->ignore();
        update();
        return;
    }
    moveCursor(positionAtX(event->position().toPoint().x()), false);
    m_cursorVisible = false;
    event->acceptProposedAction();
    insert(dropped);
}

// --- Focus, menu, painting -----------------------------------------------------------------------------

void LineBox::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
        && !hasSelectedText())
        selectAll();
    startBlinking(true);
    QStyleOptionFrame option;
    initStyleOption(&option);
    if ((!hasSelectedText() && m_preedit.isEmpty())
        || style()->styleHint(QStyle::SH_BlinkCursorWhenTextSelected, &option, this))
        setCursorVisible(true);
    update();
}

void LineBox::focusOutEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        deselect();
    setCursorVisible(false);
    startBlinking(false);
    const QWidget* popup = QApplication::activePopupWidget();
    if (reason != Qt::PopupFocusReason || !(popup && popup->parentWidget() == this))
        emit editingFinished();
    QWidget::focusOutEvent(event);
}

void LineBox::setCursorVisible(bool visible)
{
    if (visible == m_cursorVisible)
        return;
    m_cursorVisible = visible;
    update(cursorRect());
}

void LineBox::startBlinking(bool on)
{
    m_blink.stop();
    m_blinkOn = true;
    const int flashTime = QApplication::cursorFlashTime();
    if (on && flashTime >= 2)
        m_blink.start(flashTime / 2, this);
    update(cursorRect());
}

void LineBox::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_blink.timerId()) {
        m_blinkOn = !m_blinkOn;
        update(cursorRect());
    } else if (event->timerId() == m_tripleClick.timerId()) {
        m_tripleClick.stop();
    }
    QWidget::timerEvent(event);
}

bool LineBox::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (overridesShortcut(static_cast<QKeyEvent*>(event)))
            event->accept();
        break;
    case QEvent::KeyRelease:
        if (hasFocus())
            startBlinking(true);
        break;
    case QEvent::Show:
        if (hasFocus()) {
            startBlinking(true);
            setCursorVisible(true);
        }
        break;
    case QEvent::ContextMenu:
        if (!m_preedit.isEmpty())
            return true;
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void LineBox::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        m_layout.reset();
        updateGeometry();
        break;
    case QEvent::ActivationChange:
        if (!palette().isEqual(QPalette::Active, QPalette::Inactive))
            update();
        break;
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

QMenu* LineBox::createStandardContextMenu()
{
    auto* menu = new QMenu(this);
    menu->setObjectName(u"qt_edit_menu"_s);
    const auto add = [menu](const QString& caption, const QString& icon, bool enabled) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(icon);
        action->setEnabled(enabled);
        const QIcon themed = QIcon::fromTheme(icon);
        if (!themed.isNull())
            action->setIcon(themed);
        return action;
    };
    connect(add(lineEditCaption("&Undo") + shortcutText(QKeySequence::Undo), u"edit-undo"_s, isUndoAvailable()),
        &QAction::triggered, this, &LineBox::undo);
    connect(add(lineEditCaption("&Redo") + shortcutText(QKeySequence::Redo), u"edit-redo"_s, isRedoAvailable()),
        &QAction::triggered, this, &LineBox::redo);
    menu->addSeparator();
    connect(add(lineEditCaption("Cu&t") + shortcutText(QKeySequence::Cut), u"edit-cut"_s, hasSelectedText()),
        &QAction::triggered, this, &LineBox::cut);
    connect(add(lineEditCaption("&Copy") + shortcutText(QKeySequence::Copy), u"edit-copy"_s, hasSelectedText()),
        &QAction::triggered, this, &LineBox::copy);
    connect(add(lineEditCaption("&Paste") + shortcutText(QKeySequence::Paste), u"edit-paste"_s,
                !QGuiApplication::clipboard()->text().isEmpty()),
        &QAction::triggered, this, &LineBox::paste);
    connect(add(lineEditCaption("Delete"), u"edit-delete"_s, hasSelectedText()), &QAction::triggered, this, [this] {
        if (!hasSelectedText())
            return;
        m_edit.removeSelectedText();
        m_edit.separate();
        finish();
    });
    menu->addSeparator();
    const bool allSelected = !text().isEmpty() && selectionStart() == 0 && selectionEnd() == text().size();
    connect(add(lineEditCaption("Select All") + shortcutText(QKeySequence::SelectAll), u"edit-select-all"_s,
                !text().isEmpty() && !allSelected),
        &QAction::triggered, this, &LineBox::selectAll);
    return menu;
}

void LineBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void LineBox::initStyleOption(QStyleOptionFrame* option) const
{
    option->initFrom(this);
    option->rect = contentsRect();
    option->lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, option, this);
    option->midLineWidth = 0;
    option->state |= QStyle::State_Sunken;
    option->features = QStyleOptionFrame::None;
}

QSize LineBox::sizeHint() const
{
    ensurePolished();
    const QFontMetrics metrics(font());
    const int height = std::max(metrics.height(), 14) + 2 * VerticalMargin;
    const int width = metrics.horizontalAdvance(u'x') * 17 + 2 * HorizontalMargin;
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(width, height), this);
}

QSize LineBox::minimumSizeHint() const
{
    ensurePolished();
    const QFontMetrics metrics(font());
    const int height = metrics.height() + std::max(2 * VerticalMargin, metrics.leading());
    const int width = metrics.maxWidth();
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(width, height), this);
}

void LineBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette colours = palette();
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    painter.setClipRect(contents);

    updateScroll(lineRect());
    const QPoint origin = textOrigin();
    painter.setPen(colours.text().color());
    QList<QTextLayout::FormatRange> selections;
    if (hasSelectedText() && selectionEnd() > m_pieceStart && selectionStart() < m_pieceEnd) {
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(std::max(selectionStart(), m_pieceStart) - m_pieceStart);
        range.length = static_cast<int>(std::min(selectionEnd(), m_pieceEnd) - m_pieceStart) - range.start;
        range.format.setBackground(colours.brush(QPalette::Highlight));
        range.format.setForeground(colours.brush(QPalette::HighlightedText));
        selections.append(range);
    }
    layout().draw(&painter, origin, selections, contents);
    if (m_cursorVisible && m_blinkOn && !m_hideCursor)
        layout().drawCursor(&painter, origin, static_cast<int>(cursorPosition() - m_pieceStart + m_preeditCursor),
            style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this));
}
