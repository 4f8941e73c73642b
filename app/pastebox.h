#pragma once

#include "linebox.h"

// A one-line box whose owner takes every paste, and an undo of its own, before the box does: from the
// keys (Ctrl+V, Shift+Insert, Ctrl+Z) and from the context menu alike.
class PasteBox : public LineBox {
    Q_OBJECT
public:
    using LineBox::LineBox;

    // While set, Ctrl+Z and the menu's Undo ask the owner to undo instead of undoing the box's typing.
    void setOwnerUndo(bool available) { m_ownerUndo = available; }

signals:
    // The clipboard's text is to be pasted. The box pastes nothing itself: the owner makes what it will
    // of the text, or has the box paste it as text (paste()).
    void pasteRequested(const QString& text);
    void undoRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void pasteClipboard();

    bool m_ownerUndo = false;
};
