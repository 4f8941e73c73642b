#include "app/pastebox.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>

void PasteBox::pasteClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = clipboard ? clipboard->text() : QString();
    if (!pasteHook || !pasteHook(text))
        paste();
}

bool PasteBox::undoFirst()
{
    return undoHook && undoHook();
}

void PasteBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        pasteClipboard();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo) && undoFirst()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void PasteBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's own Paste and Undo give way to the box's. They are known by their captions, which the
    // box's own translation gives them.
    const auto named = [menu](const QString& caption) -> QAction* {
        for (QAction* action : menu->actions()) {
            if (action->text().section(u'\t', 0, 0) == caption)
                return action;
        }
        return nullptr;
    };
    if (QAction* pasteAction = named(QLineEdit::tr("&Paste"))) {
        pasteAction->setObjectName(QStringLiteral("edit-paste"));
        disconnect(pasteAction, &QAction::triggered, nullptr, nullptr);
        connect(pasteAction, &QAction::triggered, this, &PasteBox::pasteClipboard);
    }
    QAction* undoAction = named(QLineEdit::tr("&Undo"));
    if (undoAction && canUndoHook && canUndoHook()) {
        undoAction->setEnabled(true);
        disconnect(undoAction, &QAction::triggered, nullptr, nullptr);
        connect(undoAction, &QAction::triggered, this, &PasteBox::undoFirst);
    }
    menu->popup(event->globalPos());
}
