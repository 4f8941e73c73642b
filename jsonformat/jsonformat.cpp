#include "jsonformat.h"

#include "hugepages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <string_view>

namespace jsonformat {

namespace {

    using Ptr = const char16_t*;

    bool isSpace(char16_t c)
    {
        return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t';
    }

    bool isDigit(char16_t c)
    {
        return c >= u'0' && c <= u'9';
    }

    bool isHex(char16_t c)
    {
        const char16_t lower = c | 0x20;
        return isDigit(c) || (lower >= u'a' && lower <= u'f');
    }

    Ptr skipSpace(Ptr p, Ptr end)
    {
        while (p != end && isSpace(*p))
            ++p;
        return p;
    }

    Ptr skipDigits(Ptr p, Ptr end)
    {
        while (p != end && isDigit(*p))
            ++p;
        return p;
    }

    // Past the characters from p that stand for themselves in a string: not ", \\ nor a control character.
    // Four at a time, as the 16-bit lanes of a word, the first character lowest: a lane's high bit is set where
    // the character is one of those (and in higher lanes only after such a one), so the lowest set bit finds
    // the first.
    Ptr skipPlain(Ptr p, Ptr end)
    {
        constexpr quint64 ones = 0x0001'0001'0001'0001, highs = 0x8000'8000'8000'8000;
        const auto below = [](quint64 lanes, quint64 n) { return (lanes - n * ones) & ~lanes & highs; };
        for (; end - p >= 4; p += 4) {
            const quint64 lanes = quint64(p[0]) | quint64(p[1]) << 16 | quint64(p[2]) << 32 | quint64(p[3]) << 48;
            if (const quint64 stops
                = below(lanes, 0x20) | below(lanes ^ (u'"' * ones), 1) | below(lanes ^ (u'\\' * ones), 1))
                return p + std::countr_zero(stops) / 16;
        }
        while (p != end && *p != u'"' && *p != u'\\' && *p >= 0x20)
            ++p;
        return p;
    }

    // Past the string whose opening quote is at p; nullptr when it is not a well-formed string.
    Ptr string(Ptr p, Ptr end)
    {
        ++p;
        for (;;) {
            p = skipPlain(p, end);
            if (p == end)
                return nullptr;
            if (*p == u'"')
                return p + 1;
            if (*p != u'\\' || ++p == end)
                return nullptr; // a raw control character, or a backslash ending the text
            switch (*p) {
            case u'"':
            case u'\\':
            case u'/':
            case u'b':
            case u'f':
            case u'n':
            case u'r':
            case u't':
                ++p;
                break;
            case u'u':
                if (end - p < 5 || !isHex(p[1]) || !isHex(p[2]) || !isHex(p[3]) || !isHex(p[4]))
                    return nullptr;
                p += 5;
                break;
            default:
                return nullptr;
            }
        }
    }

    // Past -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)? starting at p; nullptr when there is none.
    Ptr number(Ptr p, Ptr end)
    {
        if (*p == u'-' && ++p == end)
            return nullptr;
        if (*p == u'0')
            ++p;
        else if (isDigit(*p))
            p = skipDigits(p, end);
        else
            return nullptr;
        if (p != end && *p == u'.') {
            if (++p == end || !isDigit(*p))
                return nullptr;
            p = skipDigits(p, end);
        }
        if (p != end && (*p | 0x20) == u'e') {
            if (++p != end && (*p == u'+' || *p == u'-'))
                ++p;
            if (p == end || !isDigit(*p))
                return nullptr;
            p = skipDigits(p, end);
        }
        return p;
    }

    Ptr literal(Ptr p, Ptr end, std::u16string_view word)
    {
        return std::u16string_view(p, std::min<std::size_t>(end - p, word.size())) == word ? p + word.size() : nullptr;
    }

    // A string, number, true, false or null starting at p: past it, or nullptr.
    Ptr scalar(Ptr p, Ptr end)
    {
        switch (*p) {
        case u'"':
            return string(p, end);
        case u't':
            return literal(p, end, u"true");
        case u'f':
            return literal(p, end, u"false");
        case u'n':
            return literal(p, end, u"null");
        default:
            return number(p, end);
        }
    }

    // What a walk does with the text it accepts: nothing (a check), count the length of its indented
    // form, or write that.
    struct Check {
        void put(char16_t) { }
        void token(Ptr, Ptr) { }
        void newline(int) { }
    };

    struct Count {
        qsizetype length = 0;
        void put(char16_t) { ++length; }
        void token(Ptr begin, Ptr end) { length += end - begin; }
        void newline(int depth) { length += 1 + 2 * depth; }
    };

    // A line break and the indentation of the deepest line.
    constexpr std::array<char16_t, 1 + 2 * MaxDepth> lineBreak = [] {
        std::array<char16_t, 1 + 2 * MaxDepth> chars {};
        chars.fill(u' ');
        chars[0] = u'\n';
        return chars;
    }();

    // Writes into a string of the length counted before, on huge pages where the system offers them: tens of
    // megabytes faulted in 4 KB at a time cost more than the formatting. The count walked the same text the
    // same way, so the text fills the string exactly.
    class Write {
    public:
        explicit Write(qsizetype length)
            : m_text(length, Qt::Uninitialized)
            , m_out(reinterpret_cast<char16_t*>(m_text.data()))
        {
            foundation::preferHugePages(m_text.constData(), length * qsizetype(sizeof(QChar)));
        }

        void put(char16_t c) { *m_out++ = c; }
        void token(Ptr begin, Ptr end) { m_out = std::copy(begin, end, m_out); }
        void newline(int depth) { m_out = std::copy_n(lineBreak.data(), 1 + 2 * depth, m_out); }
        QString take() { return std::move(m_text); }

    private:
        QString m_text;
        char16_t* m_out;
    };

    // Past `"key": ` of the member starting at p (white space skipped), or nullptr.
    template <typename Out> Ptr member(Ptr p, Ptr end, Out& out)
    {
        if (p == end || *p != u'"')
            return nullptr;
        const Ptr key = p;
        if (!(p = string(p, end)))
            return nullptr;
        out.token(key, p);
        p = skipSpace(p, end);
        if (p == end || *p != u':')
            return nullptr;
        out.put(u':');
        out.put(u' ');
        return skipSpace(p + 1, end);
    }

    // Reads the text as one JSON value, handing the indented form to out piece by piece; whether it is JSON.
    // Containers are kept on a stack of their own, not the call stack, so any nesting is safe to read.
    template <typename Out> bool walk(QStringView text, Out& out)
    {
        const Ptr end = text.utf16() + text.size();
        Ptr p = skipSpace(text.utf16(), end);
        std::bitset<MaxDepth + 1> isObject; // of each open container, by depth
        int depth = 0;
        for (;;) {
            // A value starts at p.
            if (p == end)
                return false;
            if (*p == u'{' || *p == u'[') {
                const bool object = *p == u'{';
                out.put(*p);
                if (++depth > MaxDepth)
                    return false;
                p = skipSpace(p + 1, end);
                if (p != end && *p == (object ? u'}' : u']')) {
                    out.put(*p++);
                    --depth;
                } else {
                    isObject[depth] = object;
                    out.newline(depth);
                    if (object && !(p = member(p, end, out)))
                        return false;
                    continue;
                }
            } else {
                const Ptr token = p;
                if (!(p = scalar(p, end)))
                    return false;
                out.token(token, p);
            }
            // After a value: close containers until a comma leads to the next value.
            for (;;) {
                p = skipSpace(p, end);
                if (depth == 0)
                    return p == end;
                if (p == end)
                    return false;
                if (*p == u',') {
                    out.put(u',');
                    out.newline(depth);
                    p = skipSpace(p + 1, end);
                    if (isObject[depth] && !(p = member(p, end, out)))
                        return false;
                    break;
                }
                if (*p != (isObject[depth] ? u'}' : u']'))
                    return false;
                out.newline(--depth);
                out.put(*p++);
            }
        }
    }

} // namespace

bool isJson(QStringView text)
{
    Check check;
    return walk(text, check);
}

std::optional<QString> format(QStringView text)
{
    // Counted first, so that the text is written once into memory of its size.
    Count count;
    if (!walk(text, count) || count.length > MaxLength)
        return std::nullopt;
    Write write(count.length);
    walk(text, write);
    return write.take();
}

} // namespace jsonformat
