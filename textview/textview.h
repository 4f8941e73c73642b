#pragma once

#include "textwrap.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

#include <memory>
#include <vector>

class QMenu;
class QTextLayout;

// A read-only box for texts of any size: a response of hundreds of megabytes on one line shows at once.
// It keeps the text once and only ever wraps and lays out the lines around what is on screen. The user
// can select (mouse, keyboard, double-click on a word), copy and scroll, but not type.
//
// The vertical scroll bar measures the text in characters: its value is the position of the first
// character on screen. Counting the wrapped lines of a huge text would mean wrapping all of it.
class TextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TextView(QWidget* parent = nullptr);
    ~TextView() override;

    // Replaces the whole text, shows its start and selects nothing.
    void setText(const QString& text);
    const QString& text() const { return m_text; }

    QString selectedText() const;
    qsizetype selectionStart() const { return std::min(m_anchor, m_position); }
    qsizetype selectionEnd() const { return std::max(m_anchor, m_position); }
    qsizetype cursorPosition() const { return m_position; }
    void select(qsizetype anchor, qsizetype position);
    void selectAll();
    // Puts the selected text, exactly as it stands, on the clipboard.
    void copy();

    // The text position nearest to a point of the viewport.
    // onCharacter: the position before the character under the point, rather than the nearest gap.
    qsizetype positionAt(const QPoint& point, bool onCharacter = false) const;
    // The line on screen that shows position, wherever it is.
    VisualLine lineFor(qsizetype position) const;
    // Where the character at position is drawn in the viewport; a null rectangle when it is not on screen.
    QRect characterRect(qsizetype position) const;
    // Scrolls as little as needed to bring the line of position on screen.
    void showPosition(qsizetype position);
    // The position of the first character on screen.
    qsizetype firstVisiblePosition() const { return m_top; }
    // The number of whole lines the viewport shows.
    int rows() const;

    // The menu a right click opens: Copy and Select All.
    QMenu* createContextMenu(QWidget* parent);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct ShownLine {
        VisualLine line;
        std::unique_ptr<QTextLayout> layout;
    };

    TextWrap wrap() const;
    qreal wrapWidth() const;
    int lineHeight() const { return m_lineHeight; }
    void fontChanged();
    std::unique_ptr<QTextLayout> layOut(const VisualLine& line) const;
    const std::vector<ShownLine>& shownLines() const;
    void forgetShownLines();

    // Scrolling: the top line is always a line's start.
    void scrollTo(qsizetype top);
    void scrollByLines(qsizetype count);
    qsizetype lastTop() const;
    void updateScrollBar();
    void scrollBarMoved(int value);
    void scrollBarAction(int action);

    // Moving the cursor; the anchor follows unless a selection is being extended.
    void moveCursor(qsizetype position, bool extend, bool endOfRow = false);
    qsizetype caretLineStart() const;
    qsizetype positionAt(const QPoint& point, bool onCharacter, bool* endOfRow) const;
    qsizetype lineStartFor(qsizetype position) const { return wrap().lineStartFor(position); }
    qsizetype positionInLine(qsizetype start, qreal x, bool* endOfRow) const;
    qreal caretX() const;
    void selectWordAt(qsizetype position);
    bool moveByKey(QKeyEvent* event);
    void dragTo(const QPoint& point);
    void offerSelection();
    void announceCursor();
    void restartBlinking();

    QString m_text;
    std::unique_ptr<Advances> m_advances;
    int m_lineHeight = 1;
    int m_ascent = 0;

    qsizetype m_top = 0;
    qsizetype m_anchor = 0;
    qsizetype m_position = 0;
    // Where a row was wrapped, its end and the next row's start are one position: this says the cursor
    // shows at the end of the row, where a click beyond it or the End key put it.
    bool m_endOfRow = false;
    qreal m_goalX = -1; // where Up and Down keep the cursor
    qsizetype m_lineBreaks = 0;
    int m_unitShift = 0; // the scroll bar counts characters in units of 1 << m_unitShift
    bool m_movingScrollBar = false;

    mutable std::vector<ShownLine> m_shown;
    mutable bool m_shownValid = false;
    mutable qsizetype m_lastTop = -1; // found again after any change of text, size or font
    qsizetype m_pendingTop = -1; // where a scroll bar step goes, exactly

    bool m_selecting = false;
    QPoint m_dragPoint;
    QBasicTimer m_autoScroll;
    QBasicTimer m_blink;
    bool m_caretShown = false;
    int m_wheelRemainder = 0;
};
