// Mouse and key input go through the window, as the user's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "datatable.h"
#include "textview.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <memory>

using namespace Qt::StringLiterals;

class TestTextView : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QGuiApplication::clipboard()->clear();
        m_view = std::make_unique<TextView>();
        m_view->resize(265, 137); // the result box's size
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_view->activateWindow();
        m_view->setFocus();
    }

    void cleanup() { m_view.reset(); }

    void selectAllCopiesTheExactText_data()
    {
        QTest::addColumn<QString>("text");

        QTest::newRow("every kind of line break, tabs, emoji, marks, right to left")
            << u"a\r\nb\nc\rd\n\n\tkey:\t value  \t😀 👍🏽 🇫🇷 👩‍👩‍👧 e\u0301 a\u0308\u0323 \u05e9\u05dc\u05d5\u05dd \u0645\u0631\u062d\u0628\u0627\r\n"_s;
        QTest::newRow("one long line") << u"{\"id\":1,\"name\":\"x\"},"_s.repeated(20000);
    }

    void selectAllCopiesTheExactText()
    {
        QFETCH(QString, text);
        m_view->setText(text);
        QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copied(), text);

        // The same from the context menu, opened once for each.
        QGuiApplication::clipboard()->clear();
        m_view->setText(text);
        const auto menuAction = [this](const char* name) {
            std::unique_ptr<QMenu> menu(m_view->createContextMenu(nullptr));
            QAction* action = menu->findChild<QAction*>(QLatin1StringView(name));
            action->trigger(); // a disabled action does nothing
            return action->isEnabled();
        };
        QVERIFY(!menuAction("edit-copy"));
        QVERIFY(menuAction("select-all"));
        QVERIFY(menuAction("edit-copy"));
        QCOMPARE(copied(), text);
    }

    void dragSelectsTheExactSubstring_data()
    {
        // toPrefix: where the drag ends; empty for the row's far right
        const auto row
            = columns<int, QString, int, QString, QString>("fromRow", "fromPrefix", "toRow", "toPrefix", "selected");
        row("whole lines", 1, "", 2, "", "second line\r\nthird");
        row("inside lines", 1, "sec", 2, "thi", "ond line\r\nthi");
        row("backwards", 2, "th", 0, "fir", "st\r\nsecond line\r\nth");
    }

    void dragSelectsTheExactSubstring()
    {
        const auto [fromRow, fromPrefix, toRow, toPrefix, selected]
            = fetch<int, QString, int, QString, QString>("fromRow", "fromPrefix", "toRow", "toPrefix", "selected");

        m_view->setText(u"first\r\nsecond line\r\nthird\r\nfourth"_s);
        QWidget* viewport = m_view->viewport();
        const QPoint from(fromPrefix.isEmpty() ? 1 : prefixX(fromPrefix), rowY(fromRow));
        const QPoint to(toPrefix.isEmpty() ? viewport->width() - 2 : prefixX(toPrefix), rowY(toRow));
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, (from + to) / 2);
        QTest::mouseMove(viewport, to);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        QCOMPARE(m_view->selectedText(), selected);
    }

    void dragBeyondTheEdgeScrolls()
    {
        const QString text = u"line of the response\n"_s.repeated(200);
        m_view->setText(text);
        QWidget* viewport = m_view->viewport();
        const QPoint below(20, viewport->height() + 10);
        QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(1, rowY(0)));
        QTest::mouseMove(viewport, below);
        QTRY_VERIFY(m_view->firstVisiblePosition() > 0);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, below);
        // The selection runs from the press past all that was first on screen.
        QVERIFY(text.startsWith(m_view->selectedText()));
        QVERIFY(m_view->selectedText().count(u'\n') >= m_view->rows());
    }

    void doubleClickSelectsAWord()
    {
        // The word under the mouse, without the quotes around it.
        m_view->setText(u"{\"alpha\":\"beta\"} gamma"_s);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, QPoint(prefixX(u"{\"alpha\":\"be"_s), rowY(0)));
        QCOMPARE(m_view->selectedText(), u"beta"_s);
    }

    void keyboardSelection_data()
    {
        const auto row = columns<QString, QList<QKeyCombination>, QString>("text", "keys", "selected");
        const QKeyCombination right(Qt::Key_Right), shiftRight(Qt::ShiftModifier, Qt::Key_Right);
        row("a surrogate pair is one character", u"😀b"_s, { shiftRight }, u"😀"_s);
        row("a mark goes with its letter", u"e\u0301x"_s, { shiftRight }, u"e\u0301"_s);
        row("CR LF is one step", u"a\r\nb"_s, { right, shiftRight }, u"\r\n"_s);
        row("down a line", u"abc\ndef"_s, { right, Qt::ShiftModifier | Qt::Key_Down }, u"bc\nd"_s);
        row("to the line's end", u"abc\ndef"_s, { right, Qt::ShiftModifier | Qt::Key_End }, u"bc"_s);
        row("to the end", u"abc\ndef\n"_s, { Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_End }, u"abc\ndef\n"_s);
        row("arrow ends a selection", u"abcdef"_s, { shiftRight, shiftRight, right, shiftRight }, u"c"_s);
        row("by word", u"ab cd"_s, { Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_Right }, u"ab "_s);
    }

    void keyboardSelection()
    {
        const auto [text, keys, selected] = fetch<QString, QList<QKeyCombination>, QString>("text", "keys", "selected");

        m_view->setText(text);
        for (const QKeyCombination key : keys)
            QTest::keyClick(m_view.get(), key.key(), key.keyboardModifiers());
        QCOMPARE(m_view->selectedText(), selected);
    }

    void scrollBarReachesTheLastLine_data()
    {
        QTest::addColumn<QString>("text");

        QTest::newRow("one long line") << u"{\"id\":1,\"name\":\"item\"},"_s.repeated(100000);
        QTest::newRow("many short lines") << u"line of text\n"_s.repeated(50000) + u"last"_s;
        QTest::newRow("ends with a line break") << u"some words to wrap here\r\n"_s.repeated(30);
        QTest::newRow("fits") << u"short"_s;
    }

    void scrollBarReachesTheLastLine()
    {
        QFETCH(QString, text);
        m_view->setText(text);
        QScrollBar* bar = m_view->verticalScrollBar();
        bar->setValue(bar->maximum());

        // The last line shows on the last row, and the row below it holds nothing more.
        const int last = m_view->rows() - 1;
        const QPoint bottomRight(m_view->viewport()->width() - 2, rowY(last));
        const qsizetype top = m_view->firstVisiblePosition();
        QCOMPARE(m_view->positionAt(bottomRight), text.size());
        if (top > 0)
            QVERIFY(m_view->positionAt(QPoint(2, rowY(last))) < text.size() || text.endsWith(u'\n'));

        // The wheel, the scroll bar's arrow and Ctrl+End go no further.
        QWheelEvent wheel(QPointF(20, 20), m_view->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(),
            QPoint(0, -120 * 5), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_view->viewport(), &wheel);
        QCOMPARE(m_view->firstVisiblePosition(), top);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(m_view->firstVisiblePosition(), top);
        QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m_view->firstVisiblePosition(), top);
        QCOMPARE(m_view->cursorPosition(), text.size());

        // And back up by steps of one line, and to the top.
        if (top > 0) {
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            QVERIFY(m_view->firstVisiblePosition() < top);
            QVERIFY(m_view->positionAt(bottomRight) < text.size());
        }
        QTest::keyClick(m_view.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(bar->value() + m_view->firstVisiblePosition(), 0);

        // Page Down shows next the row that was below the last whole one.
        if (top > 0) {
            const qsizetype below = m_view->positionAt(QPoint(2, rowY(m_view->rows())));
            QTest::keyClick(m_view.get(), Qt::Key_PageDown);
            QCOMPARE(m_view->firstVisiblePosition(), below);
            QTest::keyClick(m_view.get(), Qt::Key_PageUp);
            QCOMPARE(m_view->firstVisiblePosition(), 0);
        }

        // New text replaces all, selection and place too, and shows its start.
        QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        m_view->setText(u"new"_s);
        QCOMPARE(m_view->text() + m_view->selectedText(), u"new"_s);
        QCOMPARE(bar->value() + m_view->firstVisiblePosition(), 0);
    }

    void screenReadersReadIt()
    {
        const QString text = u"alpha beta gamma delta epsilon zeta eta theta iota kappa\r\nlambda"_s;
        m_view->setText(text);
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(m_view.get());
        QCOMPARE(box->role(), QAccessible::EditableText);
        QVERIFY(box->state().readOnly && box->state().multiLine && box->state().selectableText);
        QAccessibleTextInterface* readable = box->textInterface();
        QVERIFY(readable);
        QCOMPARE(readable->characterCount(), text.size());
        QCOMPARE(readable->text(0, readable->characterCount()), text);

        // Lines are the rows on screen; words come from the text around the offset.
        int start = -1, end = -1;
        const qsizetype secondRow = m_view->positionAt(QPoint(2, rowY(1)));
        QCOMPARE(readable->textAtOffset(1, QAccessible::LineBoundary, &start, &end), text.left(secondRow));
        QCOMPARE(readable->textAfterOffset(1, QAccessible::LineBoundary, &start, &end).left(5), text.mid(secondRow, 5));
        QCOMPARE(readable->textAtOffset(8, QAccessible::WordBoundary, &start, &end), u"beta"_s);
        QCOMPARE(start, 6);

        // Selection and cursor both ways, and where a character is drawn.
        readable->setSelection(0, 6, 10);
        QCOMPARE(m_view->selectedText(), u"beta"_s);
        int from = 0, to = 0;
        readable->selection(0, &from, &to);
        QCOMPARE(QPair(from, to), QPair(6, 10));
        readable->selection(1, &from, &to);
        QCOMPARE(QPair(from, to), QPair(0, 0));
        readable->removeSelection(1);
        QCOMPARE(m_view->selectedText(), u"beta"_s);
        readable->removeSelection(0);
        QCOMPARE(QPair(readable->selectionCount(), readable->cursorPosition()), QPair(0, 10));
        readable->setCursorPosition(3);
        QCOMPARE(QPair(m_view->selectedText(), m_view->cursorPosition()), QPair(QString(), qsizetype(3)));
        QCOMPARE(readable->offsetAtPoint(readable->characterRect(6).center()), 6);
    }

private:
    int rowY(int row) const { return 4 + row * QFontMetrics(m_view->font()).height() + 2; }
    int prefixX(const QString& text) const { return 5 + qRound(QFontMetricsF(m_view->font()).horizontalAdvance(text)); }
    static QString copied() { return QGuiApplication::clipboard()->text(); }

    std::unique_ptr<TextView> m_view;
};

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
