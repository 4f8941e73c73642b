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

} // namespace

Result readCurl(const QStringList& words)
{
    Description description;
    description.source = u"a curl command"_s;
    std::optional<QString> method, url;
    QString data; // the pieces joined as curl joins them: with & between, and --json ones with nothing
    bool hasData = false, get = false, head = false, json = false;
    const auto addData = [&](const QString& piece, bool asJson) {
        data += (hasData && !asJson ? u"&" : u"") % piece;
        hasData = true;
    };
    QStringList cookies; // -b, sent in one header
    qsizetype cookiesAt = -1; // the header row they take
    QList<request::Header> added; // rows curl adds of its own unless the command gives them

    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words[i];
        const Option* option = nullptr;
        QString argument, spelled;
        bool attached = false;
        if (word.startsWith(u"--") && word.size() > 2) {
            option = findLong(QStringView(word).sliced(2));
            spelled = word;
        } else if (word.startsWith(u'-') && word.size() > 1) {
            // Short options may share a word: -sSL, -XPOST, -sX POST.
            for (qsizetype at = 1; at < word.size(); ++at) {
                option = findShort(word[at]);
                spelled = u'-' + word[at];
                if (!option || takesArgument(option->does)) {
                    attached = at + 1 < word.size();
                    argument = word.sliced(at + 1);
                    break;
                }
                if (option->does == Does::Get)
                    get = true;
                else if (option->does == Does::Head)
                    head = true;
                if (at + 1 < word.size())
                    option = nullptr; // the next letter is read in the next round
                else
                    break;
            }
            if (option && !takesArgument(option->does))
                continue;
        } else {
            if (url)
                return Result::refused(u"The curl command names more than one URL."_s);
            url = word;
            continue;
        }
        if (!option)
            return Result::refused(u"The curl option %1 cannot be imported."_s.arg(spelled));
        if (option->does == Does::Refuse)
            return Result::refused(u"The curl option %1 %2, which the window cannot send."_s.arg(
                spelled, QLatin1StringView(option->what)));
        if (takesArgument(option->does) && !attached) {
            if (++i >= words.size())
                return Result::refused(u"The curl option %1 has no value."_s.arg(spelled));
            argument = words[i];
        }
        switch (option->does) {
        case Does::Url:
            if (url)
                return Result::refused(u"The curl command names more than one URL."_s);
            url = argument;
            break;
        case Does::Method:
            method = argument.toUpper();
            break;
        case Does::Header: {
            // "Name: value" sends the header; "Name;" sends it empty; "Name:" only takes curl's own away.
            const auto field = request::splitField(argument);
            if (isPseudoHeader(argument)) {
                break;
            } else if (!argument.contains(u':') && argument.endsWith(u';')) {
                description.request.headers.append({ argument.chopped(1), QString() });
            } else if (field) {
                if (!field->value.isEmpty())
                    description.request.headers.append({ field->name.toString(), field->value.toString() });
            } else {
                return Result::refused(u"The curl header \"%1\" has no name and colon."_s.arg(argument));
            }
            break;
        }
        case Does::Cookie:
            if (!argument.contains(u'='))
                return Result::refused(u"The curl option %1 reads cookies from a file, which is not "
                                       u"imported."_s.arg(spelled));
            if (cookies.isEmpty())
                cookiesAt = description.request.headers.size();
            cookies.append(argument);
            break;
        case Does::Data:
        case Does::DataBinary:
            if (argument.startsWith(u'@'))
                return Result::refused(u"The curl option %1 reads the data from a file, which is not "
                                       u"imported."_s.arg(spelled));
            addData(argument, false);
            break;
        case Does::DataRaw:
            addData(argument, false);
            break;
        case Does::DataUrlencode:
            // "name@file" and "@file" read a file; a "=" anywhere makes it "name=content".
            if (!argument.contains(u'=') && argument.contains(u'@'))
                return Result::refused(u"The curl option %1 reads the data from a file, which is not "
                                       u"imported."_s.arg(spelled));
            addData(urlencoded(argument), false);
            break;
        case Does::Json:
            addData(argument, true);
            json = true;
            break;
        case Does::User: {
            if (!argument.contains(u':')) // curl would ask for the password
                return Result::refused(u"The curl option %1 gives no password, which curl would ask for: "
                                       u"give it as %1 %2:password."_s.arg(spelled, argument));
            const QByteArray credentials = argument.toUtf8().toBase64();
            added.append({ u"Authorization"_s, u"Basic " + QString::fromLatin1(credentials) });
            break;
        }
        case Does::UserAgent:
            added.append({ u"User-Agent"_s, argument });
            break;
        case Does::Referer:
            added.append({ u"Referer"_s, argument });
            break;
        case Does::Get:
            get = true;
            break;
        case Does::Head:
            head = true;
            break;
        case Does::Refuse:
        case Does::Ignore:
            break;
        case Does::IgnoreWithArgument:
            description.ignored.append(spelled);
            break;
        }
    }

    if (!url || url->isEmpty())
        return Result::refused(u"The curl command names no URL."_s);
    request::Request& request = description.request;
    request.url = *url;
    if (get && hasData) { // the data joins the query, before any fragment, and is sent no more
        qsizetype end = request.url.indexOf(u'#');
        if (end < 0)
            end = request.url.size();
        const bool query = QStringView(request.url).first(end).contains(u'?');
        request.url.insert(end, (query ? u'&' : u'?') + std::exchange(data, {}));
        hasData = false;
    }
    request.method = method.value_or(head ? u"HEAD"_s : hasData ? u"POST"_s : u"GET"_s);
    request.body = data;

    // One Cookie header, as a server reads it: the -H ones joined, or if there are none, the -b ones.
    if (!hasHeader(request.headers, u"Cookie") && !cookies.isEmpty())
        request.headers.insert(cookiesAt, { u"Cookie"_s, cookies.join(u"; ") });
    const auto cookieAt = [&request](qsizetype from) {
        return request::indexOfField(request.headers, u"Cookie", &request::Header::name, from);
    };
    if (const qsizetype first = cookieAt(0); first >= 0) {
        for (qsizetype more = cookieAt(first + 1); more >= 0; more = cookieAt(more)) {
            request.headers[first].value += u"; " % request.headers[more].value;
            request.headers.removeAt(more);
        }
    }

    for (const request::Header& header : added) {
        if (!hasHeader(request.headers, header.name))
            request.headers.append(header);
    }
    if (json) {
        if (!hasHeader(request.headers, u"Content-Type"))
            request.headers.append({ u"Content-Type"_s, u"application/json"_s });
        if (!hasHeader(request.headers, u"Accept"))
            request.headers.append({ u"Accept"_s, u"application/json"_s });
    } else if (hasData && !hasHeader(request.headers, u"Content-Type")) {
        request.headers.append({ u"Content-Type"_s, u"application/x-www-form-urlencoded"_s });
    }

    return Result::imported(description);
}

} // namespace requestimport
