#include "pastebox.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

using namespace Qt::StringLiterals;

void PasteBox::pasteClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    emit pasteRequested(clipboard ? clipboard->text() : QString());
}

void PasteBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteClipboard();
        return;
    }
    if (event->matches(QKeySequence::Undo) && m_ownerUndo) {
        emit undoRequested();
        return;
    }
    LineBox::keyPressEvent(event);
}

void PasteBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's own Paste and Undo give way to the box's.
    if (auto* pasteAction = menu->findChild<QAction*>(u"edit-paste"_s)) {
        disconnect(pasteAction, &QAction::triggered, nullptr, nullptr);
        connect(pasteAction, &QAction::triggered, this, &PasteBox::pasteClipboard);
    }
    auto* undoAction = menu->findChild<QAction*>(u"edit-undo"_s);
    if (undoAction && m_ownerUndo) {
        undoAction->setEnabled(true);
        disconnect(undoAction, &QAction::triggered, nullptr, nullptr);
        connect(undoAction, &QAction::triggered, this, &PasteBox::undoRequested);
    }
    menu->popup(event->globalPos());
}
