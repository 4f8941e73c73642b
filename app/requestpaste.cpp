#include "requestpaste.h"

#include "requestimport.h"
#include "responsedetails.h"

using namespace Qt::StringLiterals;

namespace {

QString headersCounted(qsizetype n)
{
    return n == 0 ? u"no headers"_s : n == 1 ? u"1 header"_s : QString::number(n) % u" headers";
}

} // namespace

std::optional<RequestPaste::Outcome> RequestPaste::pasteRequest(const QString& text, const request::Request& page)
{
    const requestimport::Result result = requestimport::read(text);
    if (result.kind == requestimport::Result::Kind::Plain)
        return std::nullopt;
    if (result.kind == requestimport::Result::Kind::Refused)
        return Outcome { std::nullopt, u"Not imported: "_s % result.message };
    request::Request imported = result.description.request;
    imported.async = page.async; // no text says it
    QString method = imported.method;
    if (method != u"POST" && method != u"GET") {
        method = method % u" cannot be set here, the method stays " % page.method;
        imported.method = page.method;
    }
    QString said = u"Imported "_s % result.description.source % u": " % method % u", "
        % headersCounted(imported.headers.size()) % u", " % responsedetails::dataSize(imported.body.toUtf8().size());
    if (!result.description.ignored.isEmpty())
        said += u"; left out: "_s % result.description.ignored.join(u", "_s);
    remember(page);
    return Outcome { std::move(imported), said };
}

std::optional<std::pair<QList<request::Header>, QString>> RequestPaste::headerRows(const QString& text)
{
    const QStringView block = QStringView(text).sliced(requestimport::startLine(text).length);
    QList<request::Header> rows = requestimport::headerLines(block);
    if (rows.isEmpty())
        return std::nullopt;
    const QString said = u"Added "_s % headersCounted(rows.size());
    return std::pair { std::move(rows), said };
}

std::optional<RequestPaste::Outcome> RequestPaste::undo(const request::Request& page)
{
    if (!m_before)
        return std::nullopt;
    request::Request before = *m_before;
    remember(std::nullopt);
    before.async = page.async;
    return Outcome { std::move(before), u"Import undone"_s };
}

void RequestPaste::remember(std::optional<request::Request> before)
{
    const bool was = m_before.has_value();
    m_before = std::move(before);
    if (m_before.has_value() != was)
        emit undoableChanged(m_before.has_value());
}
