#pragma once

// Edit scripts: what a user does in a one-line box, step by step, applied alike to a QLineEdit and to the
// box that stands in for it. A script is steps joined by '|':
//   'text          types text              undo redo selectall cut copy paste   the platform's keys
//   Ctrl+Left      any other key           clip:text      puts text on the clipboard
//   @x  +x  @@x    click, Shift+click and double-click at x      x>y   a drag from x to y
//   ime:text       an input method's pre-edit text               ime!text   the text it commits
//   drop:x:text    text dropped at x
// x counts pixels from the box's left edge, halfway down; a drag's end may be "x,dy", dy pixels lower.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

namespace editscript {

inline void applyStep(QWidget* box, const QString& step);

// Applies a step and lets the box paint, as a user's every step does: a line edit scrolls as it paints.
inline void apply(QWidget* box, const QString& step)
{
    applyStep(box, step);
    if (box->isVisible())
        box->repaint();
}

inline void applyStep(QWidget* box, const QString& step)
{
    // "x" or "x,dy": dy pixels below halfway down.
    const auto at = [box](const QString& x) {
        return QPoint(x.section(u',', 0, 0).toInt(), box->height() / 2 + x.section(u',', 1).toInt());
    };
    const QString rest = step.mid(step.indexOf(u':') + 1);
    static const std::pair<const char16_t*, QKeySequence::StandardKey> Standard[]
        = { { u"undo", QKeySequence::Undo }, { u"redo", QKeySequence::Redo }, { u"selectall", QKeySequence::SelectAll },
              { u"cut", QKeySequence::Cut }, { u"copy", QKeySequence::Copy }, { u"paste", QKeySequence::Paste } };
    for (const auto& [name, key] : Standard) {
        if (step == name) {
            const QKeyCombination keys = QKeySequence(key)[0];
            QTest::keyClick(box, keys.key(), keys.keyboardModifiers());
            return;
        }
    }
    if (step.startsWith(u'\'')) {
        for (char32_t c : step.mid(1).toUcs4()) {
            if (c < 0x80)
                QTest::keyClick(box, char(c));
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUcs4(&c, 1), {});
        }
    } else if (step.startsWith(u"clip:")) {
        QGuiApplication::clipboard()->setText(rest);
    } else if (step.startsWith(u"@@")) {
        QTest::mouseDClick(box, Qt::LeftButton, {}, at(step.mid(2)));
    } else if (step.startsWith(u'@') || step.startsWith(u'+')) {
        QTest::mouseClick(
            box, Qt::LeftButton, step.startsWith(u'+') ? Qt::ShiftModifier : Qt::KeyboardModifiers(), at(step.mid(1)));
    } else if (step.contains(u'>')) {
        QTest::mousePress(box, Qt::LeftButton, {}, at(step.section(u'>', 0, 0)));
        QTest::mouseMove(box, at(step.section(u'>', 1)));
        QTest::mouseRelease(box, Qt::LeftButton, {}, at(step.section(u'>', 1)));
    } else if (step.startsWith(u"ime")) {
        QInputMethodEvent event(step.at(3) == u':' ? step.mid(4) : QString(), {});
        if (step.at(3) == u'!')
            event.setCommitString(step.mid(4));
        QCoreApplication::sendEvent(box, &event);
    } else if (step.startsWith(u"drop:")) {
        QMimeData data;
        data.setText(rest.section(u':', 1));
        QDropEvent drop(at(rest.section(u':', 0, 0)), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &drop);
    } else {
        const QKeyCombination keys = QKeySequence::fromString(step)[0];
        QTest::keyClick(box, keys.key(), keys.keyboardModifiers());
    }
}

// The step a QLineEdit is given to match the box. Ctrl+Backspace and Ctrl+Delete in a QLineEdit of Qt 6.4
// stretch a selection to the next word's edge and delete that; the box deletes the selection, as Delete
// does and as later versions of Qt do.
inline QString lineEditStep(const QWidget* lineEdit, const QString& step)
{
    const bool wordKey = step == u"Ctrl+Backspace" || step == u"Ctrl+Delete";
    return wordKey && lineEdit->property("hasSelectedText").toBool() ? QStringLiteral("Delete") : step;
}

// A box given its text, and painted.
template <typename Box> void start(Box* box, const QString& text)
{
    box->setText(text);
    if (box->isVisible())
        box->repaint();
}

// What a step leaves, as the user and the program see it.
struct State {
    QString text;
    qsizetype cursor;
    qsizetype selectionStart;
    QString selected;
    bool undo;
    bool redo;
    friend bool operator==(const State&, const State&) = default;
};

template <typename Box> State stateOf(const Box* box)
{
    return { box->text(), box->cursorPosition(), box->selectionStart(), box->selectedText(), box->isUndoAvailable(),
        box->isRedoAvailable() };
}

// A QLineEdit whose redo took back a one-character selection deleted from its start selects from -1 to 1:
// it shows the first character as selected, and its next edit of the selection reads before the text. The
// box selects nothing there; a script is compared no further.
template <typename Box> bool selectsBeforeText(const Box* box)
{
    return box->hasSelectedText() && box->selectionStart() < 0;
}

inline QString describe(const State& state)
{
    return QStringLiteral("\"%1\" cursor %2 selection %3 \"%4\" undo %5 redo %6")
        .arg(state.text.left(60))
        .arg(state.cursor)
        .arg(state.selectionStart)
        .arg(state.selected.left(60))
        .arg(state.undo)
        .arg(state.redo);
}

// Applies a step to a QLineEdit and to the box, and says in *difference how the box's state differs, if it
// does. False once the QLineEdit can be compared no further.
template <typename LineEdit, typename Box>
bool applyToBoth(LineEdit* lineEdit, Box* box, const QString& step, QString* difference)
{
    // The signals the window listens to come as often.
    QSignalSpy lineEditChanged(lineEdit, &LineEdit::textChanged);
    QSignalSpy lineEditEdited(lineEdit, &LineEdit::textEdited);
    QSignalSpy boxChanged(box, &Box::textChanged);
    QSignalSpy boxEdited(box, &Box::textEdited);
    QSignalSpy lineEditMoved(lineEdit, &LineEdit::cursorPositionChanged);
    QSignalSpy boxMoved(box, &Box::cursorPositionChanged);
    apply(lineEdit, lineEditStep(lineEdit, step));
    apply(box, step);
    State expected = stateOf(lineEdit);
    const bool broken = selectsBeforeText(lineEdit);
    if (broken)
        expected.selected.clear();
    const State actual = stateOf(box);
    if (actual != expected)
        *difference = describe(actual) + QStringLiteral(", a QLineEdit has ") + describe(expected);
    const auto counts = [](const QSignalSpy& changed, const QSignalSpy& edited, const QSignalSpy& moved) {
        return QStringLiteral("%1 %2 %3").arg(changed.size()).arg(edited.size()).arg(moved.size());
    };
    const QString boxCounts = counts(boxChanged, boxEdited, boxMoved);
    const QString lineEditCounts = counts(lineEditChanged, lineEditEdited, lineEditMoved);
    if (boxCounts != lineEditCounts) {
        *difference += QStringLiteral(" textChanged, textEdited, cursorPositionChanged: %1 times, a QLineEdit's %2")
                           .arg(boxCounts, lineEditCounts);
    }
    return !broken;
}

} // namespace editscript
