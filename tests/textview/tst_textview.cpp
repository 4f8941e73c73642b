// Mouse and key input go through the window, as the user's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "textview/textview.h"
#include "textview/textwrap.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

// Every character 10 wide, tab stops every 80: widths in tests read as numbers of characters. Shaped, a
// run is shaped wide per code unit, when that is not 0.
Advances fixedAdvances(qreal shaped = 0)
{
    Advances::Measure shape;
    if (shaped > 0)
        shape = [shaped](QStringView run) { return shaped * run.size(); };
    return Advances([](QStringView) { return 10.0; }, 80, shape);
}

// The lines of text as wrapped at width, each with its line break, joined by '|'.
QString wrapped(const QString& text, qreal width, qreal shaped)
{
    Advances advances = fixedAdvances(shaped);
    const TextWrap wrap(text, width, advances);
    QStringList lines;
    for (qsizetype start = 0;;) {
        const VisualLine line = wrap.lineAt(start);
        lines.push_back(text.mid(line.start, line.next - line.start));
        if (line.last)
            break;
        start = line.next;
    }
    return lines.join(u'|');
}

} // namespace

class TestTextView : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void wrapping_data();
    void wrapping();
    void jumpsAgreeWithWalking_data();
    void jumpsAgreeWithWalking();
    void countsLineBreaks();

    void selectAllCopiesTheExactText_data();
    void selectAllCopiesTheExactText();
    void dragSelectsTheExactSubstring_data();
    void dragSelectsTheExactSubstring();
    void dragBeyondTheEdgeScrolls();
    void doubleClickSelectsAWord();
    void clickBeyondAWrappedRowStaysOnIt();
    void keyboardSelection_data();
    void keyboardSelection();
    void rowsStartAtWordsAndRewrapOnResize();
    void scrollBarReachesTheLastLine_data();
    void scrollBarReachesTheLastLine();
    void newTextReplacesAllAndShowsItsStart();
    void screenReadersReadIt();

private:
    int rowY(int row) const { return 4 + row * QFontMetrics(m_view->font()).height() + 2; }
    int prefixX(const QString& prefix) const
    {
        return 4 + qRound(QFontMetricsF(m_view->font()).horizontalAdvance(prefix)) + 1;
    }
    // Where each row on screen starts.
    QList<qsizetype> rowStarts() const
    {
        QList<qsizetype> starts;
        for (int row = 0; row < m_view->rows(); ++row)
            starts.push_back(m_view->positionAt(QPoint(2, rowY(row))));
        return starts;
    }

    static QString copied() { return QGuiApplication::clipboard()->text(); }

    std::unique_ptr<TextView> m_view;
};

void TestTextView::init()
{
    QGuiApplication::clipboard()->clear();
    m_view = std::make_unique<TextView>();
    m_view->resize(265, 137); // the result box's size
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    m_view->activateWindow();
    m_view->setFocus();
}

void TestTextView::cleanup()
{
    m_view.reset();
}

void TestTextView::wrapping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<qreal>("shaped");

    QTest::newRow("at spaces") << "aaa bbb ccc dd" << 80.0 << "aaa bbb |ccc dd" << 0.0;
    QTest::newRow("spaces hang past the width") << "aaaa    bbbb" << 60.0 << "aaaa    |bbbb" << 0.0;
    QTest::newRow("a long word is broken") << "abcdefghijkl" << 50.0 << "abcde|fghij|kl" << 0.0;
    QTest::newRow("a long word starts a line") << "ab cdefghijkl" << 50.0 << "ab |cdefg|hijkl" << 0.0;
    QTest::newRow("no-break space holds") << u"aa\u00a0bb cc"_qs << 60.0 << u"aa\u00a0bb |cc"_qs << 0.0;
    QTest::newRow("line breaks") << "a\r\nb\nc\rd" << 100.0 << "a\r\n|b\n|c\r|d" << 0.0;
    QTest::newRow("Unicode line breaks") << u"a\u2028b\u2029c"_qs << 100.0 << u"a\u2028|b\u2029|c"_qs << 0.0;
    QTest::newRow("final line break") << "a\n" << 100.0 << "a\n|" << 0.0;
    QTest::newRow("empty lines") << "\n\n" << 100.0 << "\n|\n|" << 0.0;
    QTest::newRow("empty") << "" << 100.0 << "" << 0.0;
    QTest::newRow("tab to its stop") << "a\tb" << 100.0 << "a\tb" << 0.0;
    QTest::newRow("break after a tab") << "ab\tcd" << 85.0 << "ab\t|cd" << 0.0;
    QTest::newRow("surrogate pairs stay whole") << u"😀😀😀"_qs << 15.0 << u"😀|😀|😀"_qs << 0.0;
    QTest::newRow("marks stay on their letter")
        << u"e\u0301e\u0301e\u0301"_qs << 15.0 << u"e\u0301|e\u0301|e\u0301"_qs << 0.0;
    QTest::newRow("narrower than a letter") << "abc" << 1.0 << "a|b|c" << 0.0;
    // Scripts whose letters join are measured again as whole lines.
    QTest::newRow("shaped wider") << u"\u0915\u0915 \u0915\u0915 \u0915\u0915"_qs << 60.0
                                  << u"\u0915\u0915 |\u0915\u0915 |\u0915\u0915"_qs << 15.0;
    QTest::newRow("shaped narrower") << u"\u0915\u0915 \u0915\u0915 \u0915\u0915 \u0915\u0915 \u0915\u0915"_qs << 60.0
                                     << u"\u0915\u0915 \u0915\u0915 \u0915\u0915 \u0915\u0915 |\u0915\u0915"_qs << 5.0;
    QTest::newRow("shaped wider, one word")
        << u"\u0915\u0915\u0915\u0915\u0915"_qs << 40.0 << u"\u0915\u0915|\u0915\u0915|\u0915"_qs << 15.0;
    QTest::newRow("Latin is not measured again") << "aaa bbb" << 70.0 << "aaa bbb" << 15.0;
}

void TestTextView::wrapping()
{
    QFETCH(QString, text);
    QFETCH(qreal, width);
    QFETCH(QString, lines);
    QFETCH(qreal, shaped);
    QCOMPARE(wrapped(text, width, shaped), lines);
}

void TestTextView::jumpsAgreeWithWalking_data()
{
    QTest::addColumn<qreal>("shaped");
    QTest::newRow("widths added up") << 0.0;
    QTest::newRow("shaped wider") << 15.0;
    QTest::newRow("shaped narrower") << 5.0;
}

void TestTextView::jumpsAgreeWithWalking()
{
    QFETCH(qreal, shaped);
    // A text past several of the places where very long lines restart, with words, long runs without
    // spaces, line breaks and surrogate pairs: the lines found from anywhere are the lines found by
    // walking from the start, forwards and backwards.
    QString text;
    for (int i = 0; text.size() < 3 * TextWrap::SegmentLength + 5000; ++i) {
        text += QStringLiteral("word%1 ").arg(i);
        if (i % 997 == 0)
            text += QString(700, u'x');
        if (i % 1499 == 0)
            text += QStringLiteral("\r\n");
        if (i % 31 == 0)
            text += u"😀"_qs;
        if (i % 7 == 0)
            text += u"\u0915\u093f\u0924\u093e\u092c "_qs;
    }
    Advances advances = fixedAdvances(shaped);
    const TextWrap wrap(text, 1000, advances);
    QList<qsizetype> starts;
    for (qsizetype start = 0;;) {
        starts.push_back(start);
        const VisualLine line = wrap.lineAt(start);
        QVERIFY(line.last || line.next > start);
        if (line.last)
            break;
        start = line.next;
    }
    for (qsizetype i = starts.size() - 1; i > 0; i -= 7)
        QCOMPARE(wrap.previousLineStart(starts[i]), starts[i - 1]);
    for (qsizetype position = 0; position <= text.size(); position += 397) {
        const auto after = std::upper_bound(starts.cbegin(), starts.cend(), position);
        QCOMPARE(wrap.lineStartFor(position), *(after - 1));
    }
}

void TestTextView::countsLineBreaks()
{
    QCOMPARE(countLineBreaks(u"a\r\nb\nc\rd\u2028e\u2029"), 5);
    QCOMPARE(countLineBreaks(u"\r"), 1);
    QCOMPARE(countLineBreaks(u""), 0);
}

void TestTextView::selectAllCopiesTheExactText_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("every kind of line break, tabs, emoji, marks, right to left")
        << u"a\r\nb\nc\rd\n\n\tkey:\t value  \t😀 👍🏽 🇫🇷 👩‍👩‍👧 e\u0301 a\u0308\u0323 \u05e9\u05dc\u05d5\u05dd \u0645\u0631\u062d\u0628\u0627\r\n"_qs;
    QTest::newRow("one long line") << QStringLiteral("{\"id\":1,\"name\":\"x\"},").repeated(20000);
}

void TestTextView::selectAllCopiesTheExactText()
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
        auto* action = menu->findChild<QAction*>(QLatin1StringView(name));
        const bool enabled = action->isEnabled();
        action->trigger();
        return enabled;
    };
    QVERIFY(!menuAction("edit-copy"));
    QVERIFY(copied().isEmpty());
    QVERIFY(menuAction("select-all"));
    QVERIFY(menuAction("edit-copy"));
    QCOMPARE(copied(), text);
}

void TestTextView::dragSelectsTheExactSubstring_data()
{
    QTest::addColumn<int>("fromRow");
    QTest::addColumn<QString>("fromPrefix");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<QString>("toPrefix"); // empty: far right of the row
    QTest::addColumn<QString>("selected");

    QTest::newRow("whole lines") << 1 << "" << 2 << ""
                                 << "second line\r\nthird";
    QTest::newRow("inside lines") << 1 << "sec" << 2 << "thi"
                                  << "ond line\r\nthi";
    QTest::newRow("backwards") << 2 << "th" << 0 << "fir"
                               << "st\r\nsecond line\r\nth";
    QTest::newRow("within a line") << 1 << "s" << 1 << "second li"
                                   << "econd li";
}

void TestTextView::dragSelectsTheExactSubstring()
{
    QFETCH(int, fromRow);
    QFETCH(QString, fromPrefix);
    QFETCH(int, toRow);
    QFETCH(QString, toPrefix);
    QFETCH(QString, selected);

    m_view->setText(QStringLiteral("first\r\nsecond line\r\nthird\r\nfourth"));
    QWidget* viewport = m_view->viewport();
    const QPoint from(fromPrefix.isEmpty() ? 1 : prefixX(fromPrefix), rowY(fromRow));
    const QPoint to(toPrefix.isEmpty() ? viewport->width() - 2 : prefixX(toPrefix), rowY(toRow));
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    QCOMPARE(m_view->selectedText(), selected);
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(copied(), selected);
}

void TestTextView::dragBeyondTheEdgeScrolls()
{
    const QString text = QStringLiteral("line of the response\n").repeated(200);
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

void TestTextView::doubleClickSelectsAWord()
{
    m_view->setText(QStringLiteral("{\"name\":\"value here\"}"));
    QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, QPoint(prefixX(QStringLiteral("{\"na")), rowY(0)));
    QCOMPARE(m_view->selectedText(), QStringLiteral("name"));
}

void TestTextView::clickBeyondAWrappedRowStaysOnIt()
{
    const QString text = QStringLiteral("alpha beta gamma delta ").repeated(10);
    m_view->setText(text);
    const qsizetype second = rowStarts()[1];
    // Beyond the first row's end, the cursor is where the second row starts, but on the first row: Home
    // goes to the first row's start.
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, QPoint(m_view->viewport()->width() - 2, rowY(0)));
    QCOMPARE(m_view->cursorPosition(), second);
    QTest::keyClick(m_view.get(), Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(m_view->selectedText(), text.left(second));
    // And End comes back to it.
    QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(m_view->selectedText(), QString());
    QCOMPARE(m_view->cursorPosition(), second);
}

void TestTextView::keyboardSelection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<QString>("selected");

    const auto shift = [](Qt::Key key) { return QKeyCombination(Qt::ShiftModifier, key); };
    const auto plain = [](Qt::Key key) { return QKeyCombination(Qt::NoModifier, key); };
    QTest::newRow("a surrogate pair is one character") << u"😀b"_qs << QList { shift(Qt::Key_Right) } << u"😀"_qs;
    QTest::newRow("a mark goes with its letter") << u"e\u0301x"_qs << QList { shift(Qt::Key_Right) } << u"e\u0301"_qs;
    QTest::newRow("CR LF is one step") << "a\r\nb" << QList { plain(Qt::Key_Right), shift(Qt::Key_Right) } << "\r\n";
    QTest::newRow("down a line") << "abc\ndef" << QList { plain(Qt::Key_Right), shift(Qt::Key_Down) } << "bc\nd";
    QTest::newRow("to the line's end") << "abc\ndef" << QList { plain(Qt::Key_Right), shift(Qt::Key_End) } << "bc";
    QTest::newRow("to the end") << "abc\ndef\n"
                                << QList { QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_End) }
                                << "abc\ndef\n";
    QTest::newRow("arrow ends a selection")
        << "abcdef" << QList { shift(Qt::Key_Right), shift(Qt::Key_Right), plain(Qt::Key_Right), shift(Qt::Key_Right) }
        << "c";
}

void TestTextView::keyboardSelection()
{
    QFETCH(QString, text);
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, selected);

    m_view->setText(text);
    for (const QKeyCombination key : keys)
        QTest::keyClick(m_view.get(), key.key(), key.keyboardModifiers());
    QCOMPARE(m_view->selectedText(), selected);
}

void TestTextView::rowsStartAtWordsAndRewrapOnResize()
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("word%1 ").arg(i * 7919 % 1000);
    text += QString(300, u'x'); // wider than the box
    m_view->setText(text);

    const auto atWords = [&](const QList<qsizetype>& starts) {
        for (qsizetype i = 1; i < starts.size(); ++i) {
            if (starts[i] <= starts[i - 1] || text[starts[i] - 1] != u' ')
                return false;
        }
        return true;
    };
    const QList<qsizetype> wide = rowStarts();
    QVERIFY(atWords(wide));
    m_view->resize(150, 137);
    const QList<qsizetype> narrow = rowStarts();
    QVERIFY(atWords(narrow));
    QVERIFY(narrow[1] < wide[1]);

    // The word too long for any width is broken where the box ends.
    QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ControlModifier);
    const QList<qsizetype> end = rowStarts();
    QCOMPARE(text[end[end.size() - 1] - 1], u'x');
    QCOMPARE(m_view->positionAt(QPoint(m_view->viewport()->width() - 2, rowY(m_view->rows() - 1))), text.size());
}

void TestTextView::scrollBarReachesTheLastLine_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("one long line") << QStringLiteral("{\"id\":1,\"name\":\"item\"},").repeated(100000);
    QTest::newRow("many short lines") << QStringLiteral("line of text\n").repeated(50000) + QStringLiteral("last");
    QTest::newRow("ends with a line break") << QStringLiteral("some words to wrap here\r\n").repeated(30);
    QTest::newRow("fits") << QStringLiteral("short");
}

void TestTextView::scrollBarReachesTheLastLine()
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
    if (top > 0) {
        QVERIFY(m_view->positionAt(QPoint(2, rowY(last))) < text.size() || text.endsWith(u'\n'));
    }

    // The wheel, the scroll bar's arrow and Ctrl+End go no further.
    QWheelEvent wheel(QPointF(20, 20), m_view->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -120 * 5),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
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
    QCOMPARE(m_view->firstVisiblePosition(), 0);
    QCOMPARE(bar->value(), 0);

    // Page Down shows next the row that was below the last whole one.
    if (top > 0) {
        const qsizetype below = m_view->positionAt(QPoint(2, rowY(m_view->rows())));
        QTest::keyClick(m_view.get(), Qt::Key_PageDown);
        QCOMPARE(m_view->firstVisiblePosition(), below);
        QTest::keyClick(m_view.get(), Qt::Key_PageUp);
        QCOMPARE(m_view->firstVisiblePosition(), 0);
    }
}

void TestTextView::newTextReplacesAllAndShowsItsStart()
{
    m_view->setText(QStringLiteral("old response line\n").repeated(1000));
    QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(m_view->verticalScrollBar()->value() > 0);

    m_view->setText(QStringLiteral("new"));
    QCOMPARE(m_view->text(), QStringLiteral("new"));
    QCOMPARE(m_view->verticalScrollBar()->value(), 0);
    QCOMPARE(m_view->firstVisiblePosition(), 0);
    QCOMPARE(m_view->selectedText(), QString());
    QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(m_view->selectedText(), QStringLiteral("new"));
}

void TestTextView::screenReadersReadIt()
{
    const QString text = QStringLiteral("alpha beta gamma delta epsilon zeta eta theta iota kappa\r\nlambda");
    m_view->setText(text);
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(m_view.get());
    QVERIFY(box);
    QCOMPARE(box->role(), QAccessible::EditableText);
    QVERIFY(box->state().readOnly);
    QAccessibleTextInterface* readable = box->textInterface();
    QVERIFY(readable);
    QCOMPARE(readable->characterCount(), text.size());
    QCOMPARE(readable->text(0, readable->characterCount()), text);

    // Lines are the rows on screen; words come from the text around the offset.
    int start = -1;
    int end = -1;
    const qsizetype secondRow = m_view->positionAt(QPoint(2, rowY(1)));
    QCOMPARE(readable->textAtOffset(1, QAccessible::LineBoundary, &start, &end), text.left(secondRow));
    QCOMPARE(readable->textAfterOffset(1, QAccessible::LineBoundary, &start, &end).left(5), text.mid(secondRow, 5));
    QCOMPARE(readable->textAtOffset(8, QAccessible::WordBoundary, &start, &end), QStringLiteral("beta"));
    QCOMPARE(start, 6);

    // Selection and cursor both ways, and where a character is drawn.
    readable->setSelection(0, 6, 10);
    QCOMPARE(m_view->selectedText(), QStringLiteral("beta"));
    int from = 0;
    int to = 0;
    readable->selection(0, &from, &to);
    QCOMPARE(QPair(from, to), QPair(6, 10));
    const QRect b = readable->characterRect(6);
    QVERIFY(b.isValid());
    QCOMPARE(readable->offsetAtPoint(b.center()), 6);
}

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
