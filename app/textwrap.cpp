#include "app/textwrap.h"

#include <QChar>

#include <algorithm>
#include <cmath>

namespace {

constexpr int BmpSize = 0x10000;

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

// Spaces after which a line may be broken. No-break and figure spaces are not among them.
bool isBreakingSpace(char16_t c)
{
    if (c < 0x80)
        return c == u' ' || c == u'\t';
    return c == 0x1680 || (c >= 0x2000 && c <= 0x200B && c != 0x2007) || c == 0x205F || c == 0x3000;
}

} // namespace

Advances::Advances(std::function<qreal(QStringView)> measure, qreal tabStop)
    : m_measure(std::move(measure))
    , m_bmp(new float[BmpSize])
    , m_tabStop(tabStop)
{
    std::fill_n(m_bmp.get(), BmpSize, -1.0F);
}

qreal Advances::measure(char16_t c)
{
    const QChar ch(c);
    // A combining mark sits on the character before it and takes no room of its own.
    const float advance = ch.category() == QChar::Mark_NonSpacing || ch.category() == QChar::Mark_Enclosing
        ? 0.0F
        : static_cast<float>(std::max<qreal>(0, m_measure(QStringView(&ch, 1))));
    m_bmp[c] = advance;
    return advance;
}

qreal Advances::ofPair(char32_t c)
{
    const auto known = m_astral.constFind(c);
    if (known != m_astral.cend())
        return *known;
    const char32_t units[] = { c };
    const QString pair = QString::fromUcs4(units, 1);
    const auto advance = static_cast<float>(std::max<qreal>(0, m_measure(pair)));
    m_astral.insert(c, advance);
    return advance;
}

TextWrap::TextWrap(QStringView text, qreal width, Advances& advances)
    : m_text(text)
    , m_width(width)
    , m_advances(advances)
{
}

bool TextWrap::insideCluster(qsizetype position) const
{
    if (position <= 0 || position >= m_text.size())
        return false;
    const char16_t c = m_text[position].unicode();
    const char16_t before = m_text[position - 1].unicode();
    if (QChar::isLowSurrogate(c))
        return QChar::isHighSurrogate(before);
    if (c == u'\n')
        return before == u'\r';
    return QChar::isMark(c) && !isLineBreak(before);
}

qsizetype TextWrap::segmentStart(qsizetype k) const
{
    const qsizetype length = m_text.size();
    const qsizetype from = k * SegmentLength;
    if (from >= length)
        return length;
    // The next word's start or line's start, if one is near.
    const qsizetype to = std::min(length, from + SegmentSearch);
    for (qsizetype j = std::max<qsizetype>(from, 1); j <= to; ++j) {
        if (j == length)
            return length;
        const char16_t before = m_text[j - 1].unicode();
        const char16_t c = m_text[j].unicode();
        if (isLineBreak(before) && !(before == u'\r' && c == u'\n'))
            return j;
        if (isBreakingSpace(before) && !isBreakingSpace(c) && !isLineBreak(c))
            return j;
    }
    // A text without spaces breaks at the place itself, between two characters and never inside a line
    // break.
    qsizetype j = from;
    for (int steps = 0; j < length && steps < 32 && (insideCluster(j) || isLineBreak(m_text[j].unicode())); ++steps)
        ++j;
    return j;
}

qsizetype TextWrap::nextForced(qsizetype start) const
{
    const qsizetype k = start / SegmentLength;
    if (k >= 1) {
        const qsizetype here = segmentStart(k);
        if (here > start)
            return here;
    }
    return segmentStart(k + 1);
}

qsizetype TextWrap::restartAtOrBefore(qsizetype position) const
{
    const qsizetype k = position / SegmentLength;
    qsizetype floor = 0;
    if (k >= 1) {
        floor = segmentStart(k);
        if (floor > position)
            floor = k >= 2 ? segmentStart(k - 1) : 0;
    }
    const char16_t* s = m_text.utf16();
    const qsizetype length = m_text.size();
    for (qsizetype j = position; j > floor; --j) {
        const char16_t before = s[j - 1];
        if (before == u'\n' || before == 0x2028 || before == 0x2029
            || (before == u'\r' && (j == length || s[j] != u'\n')))
            return j;
    }
    return floor;
}

VisualLine TextWrap::lineAt(qsizetype start) const
{
    const qsizetype length = m_text.size();
    if (start >= length)
        return { length, length, length, true };
    const char16_t* s = m_text.utf16();
    const qsizetype forced = nextForced(start);
    const qsizetype limit = std::min({ forced, length, start + MaxLineLength });
    const qreal tabStop = m_advances.tabStop();

    qreal x = 0;
    qsizetype breakAt = start; // after the latest run of spaces: where the line may end
    bool inSpaces = false;
    qsizetype i = start;
    while (i < limit) {
        const char16_t c = s[i];
        qreal advance;
        int units = 1;
        if (c < 0x80) {
            if (c == u'\n')
                return { start, i, i + 1, false };
            if (c == u'\r')
                return { start, i, i + 1 < length && s[i + 1] == u'\n' ? i + 2 : i + 1, false };
            if (c == u' ' || c == u'\t') {
                // Spaces may hang past the width; the line is broken after them.
                x = c == u'\t' ? (std::floor(x / tabStop) + 1) * tabStop : x + m_advances.of(c);
                inSpaces = true;
                ++i;
                continue;
            }
            advance = m_advances.of(c);
        } else if (c == 0x2028 || c == 0x2029) {
            return { start, i, i + 1, false };
        } else if (isBreakingSpace(c)) {
            x += m_advances.of(c);
            inSpaces = true;
            ++i;
            continue;
        } else if (QChar::isHighSurrogate(c) && i + 1 < length && QChar::isLowSurrogate(s[i + 1])) {
            advance = m_advances.ofPair(QChar::surrogateToUcs4(c, s[i + 1]));
            units = 2;
        } else {
            advance = m_advances.of(c);
        }
        if (inSpaces) {
            breakAt = i;
            inSpaces = false;
        }
        if (x + advance > m_width && i > start && !insideCluster(i)) {
            const qsizetype end = breakAt > start ? breakAt : i;
            return { start, end, end, false };
        }
        x += advance;
        i += units;
    }
    if (i >= length)
        return { start, length, length, true };
    if (i >= forced)
        return { start, forced, forced, false };
    // The line holds as many characters as a line may.
    qsizetype end = breakAt > start ? breakAt : i;
    while (end > start + 1 && insideCluster(end))
        --end;
    return { start, end, end, false };
}

qsizetype TextWrap::lineStartFor(qsizetype position) const
{
    position = std::clamp<qsizetype>(position, 0, m_text.size());
    qsizetype start = restartAtOrBefore(position);
    for (;;) {
        const VisualLine line = lineAt(start);
        if (line.last || line.next > position)
            return start;
        start = line.next;
    }
}

qsizetype TextWrap::previousLineStart(qsizetype start) const
{
    return start > 0 ? lineStartFor(start - 1) : 0;
}

qsizetype TextWrap::moveLines(qsizetype start, qsizetype count) const
{
    for (; count < 0 && start > 0; ++count)
        start = previousLineStart(start);
    for (; count > 0; --count) {
        const VisualLine line = lineAt(start);
        if (line.last)
            break;
        start = line.next;
    }
    return start;
}

qsizetype countLineBreaks(QStringView text)
{
    const char16_t* s = text.utf16();
    const qsizetype length = text.size();
    if (length == 0)
        return 0;
    qsizetype count = 0;
    // Written so that the compiler compares many characters at once.
    for (qsizetype i = 0; i + 1 < length; ++i) {
        const char16_t c = s[i];
        count += (c == u'\n') | (c == 0x2028) | (c == 0x2029) | ((c == u'\r') & (s[i + 1] != u'\n'));
    }
    return count + isLineBreak(s[length - 1]);
}
