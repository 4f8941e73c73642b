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
    // The menu's own Paste and Undo give way to the box's. Qt 6.4 names neither and translates their
    // captions; the shortcut after the tab is written from the same key sequence in every language, but is
    // left out where shortcuts are not shown in menus. Found by name, then shortcut, then caption.
    const auto find = [menu](const QString& name, QKeySequence::StandardKey key, const QString& caption) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction* byCaption = nullptr;
        for (QAction* action : menu->actions()) {
            const QString text = action->text();
            if (action->objectName() == name || (!shortcut.isEmpty() && text.section(u'\t', 1) == shortcut))
                return action;
            if (text.section(u'\t', 0, 0) == caption)
                byCaption = action;
        }
        return byCaption;
    };
    if (QAction* pasteAction = find(u"edit-paste"_s, QKeySequence::Paste, QLineEdit::tr("&Paste"))) {
        pasteAction->setObjectName(u"edit-paste"_s);
        disconnect(pasteAction, &QAction::triggered, nullptr, nullptr);
        connect(pasteAction, &QAction::triggered, this, &PasteBox::pasteClipboard);
    }
    QAction* undoAction = find(u"edit-undo"_s, QKeySequence::Undo, QLineEdit::tr("&Undo"));
    if (undoAction && m_ownerUndo) {
        undoAction->setEnabled(true);
        disconnect(undoAction, &QAction::triggered, nullptr, nullptr);
        connect(undoAction, &QAction::triggered, this, &PasteBox::undoRequested);
    }
    menu->popup(event->globalPos());
}
