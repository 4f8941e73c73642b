#include "textview.h"

#include "textviewaccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Room around the text, and the distance between tab stops, as a plain text box has them.
constexpr int Margin = 4;
constexpr qreal TabStop = 80;
// How far to look around a position for the edges of its character or word.
constexpr qsizetype ClusterWindow = 64;
constexpr qsizetype WordWindow = 256;

enum class Move {
    NextChar,
    PreviousChar,
    NextWord,
    PreviousWord,
    NextLine,
    PreviousLine,
    LineStart,
    LineEnd,
    DocumentStart,
    DocumentEnd,
    NextPage,
    PreviousPage,
};

struct KeyMove {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    Move what;
};

constexpr KeyMove KeyMoves[] = {
    { QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Move::NextChar },
    { QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Move::PreviousChar },
    { QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Move::NextWord },
    { QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Move::PreviousWord },
    { QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Move::NextLine },
    { QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Move::PreviousLine },
    { QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Move::LineStart },
    { QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Move::LineEnd },
    { QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Move::DocumentStart },
    { QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Move::DocumentEnd },
    { QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Move::NextPage },
    { QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Move::PreviousPage },
};

// Whether a boundary is one that the cursor stops at: any between characters, and word starts.
bool stopsAt(const QTextBoundaryFinder& finder)
{
    return finder.type() != QTextBoundaryFinder::Word
        || finder.boundaryReasons().testFlag(QTextBoundaryFinder::StartOfItem);
}

qsizetype windowFor(QTextBoundaryFinder::BoundaryType type)
{
    return type == QTextBoundaryFinder::Word ? WordWindow : ClusterWindow;
}

// The first stop after position, looking a short way on only.
qsizetype nextStop(QStringView text, QTextBoundaryFinder::BoundaryType type, qsizetype position)
{
    const qsizetype to = std::min(text.size(), position + windowFor(type));
    if (position >= to)
        return text.size();
    QTextBoundaryFinder finder(type, text.data() + position, to - position);
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        if (stopsAt(finder))
            return position + next;
    }
    return to;
}

// The last stop before position, looking a short way back only.
qsizetype previousStop(QStringView text, QTextBoundaryFinder::BoundaryType type, qsizetype position)
{
    const qsizetype from = std::max<qsizetype>(0, position - windowFor(type));
    if (position <= from)
        return 0;
    QTextBoundaryFinder finder(type, text.data() + from, position - from);
    finder.toEnd();
    for (qsizetype previous = finder.toPreviousBoundary(); previous >= 0; previous = finder.toPreviousBoundary()) {
        if (stopsAt(finder))
            return from + previous;
    }
    return from;
}

// Lays out a line's text as one line, left to right, as it is drawn.
QTextLine layOutLine(QTextLayout& layout)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(TabStop);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(1e6);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    return line;
}

const KeyMove* keyMove(QKeyEvent* event, bool* extend)
{
    for (const KeyMove& candidate : KeyMoves) {
        if (event->matches(candidate.move) || event->matches(candidate.select)) {
            *extend = event->matches(candidate.select);
            return &candidate;
        }
    }
    return nullptr;
}

} // namespace

TextView::TextView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TextView::scrollBarMoved);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &TextView::scrollBarAction);
    fontChanged();
    TextViewAccessible::install();
}

TextView::~TextView() = default;

void TextView::setText(const QString& text)
{
    // Screen readers are told the old and the new text, unless that means sending megabytes: then they are
    // only told to look again.
    constexpr qsizetype Told = 1 << 20;
    if (m_text.size() <= Told && text.size() <= Told) {
        QAccessibleTextUpdateEvent update(this, 0, m_text, text);
        QAccessible::updateAccessibility(&update);
    } else {
        QAccessibleEvent update(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&update);
    }
    m_text = text;
    m_lineBreaks = countLineBreaks(m_text);
    m_unitShift = 0;
    while ((m_text.size() >> m_unitShift) > std::numeric_limits<int>::max() / 2)
        ++m_unitShift;
    m_top = m_anchor = m_position = 0;
    m_endOfRow = false;
    m_goalX = -1;
    m_selecting = false;
    m_autoScroll.stop();
    m_lastTop = -1;
    forgetShownLines();
    updateScrollBar();
}

QString TextView::selectedText() const
{
    return m_text.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TextView::select(qsizetype anchor, qsizetype position)
{
    m_anchor = std::clamp<qsizetype>(anchor, 0, m_text.size());
    moveCursor(position, true);
}

void TextView::selectAll()
{
    m_anchor = 0;
    m_position = m_text.size();
    m_endOfRow = false;
    m_goalX = -1;
    viewport()->update();
    announceCursor();
}

void TextView::announceCursor()
{
    QAccessibleTextCursorEvent cursor(this, static_cast<int>(m_position));
    QAccessible::updateAccessibility(&cursor);
    QAccessibleTextSelectionEvent selection(this, static_cast<int>(selectionStart()), static_cast<int>(selectionEnd()));
    QAccessible::updateAccessibility(&selection);
}

void TextView::copy()
{
    if (selectionStart() != selectionEnd())
        QGuiApplication::clipboard()->setText(selectedText());
}

int TextView::rows() const
{
    return std::max(1, (viewport()->height() - Margin) / m_lineHeight);
}

TextWrap TextView::wrap() const
{
    return TextWrap(m_text, wrapWidth(), *m_advances);
}

qreal TextView::wrapWidth() const
{
    return std::max(1, viewport()->width() - 2 * Margin);
}

void TextView::fontChanged()
{
    const QFontMetricsF metrics(font());
    m_advances = std::make_unique<Advances>(
        [metrics](QStringView character) { return metrics.horizontalAdvance(character.toString()); }, TabStop,
        [shown = font()](QStringView run) {
            QTextLayout layout(run.toString(), shown);
            const QTextLine line = layOutLine(layout);
            return line.isValid() ? line.naturalTextWidth() : 0.0;
        });
    const QFontMetrics whole(font());
    m_lineHeight = std::max(1, whole.height());
    m_ascent = whole.ascent();
    m_lastTop = -1;
    m_top = lineStartFor(m_top);
    forgetShownLines();
    updateScrollBar();
}

std::unique_ptr<QTextLayout> TextView::layOut(const VisualLine& line) const
{
    auto layout = std::make_unique<QTextLayout>(m_text.mid(line.start, line.end - line.start), font());
    layout->setCacheEnabled(true);
    layOutLine(*layout);
    return layout;
}

const std::vector<TextView::ShownLine>& TextView::shownLines() const
{
    if (m_shownValid)
        return m_shown;
    m_shown.clear();
    const TextWrap wrapped = wrap();
    const int count = (viewport()->height() - Margin) / m_lineHeight + 2;
    qsizetype start = m_top;
    for (int row = 0; row < count; ++row) {
        const VisualLine line = wrapped.lineAt(start);
        m_shown.push_back({ line, layOut(line) });
        if (line.last)
            break;
        start = line.next;
    }
    m_shownValid = true;
    return m_shown;
}

void TextView::forgetShownLines()
{
    m_shownValid = false;
    viewport()->update();
}

void TextView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    const QBrush highlight = palette().brush(group, QPalette::Highlight);
    const QBrush highlightedText = palette().brush(group, QPalette::HighlightedText);
    painter.setPen(palette().color(group, QPalette::Text));
    const qreal breakWidth = m_advances->of(u' ');
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    const qsizetype caretStart = hasFocus() && m_caretShown ? caretLineStart() : -1;

    int y = Margin;
    for (const ShownLine& shown : shownLines()) {
        if (y >= viewport()->height())
            break;
        const VisualLine& line = shown.line;
        QList<QTextLayout::FormatRange> selections;
        if (from < line.end && to > line.start) {
            QTextLayout::FormatRange range;
            range.start = static_cast<int>(std::max(from, line.start) - line.start);
            range.length = static_cast<int>(std::min(to, line.end) - line.start) - range.start;
            range.format.setBackground(highlight);
            range.format.setForeground(highlightedText);
            selections.push_back(range);
        }
        const QTextLine textLine = shown.layout->lineAt(0);
        const QPointF origin(Margin, y + m_ascent - textLine.ascent());
        shown.layout->draw(&painter, origin, selections);
        // A selected line break shows as a space's width of selection after its line.
        if (line.next > line.end && from <= line.end && to > line.end)
            painter.fillRect(QRectF(Margin + textLine.naturalTextWidth(), y, breakWidth, m_lineHeight), highlight);
        if (line.start == caretStart)
            shown.layout->drawCursor(&painter, origin, static_cast<int>(m_position - line.start));
        y += m_lineHeight;
    }
}

void TextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    // The first character on screen stays on screen, at the top.
    m_lastTop = -1;
    m_top = std::min(lineStartFor(m_top), lastTop());
    forgetShownLines();
    updateScrollBar();
}

void TextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fontChanged();
    else if (event->type() == QEvent::ActivationChange || event->type() == QEvent::PaletteChange)
        viewport()->update();
}

qsizetype TextView::lastTop() const
{
    if (m_lastTop < 0) {
        const TextWrap wrapped = wrap();
        m_lastTop = wrapped.moveLines(wrapped.lineStartFor(m_text.size()), -(rows() - 1));
    }
    return m_lastTop;
}

void TextView::updateScrollBar()
{
    QScrollBar* bar = verticalScrollBar();
    const qsizetype length = m_text.size();
    // A step is about as many characters as a line holds on average, guessed from the font's average
    // character width: the thumb keeps its size while the text scrolls.
    const qreal perLine
        = std::max<qreal>(1, wrapWidth() / std::max<qreal>(1, QFontMetricsF(font()).averageCharWidth()));
    const qreal lines = static_cast<qreal>(m_lineBreaks) + 1 + static_cast<qreal>(length) / perLine;
    const qreal charactersPerLine = std::max<qreal>(1, static_cast<qreal>(length) / lines);
    const auto units = [this](qreal characters) {
        return std::max(1, static_cast<int>(static_cast<qsizetype>(characters) >> m_unitShift));
    };
    m_movingScrollBar = true;
    bar->setRange(0, static_cast<int>(lastTop() >> m_unitShift));
    bar->setSingleStep(units(charactersPerLine));
    bar->setPageStep(units(charactersPerLine * rows()));
    bar->setValue(static_cast<int>(m_top >> m_unitShift));
    m_movingScrollBar = false;
}

void TextView::scrollTo(qsizetype top)
{
    top = std::clamp<qsizetype>(top, 0, lastTop());
    if (top == m_top)
        return;
    m_top = top;
    forgetShownLines();
    m_movingScrollBar = true;
    verticalScrollBar()->setValue(static_cast<int>(m_top >> m_unitShift));
    m_movingScrollBar = false;
}

void TextView::scrollByLines(qsizetype count)
{
    scrollTo(wrap().moveLines(m_top, count));
}

void TextView::scrollBarMoved(int value)
{
    if (m_movingScrollBar)
        return;
    qsizetype top;
    if (m_pendingTop >= 0 && value == static_cast<int>(m_pendingTop >> m_unitShift))
        top = m_pendingTop;
    else if (value >= verticalScrollBar()->maximum())
        top = lastTop();
    else
        top = lineStartFor(static_cast<qsizetype>(value) << m_unitShift);
    m_pendingTop = -1;
    m_top = std::min(top, lastTop());
    forgetShownLines();
}

void TextView::scrollBarAction(int action)
{
    // Arrows and clicks beside the thumb move by lines and pages, whatever the lines hold.
    const TextWrap wrapped = wrap();
    qsizetype top;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        top = wrapped.moveLines(m_top, 1);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        top = wrapped.moveLines(m_top, -1);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        top = wrapped.moveLines(m_top, rows());
        break;
    case QAbstractSlider::SliderPageStepSub:
        top = wrapped.moveLines(m_top, -rows());
        break;
    default:
        return;
    }
    m_pendingTop = std::min(top, lastTop());
    verticalScrollBar()->setSliderPosition(static_cast<int>(m_pendingTop >> m_unitShift));
}

void TextView::scrollContentsBy(int, int)
{
    // Scrolling is done by choosing the top line; nothing is moved by pixels.
}

void TextView::showPosition(qsizetype position)
{
    const TextWrap wrapped = wrap();
    const qsizetype start = wrapped.lineStartFor(position);
    if (start < m_top) {
        scrollTo(start);
        return;
    }
    const int shown = rows();
    if (start > wrapped.moveLines(m_top, shown - 1))
        scrollTo(wrapped.moveLines(start, -(shown - 1)));
}

void TextView::moveCursor(qsizetype position, bool extend, bool endOfRow)
{
    m_position = std::clamp<qsizetype>(position, 0, m_text.size());
    m_endOfRow = endOfRow;
    if (!extend)
        m_anchor = m_position;
    showPosition(caretLineStart());
    restartBlinking();
    viewport()->update();
    announceCursor();
}

qsizetype TextView::caretLineStart() const
{
    const TextWrap wrapped = wrap();
    const qsizetype own = wrapped.lineStartFor(m_position);
    if (m_endOfRow && own == m_position && own > 0) {
        const qsizetype before = wrapped.previousLineStart(own);
        const VisualLine row = wrapped.lineAt(before);
        if (row.wrapped())
            return before;
    }
    return own;
}

VisualLine TextView::lineFor(qsizetype position) const
{
    const TextWrap wrapped = wrap();
    return wrapped.lineAt(wrapped.lineStartFor(position));
}

QRect TextView::characterRect(qsizetype position) const
{
    int y = Margin;
    for (const ShownLine& shown : shownLines()) {
        const VisualLine& line = shown.line;
        if (y >= viewport()->height())
            break;
        if (position >= line.start && position < line.end) {
            const QTextLine textLine = shown.layout->lineAt(0);
            const auto offset = static_cast<int>(position - line.start);
            const qreal from = textLine.cursorToX(offset);
            const qreal to = textLine.cursorToX(shown.layout->nextCursorPosition(offset));
            return QRectF(Margin + std::min(from, to), y, std::abs(to - from), m_lineHeight).toAlignedRect();
        }
        y += m_lineHeight;
    }
    return {};
}

qsizetype TextView::positionAt(const QPoint& point, bool onCharacter) const
{
    return positionAt(point, onCharacter, nullptr);
}

qsizetype TextView::positionAt(const QPoint& point, bool onCharacter, bool* endOfRow) const
{
    if (endOfRow)
        *endOfRow = false;
    const int row = (point.y() - Margin) / m_lineHeight - (point.y() < Margin ? 1 : 0);
    const VisualLine* line = nullptr;
    VisualLine other;
    std::unique_ptr<QTextLayout> otherLayout;
    const QTextLayout* layout = nullptr;
    const auto& shown = shownLines();
    if (row >= static_cast<int>(shown.size()) && shown.back().line.last)
        return m_text.size();
    if (row >= 0 && row < static_cast<int>(shown.size())) {
        line = &shown[row].line;
        layout = shown[row].layout.get();
    } else {
        const TextWrap wrapped = wrap();
        other = wrapped.lineAt(wrapped.moveLines(m_top, row));
        otherLayout = layOut(other);
        line = &other;
        layout = otherLayout.get();
    }
    const int offset = layout->lineAt(0).xToCursor(
        point.x() - Margin, onCharacter ? QTextLine::CursorOnCharacter : QTextLine::CursorBetweenCharacters);
    const qsizetype position = std::clamp<qsizetype>(line->start + offset, line->start, line->end);
    if (endOfRow)
        *endOfRow = line->wrapped() && position == line->end;
    return position;
}

qsizetype TextView::positionInLine(qsizetype start, qreal x, bool* endOfRow) const
{
    const VisualLine line = wrap().lineAt(start);
    const int offset = layOut(line)->lineAt(0).xToCursor(x);
    const qsizetype position = std::clamp<qsizetype>(line.start + offset, line.start, line.end);
    *endOfRow = line.wrapped() && position == line.end;
    return position;
}

qreal TextView::caretX() const
{
    const VisualLine line = wrap().lineAt(caretLineStart());
    return layOut(line)->lineAt(0).cursorToX(static_cast<int>(std::min(m_position, line.end) - line.start));
}

void TextView::selectWordAt(qsizetype position)
{
    const qsizetype from = std::max<qsizetype>(0, position - WordWindow);
    const qsizetype to = std::min(m_text.size(), position + WordWindow);
    if (from >= to)
        return;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, m_text.constData() + from, to - from);
    finder.setPosition(position - from);
    const qsizetype start = finder.isAtBoundary() ? position - from : finder.toPreviousBoundary();
    finder.setPosition(position - from);
    const qsizetype end = finder.toNextBoundary();
    m_anchor = from + std::max<qsizetype>(0, start);
    moveCursor(end < 0 ? to : from + end, true);
}

bool TextView::moveByKey(QKeyEvent* event)
{
    bool extend = false;
    const KeyMove* key = keyMove(event, &extend);
    if (!key)
        return false;
    const TextWrap wrapped = wrap();
    const bool selection = m_anchor != m_position;
    bool endOfRow = false;
    const auto byLines = [&](qsizetype count) {
        if (m_goalX < 0)
            m_goalX = caretX();
        const qreal goal = m_goalX;
        const qsizetype start = caretLineStart();
        const qsizetype target = wrapped.moveLines(start, count);
        if (target == start)
            return count > 0 ? m_text.size() : qsizetype(0);
        return positionInLine(target, goal, &endOfRow);
    };
    qsizetype position = m_position;
    qreal goalX = -1;
    switch (key->what) {
    case Move::NextChar:
        position = selection && !extend ? selectionEnd() : nextStop(m_text, QTextBoundaryFinder::Grapheme, m_position);
        break;
    case Move::PreviousChar:
        position
            = selection && !extend ? selectionStart() : previousStop(m_text, QTextBoundaryFinder::Grapheme, m_position);
        break;
    case Move::NextWord:
        position = nextStop(m_text, QTextBoundaryFinder::Word, m_position);
        break;
    case Move::PreviousWord:
        position = previousStop(m_text, QTextBoundaryFinder::Word, m_position);
        break;
    case Move::NextLine:
    case Move::PreviousLine:
    case Move::NextPage:
    case Move::PreviousPage: {
        const int page = rows();
        const qsizetype count = key->what == Move::NextLine ? 1
            : key->what == Move::PreviousLine               ? -1
            : key->what == Move::NextPage                   ? page
                                                            : -page;
        if (key->what == Move::NextPage || key->what == Move::PreviousPage)
            scrollByLines(count);
        position = byLines(count);
        goalX = m_goalX;
        break;
    }
    case Move::LineStart:
        position = caretLineStart();
        break;
    case Move::LineEnd: {
        const VisualLine line = wrapped.lineAt(caretLineStart());
        position = line.end;
        endOfRow = line.wrapped();
        break;
    }
    case Move::DocumentStart:
        position = 0;
        break;
    case Move::DocumentEnd:
        position = m_text.size();
        break;
    }
    moveCursor(position, extend, endOfRow);
    m_goalX = goalX;
    return true;
}

bool TextView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys this box acts on are its own while it has the focus.
        auto* key = static_cast<QKeyEvent*>(event);
        bool extend = false;
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll) || keyMove(key, &extend)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (!moveByKey(event)) {
        // Typing does nothing; other keys go on to the window.
        if (event->text().isEmpty() || event->modifiers().testFlag(Qt::AltModifier)) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void TextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_goalX = -1;
    m_selecting = true;
    m_dragPoint = event->position().toPoint();
    bool endOfRow = false;
    const qsizetype position = positionAt(m_dragPoint, false, &endOfRow);
    moveCursor(position, event->modifiers().testFlag(Qt::ShiftModifier), endOfRow);
}

void TextView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    dragTo(event->position().toPoint());
}

void TextView::dragTo(const QPoint& point)
{
    m_dragPoint = point;
    // Beyond the top or bottom edge the text scrolls on its own while the button is held.
    if (point.y() < 0 || point.y() >= viewport()->height()) {
        if (!m_autoScroll.isActive())
            m_autoScroll.start(50, this);
        return;
    }
    m_autoScroll.stop();
    bool endOfRow = false;
    const qsizetype position = positionAt(point, false, &endOfRow);
    moveCursor(position, true, endOfRow);
}

void TextView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_blink.timerId()) {
        m_caretShown = !m_caretShown;
        viewport()->update();
        return;
    }
    if (event->timerId() != m_autoScroll.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (m_dragPoint.y() < 0) {
        scrollByLines(-1);
        moveCursor(positionAt(QPoint(m_dragPoint.x(), Margin)), true);
    } else {
        scrollByLines(1);
        moveCursor(positionAt(QPoint(m_dragPoint.x(), Margin + (rows() - 1) * m_lineHeight)), true);
    }
}

void TextView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selecting = false;
    m_autoScroll.stop();
    offerSelection();
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selecting = true;
    selectWordAt(positionAt(event->position().toPoint(), true));
}

void TextView::offerSelection()
{
    // Where the desktop has a selection of its own (X11), the selected text is offered there too.
    QClipboard* system = QGuiApplication::clipboard();
    if (system->supportsSelection() && selectionStart() != selectionEnd())
        system->setText(selectedText(), QClipboard::Selection);
}

void TextView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y() + m_wheelRemainder;
    const int steps = delta / QWheelEvent::DefaultDeltasPerStep;
    m_wheelRemainder = delta % QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        scrollByLines(-static_cast<qsizetype>(steps) * QApplication::wheelScrollLines());
    event->accept();
}

QMenu* TextView::createContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const auto add = [&](const QString& text, QKeySequence::StandardKey key, void (TextView::*slot)(), bool enabled) {
        QAction* action = menu->addAction(text + u'\t' + QKeySequence(key).toString(QKeySequence::NativeText));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(tr("&Copy"), QKeySequence::Copy, &TextView::copy, selectionStart() != selectionEnd())
        ->setObjectName(u"edit-copy"_s);
    add(tr("Select All"), QKeySequence::SelectAll, &TextView::selectAll, !m_text.isEmpty())
        ->setObjectName(u"select-all"_s);
    return menu;
}

void TextView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TextView::restartBlinking()
{
    // The caret shows at once after a move, then blinks as the desktop sets it (never, for 0).
    m_caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
}

void TextView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlinking();
    viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    viewport()->update();
}
