#pragma once

#include <QLineEdit>

#include <functional>

// A one-line box whose owner may take a paste, and an undo, before the box does: from the keys (Ctrl+V,
// Shift+Insert, Ctrl+Z) and from the context menu alike. A hook that returns false leaves it to the box.
class PasteBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    std::function<bool(const QString& text)> pasteHook;
    std::function<bool()> undoHook; // returns whether it undid something
    std::function<bool()> canUndoHook;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void pasteClipboard();
    bool undoFirst();
};
