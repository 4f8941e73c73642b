#include "requestimport.h"

#include "characters.h"
#include "forms.h"
#include "headerfield.h"
#include "shellwords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace requestimport {

namespace {

    bool startsWithWord(QStringView text, QStringView word)
    {
        return text.startsWith(word, Qt::CaseInsensitive)
            && (text.size() == word.size() || text[word.size()].isSpace() || text[word.size()] == u'^');
    }

    // fetch("url", { … }) as browsers write it: the two arguments are JSON.
    Result readFetch(QStringView call)
    {
        const qsizetype open = call.indexOf(u'(');
        qsizetype close = call.size();
        while (close > open && (call[close - 1].isSpace() || call[close - 1] == u';'))
            --close;
        if (open < 0 || close <= open + 1 || call[close - 1] != u')')
            return Result::refused(u"The fetch call is not closed."_s);
        QJsonParseError error;
        const QString arguments = u'[' + call.sliced(open + 1, close - open - 2).toString() + u']';
        const QJsonArray parts = QJsonDocument::fromJson(arguments.toUtf8(), &error).array();
        if (error.error != QJsonParseError::NoError || parts.isEmpty() || parts[0].toString().isEmpty())
            return Result::refused(u"The fetch call is not written as browsers write it: %1."_s.arg(
                error.error != QJsonParseError::NoError ? error.errorString() : u"no URL"_s));
        Description description;
        description.source = u"a fetch call"_s;
        description.request.url = parts[0].toString();
        description.request.method = u"GET"_s;
        const QJsonObject options = parts.size() > 1 ? parts[1].toObject() : QJsonObject();
        // QJsonObject sorts its keys: the headers' order is taken from the text.
        for (auto it = options.begin(); it != options.end(); ++it) {
            const QString key = it.key();
            if (key == u"method" && it->isString()) {
                description.request.method = it->toString().toUpper();
            } else if (key == u"body" && (it->isString() || it->isNull())) {
                description.request.body = it->toString();
            } else if (key == u"headers" && it->isObject()) {
                const QJsonObject headers = it->toObject();
                const qsizetype headersAt = call.indexOf(u"\"headers\"");
                QList<std::pair<qsizetype, request::Header>> ordered;
                for (auto h = headers.begin(); h != headers.end(); ++h) {
                    if (!h->isString())
                        return Result::refused(u"The fetch header \"%1\" has no text value."_s.arg(h.key()));
                    const QString quoted
                        = QString::fromUtf8(QJsonDocument(QJsonArray { h.key() }).toJson(QJsonDocument::Compact))
                              .sliced(1)
                              .chopped(1)
                        + u':';
                    ordered.append({ call.indexOf(quoted, headersAt), { h.key(), h->toString() } });
                }
                std::stable_sort(
                    ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
                for (const auto& [at, header] : ordered)
                    description.request.headers.append(header);
            } else {
                description.ignored.append(key);
            }
        }
        return Result::imported(description);
    }

    Result readRaw(QStringView text, const StartLine& requestLine)
    {
        const qsizetype lineEnd = requestLine.length - 1;
        const QStringView target = requestLine.target;
        qsizetype blank = text.indexOf(u"\r\n\r\n", lineEnd);
        qsizetype bodyAt = blank + 4;
        const qsizetype lfBlank = text.indexOf(u"\n\n", lineEnd);
        if (lfBlank >= 0 && (blank < 0 || lfBlank < blank)) {
            blank = lfBlank;
            bodyAt = lfBlank + 2;
        }
        if (blank < 0)
            blank = bodyAt = text.size();
        Description description;
        description.source = u"a raw HTTP request"_s;
        description.request.method = requestLine.method.toString();
        const QStringView block = text.sliced(lineEnd + 1, qMax<qsizetype>(0, blank - lineEnd - 1));
        const QList<request::Header> headers = headerLines(block);
        if (headers.isEmpty() && !block.trimmed().isEmpty())
            return Result::refused(u"A line of the raw request's header block is not a header."_s);
        // The Host header makes the URL, and the length is the data's own.
        QString host;
        for (const request::Header& header : headers) {
            if (request::sameName(header.name, u"Host"))
                host = header.value.trimmed();
            else if (!request::sameName(header.name, u"Content-Length"))
                description.request.headers.append(header);
        }
        if (target.startsWith(u"http://") || target.startsWith(u"https://"))
            description.request.url = target.toString();
        else if (!host.isEmpty() && target.startsWith(u'/'))
            description.request.url = u"http://" % host % target;
        else
            return Result::refused(u"The raw request has no Host header to make its URL from."_s);
        description.request.body = text.sliced(qMin(bodyAt, text.size())).toString();
        return Result::imported(description);
    }

    // What every reader's request goes through. HTTP/2's pseudo-headers never become rows. A request is
    // text: half of a surrogate pair, with no other half, becomes U+FFFD as a UTF-8 encoder writes it; a
    // NUL is refused.
    Result checked(Result result)
    {
        request::Request& request = result.description.request;
        request.headers.removeIf([](const request::Header& header) { return isPseudoHeader(header.name); });
        if (result.kind == Result::Kind::Imported && request.method.isEmpty())
            return Result::refused(u"The request's method is empty."_s);
        QList<QString*> fields { &request.method, &request.url, &request.body };
        for (request::Header& header : request.headers)
            fields << &header.name << &header.value;
        for (QString* field : std::as_const(fields)) {
            if (field->contains(QChar(0)))
                return Result::refused(u"The request holds a NUL character, which is not text."_s);
            mendLoneSurrogates(*field);
        }
        return result;
    }

} // namespace

Result read(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    QStringView command = trimmed;
    if (command.startsWith(u"$ "))
        command = command.sliced(2).trimmed();

    if (startsWithWord(command, u"curl") || startsWithWord(command, u"curl.exe")) {
        // The forms written for Windows quote with ^" or ", and go on to the next line with ^; those for
        // bash quote with ' or $', which may hold a ^ at a line's end.
        qsizetype name = 0;
        while (name < command.size() && !command[name].isSpace())
            ++name;
        const QStringView first = command.sliced(name).trimmed();
        const qsizetype lineEnd = command.indexOf(u'\n');
        const bool windows = command.startsWith(u"curl.exe", Qt::CaseInsensitive) || first.startsWith(u'^')
            || first.startsWith(u'"')
            || (lineEnd > 0 && command.first(lineEnd).trimmed().endsWith(u'^')
                && !command.first(lineEnd).contains(u'\''));
        const Words words = windows ? splitWindows(command) : splitPosix(command);
        return words.failure.isEmpty() ? checked(readCurl(words.words)) : Result::refused(words.failure);
    }
    if (command.startsWith(u"fetch(") || command.startsWith(u"await fetch("))
        return checked(readFetch(command));
    if (startsPowerShell(trimmed)) // with its end as it is: a backtick there may join a line break
        return checked(readPowerShell(QStringView(trimmed.begin(), text.end())));
    if (std::optional<Result> har = readHar(trimmed))
        return checked(*std::move(har));
    if (const StartLine line = startLine(trimmed); !line.method.isEmpty())
        return checked(readRaw(trimmed, line));
    return {};
}

QList<request::Header> headerLines(QStringView text)
{
    QList<request::Header> headers;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            break; // the blank line that ends a header block
        if (isPseudoHeader(line))
            continue;
        const auto field = request::splitField(line);
        if (!field || field->name.contains(u' ') || field->name.contains(u'\t'))
            return {};
        headers.append({ field->name.toString(), field->value.toString() });
    }
    return headers;
}

StartLine startLine(QStringView text)
{
    // A request line ends with its version; a first line that merely looks like one, or a status line, is
    // only passed over.
    static const QRegularExpression line(
        u"^(?:([A-Z]+) (\\S+) HTTP/\\d(?:\\.\\d)?\\r?\\n|(?:[A-Z]+ \\S+ HTTP/|HTTP/)[^\\n]*\\n)"_s);
    const QRegularExpressionMatch match = line.match(text);
    if (!match.hasMatch())
        return {};
    return { match.capturedLength(), match.capturedView(1), match.capturedView(2) };
}

} // namespace requestimport
