// The JSON check and the formatter. isJson agrees with a strict recogniser written here from RFC 8259;
// for JSON, format gives the input again once the white space outside strings is taken out; nesting
// beyond the limit is refused, never overflowing the stack.
#include "fuzzcheck.h"
#include "jsonformat.h"

#include <cctype>

#include <QString>

namespace {

// RFC 8259, a character at a time. Depth is counted as the formatter counts it: each open container.
class Recogniser {
public:
    explicit Recogniser(QStringView text)
        : m_text(text)
    {
    }

    bool json()
    {
        space();
        if (!value(0))
            return false;
        space();
        return m_at == m_text.size();
    }

private:
    QChar peek() const { return m_at < m_text.size() ? m_text[m_at] : QChar(); }
    bool take(QChar c) { return peek() == c && (++m_at, true); }
    void space()
    {
        while (peek() == u' ' || peek() == u'\t' || peek() == u'\n' || peek() == u'\r')
            ++m_at;
    }
    bool word(QStringView w) { return m_text.sliced(m_at).startsWith(w) && (m_at += w.size(), true); }
    bool digits()
    {
        const qsizetype from = m_at;
        while (peek() >= u'0' && peek() <= u'9')
            ++m_at;
        return m_at > from;
    }

    bool value(int depth)
    {
        const QChar c = peek();
        if (c == u'{' || c == u'[')
            return container(depth + 1);
        if (c == u'"')
            return string();
        if (c == u't')
            return word(u"true");
        if (c == u'f')
            return word(u"false");
        if (c == u'n')
            return word(u"null");
        return number();
    }

    bool container(int depth)
    {
        if (depth > jsonformat::MaxDepth)
            return false;
        const bool object = m_text[m_at++] == u'{';
        const QChar close = object ? u'}' : u']';
        space();
        if (take(close))
            return true;
        for (;;) {
            if (object) {
                if (!string())
                    return false;
                space();
                if (!take(u':'))
                    return false;
                space();
            }
            if (!value(depth))
                return false;
            space();
            if (take(close))
                return true;
            if (!take(u','))
                return false;
            space();
        }
    }

    bool string()
    {
        if (!take(u'"'))
            return false;
        for (;;) {
            const QChar c = peek();
            if (m_at >= m_text.size() || c < u' ')
                return false;
            ++m_at;
            if (c == u'"')
                return true;
            if (c != u'\\')
                continue;
            const QChar e = peek();
            ++m_at;
            if (e == u'u') {
                for (int i = 0; i < 4; ++i, ++m_at) {
                    if (!isxdigit(peek().toLatin1()) || peek().unicode() > 0x7f)
                        return false;
                }
            } else if (!QStringView(u"\"\\/bfnrt").contains(e) || e.isNull()) {
                return false;
            }
        }
    }

    bool number()
    {
        take(u'-');
        if (!take(u'0') && !(peek() >= u'1' && peek() <= u'9' && digits()))
            return false;
        if (take(u'.') && !digits())
            return false;
        if (take(u'e') || take(u'E')) {
            if (!take(u'+'))
                take(u'-');
            return digits();
        }
        return true;
    }

    QStringView m_text;
    qsizetype m_at = 0;
};

// The text without the white space that stands outside strings.
QString squeezed(QStringView text)
{
    QString out;
    bool inString = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inString && c == u'\\') {
            out += c;
            out += text[++i];
            continue;
        }
        if (c == u'"')
            inString = !inString;
        if (inString || !(c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'))
            out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool json = jsonformat::isJson(text);
    FUZZ_CHECK(json == Recogniser(text).json());
    const std::optional<QString> formatted = jsonformat::format(text);
    FUZZ_CHECK(formatted.has_value() == json);
    if (formatted) {
        FUZZ_CHECK(jsonformat::isJson(*formatted));
        FUZZ_CHECK(squeezed(*formatted) == squeezed(text));
    }
    return 0;
}
