// The result box's wrapping. Lines follow one another from the text's start to its end, each starting
// where the one before goes on; no line is wider than the width unless it holds one character; no pair
// of surrogates is cut; and the line found for any place is the line that holds it. The places where
// very long lines restart are brought close, so that short texts reach them.
#include "textwrap.h"
#include "fuzzcheck.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

// The characters wrapping treats each in its own way, so that most bytes of the input are one of them.
constexpr std::u16string_view Alphabet
    = u" \t\n\rabW."
      u"\x2028\x2029\xa0\x2003\x200b\x3000\x301\x20dd\xe01\xe31\x915\x94d\x627\x644\x4e00\xd83d\xde00\xfffdx\x1680";

struct Input {
    QString text;
    qreal width = 1;
    qreal tabStop = 1;
    WrapLimits limits;
};

// Bytes at 0xf0 and above take the next two as one UTF-16 code unit, any at all; the others pick from
// the alphabet. The first three bytes give the width, the tab stop and the places where very long lines
// restart: the program's own, or places a short text reaches.
Input decode(const std::uint8_t* data, std::size_t size)
{
    Input in;
    if (size < 3)
        return in;
    in.width = 1 + data[0] * 4;
    in.tabStop = 1 + data[1] % 64;
    if (const int level = (data[2] >> 4) & 7) {
        const qsizetype segment = qsizetype(32) << level;
        in.limits = { segment, segment / 8, segment >> (data[1] >> 6) };
    }
    for (std::size_t i = 3; i < size; ++i) {
        if (data[i] >= 0xf0 && i + 2 < size) {
            in.text += QChar(char16_t(data[i + 1] | data[i + 2] << 8));
            i += 2;
        } else {
            in.text += QChar(Alphabet[data[i] % Alphabet.size()]);
        }
    }
    return in;
}

qreal measure(QStringView c)
{
    if (c.size() == 2)
        return 10 + QChar::surrogateToUcs4(c[0], c[1]) % 9;
    const char16_t u = c[0].unicode();
    if (u < 0x80)
        return 3 + u % 6;
    if (u >= 0x4e00 && u <= 0x9fff)
        return 14;
    return u % 17;
}

bool isMark(char16_t c)
{
    const QChar::Category category = QChar(c).category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing;
}

// A run's width as drawn: each character's own width, tabs to their stops.
qreal drawnWidth(QStringView run, qreal tabStop)
{
    qreal x = 0;
    for (qsizetype i = 0; i < run.size(); ++i) {
        const char16_t c = run[i].unicode();
        if (c == u'\t') {
            x = (std::floor(x / tabStop) + 1) * tabStop;
        } else if (QChar::isHighSurrogate(c) && i + 1 < run.size() && QChar::isLowSurrogate(run[i + 1].unicode())) {
            x += measure(run.sliced(i++, 2));
        } else if (!isMark(c)) {
            x += measure(run.sliced(i, 1));
        }
    }
    return x;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Input in = decode(data, size);
    const QStringView text = in.text;
    Advances advances(measure, in.tabStop);
    const TextWrap wrap(text, in.width, advances, in.limits);
    // Finding a line walks from the last place where lines restart: a line break, or one of the fixed
    // places in a very long line. Asking about every line of a long text of short lines would take too
    // long, so the lines asked about are those near a restart, the last, and a few others.
    qsizetype sinceRestart = 0;
    int others = 8;
    const auto asked = [&](const VisualLine& line) {
        return sinceRestart < 12 || line.last || (sinceRestart % 61 == 0 && others-- > 0);
    };

    qsizetype start = 0, count = 0;
    for (;;) {
        const VisualLine line = wrap.lineAt(start);
        FUZZ_CHECK(line.start == start && start <= line.end && line.end <= line.next && line.next <= text.size());
        FUZZ_CHECK(line.last ? line.end == text.size() && line.next == text.size() : line.next > start);
        // A wrapped line has more text after it; only a line break may end the text's last line but one.
        FUZZ_CHECK(line.last || line.next < text.size() || line.end < line.next);
        // Between the line's end and the next line lies its line break, or nothing.
        const QStringView shown = text.sliced(start, line.end - start);
        const QStringView ending = text.sliced(line.end, line.next - line.end);
        FUZZ_CHECK(ending.isEmpty() || ending == u"\r\n"
            || (ending.size() == 1 && TextWrap::isLineBreak(ending[0].unicode())));
        FUZZ_CHECK(
            std::none_of(shown.begin(), shown.end(), [](QChar c) { return TextWrap::isLineBreak(c.unicode()); }));
        // A surrogate pair stays on one line.
        FUZZ_CHECK(line.end == 0 || line.end == text.size() || !QChar::isHighSurrogate(text[line.end - 1].unicode())
            || !QChar::isLowSurrogate(text[line.end].unicode()));
        // Only a line of one character, one that cannot be broken, may be wider than the width; spaces at
        // its end hang past it.
        QStringView drawn = shown;
        while (!drawn.isEmpty() && TextWrap::isBreakingSpace(drawn.back().unicode()))
            drawn.chop(1);
        bool oneCharacter = true;
        for (qsizetype i = start + 1; i < start + drawn.size() && oneCharacter; ++i)
            oneCharacter = wrap.insideCluster(i);
        FUZZ_CHECK(oneCharacter || shown.size() >= in.limits.maxLineLength
            || drawnWidth(drawn, in.tabStop) <= in.width + 1e-6);
        // Each place on the line is found on it.
        if (asked(line)) {
            const qsizetype until = line.last ? text.size() + 1 : line.next;
            // Every place on a short line near a restart; the first and last places on others.
            const bool near = sinceRestart < 12 && until - start <= 64;
            for (qsizetype p = start; p < until; p = near || p + 1 == until ? p + 1 : until - 1)
                FUZZ_CHECK(wrap.lineStartFor(p) == start);
            FUZZ_CHECK(line.last || wrap.previousLineStart(line.next) == start);
        }
        if (count <= 8)
            FUZZ_CHECK(wrap.moveLines(0, count) == start && wrap.moveLines(start, -count) == 0);
        if (line.last)
            break;
        const bool restarts
            = line.end < line.next || line.next / in.limits.segmentLength > start / in.limits.segmentLength;
        sinceRestart = restarts ? 0 : sinceRestart + 1;
        start = line.next;
        ++count;
    }
    return 0;
}
