#include "http/responsedecoder.h"

#include <QList>

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace http {

namespace {

    // windows-1252 is Latin-1 except for 0x80 to 0x9F; it is what "iso-8859-1" and "us-ascii" mean on the web.
    constexpr char16_t Windows1252High[32] = { 0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6,
        0x2030, 0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013,
        0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178 };

    constexpr QChar Replacement = QChar::ReplacementCharacter;

    QChar* put(QChar* out, char32_t codePoint)
    {
        if (codePoint < 0x10000) {
            *out++ = QChar(char16_t(codePoint));
        } else {
            *out++ = QChar::highSurrogate(codePoint);
            *out++ = QChar::lowSurrogate(codePoint);
        }
        return out;
    }

    // How many bytes follow a UTF-8 lead byte, and the range the first of them must lie in; 0 for a
    // byte that starts no character.
    struct Lead {
        int following = 0;
        unsigned char lower = 0x80;
        unsigned char upper = 0xbf;
    };

    Lead leadOf(unsigned char b)
    {
        if (b >= 0xc2 && b <= 0xdf)
            return { 1 };
        if (b == 0xe0)
            return { 2, 0xa0 };
        if (b == 0xed)
            return { 2, 0x80, 0x9f }; // no surrogates
        if (b >= 0xe1 && b <= 0xef)
            return { 2 };
        if (b == 0xf0)
            return { 3, 0x90 };
        if (b == 0xf4)
            return { 3, 0x80, 0x8f }; // nothing above U+10FFFF
        if (b >= 0xf1 && b <= 0xf3)
            return { 3 };
        return {};
    }

    char32_t payload(unsigned char lead, int following)
    {
        return lead & (following == 1 ? 0x1f : following == 2 ? 0x0f : 0x07);
    }

} // namespace

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

// The held bytes of a character cut off by the end of a piece are finished by the next piece, byte by
// byte, exactly as if the two pieces were one: the decoder never carries state it cannot see.
QChar* ResponseDecoder::decodeUtf8(QByteArrayView bytes, QChar* out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = p + bytes.size();

    while (m_heldCount > 0 && p < end) {
        const Lead lead = leadOf(m_held[0]);
        const bool second = m_heldCount == 1;
        if (*p < (second ? lead.lower : 0x80) || *p > (second ? lead.upper : 0xbf)) {
            *out++ = Replacement; // the held bytes were a maximal subpart; this byte starts afresh
            m_heldCount = 0;
            break;
        }
        m_held[m_heldCount++] = *p++;
        if (m_heldCount == lead.following + 1) {
            char32_t codePoint = payload(m_held[0], lead.following);
            for (int i = 1; i < m_heldCount; ++i)
                codePoint = (codePoint << 6) | (m_held[i] & 0x3f);
            out = put(out, codePoint);
            m_heldCount = 0;
        }
    }

    while (p < end) {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        while (end - p >= 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (_mm_movemask_epi8(chunk))
                break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(chunk, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(chunk, zero));
            p += 16;
            out += 16;
        }
        if (p == end)
            break;
#endif
        const unsigned char b = *p;
        if (b < 0x80) {
            *out++ = QChar(char16_t(b));
            ++p;
            continue;
        }
        const Lead lead = leadOf(b);
        if (lead.following == 0) {
            *out++ = Replacement;
            ++p;
            continue;
        }
        char32_t codePoint = payload(b, lead.following);
        const unsigned char* q = p + 1;
        int seen = 0;
        for (unsigned char lower = lead.lower, upper = lead.upper; seen < lead.following && q < end;
             lower = 0x80, upper = 0xbf) {
            if (*q < lower || *q > upper)
                break;
            codePoint = (codePoint << 6) | (*q++ & 0x3f);
            ++seen;
        }
        if (seen == lead.following) {
            out = put(out, codePoint);
        } else if (q == end) {
            m_heldCount = int(end - p); // a valid start, cut off: the next piece finishes it
            std::memcpy(m_held, p, std::size_t(m_heldCount));
        } else {
            *out++ = Replacement; // the byte at q is not part of it and is read again
        }
        p = q;
    }
    return out;
}

QChar* ResponseDecoder::decodeUtf16(QByteArrayView bytes, QChar* out)
{
    const bool littleEndian = m_encoding == Encoding::Utf16LE;
    auto take = [&](unsigned char first, unsigned char second) {
        const char16_t unit = littleEndian ? char16_t(first | second << 8) : char16_t(first << 8 | second);
        if (m_leadSurrogate) {
            if (QChar::isLowSurrogate(unit)) {
                *out++ = QChar(std::exchange(m_leadSurrogate, 0));
                *out++ = QChar(unit);
                return;
            }
            *out++ = Replacement;
            m_leadSurrogate = 0;
        }
        if (QChar::isHighSurrogate(unit))
            m_leadSurrogate = unit;
        else
            *out++ = QChar::isLowSurrogate(unit) ? Replacement : QChar(unit);
    };
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = p + bytes.size();
    if (m_heldCount == 1 && p < end) {
        take(m_held[0], *p++);
        m_heldCount = 0;
    }
    for (; end - p >= 2; p += 2)
        take(p[0], p[1]);
    if (p < end) {
        m_held[0] = *p;
        m_heldCount = 1;
    }
    return out;
}

void ResponseDecoder::decode(QByteArrayView bytes)
{
    // Written straight into the text: no byte gives more than one UTF-16 unit, bar one held back before.
    const qsizetype start = m_text.size();
    const qsizetype most = start + bytes.size() + 1;
    if (m_text.capacity() < most)
        makeRoom(qMax(2 * m_text.capacity(), most));
    m_text.resize(most);
    QChar* out = m_text.data() + start;
    switch (m_encoding) {
    case Encoding::Utf8:
    case Encoding::Unknown:
        out = decodeUtf8(bytes, out);
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        out = decodeUtf16(bytes, out);
        break;
    case Encoding::Windows1252:
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            *out++ = QChar(b >= 0x80 && b < 0xa0 ? Windows1252High[b - 0x80] : char16_t(b));
        }
        break;
    }
    m_text.truncate(out - m_text.constData());
}

void ResponseDecoder::feed(QByteArrayView bytes)
{
    if (m_encoding != Encoding::Unknown) {
        decode(bytes);
        return;
    }
    m_head.append(bytes);
    if (m_head.size() >= 3)
        startFromHead();
}

// A byte-order mark names the encoding, whatever the header said, and is not part of the text.
void ResponseDecoder::startFromHead()
{
    qsizetype mark = 0;
    if (m_head.startsWith("\xef\xbb\xbf")) {
        m_encoding = Encoding::Utf8;
        mark = 3;
    } else if (m_head.startsWith("\xfe\xff")) {
        m_encoding = Encoding::Utf16BE;
        mark = 2;
    } else if (m_head.startsWith("\xff\xfe")) {
        m_encoding = Encoding::Utf16LE;
        mark = 2;
    } else {
        m_encoding = m_declared;
    }
    const QByteArray head = std::exchange(m_head, {});
    decode(QByteArrayView(head).sliced(mark));
}

void ResponseDecoder::reserve(qint64 bytes)
{
    makeRoom(qsizetype(bytes) + 1);
}

QString ResponseDecoder::finish()
{
    if (m_encoding == Encoding::Unknown) // fewer than three bytes in all
        startFromHead();
    // A character cut off by the end of the body is one U+FFFD, not dropped.
    if (m_heldCount > 0 || m_leadSurrogate)
        m_text.append(Replacement);
    m_heldCount = 0;
    m_leadSurrogate = 0;
    return std::move(m_text);
}

} // namespace http
