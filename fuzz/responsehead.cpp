// A response's head as the request object reads it: the status line, header lines split at their
// colon, folded lines joined, and list headers taken apart. Nothing of a line is lost or made up.
#include "responsehead.h"
#include "fuzzcheck.h"
#include "headerfield.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The line without any of its spaces and tabs: what joining folded lines must keep.
QByteArray unspaced(QByteArrayView line)
{
    QByteArray out;
    for (const char c : line) {
        if (!isBlank(c))
            out += c;
    }
    return out;
}

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool trimmed(QByteArrayView text)
{
    return text.trimmed().size() == text.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    // The lines of one head, as libcurl hands them over, their line breaks taken off.
    QList<QByteArrayView> lines;
    for (qsizetype at = 0; at <= input.size();) {
        qsizetype end = input.indexOf('\n', at);
        if (end < 0)
            end = input.size();
        QByteArrayView line = input.sliced(at, end - at);
        while (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
        at = end + 1;
    }

    http::ResponseHead head;
    const QByteArrayView status = lines.front();
    head.start(status);
    // A code is the three digits after the version, or there is none.
    static const QRegularExpression codeAfterVersion(u"^[^ \\t]*[ \\t]+([0-9]{3})(?![0-9])"_s);
    const QRegularExpressionMatch match = codeAfterVersion.match(QString::fromLatin1(status));
    FUZZ_CHECK(head.status() == (match.hasMatch() ? match.captured(1).toInt() : 0));
    const QByteArray reason = head.reason();
    FUZZ_CHECK(
        trimmed(reason) && status.trimmed().endsWith(reason) && (reason.isEmpty() || reason.size() < status.size()));

    QByteArray sent, kept;
    for (qsizetype i = 1; i < lines.size() && !lines[i].isEmpty(); ++i) {
        head.add(lines[i]);
        sent += unspaced(lines[i]);
    }
    for (const QByteArray& line : head.lines())
        kept += unspaced(line);
    FUZZ_CHECK(kept == sent);
    for (qsizetype i = 1; i < head.lines().size(); ++i)
        FUZZ_CHECK(!isBlank(head.lines()[i].front()));

    // Each line's name is looked up among all the lines: the first 16 are enough, or a head of a thousand
    // one-letter lines would take a million lookups.
    for (const QByteArray& line : head.lines().first(std::min<qsizetype>(head.lines().size(), 16))) {
        const auto field = request::splitField(QByteArrayView(line));
        // Split at the first colon: the name, the colon, blanks, the value.
        FUZZ_CHECK(field.has_value() == (line.indexOf(':') > 0));
        if (!field)
            continue;
        FUZZ_CHECK(!field->name.isEmpty() && !field->name.contains(':'));
        FUZZ_CHECK(line.startsWith(field->name) && line.endsWith(field->value));
        FUZZ_CHECK(unspaced(line) == unspaced(field->name) + ':' + unspaced(field->value));
        FUZZ_CHECK(field->value.isEmpty() || !isBlank(field->value.front()));
        // The same line as text splits at the same place.
        const QString text = QString::fromLatin1(line);
        const auto textField = request::splitField(QStringView(text));
        FUZZ_CHECK(textField && textField->name.size() == field->name.size()
            && textField->value.size() == field->value.size());

        // Names are ASCII and match whatever the case of their letters; no other character stands in.
        const QByteArrayView name = field->name.trimmed();
        if (!isAscii(name))
            continue;
        FUZZ_CHECK(request::sameName(name, name.toByteArray().toUpper())
            && request::sameName(name.toByteArray().toLower(), name));
        FUZZ_CHECK(!request::sameName(name, name.toByteArray() + 'x'));
        const QList<QByteArray> values = head.values(name);
        FUZZ_CHECK(!values.isEmpty() && head.value(name) == values.last());
        for (const QByteArray& value : values)
            FUZZ_CHECK(trimmed(value));
        for (const QByteArray& element : head.list(name)) {
            FUZZ_CHECK(!element.isEmpty() && trimmed(element) && !element.contains(','));
            FUZZ_CHECK(element == element.toLower());
        }
    }
    return 0;
}
