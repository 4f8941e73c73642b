#include "textwrap.h"

#include <QChar>

#include <algorithm>
#include <cmath>

namespace {

constexpr int BmpSize = 0x10000;

} // namespace

Advances::Advances(Measure measure, qreal tabStop, Measure shape)
    : m_measure(std::move(measure))
    , m_shape(std::move(shape))
    , m_bmp(new float[BmpSize])
    , m_shapedWithNeighbours(new bool[BmpSize]())
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
    switch (ch.script()) {
    case QChar::Script_Common:
    case QChar::Script_Inherited:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Armenian:
    case QChar::Script_Georgian:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        break;
    default:
        m_shapedWithNeighbours[c] = true;
    }
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

qreal Advances::shapedWidth(QStringView run)
{
    constexpr qsizetype RememberedWords = 1 << 14;
    if (run.contains(u'\t'))
        return m_shape(run); // tab stops depend on all that comes before them
    qreal width = 0;
    for (qsizetype i = 0; i < run.size();) {
        // A word with the spaces after it: a space takes the font of the letters around it.
        qsizetype end = i;
        while (end < run.size() && !TextWrap::isBreakingSpace(run[end].unicode()))
            ++end;
        while (end < run.size() && TextWrap::isBreakingSpace(run[end].unicode()))
            ++end;
        const QString word = run.sliced(i, end - i).toString();
        auto known = m_words.constFind(word);
        if (known == m_words.cend()) {
            if (m_words.size() >= RememberedWords)
                m_words.clear();
            known = m_words.insert(word, static_cast<float>(m_shape(word)));
        }
        width += *known;
        i = end;
    }
    return width;
}

TextWrap::TextWrap(QStringView text, qreal width, Advances& advances, WrapLimits limits)
    : m_text(text)
    , m_width(width)
    , m_advances(advances)
    , m_limits(limits)
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
    // A mark on a space is a character of its own: spaces hang past the width, and a mark hanging on one
    // would not be seen.
    return QChar::isMark(c) && !isLineBreak(before) && !isBreakingSpace(before);
}

qsizetype TextWrap::clusterStart(qsizetype position, qsizetype floor) const
{
    while (position > floor && insideCluster(position))
        --position;
    return position;
}

qsizetype TextWrap::segmentStart(qsizetype k) const
{
    const int slot = static_cast<int>(k & 1);
    if (m_segments[slot] != k) {
        m_segmentStarts[slot] = findSegmentStart(k);
        m_segments[slot] = k;
    }
    return m_segmentStarts[slot];
}

qsizetype TextWrap::findSegmentStart(qsizetype k) const
{
    const qsizetype length = m_text.size();
    const qsizetype from = k * m_limits.segmentLength;
    if (from >= length)
        return length;
    // The next word's start or line's start, if one is near.
    const qsizetype to = std::min(length, from + m_limits.segmentSearch);
    for (qsizetype j = std::max<qsizetype>(from, 1); j <= to && j < length; ++j) {
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
    const qsizetype k = start / m_limits.segmentLength;
    if (k >= 1) {
        const qsizetype here = segmentStart(k);
        if (here > start)
            return here;
    }
    return segmentStart(k + 1);
}

qsizetype TextWrap::restartAtOrBefore(qsizetype position) const
{
    const qsizetype k = position / m_limits.segmentLength;
    qsizetype floor = 0;
    if (k >= 1) {
        floor = segmentStart(k);
        // A text as long as a whole number of segments has no segment starting at its end.
        if (floor > position || floor == m_text.size())
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
    const qsizetype limit = std::min({ forced, length, start + m_limits.maxLineLength });
    const qreal tabStop = m_advances.tabStop();

    qreal x = 0;
    qsizetype breakAt = start; // after the latest run of spaces: where the line may end
    bool inSpaces = false;
    bool shaped = false; // holds characters that take their shape from their neighbours
    qsizetype i = start;
    while (i < limit) {
        const char16_t c = s[i];
        qreal advance;
        int units = 1;
        if (c < 0x80) {
            if (c == u'\n')
                return fitted({ start, i, i + 1, false }, shaped);
            if (c == u'\r')
                return fitted({ start, i, i + 1 < length && s[i + 1] == u'\n' ? i + 2 : i + 1, false }, shaped);
            if (c == u' ' || c == u'\t') {
                // Spaces may hang past the width; the line is broken after them.
                x = c == u'\t' ? (std::floor(x / tabStop) + 1) * tabStop : x + m_advances.of(c);
                inSpaces = true;
                ++i;
                continue;
            }
            advance = m_advances.of(c);
        } else if (c == 0x2028 || c == 0x2029) {
            return fitted({ start, i, i + 1, false }, shaped);
        } else if (isBreakingSpace(c)) {
            x += m_advances.of(c);
            inSpaces = true;
            ++i;
            continue;
        } else if (QChar::isHighSurrogate(c) && i + 1 < length && QChar::isLowSurrogate(s[i + 1])) {
            advance = m_advances.ofPair(QChar::surrogateToUcs4(c, s[i + 1]));
            units = 2;
            shaped = true;
        } else {
            advance = m_advances.of(c);
            shaped = shaped || m_advances.shapedWithNeighbours(c);
        }
        if (inSpaces) {
            breakAt = i;
            inSpaces = false;
        }
        if (x + advance > m_width && i > start) {
            // A mark that takes room of its own goes with its letter to the next line.
            const qsizetype cluster = clusterStart(i, start);
            if (cluster > start) {
                const qsizetype end = breakAt > start ? breakAt : cluster;
                return fitted({ start, end, end, false }, shaped, breakAt > start ? limit : end);
            }
        }
        x += advance;
        i += units;
    }
    if (i >= length)
        return fitted({ start, length, length, true }, shaped);
    if (i >= forced)
        return fitted({ start, forced, forced, false }, shaped);
    // The line holds as many characters as a line may. A character longer than that (a letter under
    // thousands of marks) is cut where the line must end: taking it back to its start would leave lines
    // of one code unit each, and finding a place among them would walk thousands.
    qsizetype end = breakAt > start ? breakAt : i;
    if (const qsizetype whole = clusterStart(end, start); whole > start)
        end = whole;
    return fitted({ start, end, end, false }, shaped);
}

VisualLine TextWrap::fitted(VisualLine line, bool shaped, qsizetype room) const
{
    if (!shaped || !m_advances.shapes())
        return line;
    // Spaces at the end hang past the width.
    const auto fits = [this, &line](qsizetype end) {
        while (end > line.start && isBreakingSpace(m_text[end - 1].unicode()))
            --end;
        return m_advances.shapedWidth(m_text.sliced(line.start, end - line.start)) <= m_width;
    };
    if (fits(line.end)) {
        // Shaped, the line may be narrower than its characters added up (joined letters, emoji sequences):
        // it takes the next words while they fit.
        qsizetype end = line.end;
        for (;;) {
            qsizetype after = end;
            while (after < room && !isBreakingSpace(m_text[after].unicode()) && !isLineBreak(m_text[after].unicode()))
                ++after;
            while (after < room && isBreakingSpace(m_text[after].unicode()))
                ++after;
            if (after >= room || after == end || isLineBreak(m_text[after].unicode()) || !fits(after))
                break;
            end = after;
        }
        return end == line.end ? line : VisualLine { line.start, end, end, false };
    }
    // Shaped, the line is wider than its characters added up: end it at an earlier space, or else earlier
    // between two characters.
    qsizetype end = line.end - 1;
    for (; end > line.start; --end) {
        const char16_t before = m_text[end - 1].unicode();
        if (isBreakingSpace(before) && !isBreakingSpace(m_text[end].unicode()) && fits(end))
            return { line.start, end, end, false };
    }
    for (end = line.end - 1; end > line.start + 1; --end) {
        if (!insideCluster(end) && fits(end))
            break;
    }
    if (end <= line.start + 1) {
        // Not even its first character fits: the line holds that character, whole, however wide.
        end = line.start + 1;
        while (end < line.end && insideCluster(end))
            ++end;
        if (end == line.end)
            return line;
    }
    return { line.start, end, end, false };
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
    return count + TextWrap::isLineBreak(s[length - 1]);
}
