#include "pastebox.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>

using namespace Qt::StringLiterals;

void PasteBox::pasteClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    emit pasteRequested(clipboard ? clipboard->text() : QString());
}

void PasteBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        pasteClipboard();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo) && m_ownerUndo) {
        emit undoRequested();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void PasteBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's own Paste and Undo give way to the box's. Qt names neither, and their captions are
    // translated; their shortcut, after the tab, is written from the same key sequence in every language.
    const auto bound = [menu](QKeySequence::StandardKey key) -> QAction* {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        for (QAction* action : menu->actions()) {
            if (!shortcut.isEmpty() && action->text().section(u'\t', 1) == shortcut)
                return action;
        }
        return nullptr;
    };
    if (QAction* pasteAction = bound(QKeySequence::Paste)) {
        pasteAction->setObjectName(u"edit-paste"_s);
        disconnect(pasteAction, &QAction::triggered, nullptr, nullptr);
        connect(pasteAction, &QAction::triggered, this, &PasteBox::pasteClipboard);
    }
    QAction* undoAction = bound(QKeySequence::Undo);
    if (undoAction && m_ownerUndo) {
        undoAction->setEnabled(true);
        disconnect(undoAction, &QAction::triggered, nullptr, nullptr);
        connect(undoAction, &QAction::triggered, this, &PasteBox::undoRequested);
    }
    menu->popup(event->globalPos());
}
