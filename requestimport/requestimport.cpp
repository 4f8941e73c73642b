#include "requestimport/requestimport.h"

#include "requestimport/shellwords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

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
            return Result::refused(QStringLiteral("The fetch call is not closed."));
        QJsonParseError error;
        const QString arguments = u'[' + call.sliced(open + 1, close - open - 2).toString() + u']';
        const QJsonArray parts = QJsonDocument::fromJson(arguments.toUtf8(), &error).array();
        if (error.error != QJsonParseError::NoError || parts.isEmpty() || !parts[0].isString())
            return Result::refused(
                QStringLiteral("The fetch call is not written as browsers write it: %1.")
                    .arg(error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("no URL")));
        Description description;
        description.source = QStringLiteral("a fetch call");
        description.request.strURL = parts[0].toString();
        description.request.strMethod = QStringLiteral("GET");
        const QJsonObject options = parts.size() > 1 ? parts[1].toObject() : QJsonObject();
        // QJsonObject sorts its keys: the headers' order is taken from the text.
        for (auto it = options.begin(); it != options.end(); ++it) {
            const QString key = it.key();
            if (key == u"method" && it->isString()) {
                description.request.strMethod = it->toString().toUpper();
            } else if (key == u"body" && (it->isString() || it->isNull())) {
                description.request.strData = it->toString();
            } else if (key == u"headers" && it->isObject()) {
                const QJsonObject headers = it->toObject();
                const qsizetype headersAt = call.indexOf(u"\"headers\"");
                QList<std::pair<qsizetype, codegen::Header>> ordered;
                for (auto h = headers.begin(); h != headers.end(); ++h) {
                    if (!h->isString())
                        return Result::refused(
                            QStringLiteral("The fetch header \"%1\" has no text value.").arg(h.key()));
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

    Result readRaw(QStringView text)
    {
        const qsizetype lineEnd = text.indexOf(u'\n');
        const QStringView requestLine = text.first(lineEnd).trimmed();
        const QStringView target = requestLine.split(u' ').value(1);
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
        description.source = QStringLiteral("a raw HTTP request");
        description.request.strMethod = requestLine.first(requestLine.indexOf(u' ')).toString();
        const QStringView block = text.sliced(lineEnd + 1, qMax<qsizetype>(0, blank - lineEnd - 1));
        const QList<codegen::Header> headers = headerLines(block);
        if (headers.isEmpty() && !block.trimmed().isEmpty())
            return Result::refused(QStringLiteral("A line of the raw request's header block is not a header."));
        // The Host header makes the URL, and the length is the data's own.
        QString host;
        for (const codegen::Header& header : headers) {
            if (header.strHeaderTitle.compare(u"Host", Qt::CaseInsensitive) == 0)
                host = header.strHeaderValue.trimmed();
            else if (header.strHeaderTitle.compare(u"Content-Length", Qt::CaseInsensitive) != 0)
                description.request.headers.append(header);
        }
        if (target.startsWith(u"http://") || target.startsWith(u"https://"))
            description.request.strURL = target.toString();
        else if (!host.isEmpty() && target.startsWith(u'/'))
            description.request.strURL = u"http://" % host % target;
        else
            return Result::refused(QStringLiteral("The raw request has no Host header to make its URL from."));
        description.request.strData = text.sliced(qMin(bodyAt, text.size())).toString();
        return Result::imported(description);
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
        // bash quote with ' or $'.
        qsizetype name = 0;
        while (name < command.size() && !command[name].isSpace())
            ++name;
        const QStringView first = command.sliced(name).trimmed();
        const qsizetype lineEnd = command.indexOf(u'\n');
        const bool windows = command.startsWith(u"curl.exe", Qt::CaseInsensitive) || first.startsWith(u'^')
            || first.startsWith(u'"') || (lineEnd > 0 && command.first(lineEnd).trimmed().endsWith(u'^'));
        const Words words = windows ? splitWindows(command) : splitPosix(command);
        if (!words.failure.isEmpty())
            return Result::refused(words.failure);
        for (const QString& word : words.words) {
            if (word.contains(QChar(0)))
                return Result::refused(QStringLiteral("The curl command holds a NUL character, which is not text."));
        }
        return readCurl(words.words);
    }
    if (command.startsWith(u"fetch(") || command.startsWith(u"await fetch("))
        return readFetch(command);
    static const QRegularExpression requestLine(QStringLiteral("^[A-Z]+ \\S+ HTTP/\\d(\\.\\d)?\r?\n"));
    if (requestLine.match(trimmed).hasMatch())
        return readRaw(trimmed);
    return {};
}

QList<codegen::Header> headerLines(QStringView text)
{
    QList<codegen::Header> headers;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            break; // the blank line that ends a header block
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0 || line.first(colon).contains(u' ') || line.first(colon).contains(u'\t'))
            return {};
        qsizetype value = colon + 1;
        while (value < line.size() && (line[value] == u' ' || line[value] == u'\t'))
            ++value;
        headers.append({ line.first(colon).toString(), line.sliced(value).toString() });
    }
    return headers;
}

} // namespace requestimport
