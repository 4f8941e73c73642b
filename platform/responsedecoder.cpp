#include "platform/responsedecoder.h"

#include <QList>

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace platform {

namespace {

    // windows-1252 is Latin-1 except for 0x80 to 0x9F; it is what "iso-8859-1" and "us-ascii" mean on the web.
    constexpr char16_t Windows1252High[32] = { 0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6,
        0x2030, 0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013,
        0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178 };

}

namespace {

    // Whether UTF-8 text ending in these bytes stops in the middle of a character.
    bool endsInsideCharacter(const QByteArray& tail)
    {
        for (qsizetype back = 1; back <= tail.size(); ++back) {
            const auto b = static_cast<unsigned char>(tail[tail.size() - back]);
            if ((b & 0xc0) == 0x80)
                continue; // a continuation byte: look further back for the lead
            const int length = b >= 0xf0 ? 4 : b >= 0xe0 ? 3 : b >= 0xc0 ? 2 : 1;
            return length > back;
        }
        return false;
    }

}

// Room for `size` UTF-16 units. A large body's text is asked to live on huge pages where the system
// offers them: filling hundreds of megabytes page by 4 KB page costs more than receiving them.
void ResponseDecoder::makeRoom(qsizetype size)
{
    if (m_text.capacity() >= size)
        return;
    m_text.reserve(size);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t HugePage = 2 * 1024 * 1024;
    const qsizetype bytes = m_text.capacity() * qsizetype(sizeof(QChar));
    if (bytes >= qsizetype(8 * HugePage)) {
        const auto start = reinterpret_cast<std::uintptr_t>(m_text.constData());
        const std::uintptr_t first = (start + HugePage - 1) & ~(HugePage - 1);
        const std::uintptr_t last = (start + std::uintptr_t(bytes)) & ~(HugePage - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE); // only advice: failure is fine
    }
#endif
}

ResponseDecoder::ResponseDecoder(const QByteArray& contentType)
    : m_declared(encodingForLabel(charsetOf(contentType)))
{
}

QByteArray ResponseDecoder::charsetOf(const QByteArray& contentType)
{
    // type/subtype; name=value; name="quoted value" ... Parameter names are matched without regard to case.
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray parameter = parts[i].trimmed();
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0 || parameter.first(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray value = parameter.sliced(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.sliced(1, value.size() - 2);
        return value.trimmed().toLower();
    }
    return {};
}

ResponseDecoder::Encoding ResponseDecoder::encodingForLabel(const QByteArray& label)
{
    static const QByteArray windows1252[] = { "windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1",
        "iso_8859-1", "latin1", "l1", "us-ascii", "ascii", "ansi_x3.4-1968" };
    for (const QByteArray& name : windows1252) {
        if (label == name)
            return Encoding::Windows1252;
    }
    if (label == "utf-16" || label == "utf-16le")
        return Encoding::Utf16LE;
    if (label == "utf-16be")
        return Encoding::Utf16BE;
    return Encoding::Utf8; // also for any charset this program does not know
}

void ResponseDecoder::start(Encoding encoding)
{
    m_encoding = encoding;
    switch (encoding) {
    case Encoding::Utf8:
        m_decoder = QStringDecoder(QStringDecoder::Utf8);
        break;
    case Encoding::Utf16LE:
        m_decoder = QStringDecoder(QStringDecoder::Utf16LE);
        break;
    case Encoding::Utf16BE:
        m_decoder = QStringDecoder(QStringDecoder::Utf16BE);
        break;
    case Encoding::Windows1252:
        break;
    }
}

void ResponseDecoder::decode(QByteArrayView bytes)
{
    m_fed += bytes.size();
    m_tail = QByteArray(m_tail + bytes.last(qMin<qsizetype>(3, bytes.size())).toByteArray()).right(3);
    // Written straight into the text: no byte gives more than one UTF-16 unit, bar one held back before.
    const qsizetype start = m_text.size();
    if (m_text.capacity() < start + bytes.size() + 1)
        makeRoom(qMax(2 * m_text.capacity(), start + bytes.size() + 1));
    m_text.resize(start + bytes.size() + 1);
    QChar* out = m_text.data() + start;
    if (*m_encoding != Encoding::Windows1252) {
        out = m_decoder.appendToBuffer(out, bytes);
    } else {
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            *out++ = QChar(b >= 0x80 && b < 0xa0 ? Windows1252High[b - 0x80] : char16_t(b));
        }
    }
    m_text.truncate(out - m_text.constData());
}

void ResponseDecoder::feed(QByteArrayView bytes)
{
    if (m_encoding) {
        decode(bytes);
        return;
    }
    m_head.append(bytes);
    if (m_head.size() >= 3)
        startFromHead();
}

// A byte-order mark names the encoding, whatever the header said; the decoder then drops it.
void ResponseDecoder::startFromHead()
{
    if (m_head.startsWith("\xef\xbb\xbf"))
        start(Encoding::Utf8);
    else if (m_head.startsWith("\xfe\xff"))
        start(Encoding::Utf16BE);
    else if (m_head.startsWith("\xff\xfe"))
        start(Encoding::Utf16LE);
    else
        start(m_declared);
    decode(std::exchange(m_head, {}));
}

void ResponseDecoder::reserve(qint64 bytes)
{
    makeRoom(qsizetype(bytes) + 1);
}

QString ResponseDecoder::finish()
{
    if (!m_encoding) // fewer than three bytes in all
        startFromHead();
    // A character cut off at the very end is replaced, not dropped: the decoder holds such bytes back,
    // waiting for the rest.
    if ((*m_encoding == Encoding::Utf8 && endsInsideCharacter(m_tail))
        || ((*m_encoding == Encoding::Utf16LE || *m_encoding == Encoding::Utf16BE) && m_fed % 2))
        m_text.append(QChar::ReplacementCharacter);
    return std::move(m_text);
}

} // namespace platform
