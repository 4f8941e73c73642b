// Requests brought in from pasted text. Any text is plain, imported or refused with a sentence; an
// imported request, written back as a bash curl command, reads back as the same request.
#include "fuzzcheck.h"
#include "requestimport.h"

#include <QString>

using namespace Qt::StringLiterals;
using requestimport::Result;

namespace {

// A word in bash's single quotes: nothing inside is special but the quote, which closes, is escaped and
// opens again.
QString quoted(const QString& word)
{
    return u'\'' % QString(word).replace(u"'"_s, u"'\\''"_s) % u'\'';
}

bool sameName(const QString& a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// What curl cannot say: a header name holding a colon, a value that starts with a blank (curl drops
// it), or more than one Cookie (curl joins them).
bool curlCanSay(const request::Request& request)
{
    qsizetype cookies = 0;
    for (const request::Header& header : request.headers) {
        const QString& value = header.value;
        if (header.name.isEmpty() || header.name.contains(u':') || value.startsWith(u' ') || value.startsWith(u'\t')
            || header.name.startsWith(u'-'))
            return false;
        cookies += sameName(header.name, u"Cookie");
    }
    return cookies <= 1;
}

QString asCurl(const request::Request& request)
{
    QString command = u"curl --url "_s % quoted(request.url) % u" -X " % quoted(request.method);
    for (const request::Header& header : request.headers) {
        const QString& value = header.value;
        command
            += u" -H "_s % quoted(value.isEmpty() ? QString(header.name % u';') : QString(header.name % u": " % value));
    }
    if (!request.body.isEmpty())
        command += u" --data-raw "_s % quoted(request.body);
    return command;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const Result result = requestimport::read(text);
    FUZZ_CHECK(result.kind != Result::Kind::Refused || !result.message.isEmpty());
    if (result.kind != Result::Kind::Imported)
        return 0;
    const request::Request& request = result.description.request;
    FUZZ_CHECK(!request.url.isEmpty() && !request.method.isEmpty());
    if (!curlCanSay(request))
        return 0;
    const Result again = requestimport::read(asCurl(request));
    FUZZ_CHECK(again.kind == Result::Kind::Imported);
    // curl adds the type of form data where the request names none.
    request::Request expected = request;
    const bool typed = std::any_of(expected.headers.cbegin(), expected.headers.cend(),
        [](const request::Header& header) { return sameName(header.name, u"Content-Type"); });
    if (!expected.body.isEmpty() && !typed)
        expected.headers.append({ u"Content-Type"_s, u"application/x-www-form-urlencoded"_s });
    const request::Request& read = again.description.request;
    FUZZ_CHECK(read.url == expected.url && read.method == expected.method);
    FUZZ_CHECK(read.body == expected.body);
    FUZZ_CHECK(read.headers.size() == expected.headers.size());
    for (qsizetype i = 0; i < read.headers.size(); ++i) {
        FUZZ_CHECK(read.headers[i].name == expected.headers[i].name);
        FUZZ_CHECK(read.headers[i].value == expected.headers[i].value);
    }
    return 0;
}
