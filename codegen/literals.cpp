#include "codegen/literals.h"

#include <cstdint>
#include <cstring>

namespace codegen {

namespace {

    bool isControl(char16_t c)
    {
        return c < 0x20 || (c >= 0x7f && c <= 0x9f);
    }
    bool isSurrogate(char16_t c)
    {
        return c >= 0xd800 && c <= 0xdfff;
    }

    // A surrogate that is not half of a well-formed pair cannot be written out as it stands.
    bool isLoneSurrogate(QStringView text, qsizetype i)
    {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c))
            return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    }

    // Eight UTF-16 code units tested at once; a lane of the result is all ones where the test holds.
    using Lanes = std::uint16_t __attribute__((vector_size(16)));

    // What each language family cannot write as it stands: exactly, for one code unit, and roughly, for
    // eight at once (a few harmless characters more, such as U+00A0 to U+00BE, that a closer look lets
    // pass), in tests that every vector unit does natively.
    struct JavascriptRules {
        static bool special(char16_t c)
        {
            return c < 0x20 || c == u'"' || c == u'\\' || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029
                || isSurrogate(c);
        }
        static Lanes maybeSpecial(Lanes c)
        {
            return Lanes(((c & 0xffe0) == 0) | (c == u'"') | (c == u'\\') | ((Lanes(c - 0x7f) & 0xffc0) == 0)
                | ((c & 0xfffe) == 0x2028) | ((c & 0xf800) == 0xd800));
        }
    };

    struct BasicRules {
        static bool special(char16_t c) { return c < 0x20 || c == u'"' || (c >= 0x7f && c <= 0x9f) || isSurrogate(c); }
        static Lanes maybeSpecial(Lanes c)
        {
            return Lanes(
                ((c & 0xffe0) == 0) | (c == u'"') | ((Lanes(c - 0x7f) & 0xffc0) == 0) | ((c & 0xf800) == 0xd800));
        }
    };

    // Where the next character that needs thought is, from `from` on; the text's size if there is none.
    // The next few are looked at one by one, since special characters often come close together; long
    // plain runs, the common case, are crossed 32 code units at a time.
    template <typename Rules> qsizetype nextSpecial(QStringView text, qsizetype from)
    {
        const char16_t* data = text.utf16();
        const qsizetype size = text.size();
        constexpr qsizetype Block = 4 * sizeof(Lanes) / sizeof(char16_t);
        qsizetype i = from;
        for (const qsizetype near = qMin(size, from + 16); i < near; ++i) {
            if (Rules::special(data[i]))
                return i;
        }
        for (; i + Block <= size; i += Block) {
            Lanes block[4];
            std::memcpy(block, data + i, sizeof block);
            const Lanes maybe = Rules::maybeSpecial(block[0]) | Rules::maybeSpecial(block[1])
                | Rules::maybeSpecial(block[2]) | Rules::maybeSpecial(block[3]);
            std::uint64_t halves[2];
            std::memcpy(halves, &maybe, sizeof halves);
            if (!(halves[0] | halves[1]))
                continue;
            for (qsizetype k = i; k < i + Block; ++k) {
                if (Rules::special(data[k]))
                    return k;
            }
        }
        for (; i < size; ++i) {
            if (Rules::special(data[i]))
                return i;
        }
        return size;
    }

    // Counts what a writer would write, so that the text can be made its exact size first.
    struct Counter {
        qsizetype size = 0;
        void put(QStringView text) { size += text.size(); }
        template <std::size_t N> void put(const char16_t (&)[N]) { size += N - 1; }
    };

    // Writes into space made ready for it.
    struct Writer {
        char16_t* at;
        void put(QStringView text)
        {
            const char16_t* from = text.utf16();
            const qsizetype size = text.size();
            if (size <= 8) { // the short runs between escapes
                for (qsizetype i = 0; i < size; ++i)
                    at[i] = from[i];
            } else {
                std::memcpy(at, from, size * sizeof(char16_t));
            }
            at += size;
        }
        template <std::size_t N> void put(const char16_t (&constant)[N])
        {
            for (std::size_t i = 0; i + 1 < N; ++i)
                *at++ = constant[i];
        }
    };

    struct Hex {
        char16_t digits[4];
        int count;
        Hex(unsigned value, int count)
            : count(count)
        {
            for (int i = 0; i < count; ++i)
                digits[i] = u"0123456789ABCDEF"[(value >> ((count - 1 - i) * 4)) & 0xf];
        }
        QStringView view() const { return QStringView(digits, count); }
    };

    template <typename Sink> void writeJavascript(Sink& sink, QStringView value, qsizetype from)
    {
        qsizetype i = from;
        while (i < value.size()) {
            const qsizetype plainEnd = nextSpecial<JavascriptRules>(value, i);
            sink.put(value.sliced(i, plainEnd - i));
            i = plainEnd;
            if (i == value.size())
                break;
            const char16_t c = value[i].unicode();
            switch (c) {
            case u'\\':
                sink.put(u"\\\\");
                break;
            case u'"':
                sink.put(u"\\\"");
                break;
            case u'\r':
                sink.put(u"\\r");
                break;
            case u'\n':
                sink.put(u"\\n");
                break;
            case u'\t':
                sink.put(u"\\t");
                break;
            default:
                if (isControl(c)) {
                    sink.put(u"\\x");
                    sink.put(Hex(c, 2).view());
                } else if (isSurrogate(c) && !isLoneSurrogate(value, i)) {
                    sink.put(value.sliced(i, 2)); // a well-formed pair
                    ++i;
                } else { // line and paragraph separators, lone surrogates
                    sink.put(u"\\u");
                    sink.put(Hex(c, 4).view());
                }
            }
            ++i;
        }
    }

    template <typename Sink> void writeBasic(Sink& sink, QStringView value, qsizetype from)
    {
        // Characters the literal cannot hold are joined in as constants: ... " & vbCr & vbLf & " ...
        bool joining = false;
        auto join = [&](const auto& constant) {
            if (joining)
                sink.put(u" & ");
            else
                sink.put(u"\" & ");
            sink.put(constant);
            joining = true;
        };
        auto endJoin = [&] {
            if (joining)
                sink.put(u" & \"");
            joining = false;
        };

        qsizetype i = from;
        while (i < value.size()) {
            const qsizetype plainEnd = nextSpecial<BasicRules>(value, i);
            if (plainEnd > i) {
                endJoin();
                sink.put(value.sliced(i, plainEnd - i));
            }
            i = plainEnd;
            if (i == value.size())
                break;
            const char16_t c = value[i].unicode();
            if (c == u'"') {
                endJoin();
                sink.put(u"\"\"");
            } else if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') {
                join(u"vbCrLf");
                ++i;
            } else if (c == u'\r') {
                join(u"vbCr");
            } else if (c == u'\n') {
                join(u"vbLf");
            } else if (c == u'\t') {
                join(u"vbTab");
            } else if (isSurrogate(c) && !isLoneSurrogate(value, i)) {
                endJoin();
                sink.put(value.sliced(i, 2)); // a well-formed pair
                ++i;
            } else {
                // Chr() goes through the ANSI code page above 127; ChrW() takes the character itself.
                const QString code = (c < 0x80 ? u"Chr(" : u"ChrW(") % QString::number(c) % u')';
                join(QStringView(code));
            }
            ++i;
        }
        endJoin();
    }

    // Plain text is appended as it is. Otherwise the literal is measured first and then written
    // straight into its place, so that even a body of many megabytes is written once.
    template <typename Rules, void (*count)(Counter&, QStringView, qsizetype),
        void (*write)(Writer&, QStringView, qsizetype)>
    void appendLiteral(QString& out, QStringView value)
    {
        const qsizetype first = nextSpecial<Rules>(value, 0);
        out.append(value.first(first));
        if (first == value.size())
            return;
        Counter counter;
        count(counter, value, first);
        const qsizetype start = out.size();
        out.resize(start + counter.size);
        Writer writer { reinterpret_cast<char16_t*>(out.data()) + start };
        write(writer, value, first);
    }

} // namespace

void appendJavascriptLiteral(QString& out, QStringView value)
{
    appendLiteral<JavascriptRules, writeJavascript<Counter>, writeJavascript<Writer>>(out, value);
}

void appendBasicLiteral(QString& out, QStringView value)
{
    appendLiteral<BasicRules, writeBasic<Counter>, writeBasic<Writer>>(out, value);
}

} // namespace codegen
