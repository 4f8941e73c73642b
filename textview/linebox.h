#pragma once

#include "lineediting.h"

#include <QBasicTimer>
#include <QClipboard>
#include <QPoint>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <memory>

class QMenu;
class QStyleOptionFrame;

// A one-line text box for texts of any length, that looks, edits and answers screen readers and input
// methods as a QLineEdit does. A QLineEdit lays out its whole text on every change; this box lays out a
// piece of a few thousand characters around the cursor, so that a key costs the same with a megabyte in
// the box as with a word. Shorter texts are laid out whole, exactly as a QLineEdit lays them out.
class LineBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)
public:
    // Texts up to this length are laid out whole.
    static constexpr qsizetype WholeText = 8192;

    explicit LineBox(QWidget* parent = nullptr);
    ~LineBox() override;

    const QString& text() const { return m_edit.text(); }
    qsizetype cursorPosition() const { return m_edit.cursor(); }
    void setCursorPosition(qsizetype position);
    bool hasSelectedText() const { return m_edit.hasSelectedText(); }
    QString selectedText() const { return m_edit.selectedText(); }
    qsizetype selectionStart() const { return m_edit.selectionStart(); }
    qsizetype selectionEnd() const { return m_edit.selectionEnd(); }
    void setSelection(qsizetype start, qsizetype length);
    bool isUndoAvailable() const { return m_edit.isUndoAvailable(); }
    bool isRedoAvailable() const { return m_edit.isRedoAvailable(); }

    // Undo, Redo, Cut, Copy, Paste, Delete and Select All, each action named after its icon ("edit-paste").
    QMenu* createStandardContextMenu();

    // Where the cursor is drawn, and where a character is, in the box's coordinates; the text position at
    // a point. A character out of sight has a null rectangle.
    QRect cursorRect() const;
    QRect characterRect(qsizetype position) const;
    qsizetype positionAt(const QPoint& point) const { return positionAtX(point.x()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

public slots:
    void setText(const QString& text);
    void clear();
    void insert(const QString& text);
    void selectAll();
    void deselect();
    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();

signals:
    void textChanged(const QString& text);
    // Only for changes the user made, not setText().
    void textEdited(const QString& text);
    void cursorPositionChanged(qsizetype oldPosition, qsizetype newPosition);
    void selectionChanged();
    void returnPressed();
    void editingFinished();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Ends a change made through the text model: shows it and says what changed.
    void finish(bool edited = true);
    void initStyleOption(QStyleOptionFrame* option) const;

private:
    // A cursor stop next to position, found in the text around it.
    enum class Stop { NextCharacter, PreviousCharacter, NextWord, PreviousWord };
    qsizetype stop(qsizetype position, Stop which) const;
    void selectWordAt(qsizetype position);
    bool handleKey(QKeyEvent* event);
    void moveCursor(qsizetype position, bool mark);
    void commitPreedit();
    void pasteFrom(QClipboard::Mode mode);
    // A click on the input method's pre-edit text is the input method's; true when it was.
    bool mouseToInputMethod(QMouseEvent* event);
    qsizetype surroundingStart() const;

    // The piece of text that is laid out, around the cursor.
    void placePiece(const std::vector<LineEditing::Change>& changes, bool textChanged);
    void layOut() const;
    const QTextLayout& layout() const;
    QTextLine line() const { return layout().lineAt(0); }
    bool wholeTextLaidOut() const { return m_pieceStart == 0 && m_pieceEnd == text().size(); }
    QRect contentsRectForText() const;
    QRect lineRect() const;
    void updateScroll(const QRect& lineRect) const;
    int xOf(qsizetype position) const; // in the piece's layout, preedit counted
    qsizetype positionAtX(int x) const;
    QPoint textOrigin() const;

    void setCursorVisible(bool visible);
    void startBlinking(bool on);
    void tellScreenReaders(const std::vector<LineEditing::Change>& changes, qsizetype oldCursor, bool selectionMoved);

    LineEditing m_edit;
    qsizetype m_pieceStart = 0;
    qsizetype m_pieceEnd = 0;
    mutable std::unique_ptr<QTextLayout> m_layout;
    mutable int m_hscroll = 0; // how far the piece's start lies left of the line's left edge
    mutable bool m_jumped = false; // the cursor left the shown piece: scroll to it as a QLineEdit would
    bool m_jumpedRight = false;

    QString m_preedit;
    qsizetype m_preeditCursor = 0;
    bool m_hideCursor = false;
    QList<QTextLayout::FormatRange> m_preeditFormats;

    qsizetype m_lastCursor = 0;
    qsizetype m_lastSelectionStart = -1;
    qsizetype m_lastSelectionEnd = -1;

    bool m_cursorVisible = false;
    bool m_blinkOn = true;
    QBasicTimer m_blink;
    QBasicTimer m_tripleClick;
    QPoint m_tripleClickPoint;
    QPoint m_pressPoint;
};
