#include "shellwords.h"

#include "characters.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace requestimport {

namespace {

    bool isBlank(QChar c)
    {
        return c == u' ' || c == u'\t';
    }

    // The inside of $'…' from `at`, to the closing quote; `at` ends past it. \xHH and \NNN name bytes, which
    // in a row must be UTF-8, as they go out as they are; \uHHHH and \UHHHHHHHH name characters. Empty, or
    // why the quote cannot be read.
    QString dollarQuoted(QStringView text, qsizetype& at, QString& word)
    {
        QByteArray bytes; // named by escapes, not yet read as text
        const auto text8 = [&] {
            if (bytes.isEmpty())
                return true;
            const bool valid = QByteArrayView(bytes).isValidUtf8();
            if (valid)
                word += QString::fromUtf8(bytes);
            bytes.clear();
            return valid;
        };
        const QString notText = u"The quote $'…' names bytes that are not UTF-8 text, which bash sends as they are "
                                u"and a request here cannot carry (Firefox writes é so): copy the request for "
                                u"Windows, or as fetch."_s;
        while (at < text.size()) {
            const QChar c = text[at++];
            const bool byte = c == u'\\' && at < text.size()
                && ((text[at] == u'x' && at + 1 < text.size() && hexValue(text[at + 1]) >= 0)
                    || (text[at] >= u'0' && text[at] <= u'7'));
            if (byte) {
                const bool hex = text[at] == u'x';
                at += hex;
                bytes += char(digits(text, at, hex ? 16 : 8, hex ? 2 : 3) & 0xff);
                continue;
            }
            if (!text8())
                return notText;
            if (c == u'\'')
                return {};
            if (c != u'\\' || at == text.size()) {
                word += c;
                continue;
            }
            const QChar e = text[at++];
            if (const auto control = controlEscape(e == u'E' ? u'e' : e)) {
                word += *control;
                continue;
            }
            switch (e.unicode()) {
            case u'x':
            case u'u':
            case u'U': {
                const long value = digits(text, at, 16, e == u'x' ? 2 : e == u'u' ? 4 : 8);
                if (value < 0)
                    word += u'\\' % e;
                else if (e == u'u' && value >= 0xd800 && value <= 0xdfff)
                    word += QChar(char16_t(value)); // half of a pair, as browsers write one
                else
                    appendCodePoint(word, value);
                break;
            }
            case u'c':
                if (at < text.size())
                    word += QChar(text[at++].unicode() & 0x1f);
                break;
            default:
                if (e == u'\\' || e == u'\'' || e == u'"' || e == u'?')
                    word += e;
                else
                    word += u'\\' % e;
            }
        }
        return text8() ? u"A quote $' is not closed."_s : notText;
    }

    QString unsupported(QChar c)
    {
        if (c == u'$' || c == u'`')
            return u"The command uses the shell's %1, which is never run here."_s.arg(c);
        if (c == u'~' || c == u'{')
            return u"The command uses the shell's %1 expansion, which is never done here."_s.arg(
                c == u'~' ? u"~"_s : u"{…}"_s);
        return u"The command goes on past one program (an unquoted %1)."_s.arg(c);
    }

    // Whether bash expands a {…} that opens at `at` or later in the same word: one with an unquoted comma
    // or ".." at its own level, as in {a,b} and {1..3}. One pass, however many braces the word holds.
    bool bracesExpand(QStringView text, qsizetype at)
    {
        std::vector<bool> open; // for each { not closed yet: whether it holds a list
        for (; at < text.size(); ++at) {
            const QChar c = text[at];
            if (c == u'\\') {
                ++at;
            } else if (c == u'\'') {
                at = text.indexOf(u'\'', at + 1);
                if (at < 0)
                    return false;
            } else if (c == u'"') {
                for (++at; at < text.size() && text[at] != u'"'; ++at)
                    at += text[at] == u'\\';
            } else if (isBlank(c) || QStringView(u"\r\n|&;<>()").contains(c)) {
                return false;
            } else if (c == u'{') {
                open.push_back(false);
            } else if (c == u'}' && !open.empty()) {
                if (open.back())
                    return true;
                open.pop_back();
            } else if (!open.empty() && (c == u',' || text.sliced(at).startsWith(u".."))) {
                open.back() = true;
            }
        }
        return false;
    }

} // namespace

namespace {

    // bash's reading of one command into words, a character at a time: quoting, escapes and comments are
    // undone; what bash would expand or run (variables, substitutions, ~, {a,b}, pipes) is refused.
    class PosixSplitter {
    public:
        explicit PosixSplitter(QStringView text)
            : m_text(text)
        {
        }

        Words split();

    private:
        QChar at(qsizetype i) const { return i < m_text.size() ? m_text[i] : QChar(); }
        void endWord();
        bool tildeExpands();
        bool expands(qsizetype dollar) const;
        void backslash();
        bool doubleQuoted();
        bool fail(const QString& failure)
        {
            m_out.failure = failure;
            return false;
        }

        QStringView m_text;
        qsizetype m_at = 0;
        Words m_out;
        QString m_word;
        bool m_inWord = false;
        // What is known of the word so far: whether it is an assignment (a name, then =), read up to
        // `m_nameRead`, and whether its braces were looked at.
        enum class Name { Maybe, Assignment, Not } m_name = Name::Maybe;
        qsizetype m_nameRead = 0, m_equalsAt = -1;
        bool m_bracesSeen = false;
    };

    void PosixSplitter::endWord()
    {
        if (m_inWord)
            m_out.words.append(m_word);
        m_word.clear();
        m_inWord = false;
        m_name = Name::Maybe;
        m_nameRead = 0;
        m_bracesSeen = false;
    }

    // bash expands an unquoted ~ at a word's start, and after the = or a : of an assignment.
    bool PosixSplitter::tildeExpands()
    {
        if (!m_inWord)
            return true;
        for (; m_name == Name::Maybe && m_nameRead < m_word.size(); ++m_nameRead) {
            const QChar c = m_word[m_nameRead];
            if (c == u'=') {
                m_name = m_nameRead > 0 ? Name::Assignment : Name::Not;
                m_equalsAt = m_nameRead;
            } else if (!(c == u'_' || (c.unicode() < 0x80 && c.isLetterOrNumber()))
                || (m_nameRead == 0 && c.isDigit())) {
                m_name = Name::Not;
            }
        }
        return m_name == Name::Assignment && (m_equalsAt == m_word.size() - 1 || m_word.endsWith(u':'));
    }

    // Whether the $ at `dollar` starts an expansion: a name, a special parameter, ${…} or $(…).
    bool PosixSplitter::expands(qsizetype dollar) const
    {
        qsizetype next = dollar + 1;
        // A backslash before a line break joins the lines before anything is expanded.
        for (qsizetype joined = 1; joined > 0; next += joined) {
            const QStringView rest = m_text.sliced(next);
            joined = rest.startsWith(u"\\\n") ? 2 : rest.startsWith(u"\\\r\n") ? 3 : 0;
        }
        if (next >= m_text.size())
            return false;
        const QChar c = m_text[next];
        return c == u'{' || c == u'(' || c == u'_' || c.isLetterOrNumber() || QStringView(u"?@*#!$-").contains(c);
    }

    // A backslash outside quotes: the line goes on after a line break; any other character is itself, and
    // a backslash at the very end stays.
    void PosixSplitter::backslash()
    {
        ++m_at;
        if (at(m_at) == u'\r' && at(m_at + 1) == u'\n')
            ++m_at;
        if (at(m_at) == u'\n') {
            ++m_at;
        } else {
            m_word += m_at < m_text.size() ? m_text[m_at++] : u'\\';
            m_inWord = true;
        }
    }

    // "…" from the quote at `m_at` to its closing one: a backslash escapes $ ` " \\ and a line break
    // only, and an expansion or a substitution inside is refused.
    bool PosixSplitter::doubleQuoted()
    {
        m_inWord = true;
        for (++m_at;; ++m_at) {
            if (m_at >= m_text.size())
                return fail(u"A quote \" is not closed."_s);
            const QChar q = m_text[m_at];
            if (q == u'"')
                break;
            if (q == u'`' || (q == u'$' && expands(m_at)))
                return fail(unsupported(q));
            if (q == u'\\' && m_at + 1 < m_text.size() && QStringView(u"$`\"\\\n").contains(m_text[m_at + 1])) {
                if (m_text[++m_at] != u'\n')
                    m_word += m_text[m_at];
            } else {
                m_word += q;
            }
        }
        ++m_at;
        return true;
    }

    Words PosixSplitter::split()
    {
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            if (isBlank(c) || c == u'\r') {
                endWord();
                ++m_at;
            } else if (c == u'\n') {
                endWord();
                // A line break ends the command; only blank lines may follow.
                if (!m_text.sliced(m_at).trimmed().isEmpty())
                    fail(u"The text holds more than one command."_s);
                return m_out;
            } else if (c == u'\\') {
                backslash();
            } else if (c == u'\'') {
                const qsizetype close = m_text.indexOf(u'\'', m_at + 1);
                if (close < 0) {
                    fail(u"A quote ' is not closed."_s);
                    return m_out;
                }
                m_word += m_text.sliced(m_at + 1, close - m_at - 1);
                m_inWord = true;
                m_at = close + 1;
            } else if (c == u'$' && at(m_at + 1) == u'"') {
                ++m_at; // $"…" is a string translated by the locale: here, the string as it is
                m_inWord = true;
            } else if (c == u'$' && at(m_at + 1) == u'\'') {
                m_at += 2;
                m_inWord = true;
                m_out.failure = dollarQuoted(m_text, m_at, m_word);
                if (!m_out.failure.isEmpty())
                    return m_out;
            } else if (c == u'"') {
                if (!doubleQuoted())
                    return m_out;
            } else if (c == u'#' && !m_inWord) {
                // A comment, to the end of the line.
                const qsizetype end = m_text.indexOf(u'\n', m_at);
                m_at = end < 0 ? m_text.size() : end;
            } else if (QStringView(u"|&;<>()`").contains(c) || (c == u'$' && expands(m_at))
                || (c == u'~' && tildeExpands())
                || (c == u'{' && !std::exchange(m_bracesSeen, true) && bracesExpand(m_text, m_at))) {
                fail(unsupported(c));
                return m_out;
            } else {
                m_word += c;
                m_inWord = true;
                ++m_at;
            }
        }
        endWord();
        return m_out;
    }

} // namespace

Words splitPosix(QStringView text)
{
    return PosixSplitter(text).split();
}

Words splitWindows(QStringView text)
{
    Words out;
    // cmd.exe first: a caret goes and takes the next character as it is; before a line break it takes the
    // break away and the character after it as it is. A quote that is not escaped starts or ends cmd.exe's
    // own quoting, inside which a caret is itself. A line break that is not escaped ends the command.
    // Carriage returns are dropped, as cmd.exe drops them.
    QString line;
    line.reserve(text.size());
    bool quoted = false;
    qsizetype at = 0;
    const auto next = [&] {
        while (at < text.size() && text[at] == u'\r')
            ++at;
        return at < text.size() ? text[at++] : QChar();
    };
    for (QChar c = next(); !c.isNull(); c = next()) {
        if (c == u'^' && !quoted) {
            c = next();
            if (c == u'\n')
                c = next();
            if (c.isNull()) {
                out.failure = u"The command ends with a lone ^."_s;
                return out;
            }
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u'\n' && !quoted) {
            if (!text.sliced(at).trimmed().isEmpty()) {
                out.failure = u"The text holds more than one command."_s;
                return out;
            }
            break;
        }
        line += c;
    }

    // Then the program's own argument rules: blanks split words outside "…"; "" inside "…" is one quote;
    // \" and \\ stand for " and \, as browsers write every backslash doubled.
    QString word;
    bool inWord = false;
    quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\\' && i + 1 < line.size() && (line[i + 1] == u'\\' || line[i + 1] == u'"')) {
            word += line[++i];
            inWord = true;
        } else if (c == u'"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == u'"')
                word += line[++i];
            else
                quoted = !quoted;
            inWord = true;
        } else if (isBlank(c) && !quoted) {
            if (inWord)
                out.words.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        out.failure = u"A quote \" is not closed."_s;
    else if (inWord)
        out.words.append(word);
    return out;
}

} // namespace requestimport
