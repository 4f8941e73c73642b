#include "codegen/literals.h"

#include "codegen/linebuilder.h"

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

    // UTF-16 code units tested eight (Narrow) or sixteen (Wide) at once; a lane of a test's result is
    // all ones where the test holds.
    using Narrow = std::uint16_t __attribute__((vector_size(16)));
#if defined(__x86_64__)
    using Wide = std::uint16_t __attribute__((vector_size(32)));
#endif

    // What each language family cannot write as it stands: exactly, for one code unit, and roughly, for
    // many at once (a few harmless characters more, such as U+00A0 to U+00BE, that a closer look lets
    // pass), in tests that every vector unit does natively.
    struct JavascriptRules {
        static bool special(char16_t c)
        {
            return c < 0x20 || c == u'"' || c == u'\\' || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029
                || isSurrogate(c);
        }
        template <typename Lanes> [[gnu::always_inline]] static void addMaybeSpecial(const Lanes& c, Lanes& maybe)
        {
            maybe |= Lanes(((c & 0xffe0) == 0) | (c == u'"') | (c == u'\\') | ((Lanes(c - 0x7f) & 0xffc0) == 0)
                | ((c & 0xfffe) == 0x2028) | ((c & 0xf800) == 0xd800));
        }
    };

    struct BasicRules {
        static bool special(char16_t c) { return c < 0x20 || c == u'"' || (c >= 0x7f && c <= 0x9f) || isSurrogate(c); }
        template <typename Lanes> [[gnu::always_inline]] static void addMaybeSpecial(const Lanes& c, Lanes& maybe)
        {
            maybe |= Lanes(
                ((c & 0xffe0) == 0) | (c == u'"') | ((Lanes(c - 0x7f) & 0xffc0) == 0) | ((c & 0xf800) == 0xd800));
        }
    };

    // Crosses a plain run four vectors at a time, copying it to `out` (which stands for data[i] on
    // entry); stops at the first block that may hold something special and returns where it starts.
    template <typename Rules, typename Lanes>
    [[gnu::always_inline]] inline qsizetype crossPlain(const char16_t* data, qsizetype i, qsizetype size, char16_t* out)
    {
        constexpr qsizetype Lane = sizeof(Lanes) / sizeof(char16_t);
        constexpr qsizetype Block = 4 * Lane;
        for (; i + Block <= size; i += Block, out += Block) {
            Lanes a, b, c, d;
            std::memcpy(&a, data + i, sizeof a);
            std::memcpy(&b, data + i + Lane, sizeof b);
            std::memcpy(&c, data + i + 2 * Lane, sizeof c);
            std::memcpy(&d, data + i + 3 * Lane, sizeof d);
            Lanes maybe {};
            Rules::addMaybeSpecial(a, maybe);
            Rules::addMaybeSpecial(b, maybe);
            Rules::addMaybeSpecial(c, maybe);
            Rules::addMaybeSpecial(d, maybe);
            std::uint64_t words[sizeof(Lanes) / 8];
            std::memcpy(words, &maybe, sizeof words);
            std::uint64_t any = 0;
            for (std::uint64_t word : words)
                any |= word;
            if (any)
                return i;
            std::memcpy(out, &a, sizeof a);
            std::memcpy(out + Lane, &b, sizeof b);
            std::memcpy(out + 2 * Lane, &c, sizeof c);
            std::memcpy(out + 3 * Lane, &d, sizeof d);
        }
        return i;
    }

#if defined(__x86_64__)
    template <typename Rules>
    __attribute__((target("avx2"))) qsizetype crossPlainWide(
        const char16_t* data, qsizetype i, qsizetype size, char16_t* out)
    {
        return crossPlain<Rules, Wide>(data, i, size, out);
    }

    bool hasWideVectors()
    {
        static const bool avx2 = __builtin_cpu_supports("avx2");
        return avx2;
    }
#endif

    // Copies the plain run of `text` that starts at `from` to `out`, and returns where the next
    // character that needs thought is; the text's size if there is none. The next few code units are
    // looked at one by one, since special characters often come close together; long plain runs, the
    // common case, are crossed many at a time.
    template <typename Rules> qsizetype copyPlainRun(QStringView text, qsizetype from, char16_t* out)
    {
        const char16_t* data = text.utf16();
        const qsizetype size = text.size();
        auto oneByOne = [&](qsizetype& i, qsizetype end) {
            for (; i < end; ++i) {
                if (Rules::special(data[i]))
                    return true;
                out[i - from] = data[i];
            }
            return false;
        };
        qsizetype i = from;
        if (oneByOne(i, qMin(size, from + 16)))
            return i;
        while (i < size) {
#if defined(__x86_64__)
            i = hasWideVectors() ? crossPlainWide<Rules>(data, i, size, out + (i - from))
                                 : crossPlain<Rules, Narrow>(data, i, size, out + (i - from));
#else
            i = crossPlain<Rules, Narrow>(data, i, size, out + (i - from));
#endif
            // A block that may hold something special, or the last few code units.
            if (oneByOne(i, qMin(size, i + 64)))
                return i;
        }
        return size;
    }

    // Writes the plain run that starts at `from` straight into the code; returns where it ends.
    template <typename Rules> qsizetype copyPlain(LineBuilder& code, QStringView value, qsizetype from)
    {
        const qsizetype end = copyPlainRun<Rules>(value, from, code.room(value.size() - from));
        code.advance(end - from);
        return end;
    }

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

    void writeJavascript(LineBuilder& sink, QStringView value)
    {
        qsizetype i = 0;
        while (i < value.size()) {
            i = copyPlain<JavascriptRules>(sink, value, i);
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

    void writeBasic(LineBuilder& sink, QStringView value)
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

        qsizetype i = 0;
        while (i < value.size()) {
            if (!BasicRules::special(value[i].unicode())) {
                endJoin();
                i = copyPlain<BasicRules>(sink, value, i);
            }
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

    // The inside of the literal, written as it is written into generated code.
    QString literal(void (*write)(LineBuilder&, QStringView), QStringView value)
    {
        LineBuilder code(write, value.size() + 16);
        write(code, value);
        return std::move(code).text(false);
    }

} // namespace

void writeJavascriptLiteral(LineBuilder& code, QStringView value)
{
    writeJavascript(code, value);
}

void writeBasicLiteral(LineBuilder& code, QStringView value)
{
    writeBasic(code, value);
}

void appendJavascriptLiteral(QString& out, QStringView value)
{
    out.append(literal(writeJavascript, value));
}

void appendBasicLiteral(QString& out, QStringView value)
{
    out.append(literal(writeBasic, value));
}

} // namespace codegen
