#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>

// How wide each character is, measured once per character and then looked up. Wrapping a long text asks
// this for every character it crosses, so the lookup must cost next to nothing.
//
// In some scripts (Devanagari, Thai, Arabic, ...) characters change shape with their neighbours, and the
// sum of their widths alone is not the width of a run of them. A line with such characters is measured
// again as a whole, by shape, when one is given.
class Advances {
public:
    using Measure = std::function<qreal(QStringView)>;
    // measure gives the width of one character (one code unit, or a surrogate pair); shape the width of a
    // run of text as it is drawn.
    Advances(Measure measure, qreal tabStop, Measure shape = {});

    qreal tabStop() const { return m_tabStop; }
    qreal of(char16_t c)
    {
        const float known = m_bmp[c];
        return known >= 0 ? known : measure(c);
    }
    qreal ofPair(char32_t c);
    // Whether a character, once measured, is one whose width depends on its neighbours.
    bool shapedWithNeighbours(char16_t c) const { return m_shapedWithNeighbours[c]; }
    bool shapes() const { return static_cast<bool>(m_shape); }
    // The width of a run as drawn. Spaces break the shaping of letters, so the run is measured word by word,
    // and each word's width is remembered.
    qreal shapedWidth(QStringView run);

private:
    qreal measure(char16_t c);

    Measure m_measure;
    Measure m_shape;
    std::unique_ptr<float[]> m_bmp;
    std::unique_ptr<bool[]> m_shapedWithNeighbours;
    QHash<char32_t, float> m_astral;
    QHash<QString, float> m_words;
    qreal m_tabStop;
};

// One line on screen: the characters [start, end) are shown, and the next line starts at next. Between end
// and next lie the line break's characters, if the line ends with one. A line that was wrapped has end ==
// next, with any spaces it ends with kept on it.
struct VisualLine {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool last = false; // no line follows

    // Ended by the width, not by a line break or the text's end: its end is the next line's start.
    bool wrapped() const { return !last && end == next; }
};

// Where very long lines restart, every segmentLength characters (moved on to a word's start found within
// segmentSearch of it), and how many characters a line may hold, however narrow they are. Smaller ones
// let a test reach them with a short text. A restart may move on past the search by up to 32 characters
// that belong together: a segment must be longer than that.
struct WrapLimits {
    qsizetype segmentLength = 32768;
    qsizetype segmentSearch = 512;
    qsizetype maxLineLength = 4096;
};

// Breaks a text into lines at line breaks (LF, CR LF, CR, U+2028, U+2029) and wraps them at a width, after
// a run of spaces where it can, anywhere between characters where a word is wider than a line.
//
// Every question is answered by wrapping only a short stretch of text. Wrapping restarts at each line break
// and, inside a very long line, at fixed places: every SegmentLength characters (moved on to the next
// word's start when there is one close by) a new line begins. So the lines around any place are found
// without wrapping everything before it, and a 100 MB line costs no more to show at its end than at its
// start. Such a line ends a little early once in SegmentLength characters, which is hardly seen.
class TextWrap {
public:
    static constexpr qsizetype SegmentLength = WrapLimits {}.segmentLength;
    static constexpr qsizetype MaxLineLength = WrapLimits {}.maxLineLength;

    TextWrap(QStringView text, qreal width, Advances& advances, WrapLimits limits = {});

    QStringView text() const { return m_text; }

    // The line that starts at start, which must be a line's start.
    VisualLine lineAt(qsizetype start) const;
    // The start of the line that shows position (0 to the text's length).
    qsizetype lineStartFor(qsizetype position) const;
    // The start of the line before the one at start; start itself on the first line.
    qsizetype previousLineStart(qsizetype start) const;
    // Moves count lines on from start, or back when count is negative; stops at the first or last line.
    qsizetype moveLines(qsizetype start, qsizetype count) const;

    // Line breaks: LF, CR, U+2028 and U+2029.
    static bool isLineBreak(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }
    // Spaces after which a line may be broken. No-break and figure spaces are not among them.
    static bool isBreakingSpace(char16_t c)
    {
        if (c < 0x80)
            return c == u' ' || c == u'\t';
        return c == 0x1680 || (c >= 0x2000 && c <= 0x200B && c != 0x2007) || c == 0x205F || c == 0x3000;
    }

    // True where a position falls between two characters that belong together (a surrogate pair, a
    // combining mark on its base but not on a space, CR LF).
    bool insideCluster(qsizetype position) const;

private:
    // The line as wide as it is when drawn: shorter if its shaped characters are wider than their
    // widths added up, longer (up to room) if narrower.
    VisualLine fitted(VisualLine line, bool shaped, qsizetype room = -1) const;
    qsizetype restartAtOrBefore(qsizetype position) const;
    // Where the character that position falls in starts, not before floor.
    qsizetype clusterStart(qsizetype position, qsizetype floor) const;
    qsizetype segmentStart(qsizetype k) const;
    qsizetype findSegmentStart(qsizetype k) const;
    qsizetype nextForced(qsizetype start) const;

    QStringView m_text;
    qreal m_width;
    Advances& m_advances;
    WrapLimits m_limits;
    // Where the last two segments asked about start: walking a stretch asks about the same ones for
    // every line.
    mutable qsizetype m_segments[2] = { -1, -1 };
    mutable qsizetype m_segmentStarts[2] = { 0, 0 };
};

// Counts the line breaks in text, CR LF as one.
qsizetype countLineBreaks(QStringView text);
