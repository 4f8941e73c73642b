#include "forms.h"

#include "characters.h"
#include "urlstart.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace requestimport {

namespace {

    constexpr QStringView Commands[] = { u"Invoke-WebRequest", u"iwr", u"Invoke-RestMethod", u"irm" };

    qsizetype lineBreakAt(QStringView text, qsizetype at)
    {
        if (text.sliced(at).startsWith(u"\r\n"))
            return 2;
        return at < text.size() && (text[at] == u'\n' || text[at] == u'\r') ? 1 : 0;
    }

    bool isNameCharacter(QChar c)
    {
        return c.isLetterOrNumber() || c == u'_';
    }

    // PowerShell reads the typographic quotes as the plain ones: “ ” „ as ", and ‘ ’ ‚ ‛ as '.
    constexpr QStringView DoubleQuotes = u"\"\u201c\u201d\u201e", SingleQuotes = u"'\u2018\u2019\u201a\u201b";

    bool isQuote(QChar c)
    {
        return DoubleQuotes.contains(c) || SingleQuotes.contains(c);
    }

    // The text PowerShell makes of a number written bare, as it sends it: 007, 0x1F, 1kb and 1e3 are 7, 31,
    // 1024 and 1000. None for one with a type of its own, a fraction, or beyond what is sent exactly.
    std::optional<QString> numberText(QStringView word)
    {
        static constexpr QStringView Multipliers[] = { u"kb", u"mb", u"gb", u"tb", u"pb" };
        qint64 factor = 1;
        for (int i = 0; i < 5; ++i) {
            if (word.endsWith(Multipliers[i], Qt::CaseInsensitive)) {
                factor = qint64(1) << (10 * (i + 1));
                word.chop(2);
                break;
            }
        }
        bool ok = false;
        qint64 value = 0;
        if (word.startsWith(u"0x", Qt::CaseInsensitive)) {
            const QStringView digits = word.sliced(2);
            value = digits.toLongLong(&ok, 16);
            ok = ok && std::all_of(digits.begin(), digits.end(), [](QChar c) { return hexValue(c) >= 0; })
                && value <= 0x7fffffff; // larger ones are read as negative numbers
        } else if (std::all_of(word.begin(), word.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
            value = word.toLongLong(&ok, 10);
        } else {
            const double real = QLocale::c().toDouble(word, &ok) * double(factor);
            ok = ok && word.front().isDigit() && real == std::floor(real) && std::abs(real) < 1e15;
            value = ok ? qint64(real) : 0;
            factor = 1;
        }
        if (!ok || value > std::numeric_limits<qint64>::max() / factor)
            return std::nullopt;
        return QString::number(value * factor);
    }

    // Chrome and Firefox write HTTP/2's pseudo-headers without their colon too: "authority", "method", "path"
    // and "scheme" are taken for them where they say what the URL and the method say, and only there.
    bool describesRequestLine(
        const request::Header& header, const request::Request& request, const std::optional<request::UrlStart>& url)
    {
        const QString& name = header.name;
        const QString& value = header.value;
        if (!url)
            return false;
        if (name == u"method")
            return value == request.method;
        if (name == u"scheme")
            return value == url->scheme;
        if (name == u"authority")
            return value == QString(url->host % (url->port.isEmpty() ? u"" : u":") % url->port);
        QStringView path = url->rest;
        if (const qsizetype fragment = path.indexOf(u'#'); fragment >= 0)
            path.truncate(fragment);
        return name == u"path" && value == (path.isEmpty() ? u"/" : path);
    }

    // A PowerShell script read a statement at a time, as far as browsers write one: the lines that make a
    // session, then one Invoke-WebRequest. Nothing in it is run; what would need running is refused.
    class Reader {
    public:
        explicit Reader(QStringView text)
            : m_text(text)
        {
        }

        bool starts() { return match(u"$session") || commandName(); }
        Result read();

    private:
        QChar at(qsizetype i) const { return i < m_text.size() ? m_text[i] : QChar(); }
        bool failed() const { return !m_failure.isEmpty(); }
        bool fail(const QString& message)
        {
            if (m_failure.isEmpty())
                m_failure = message;
            return false;
        }
        bool statementEnds() const { return m_at >= m_text.size() || QStringView(u"\r\n;").contains(m_text[m_at]); }
        void skip(bool separators);
        bool match(QStringView pattern, QStringList* strings = nullptr);
        bool commandName();
        bool sessionLine(qsizetype from);
        bool addCookie(const QString& name, const QString& value);
        bool command();
        bool parameter(QStringView name);
        bool headers();
        std::optional<QString> value(QStringView parameter);
        std::optional<QString> quoted();
        std::optional<QString> bare(QStringView stops = {});
        bool escape(qsizetype& i, QString& out);
        bool dollar(qsizetype& i, QString& out);
        QString statement(qsizetype from) const;
        QString unknownLine(qsizetype from) const
        {
            return u"The PowerShell line \"%1\" is not one a browser writes, and nothing is run here."_s.arg(
                statement(from));
        }

        QStringView m_text;
        qsizetype m_at = 0;
        QString m_failure;
        bool m_session = false; // a line made the session
        bool m_usesSession = false; // the command sends with it
        std::optional<QString> m_sessionAgent;
        QStringList m_cookies; // "name=value", in the order they were added
        std::optional<QString> m_url, m_method, m_body;
        bool m_agent = false; // -UserAgent, which wins over the session's
        QStringList m_given; // the parameters named so far
        QList<request::Header> m_headers;
    };

    // Spaces, tabs, comments and a backtick that ends a line, which goes on with the next; with `separators`,
    // line breaks and semicolons too.
    void Reader::skip(bool separators)
    {
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            if (c == u' ' || c == u'\t' || c == u'\f' || c == QChar::Nbsp) {
                ++m_at;
            } else if (c == u'`' && lineBreakAt(m_text, m_at + 1)) {
                m_at += 1 + lineBreakAt(m_text, m_at + 1);
            } else if (separators && (c == u'\r' || c == u'\n' || c == u';')) {
                ++m_at;
            } else if (c == u'#') {
                while (m_at < m_text.size() && m_text[m_at] != u'\r' && m_text[m_at] != u'\n')
                    ++m_at;
            } else {
                break;
            }
        }
    }

    // The pieces of `pattern`, which spaces part, with any spaces between them and the case of letters
    // not counting; "%s" reads a quoted string into `strings`. Where they do not match, nothing is read.
    bool Reader::match(QStringView pattern, QStringList* strings)
    {
        const qsizetype from = m_at;
        for (const QStringView piece : pattern.split(u' ')) {
            skip(false);
            if (piece == u"%s" && isQuote(at(m_at))) {
                const std::optional<QString> string = quoted();
                if (!string)
                    return false;
                strings->append(*string);
                continue;
            }
            if (piece == u"%s" || !m_text.sliced(m_at).startsWith(piece, Qt::CaseInsensitive)
                || (isNameCharacter(piece.back()) && isNameCharacter(at(m_at + piece.size())))) {
                m_at = from;
                return false;
            }
            m_at += piece.size();
        }
        return true;
    }

    bool Reader::commandName()
    {
        const qsizetype from = m_at;
        for (const QStringView name : Commands) {
            if (match(name) && (statementEnds() || m_text[m_at].isSpace() || m_text[m_at] == u'`'))
                return true;
            m_at = from;
        }
        return false;
    }

    // The statement from `from` to its line's end, to name it in a sentence.
    QString Reader::statement(qsizetype from) const
    {
        qsizetype end = from;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n')
            ++end;
        const QStringView line = m_text.sliced(from, end - from).trimmed();
        return line.size() > 60 ? line.first(59) % u'…' : line.toString();
    }

    // One of the lines that make the session: the object, its user agent, a cookie.
    bool Reader::sessionLine(qsizetype from)
    {
        QStringList strings;
        if (match(u"$session = New-Object Microsoft.PowerShell.Commands.WebRequestSession"))
            m_session = true;
        else if (match(u"$session.UserAgent = %s", &strings))
            m_sessionAgent = strings[0];
        else if (match(u"$session.Cookies.Add( ( New-Object System.Net.Cookie ( %s , %s , %s , %s ) ) )", &strings))
            return addCookie(strings[0], strings[1]);
        else
            return fail(unknownLine(from));
        return !failed();
    }

    // The parameters after the command's name, to the statement's end.
    bool Reader::command()
    {
        for (;;) {
            skip(false);
            if (statementEnds())
                return true;
            const QChar c = m_text[m_at];
            if (c == u'-' && at(m_at + 1).isLetter()) {
                qsizetype end = m_at + 1;
                while (isNameCharacter(at(end)))
                    ++end;
                const QStringView name = m_text.sliced(m_at, end - m_at);
                m_at = end + (at(end) == u':'); // -Uri:"…" gives the value in the same word
                if (!parameter(name))
                    return false;
            } else if (QStringView(u"|&<>").contains(c)) {
                return fail(u"The command goes on past one program (an unquoted %1)."_s.arg(c));
            } else if (!m_url) { // the URL may come first, unnamed
                m_given.append(u"-Uri"_s);
                if (!(m_url = value(u"-Uri")))
                    return false;
            } else { // a word too many; PowerShell reads it whole first, and an unclosed quote in it is what fails
                const qsizetype from = m_at;
                if (isQuote(c) ? quoted() : bare())
                    fail(u"The PowerShell command gives \"%1\" to no parameter."_s.arg(statement(from)));
                return false;
            }
        }
    }

    // A cookie of the session, as .NET's cookie type takes it: a value holding ; or , is one it refuses,
    // unless the value is in quotes.
    bool Reader::addCookie(const QString& name, const QString& value)
    {
        const bool quotedValue = value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"');
        if (!quotedValue && (value.contains(u';') || value.contains(u',')))
            return fail(u"The PowerShell cookie %1 has a value holding ; or , which .NET refuses."_s.arg(name));
        m_cookies.append(name % u'=' % value);
        return true;
    }

    bool Reader::parameter(QStringView name)
    {
        const auto is = [name](QStringView known) { return name.compare(known, Qt::CaseInsensitive) == 0; };
        if (m_given.contains(name, Qt::CaseInsensitive))
            return fail(u"The PowerShell parameter %1 is given more than once."_s.arg(name));
        m_given.append(name.toString());
        const QString unread = u"The PowerShell parameter %1 is given a value that is not imported."_s.arg(name);
        if (is(u"-UseBasicParsing"))
            return true;
        if (is(u"-WebSession")) {
            m_usesSession = true;
            return (match(u"$session") && m_session)
                || fail(u"The command uses a PowerShell session that no line "
                        u"before it makes."_s);
        }
        if (is(u"-Headers"))
            return (match(u"@{") && headers()) || fail(unread);
        if (is(u"-Body")) {
            skip(false);
            QStringList strings;
            if (at(m_at) != u'(')
                return bool(m_body = value(name));
            if (!match(u"( [System.Text.Encoding]::UTF8.GetBytes( %s ) )", &strings))
                return fail(unread);
            m_body = strings[0];
            return true;
        }
        const bool agent = is(u"-UserAgent"), type = is(u"-ContentType");
        if (!agent && !type && !is(u"-Uri") && !is(u"-Method"))
            return fail(u"The PowerShell parameter %1 cannot be imported."_s.arg(name));
        const std::optional<QString> text = value(name);
        if (!text)
            return false;
        if (agent || type) {
            m_agent = m_agent || agent;
            m_headers.append({ agent ? u"User-Agent"_s : u"Content-Type"_s, *text });
        } else {
            (is(u"-Uri") ? m_url : m_method) = *text;
        }
        return true;
    }

    // The pairs of a @{…} to its closing brace, one a line or with ; between them.
    bool Reader::headers()
    {
        const qsizetype first = m_headers.size();
        for (;;) {
            skip(true);
            if (at(m_at) == u'}') {
                ++m_at;
                return true;
            }
            if (m_at >= m_text.size())
                return fail(u"A brace { is not closed."_s);
            const qsizetype from = m_at;
            const std::optional<QString> name = isQuote(at(m_at)) ? quoted() : bare(u"=");
            if (!name)
                return false;
            // Keys compare without case, and PowerShell refuses one given twice.
            if (std::any_of(m_headers.cbegin() + first, m_headers.cend(),
                    [&name](const request::Header& h) { return h.name.compare(*name, Qt::CaseInsensitive) == 0; }))
                return fail(u"The PowerShell headers give the key %1 more than once."_s.arg(*name));
            skip(false);
            if (name->isEmpty() || at(m_at) != u'=')
                return fail(
                    u"The PowerShell headers hold \"%1\", which is no name = value pair."_s.arg(statement(from)));
            ++m_at;
            skip(false);
            // A value is a string, or a number, which goes out as PowerShell writes it.
            const QChar c = at(m_at);
            std::optional<QString> value;
            if (isQuote(c)) {
                value = quoted();
            } else if (c.isDigit()) {
                const qsizetype numberAt = m_at;
                if (const std::optional<QString> word = bare(); word && !(value = numberText(*word)))
                    return fail(u"The PowerShell header %1 is given the number %2, which is not imported: put "
                                u"the value in quotes."_s.arg(*name, m_text.sliced(numberAt, m_at - numberAt)));
            }
            if (!value)
                return fail(u"The PowerShell header %1 has a value that is not imported."_s.arg(*name));
            m_headers.append({ *name, *value });
        }
    }

    // A parameter's value: a quoted string or a bare word.
    std::optional<QString> Reader::value(QStringView parameter)
    {
        skip(false);
        const QChar c = at(m_at);
        if (statementEnds() || (c == u'-' && at(m_at + 1).isLetter()))
            fail(u"The PowerShell parameter %1 has no value."_s.arg(parameter));
        else if (QStringView(u"(@{)}|&<>,").contains(c))
            fail(u"The PowerShell parameter %1 is given a value that is not imported."_s.arg(parameter));
        else
            return isQuote(c) ? quoted() : bare();
        return std::nullopt;
    }

    // A string in single quotes, where '' is a quote, or in double quotes, where "" is one, a backtick
    // escapes and $ may name a character.
    std::optional<QString> Reader::quoted()
    {
        const QChar quote = m_text[m_at];
        const bool expands = DoubleQuotes.contains(quote);
        const QStringView closing = expands ? DoubleQuotes : SingleQuotes; // any of them ends the string
        QString value;
        qsizetype i = m_at + 1, run = i;
        for (;;) {
            if (i >= m_text.size()) {
                fail(u"A quote %1 is not closed."_s.arg(quote));
                return std::nullopt;
            }
            const QChar c = m_text[i];
            if (!closing.contains(c) && (!expands || (c != u'`' && c != u'$'))) {
                ++i;
                continue;
            }
            value += m_text.sliced(run, i - run);
            if (closing.contains(c) && closing.contains(at(i + 1))) {
                value += c;
                i += 2;
            } else if (closing.contains(c)) {
                m_at = i + 1;
                return value;
            } else if (c == u'`' && i + 1 < m_text.size()) {
                if (!escape(i, value))
                    return std::nullopt;
            } else if (c == u'$' && !dollar(i, value)) {
                return std::nullopt;
            } else if (c == u'`') {
                ++i; // the text ends after it: the quote is not closed
            }
            run = i;
        }
    }

    // An unquoted word, to a space or a character that ends one. A quoted string inside it is part of it.
    std::optional<QString> Reader::bare(QStringView stops)
    {
        QString value;
        qsizetype i = m_at;
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            if (c.isSpace() || QStringView(u";(){}|&<>,").contains(c) || stops.contains(c)
                || (c == u'`' && (i + 1 == m_text.size() || lineBreakAt(m_text, i + 1))))
                break;
            if (isQuote(c)) {
                m_at = i;
                const std::optional<QString> part = quoted();
                if (!part)
                    return std::nullopt;
                value += *part;
                i = m_at;
            } else if (c == u'`') {
                if (!escape(i, value))
                    return std::nullopt;
            } else if (c == u'$') {
                if (!dollar(i, value))
                    return std::nullopt;
            } else {
                value += c;
                ++i;
            }
        }
        m_at = i;
        return value;
    }

    // The character that the backtick at `i` and the one after it stand for: `0, `a, `b, `e, `f, `n, `r, `t,
    // `v, `u{…} name characters, and before any other the backtick takes its meaning away. False, with
    // the reason, for a code point beyond Unicode.
    bool Reader::escape(qsizetype& i, QString& out)
    {
        const QChar e = m_text[i + 1];
        i += 2;
        if (e == u'0') {
            out += QChar(0);
        } else if (const auto control = controlEscape(e)) {
            out += *control;
        } else if (qsizetype end = i + 1; e == u'u' && at(i) == u'{') {
            const long code = digits(m_text, end, 16, 6);
            if (code < 0 || at(end) != u'}')
                return (out += e), true;
            if (code > 0x10ffff)
                return fail(u"The PowerShell escape `u{%1} names no character: Unicode ends at 10FFFF."_s.arg(
                    m_text.sliced(i + 1, end - i - 1)));
            appendCodePoint(out, code);
            i = end + 1;
        } else {
            out += e;
        }
        return true;
    }

    // A $ at `i`: $([char]N) is that character and a $ that starts no name is itself; any other variable
    // or subexpression would need running.
    bool Reader::dollar(qsizetype& i, QString& out)
    {
        const QChar next = at(i + 1);
        if (next == u'(') {
            qsizetype j = i + 2;
            const auto spaces = [&] {
                while (at(j) == u' ' || at(j) == u'\t')
                    ++j;
            };
            spaces();
            if (m_text.sliced(j).startsWith(u"[char]", Qt::CaseInsensitive)) {
                j += 6;
                spaces();
                const long code = digits(m_text, j, 10, 6);
                spaces();
                if (code >= 0 && code <= 0xffff && at(j) == u')') {
                    out += QChar(char16_t(code));
                    i = j + 1;
                    return true;
                }
            }
            return fail(u"The command uses a PowerShell subexpression $(…), which is never run here."_s);
        }
        if (isNameCharacter(next) || QStringView(u"{?^$:").contains(next)) {
            qsizetype end = i + 2;
            while (isNameCharacter(at(end)) || at(end) == u':')
                ++end;
            return fail(u"The command uses the PowerShell variable %1, which is never read here."_s.arg(
                m_text.sliced(i, qMin(end, m_text.size()) - i)));
        }
        out += u'$';
        ++i;
        return true;
    }

    Result Reader::read()
    {
        bool commandRead = false;
        while (!failed()) {
            skip(true);
            const qsizetype from = m_at;
            if (m_at >= m_text.size())
                break;
            if (commandRead)
                return Result::refused(u"The text holds more than one PowerShell command: copy one request."_s);
            if (commandName()) {
                commandRead = true;
                command();
            } else if (sessionLine(from)) {
                skip(false);
                if (!statementEnds())
                    fail(unknownLine(from));
            }
        }
        if (failed())
            return Result::refused(m_failure);
        if (!commandRead)
            return Result::refused(u"The PowerShell lines hold no Invoke-WebRequest."_s);
        if (!m_url || m_url->isEmpty())
            return Result::refused(u"The PowerShell command names no URL."_s);

        Description description;
        description.source = u"a PowerShell command"_s;
        request::Request& request = description.request;
        request.url = *m_url;
        request.method = m_method.value_or(u"GET"_s).toUpper();
        request.body = m_body.value_or(QString());
        if (m_usesSession) {
            if (m_sessionAgent && !m_agent)
                request.headers.append({ u"User-Agent"_s, *m_sessionAgent });
            if (!m_cookies.isEmpty())
                request.headers.append({ u"Cookie"_s, m_cookies.join(u"; ") });
        }
        const std::optional<request::UrlStart> url = request::splitUrl(request.url);
        for (const request::Header& header : std::as_const(m_headers)) {
            if (!describesRequestLine(header, request, url))
                request.headers.append(header);
        }
        return Result::imported(description);
    }

} // namespace

bool startsPowerShell(QStringView text)
{
    return Reader(text).starts();
}

Result readPowerShell(QStringView text)
{
    return Reader(text).read();
}

} // namespace requestimport
