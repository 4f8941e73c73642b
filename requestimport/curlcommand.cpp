#include "requestimport.h"

#include "forms.h"
#include "headerfield.h"

#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace requestimport {

namespace {

    enum class Does {
        Url,
        Method,
        Header,
        Cookie,
        Data, // -d: a leading @ names a file
        DataRaw,
        DataBinary, // a leading @ names a file
        DataUrlencode,
        Json,
        Get,
        User,
        UserAgent,
        Referer,
        Head,
        Refuse, // cannot be carried by a request here
        Ignore, // no argument; changes nothing that is sent
        IgnoreWithArgument,
    };

    struct Option {
        QStringView longName;
        char16_t shortName;
        Does does;
        const char* what = nullptr; // for Refuse: what the option does
    };

    // clang-format off
    constexpr std::array Options {
        Option { u"url",            0,    Does::Url },
        Option { u"request",        u'X', Does::Method },
        Option { u"header",         u'H', Does::Header },
        Option { u"cookie",         u'b', Does::Cookie },
        Option { u"data",           u'd', Does::Data },
        Option { u"data-ascii",     0,    Does::Data },
        Option { u"data-raw",       0,    Does::DataRaw },
        Option { u"data-binary",    0,    Does::DataBinary },
        Option { u"data-urlencode", 0,    Does::DataUrlencode },
        Option { u"json",           0,    Does::Json },
        Option { u"get",            u'G', Does::Get },
        Option { u"user",           u'u', Does::User },
        Option { u"user-agent",     u'A', Does::UserAgent },
        Option { u"referer",        u'e', Does::Referer },
        Option { u"head",           u'I', Does::Head },
        Option { u"form",           u'F', Does::Refuse, "sends a form with files" },
        Option { u"form-string",    0,    Does::Refuse, "sends a form" },
        Option { u"upload-file",    u'T', Does::Refuse, "uploads a file" },
        Option { u"cookie-jar",     u'c', Does::IgnoreWithArgument },
        Option { u"compressed",     0,    Does::Ignore },
        Option { u"insecure",       u'k', Does::Ignore },
        Option { u"silent",         u's', Does::Ignore },
        Option { u"show-error",     u'S', Does::Ignore },
        Option { u"location",       u'L', Does::Ignore },
        Option { u"globoff",        u'g', Does::Ignore },
        Option { u"verbose",        u'v', Does::Ignore },
        Option { u"include",        u'i', Does::Ignore },
        Option { u"fail",           u'f', Does::Ignore },
        Option { u"no-buffer",      u'N', Does::Ignore },
        Option { u"http1.1",        0,    Does::Ignore },
        Option { u"http2",          0,    Does::Ignore },
        Option { u"no-progress-meter", 0, Does::Ignore },
        Option { u"output",         u'o', Does::IgnoreWithArgument },
        Option { u"max-time",       u'm', Does::IgnoreWithArgument },
        Option { u"connect-timeout", 0,   Does::IgnoreWithArgument },
        Option { u"write-out",      u'w', Does::IgnoreWithArgument },
        Option { u"max-redirs",     0,    Does::IgnoreWithArgument },
        Option { u"retry",          0,    Does::IgnoreWithArgument },
    };
    // clang-format on

    bool takesArgument(Does does)
    {
        return does != Does::Get && does != Does::Head && does != Does::Ignore;
    }

    const Option* findLong(QStringView name)
    {
        for (const Option& option : Options) {
            if (option.longName == name)
                return &option;
        }
        return nullptr;
    }

    const Option* findShort(QChar name)
    {
        for (const Option& option : Options) {
            if (option.shortName && option.shortName == name.unicode())
                return &option;
        }
        return nullptr;
    }

    bool hasHeader(const QList<request::Header>& headers, QStringView name)
    {
        return request::indexOfField(headers, name, &request::Header::name) >= 0;
    }

    // What curl's --data-urlencode sends for its argument: "name=content", "=content", "content".
    QString urlencoded(const QString& argument)
    {
        const qsizetype equals = argument.indexOf(u'=');
        const auto encode = [](QStringView text) { return QString::fromLatin1(text.toUtf8().toPercentEncoding()); };
        if (equals < 0)
            return encode(argument);
        return argument.first(equals) % (equals > 0 ? u"=" : u"") % encode(QStringView(argument).sliced(equals + 1));
    }

    // curl's words read one option at a time, each applied as curl applies it, then what curl adds of its
    // own once the command is read.
    class CurlReader {
    public:
        explicit CurlReader(const QStringList& words)
            : m_words(words)
        {
            m_description.source = u"a curl command"_s;
        }

        Result read();

    private:
        std::optional<Result> word(qsizetype& i);
        std::optional<Result> apply(const Option& option, const QString& spelled, const QString& argument);
        std::optional<Result> header(const QString& argument);
        Result finish();
        void joinCookies(request::Request& request) const;
        void addCurlsOwnRows(request::Request& request) const;
        void addData(const QString& piece, bool asJson)
        {
            m_data += (m_hasData && !asJson ? u"&" : u"") % piece;
            m_hasData = true;
        }

        const QStringList& m_words;
        Description m_description;
        std::optional<QString> m_method, m_url;
        QString m_data; // the pieces joined as curl joins them: with & between, and --json ones with nothing
        bool m_hasData = false, m_get = false, m_head = false, m_json = false;
        QStringList m_cookies; // -b, sent in one header
        qsizetype m_cookiesAt = -1; // the header row they take
        QList<request::Header> m_added; // rows curl adds of its own unless the command gives them
    };

    Result CurlReader::read()
    {
        for (qsizetype i = 1; i < m_words.size(); ++i) {
            if (std::optional<Result> refused = word(i))
                return *std::move(refused);
        }
        return finish();
    }

    // The word at `i`: the URL, or an option with its argument, which may take the next word too. Short
    // options may share a word: -sSL, -XPOST, -sX POST.
    std::optional<Result> CurlReader::word(qsizetype& i)
    {
        const QString& word = m_words[i];
        const Option* option = nullptr;
        QString argument, spelled;
        bool attached = false;
        if (word.startsWith(u"--") && word.size() > 2) {
            option = findLong(QStringView(word).sliced(2));
            spelled = word;
        } else if (word.startsWith(u'-') && word.size() > 1) {
            for (qsizetype at = 1; at < word.size(); ++at) {
                option = findShort(word[at]);
                spelled = u'-' + word[at];
                if (!option || takesArgument(option->does)) {
                    attached = at + 1 < word.size();
                    argument = word.sliced(at + 1);
                    break;
                }
                if (option->does == Does::Get)
                    m_get = true;
                else if (option->does == Does::Head)
                    m_head = true;
                if (at + 1 < word.size())
                    option = nullptr; // the next letter is read in the next round
                else
                    break;
            }
            if (option && !takesArgument(option->does))
                return std::nullopt;
        } else {
            if (m_url)
                return Result::refused(u"The curl command names more than one URL."_s);
            m_url = word;
            return std::nullopt;
        }
        if (!option)
            return Result::refused(u"The curl option %1 cannot be imported."_s.arg(spelled));
        if (option->does == Does::Refuse)
            return Result::refused(u"The curl option %1 %2, which the window cannot send."_s.arg(
                spelled, QLatin1StringView(option->what)));
        if (takesArgument(option->does) && !attached) {
            if (++i >= m_words.size())
                return Result::refused(u"The curl option %1 has no value."_s.arg(spelled));
            argument = m_words[i];
        }
        return apply(*option, spelled, argument);
    }

    std::optional<Result> CurlReader::apply(const Option& option, const QString& spelled, const QString& argument)
    {
        const auto fromFile = [&spelled](const char* what) {
            return Result::refused(u"The curl option %1 reads %2 from a file, which is not imported."_s.arg(
                spelled, QLatin1StringView(what)));
        };
        switch (option.does) {
        case Does::Url:
            if (m_url)
                return Result::refused(u"The curl command names more than one URL."_s);
            m_url = argument;
            break;
        case Does::Method:
            m_method = argument.toUpper();
            break;
        case Does::Header:
            return header(argument);
        case Does::Cookie:
            if (!argument.contains(u'='))
                return fromFile("cookies");
            if (m_cookies.isEmpty())
                m_cookiesAt = m_description.request.headers.size();
            m_cookies.append(argument);
            break;
        case Does::Data:
        case Does::DataBinary:
            if (argument.startsWith(u'@'))
                return fromFile("the data");
            addData(argument, false);
            break;
        case Does::DataRaw:
            addData(argument, false);
            break;
        case Does::DataUrlencode:
            // "name@file" and "@file" read a file; a "=" anywhere makes it "name=content".
            if (!argument.contains(u'=') && argument.contains(u'@'))
                return fromFile("the data");
            addData(urlencoded(argument), false);
            break;
        case Does::Json:
            addData(argument, true);
            m_json = true;
            break;
        case Does::User:
            if (!argument.contains(u':')) // curl would ask for the password
                return Result::refused(u"The curl option %1 gives no password, which curl would ask for: "
                                       u"give it as %1 %2:password."_s.arg(spelled, argument));
            m_added.append({ u"Authorization"_s, u"Basic " + QString::fromLatin1(argument.toUtf8().toBase64()) });
            break;
        case Does::UserAgent:
            m_added.append({ u"User-Agent"_s, argument });
            break;
        case Does::Referer:
            m_added.append({ u"Referer"_s, argument });
            break;
        case Does::Get:
            m_get = true;
            break;
        case Does::Head:
            m_head = true;
            break;
        case Does::Refuse:
        case Does::Ignore:
            break;
        case Does::IgnoreWithArgument:
            m_description.ignored.append(spelled);
            break;
        }
        return std::nullopt;
    }

    // "Name: value" sends the header; "Name;" sends it empty; "Name:" only takes curl's own away.
    std::optional<Result> CurlReader::header(const QString& argument)
    {
        QList<request::Header>& headers = m_description.request.headers;
        const auto field = request::splitField(argument);
        if (isPseudoHeader(argument)) // a name that starts with its colon: dropped, never refused as no name
            return std::nullopt;
        if (!argument.contains(u':') && argument.endsWith(u';'))
            headers.append({ argument.chopped(1), QString() });
        else if (!field)
            return Result::refused(u"The curl header \"%1\" has no name and colon."_s.arg(argument));
        else if (!field->value.isEmpty())
            headers.append({ field->name.toString(), field->value.toString() });
        return std::nullopt;
    }

    Result CurlReader::finish()
    {
        if (!m_url || m_url->isEmpty())
            return Result::refused(u"The curl command names no URL."_s);
        request::Request& request = m_description.request;
        request.url = *m_url;
        if (m_get && m_hasData) { // the data joins the query, before any fragment, and is sent no more
            qsizetype end = request.url.indexOf(u'#');
            if (end < 0)
                end = request.url.size();
            const bool query = QStringView(request.url).first(end).contains(u'?');
            request.url.insert(end, (query ? u'&' : u'?') + std::exchange(m_data, {}));
            m_hasData = false;
        }
        request.method = m_method.value_or(m_head ? u"HEAD"_s : m_hasData ? u"POST"_s : u"GET"_s);
        request.body = m_data;
        joinCookies(request);
        addCurlsOwnRows(request);
        return Result::imported(m_description);
    }

    // One Cookie header, as a server reads it: the -H ones joined, or if there are none, the -b ones.
    void CurlReader::joinCookies(request::Request& request) const
    {
        if (!hasHeader(request.headers, u"Cookie") && !m_cookies.isEmpty())
            request.headers.insert(m_cookiesAt, { u"Cookie"_s, m_cookies.join(u"; ") });
        const auto cookieAt = [&request](qsizetype from) {
            return request::indexOfField(request.headers, u"Cookie", &request::Header::name, from);
        };
        if (const qsizetype first = cookieAt(0); first >= 0) {
            for (qsizetype more = cookieAt(first + 1); more >= 0; more = cookieAt(more)) {
                request.headers[first].value += u"; " % request.headers[more].value;
                request.headers.removeAt(more);
            }
        }
    }

    // The rows curl sends of its own where the command gives none: -u, -A and -e's, and the data's type.
    void CurlReader::addCurlsOwnRows(request::Request& request) const
    {
        for (const request::Header& header : m_added) {
            if (!hasHeader(request.headers, header.name))
                request.headers.append(header);
        }
        if (m_json) {
            if (!hasHeader(request.headers, u"Content-Type"))
                request.headers.append({ u"Content-Type"_s, u"application/json"_s });
            if (!hasHeader(request.headers, u"Accept"))
                request.headers.append({ u"Accept"_s, u"application/json"_s });
        } else if (m_hasData && !hasHeader(request.headers, u"Content-Type")) {
            request.headers.append({ u"Content-Type"_s, u"application/x-www-form-urlencoded"_s });
        }
    }

} // namespace

Result readCurl(const QStringList& words)
{
    return CurlReader(words).read();
}

} // namespace requestimport
