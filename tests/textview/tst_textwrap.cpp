#include "datatable.h"
#include "textwrap.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every character 10 wide, tab stops every 80: widths in tests read as numbers of characters. Shaped, a
// run is shaped wide per code unit, when that is not 0.
Advances fixedAdvances(qreal shaped)
{
    const auto shape = [shaped](QStringView run) { return shaped * run.size(); };
    return Advances([](QStringView) { return 10.0; }, 80, shaped > 0 ? Advances::Measure(shape) : nullptr);
}

// Where each line starts, walking from the text's start.
QList<qsizetype> lineStarts(const TextWrap& wrap)
{
    QList<qsizetype> starts;
    for (qsizetype start = 0;;) {
        starts.push_back(start);
        const VisualLine line = wrap.lineAt(start);
        if (line.last || line.next <= start)
            return starts;
        start = line.next;
    }
}

} // namespace

class TestTextWrap : public QObject {
    Q_OBJECT

private slots:
    void wrapping_data()
    {
        // lines: each with its line break, joined by '|'
        const auto row = columns<QString, qreal, QString, qreal>("text", "width", "lines", "shaped");
        const QString ka = u"\u0915\u0915"_s;
        row("at spaces", u"aaa bbb ccc dd"_s, 80, u"aaa bbb |ccc dd"_s, 0);
        row("spaces hang past the width", u"aaaa    bbbb"_s, 60, u"aaaa    |bbbb"_s, 0);
        row("a long word is broken", u"abcdefghijkl"_s, 50, u"abcde|fghij|kl"_s, 0);
        row("a long word starts a line", u"ab cdefghijkl"_s, 50, u"ab |cdefg|hijkl"_s, 0);
        row("no-break space holds", u"aa\u00a0bb cc"_s, 60, u"aa\u00a0bb |cc"_s, 0);
        row("an em space breaks", u"aa\u2003bb"_s, 35, u"aa\u2003|bb"_s, 0);
        row("line breaks", u"a\r\nb\nc\rd"_s, 100, u"a\r\n|b\n|c\r|d"_s, 0);
        row("final line break", u"a\n"_s, 100, u"a\n|"_s, 0);
        row("empty lines", u"\n\n"_s, 100, u"\n|\n|"_s, 0);
        row("empty", {}, 100, {}, 0);
        row("tab to its stop", u"a\tb"_s, 100, u"a\tb"_s, 0);
        row("break after a tab", u"ab\tcd"_s, 85, u"ab\t|cd"_s, 0);
        row("surrogate pairs stay whole", u"😀😀😀"_s, 15, u"😀|😀|😀"_s, 0);
        row("marks stay on their letter", u"e\u0301e\u0301e\u0301"_s, 15, u"e\u0301|e\u0301|e\u0301"_s, 0);
        row("a mark with a width of its own", u"aab\u0903"_s, 35, u"aa|b\u0903"_s, 0);
        const QString zalgo = u'a' + QString(5000, u'\u0301');
        row("a character longer than a line", zalgo, 100,
            zalgo.first(TextWrap::MaxLineLength) % u'|' % zalgo.sliced(TextWrap::MaxLineLength), 0);
        row("a mark on a hanging space", u"aaaa \u0301\nb"_s, 45, u"aaaa |\u0301\n|b"_s, 0);
        // Scripts whose letters join are measured again as whole lines.
        row("shaped wider", ka % u' ' % ka % u' ' % ka, 60, ka % u" |" % ka % u" |" % ka, 15);
        row("shaped narrower", QString(ka + u' ').repeated(4) + ka, 60, QString(ka + u' ').repeated(4) % u'|' % ka, 5);
        row("shaped wider, one word", ka + ka + u'\u0915', 40, ka % u'|' % ka % u"|\u0915", 15);
        row("shaped wider than the width, each letter", ka, 5, u"\u0915|\u0915"_s, 15);
        row("shaped wider than the width, each emoji", u"😀😀"_s, 5, u"😀|😀"_s, 15);
        row("Latin is not measured again", u"aaa bbb"_s, 70, u"aaa bbb"_s, 15);
    }

    void wrapping()
    {
        const auto [text, width, lines, shaped]
            = fetch<QString, qreal, QString, qreal>("text", "width", "lines", "shaped");
        Advances advances = fixedAdvances(shaped);
        const TextWrap wrap(text, width, advances);
        QStringList found;
        for (const qsizetype start : lineStarts(wrap))
            found.push_back(text.mid(start, wrap.lineAt(start).next - start));
        QCOMPARE(found.join(u'|'), lines);
    }
};

QTEST_GUILESS_MAIN(TestTextWrap)
#include "tst_textwrap.moc"
