// Command lines taken apart into words, as bash and as cmd.exe with the C runtime do. Any text splits
// or fails with a sentence, and its words never hold more than the text: no escape here writes more
// characters than it takes. Words quoted by this target's own writers, in each of the shell's ways of
// quoting, split back into exactly those words.
#include "shellwords.h"
#include "fuzzcheck.h"

#include <QString>
#include <QStringList>

using namespace Qt::StringLiterals;
using requestimport::Words;

namespace {

bool isAsciiLetterOrDigit(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

QString hex(char32_t value, int width)
{
    return u"%1"_s.arg(uint(value), width, 16, QChar(u'0'));
}

// bash: '…' where a quote is '\''; "…" with \ before \ " $ `; or $'…' with escapes for quotes,
// backslashes, controls and everything beyond ASCII.
QString posixWord(const QString& word, int way)
{
    if (way == 0)
        return u'\'' % QString(word).replace(u"'"_s, u"'\\''"_s) % u'\'';
    QString out;
    if (way == 1) {
        for (const QChar c : word) {
            if (c == u'\\' || c == u'"' || c == u'$' || c == u'`')
                out += u'\\';
            out += c;
        }
        return u'"' % out % u'"';
    }
    for (const char32_t c : word.toUcs4()) {
        if (c == u'\\' || c == u'\'')
            out += u'\\' % QChar(char16_t(c));
        else if (c < 0x20 || c == 0x7f)
            out += u"\\x"_s % hex(c, 2);
        else if (c < 0x7f)
            out += QChar(char16_t(c));
        else if (c <= 0xffff)
            out += u"\\u"_s % hex(c, 4);
        else
            out += u"\\U"_s % hex(c, 8);
    }
    return u"$'"_s % out % u'\'';
}

// cmd.exe and the C runtime: "…" where a quote is "" and a backslash \\; or, as browsers write for
// Windows, ^"…^" with every character but letters and digits escaped by a caret, a quote as \^", a
// backslash as \\ and a line break as ^ and two breaks.
QString windowsWord(const QString& word, int way)
{
    QString out;
    for (const QChar c : word) {
        if (c == u'\\')
            out += u"\\\\"_s;
        else if (c == u'"')
            out += way == 0 ? u"\"\""_s : u"\\^\""_s;
        else if (way == 0 || isAsciiLetterOrDigit(c))
            out += c;
        else if (c == u'\n')
            out += u"^\n\n"_s;
        else
            out += u'^' % c;
    }
    return way == 0 ? QString(u'"' % out % u'"') : QString(u"^\"" % out % u"^\"");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool windows = data[0] & 1;
    const auto split = windows ? requestimport::splitWindows : requestimport::splitPosix;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    // The input as a command line.
    const Words words = split(text);
    qsizetype length = 0;
    for (const QString& word : words.words)
        length += word.size();
    FUZZ_CHECK(length <= text.size());
    // cmd.exe drops every carriage return.
    FUZZ_CHECK(!windows || !words.words.join(QString()).contains(u'\r'));

    // The input as words, split at NUL bytes, written back as a command.
    QStringList wanted = text.split(QChar(u'\0'));
    if (windows) {
        for (QString& word : wanted)
            word.remove(u'\r');
    }
    const int way = (data[0] >> 1) % (windows ? 2 : 3);
    const bool onLines = data[0] & 0x40; // each word on a line of its own, the lines joined by the escape
    QString command = u"curl"_s;
    for (const QString& word : std::as_const(wanted)) {
        command += onLines ? (windows ? u" ^\n  "_s : u" \\\n  "_s) : u" "_s;
        command += windows ? windowsWord(word, way) : posixWord(word, way);
    }
    const Words back = split(command);
    FUZZ_CHECK(back.failure.isEmpty());
    FUZZ_CHECK(back.words == QStringList(u"curl"_s) + wanted);
    return 0;
}
