#include "responsedecoder.h"

#include "hugepages.h"

#include <QList>

#include <algorithm>
#include <array>

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace http {

using namespace Qt::StringLiterals;

namespace {

    // The single-byte encodings decoded here, by their characters for the bytes 0x80 to 0xFF.
    using HighHalf = std::array<char16_t, 128>;

    constexpr HighHalf latin1High()
    {
        HighHalf high {};
        for (int i = 0; i < 128; ++i)
            high[i] = char16_t(0x80 + i);
        return high;
    }

    // windows-1252 is Latin-1 except for 0x80 to 0x9F; it is what "iso-8859-1" and "us-ascii" mean on the web.
    constexpr HighHalf Windows1252 = [] {
        HighHalf high = latin1High();
        constexpr char16_t c1[32] = { 0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030,
            0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013,
            0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178 };
        for (int i = 0; i < 32; ++i)
            high[i] = c1[i];
        return high;
    }();

    // ISO-8859-16 (Latin-10): Latin-1 but for these bytes. ICU has no converter for it.
    constexpr HighHalf Iso885916 = [] {
        HighHalf high = latin1High();
        constexpr std::pair<unsigned char, char16_t> changed[] = { { 0xa1, 0x0104 }, { 0xa2, 0x0105 }, { 0xa3, 0x0141 },
            { 0xa4, 0x20ac }, { 0xa5, 0x201e }, { 0xa6, 0x0160 }, { 0xa8, 0x0161 }, { 0xaa, 0x0218 }, { 0xac, 0x0179 },
            { 0xae, 0x017a }, { 0xaf, 0x017b }, { 0xb2, 0x010c }, { 0xb3, 0x0142 }, { 0xb4, 0x017d }, { 0xb5, 0x201d },
            { 0xb8, 0x017e }, { 0xb9, 0x010d }, { 0xba, 0x0219 }, { 0xbc, 0x0152 }, { 0xbd, 0x0153 }, { 0xbe, 0x0178 },
            { 0xbf, 0x017c }, { 0xc3, 0x0102 }, { 0xc5, 0x0106 }, { 0xd0, 0x0110 }, { 0xd1, 0x0143 }, { 0xd5, 0x0150 },
            { 0xd7, 0x015a }, { 0xd8, 0x0170 }, { 0xdd, 0x0118 }, { 0xde, 0x021a }, { 0xe3, 0x0103 }, { 0xe5, 0x0107 },
            { 0xf0, 0x0111 }, { 0xf1, 0x0144 }, { 0xf5, 0x0151 }, { 0xf7, 0x015b }, { 0xf8, 0x0171 }, { 0xfd, 0x0119 },
            { 0xfe, 0x021b } };
        for (const auto& [byte, character] : changed)
            high[byte - 0x80] = character;
        return high;
    }();

    // x-user-defined: the bytes 0x80 to 0xFF as the private-use characters U+F780 to U+F7FF.
    constexpr HighHalf UserDefined = [] {
        HighHalf high {};
        for (int i = 0; i < 128; ++i)
            high[i] = char16_t(0xf780 + i);
        return high;
    }();

    // The labels of the WHATWG Encoding Standard and the encoding each names.
    struct Label {
        const char* label;
        const char* encoding;
    };
    constexpr Label Labels[] = {
        // clang-format off
        { "unicode-1-1-utf-8", "UTF-8" }, { "unicode11utf8", "UTF-8" }, { "unicode20utf8", "UTF-8" }, { "utf-8", "UTF-8" },
        { "utf8", "UTF-8" }, { "x-unicode20utf8", "UTF-8" },
        { "866", "IBM866" }, { "cp866", "IBM866" }, { "csibm866", "IBM866" }, { "ibm866", "IBM866" },
        { "csisolatin2", "ISO-8859-2" }, { "iso-8859-2", "ISO-8859-2" }, { "iso-ir-101", "ISO-8859-2" },
        { "iso8859-2", "ISO-8859-2" }, { "iso88592", "ISO-8859-2" }, { "iso_8859-2", "ISO-8859-2" },
        { "iso_8859-2:1987", "ISO-8859-2" }, { "l2", "ISO-8859-2" }, { "latin2", "ISO-8859-2" },
        { "csisolatin3", "ISO-8859-3" }, { "iso-8859-3", "ISO-8859-3" }, { "iso-ir-109", "ISO-8859-3" },
        { "iso8859-3", "ISO-8859-3" }, { "iso88593", "ISO-8859-3" }, { "iso_8859-3", "ISO-8859-3" },
        { "iso_8859-3:1988", "ISO-8859-3" }, { "l3", "ISO-8859-3" }, { "latin3", "ISO-8859-3" },
        { "csisolatin4", "ISO-8859-4" }, { "iso-8859-4", "ISO-8859-4" }, { "iso-ir-110", "ISO-8859-4" },
        { "iso8859-4", "ISO-8859-4" }, { "iso88594", "ISO-8859-4" }, { "iso_8859-4", "ISO-8859-4" },
        { "iso_8859-4:1988", "ISO-8859-4" }, { "l4", "ISO-8859-4" }, { "latin4", "ISO-8859-4" },
        { "csisolatincyrillic", "ISO-8859-5" }, { "cyrillic", "ISO-8859-5" }, { "iso-8859-5", "ISO-8859-5" },
        { "iso-ir-144", "ISO-8859-5" }, { "iso8859-5", "ISO-8859-5" }, { "iso88595", "ISO-8859-5" },
        { "iso_8859-5", "ISO-8859-5" }, { "iso_8859-5:1988", "ISO-8859-5" },
        { "arabic", "ISO-8859-6" }, { "asmo-708", "ISO-8859-6" }, { "csiso88596e", "ISO-8859-6" },
        { "csiso88596i", "ISO-8859-6" }, { "csisolatinarabic", "ISO-8859-6" }, { "ecma-114", "ISO-8859-6" },
        { "iso-8859-6", "ISO-8859-6" }, { "iso-8859-6-e", "ISO-8859-6" }, { "iso-8859-6-i", "ISO-8859-6" },
        { "iso-ir-127", "ISO-8859-6" }, { "iso8859-6", "ISO-8859-6" }, { "iso88596", "ISO-8859-6" },
        { "iso_8859-6", "ISO-8859-6" }, { "iso_8859-6:1987", "ISO-8859-6" },
        { "csisolatingreek", "ISO-8859-7" }, { "ecma-118", "ISO-8859-7" }, { "elot_928", "ISO-8859-7" },
        { "greek", "ISO-8859-7" }, { "greek8", "ISO-8859-7" }, { "iso-8859-7", "ISO-8859-7" },
        { "iso-ir-126", "ISO-8859-7" }, { "iso8859-7", "ISO-8859-7" }, { "iso88597", "ISO-8859-7" },
        { "iso_8859-7", "ISO-8859-7" }, { "iso_8859-7:1987", "ISO-8859-7" }, { "sun_eu_greek", "ISO-8859-7" },
        { "csiso88598e", "ISO-8859-8" }, { "csisolatinhebrew", "ISO-8859-8" }, { "hebrew", "ISO-8859-8" },
        { "iso-8859-8", "ISO-8859-8" }, { "iso-8859-8-e", "ISO-8859-8" }, { "iso-ir-138", "ISO-8859-8" },
        { "iso8859-8", "ISO-8859-8" }, { "iso88598", "ISO-8859-8" }, { "iso_8859-8", "ISO-8859-8" },
        { "iso_8859-8:1988", "ISO-8859-8" }, { "visual", "ISO-8859-8" },
        { "csiso88598i", "ISO-8859-8-I" }, { "iso-8859-8-i", "ISO-8859-8-I" }, { "logical", "ISO-8859-8-I" },
        { "csisolatin6", "ISO-8859-10" }, { "iso-8859-10", "ISO-8859-10" }, { "iso-ir-157", "ISO-8859-10" },
        { "iso8859-10", "ISO-8859-10" }, { "iso885910", "ISO-8859-10" }, { "l6", "ISO-8859-10" },
        { "latin6", "ISO-8859-10" },
        { "iso-8859-13", "ISO-8859-13" }, { "iso8859-13", "ISO-8859-13" }, { "iso885913", "ISO-8859-13" },
        { "iso-8859-14", "ISO-8859-14" }, { "iso8859-14", "ISO-8859-14" }, { "iso885914", "ISO-8859-14" },
        { "csisolatin9", "ISO-8859-15" }, { "iso-8859-15", "ISO-8859-15" }, { "iso8859-15", "ISO-8859-15" },
        { "iso885915", "ISO-8859-15" }, { "iso_8859-15", "ISO-8859-15" }, { "l9", "ISO-8859-15" },
        { "iso-8859-16", "ISO-8859-16" },
        { "cskoi8r", "KOI8-R" }, { "koi", "KOI8-R" }, { "koi8", "KOI8-R" }, { "koi8-r", "KOI8-R" }, { "koi8_r", "KOI8-R" },
        { "koi8-ru", "KOI8-U" }, { "koi8-u", "KOI8-U" },
        { "csmacintosh", "macintosh" }, { "mac", "macintosh" }, { "macintosh", "macintosh" }, { "x-mac-roman", "macintosh" },
        { "dos-874", "windows-874" }, { "iso-8859-11", "windows-874" }, { "iso8859-11", "windows-874" },
        { "iso885911", "windows-874" }, { "tis-620", "windows-874" }, { "windows-874", "windows-874" },
        { "cp1250", "windows-1250" }, { "windows-1250", "windows-1250" }, { "x-cp1250", "windows-1250" },
        { "cp1251", "windows-1251" }, { "windows-1251", "windows-1251" }, { "x-cp1251", "windows-1251" },
        { "ansi_x3.4-1968", "windows-1252" }, { "ascii", "windows-1252" }, { "cp1252", "windows-1252" },
        { "cp819", "windows-1252" }, { "csisolatin1", "windows-1252" }, { "ibm819", "windows-1252" },
        { "iso-8859-1", "windows-1252" }, { "iso-ir-100", "windows-1252" }, { "iso8859-1", "windows-1252" },
        { "iso88591", "windows-1252" }, { "iso_8859-1", "windows-1252" }, { "iso_8859-1:1987", "windows-1252" },
        { "l1", "windows-1252" }, { "latin1", "windows-1252" }, { "us-ascii", "windows-1252" },
        { "windows-1252", "windows-1252" }, { "x-cp1252", "windows-1252" },
        { "cp1253", "windows-1253" }, { "windows-1253", "windows-1253" }, { "x-cp1253", "windows-1253" },
        { "cp1254", "windows-1254" }, { "csisolatin5", "windows-1254" }, { "iso-8859-9", "windows-1254" },
        { "iso-ir-148", "windows-1254" }, { "iso8859-9", "windows-1254" }, { "iso88599", "windows-1254" },
        { "iso_8859-9", "windows-1254" }, { "iso_8859-9:1989", "windows-1254" }, { "l5", "windows-1254" },
        { "latin5", "windows-1254" }, { "windows-1254", "windows-1254" }, { "x-cp1254", "windows-1254" },
        { "cp1255", "windows-1255" }, { "windows-1255", "windows-1255" }, { "x-cp1255", "windows-1255" },
        { "cp1256", "windows-1256" }, { "windows-1256", "windows-1256" }, { "x-cp1256", "windows-1256" },
        { "cp1257", "windows-1257" }, { "windows-1257", "windows-1257" }, { "x-cp1257", "windows-1257" },
        { "cp1258", "windows-1258" }, { "windows-1258", "windows-1258" }, { "x-cp1258", "windows-1258" },
        { "x-mac-cyrillic", "x-mac-cyrillic" }, { "x-mac-ukrainian", "x-mac-cyrillic" },
        { "chinese", "GBK" }, { "csgb2312", "GBK" }, { "csiso58gb231280", "GBK" }, { "gb2312", "GBK" },
        { "gb_2312", "GBK" }, { "gb_2312-80", "GBK" }, { "gbk", "GBK" }, { "iso-ir-58", "GBK" }, { "x-gbk", "GBK" },
        { "gb18030", "gb18030" },
        { "big5", "Big5" }, { "big5-hkscs", "Big5" }, { "cn-big5", "Big5" }, { "csbig5", "Big5" }, { "x-x-big5", "Big5" },
        { "cseucpkdfmtjapanese", "EUC-JP" }, { "euc-jp", "EUC-JP" }, { "x-euc-jp", "EUC-JP" },
        { "csiso2022jp", "ISO-2022-JP" }, { "iso-2022-jp", "ISO-2022-JP" },
        { "csshiftjis", "Shift_JIS" }, { "ms932", "Shift_JIS" }, { "ms_kanji", "Shift_JIS" }, { "shift-jis", "Shift_JIS" },
        { "shift_jis", "Shift_JIS" }, { "sjis", "Shift_JIS" }, { "windows-31j", "Shift_JIS" }, { "x-sjis", "Shift_JIS" },
        { "cseuckr", "EUC-KR" }, { "csksc56011987", "EUC-KR" }, { "euc-kr", "EUC-KR" }, { "iso-ir-149", "EUC-KR" },
        { "korean", "EUC-KR" }, { "ks_c_5601-1987", "EUC-KR" }, { "ks_c_5601-1989", "EUC-KR" }, { "ksc5601", "EUC-KR" },
        { "ksc_5601", "EUC-KR" }, { "windows-949", "EUC-KR" },
        { "csiso2022kr", "replacement" }, { "hz-gb-2312", "replacement" }, { "iso-2022-cn", "replacement" },
        { "iso-2022-cn-ext", "replacement" }, { "iso-2022-kr", "replacement" }, { "replacement", "replacement" },
        { "unicodefffe", "UTF-16BE" }, { "utf-16be", "UTF-16BE" },
        { "csunicode", "UTF-16LE" }, { "iso-10646-ucs-2", "UTF-16LE" }, { "ucs-2", "UTF-16LE" }, { "unicode", "UTF-16LE" },
        { "unicodefeff", "UTF-16LE" }, { "utf-16", "UTF-16LE" }, { "utf-16le", "UTF-16LE" },
        { "x-user-defined", "x-user-defined" },
        // clang-format on
    };

    // The name ICU knows an encoding by where it differs from the standard's: the standard's GBK is
    // decoded as gb18030, its Big5 is Big5-HKSCS and its EUC-KR is windows-949.
    const char* icuName(const char* encoding)
    {
        constexpr Label Differing[] = { { "GBK", "GB18030" }, { "gb18030", "GB18030" }, { "Big5", "Big5-HKSCS" },
            { "EUC-KR", "windows-949" }, { "ISO-8859-8-I", "ISO-8859-8" } };
        for (const Label& name : Differing) {
            if (std::strcmp(encoding, name.label) == 0)
                return name.encoding;
        }
        return encoding;
    }

    // ICU converters are given a piece of at most about this many bytes at a time, with room for twice as
    // many characters: what they ask for, whatever they then write.
    constexpr qsizetype LegacyPiece = 16 * 1024;
    constexpr qsizetype MinimumPiece = 8;

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

    // The label without the ASCII whitespace around it: tab, line feed, form feed, carriage return, space.
    QByteArray stripped(QByteArrayView label)
    {
        const auto white = [](char c) { return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; };
        while (!label.isEmpty() && white(label.front()))
            label = label.sliced(1);
        while (!label.isEmpty() && white(label.back()))
            label.chop(1);
        return label.toByteArray();
    }

} // namespace

// Room for `size` UTF-16 units, on huge pages where the system offers them.
void ResponseDecoder::makeRoom(qsizetype size)
{
    if (m_text.capacity() >= size)
        return;
    m_text.reserve(size);
    foundation::preferHugePages(m_text.constData(), m_text.capacity() * qsizetype(sizeof(QChar)));
}

ResponseDecoder::ResponseDecoder(const QByteArray& contentType)
{
    const QByteArray label = charsetOf(contentType);
    if (label.isEmpty())
        return;
    const auto known = std::find_if(
        std::begin(Labels), std::end(Labels), [&label](const Label& entry) { return label == entry.label; });
    if (known != std::end(Labels))
        m_declared = known->encoding;
    else
        m_unknownLabel = label;
}

QByteArray ResponseDecoder::charsetOf(const QByteArray& contentType)
{
    // type/subtype; name=value; name="quoted \"value\"; with a semicolon" ... Parameter names are matched
    // without regard to case; the first charset counts.
    const qsizetype size = contentType.size();
    qsizetype at = contentType.indexOf(';');
    while (at >= 0 && at < size) {
        const qsizetype nameAt = ++at;
        while (at < size && contentType[at] != '=' && contentType[at] != ';')
            ++at;
        const QByteArray name = contentType.sliced(nameAt, at - nameAt).trimmed().toLower();
        if (at == size || contentType[at] == ';')
            continue;
        const qsizetype valueAt = ++at;
        while (at < size && (contentType[at] == ' ' || contentType[at] == '\t'))
            ++at;
        QByteArray value;
        if (at < size && contentType[at] == '"') {
            for (++at; at < size && contentType[at] != '"'; ++at) {
                if (contentType[at] == '\\' && at + 1 < size)
                    ++at;
                value += contentType[at];
            }
            at = contentType.indexOf(';', at); // anything after the closing quote is no part of it
        } else {
            at = contentType.indexOf(';', at);
            value = contentType.sliced(valueAt, (at < 0 ? size : at) - valueAt);
        }
        if (name == "charset") // less the whitespace around it: a vertical tab is none, and stays
            return stripped(value).toLower();
    }
    return {};
}

void ResponseDecoder::use(Encoding encoding, const char* name)
{
    m_encoding = encoding;
    m_name = name;
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

void ResponseDecoder::convertLegacy(QByteArrayView bytes)
{
    const qsizetype start = m_text.size();
    const qsizetype most = start + m_legacy->requiredSpace(bytes.size());
    if (m_text.capacity() < most)
        makeRoom(qMax(2 * m_text.capacity(), most));
    m_text.resize(most);
    QChar* const from = m_text.data() + start;
    QChar* const end = m_legacy->appendToBuffer(from, bytes);
    m_controlSeen = m_controlSeen || bytes.contains(m_swapsControls ? '\x7f' : '\x1a');
    m_text.truncate(end - m_text.constData());
}

// Qt gives an ICU converter room for two characters a byte. Bytes held back from the piece before come
// out with the next, so a piece of a byte or two could overflow that room, and what overflows is lost:
// the converter is only given pieces of at least MinimumPiece bytes.
void ResponseDecoder::decodeLegacy(QByteArrayView bytes)
{
    if (!m_short.isEmpty() || bytes.size() < MinimumPiece) {
        m_short.append(bytes);
        if (m_short.size() < MinimumPiece)
            return;
        const QByteArray gathered = std::exchange(m_short, {});
        decodeLegacy(gathered);
        return;
    }
    convertPieces(bytes);
}

// At most about LegacyPiece bytes at a time, and after the first never fewer than MinimumPiece.
void ResponseDecoder::convertPieces(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype piece = bytes.size() < LegacyPiece + MinimumPiece ? bytes.size() : LegacyPiece;
        convertLegacy(bytes.first(piece));
        bytes = bytes.sliced(piece);
    }
}

// In the multi-byte code pages every byte below 0x30 stands for itself, whatever came before it: it is
// no part of another character, and a character it cuts short is read as the invalid bytes it is. After
// such a byte the converter holds nothing and may be given any number of bytes. The bytes after the last
// of them wait for the next piece that has one; a long run without one goes on, but for its last
// MinimumPiece bytes, so that what the converter is given next is never too short. So at the end it can
// be given every byte, and what it then holds is a character cut off by the end.
void ResponseDecoder::feedMultibyte(QByteArrayView bytes)
{
    qsizetype clean = bytes.size();
    while (clean > 0 && static_cast<unsigned char>(bytes[clean - 1]) >= 0x30)
        --clean;
    if (clean > 0) {
        if (m_tail.isEmpty()) {
            convertPieces(bytes.first(clean));
        } else {
            m_tail.append(bytes.first(clean));
            convertPieces(m_tail);
        }
        m_tail = bytes.sliced(clean).toByteArray();
        return;
    }
    m_tail.append(bytes);
    if (m_tail.size() > LegacyPiece) {
        convertPieces(QByteArrayView(m_tail).chopped(MinimumPiece));
        m_tail = m_tail.last(MinimumPiece);
    }
}

// The converter keeps the end of the body to itself: a character cut off, or bytes it reads again after
// an invalid one. Line breaks after them end every character and bring them out; they are then taken off.
// In the multi-byte code pages what comes out is a character cut off by the end, which is one U+FFFD
// however many of its bytes came, where the converter would read the bytes after its first again.
void ResponseDecoder::flushLegacy()
{
    convertPieces(std::exchange(m_tail, {}));
    const qsizetype start = m_text.size();
    convertLegacy(QByteArray(std::exchange(m_short, {}) + QByteArray(MinimumPiece, '\n')));
    qsizetype end = m_text.size();
    while (end > start && m_text.size() - end < MinimumPiece && m_text.at(end - 1) == u'\n')
        --end;
    m_text.truncate(end);
    if (m_multibyte && end > start) {
        m_text.truncate(start);
        m_text.append(Replacement);
    }
}

// ICU's converters give U+001A, a control character, for some bytes they cannot map. Its IBM code pages
// (Shift_JIS, IBM866) also swap three control characters: they read the byte 0x1A as U+001C, 0x1C as
// U+007F and 0x7F as U+001A. Both are undone here: U+001A is the byte that stands for it if the body
// has that byte anywhere, and U+FFFD like every other invalid byte if not.
void ResponseDecoder::repairControls()
{
    const QChar substitute = m_controlSeen ? QChar(m_swapsControls ? u'\x7f' : u'\x1a') : Replacement;
    if (!m_swapsControls) {
        m_text.replace(QChar(u'\x1a'), substitute);
        return;
    }
    for (QChar& c : m_text) {
        switch (c.unicode()) {
        case 0x1a:
            c = substitute;
            break;
        case 0x1c:
            c = QChar(u'\x1a');
            break;
        case 0x7f:
            c = QChar(u'\x1c');
            break;
        default:
            break;
        }
    }
}

void ResponseDecoder::decode(QByteArrayView bytes)
{
    if (m_encoding == Encoding::Legacy) {
        if (m_multibyte)
            feedMultibyte(bytes);
        else
            decodeLegacy(bytes);
        return;
    }
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
    case Encoding::Legacy: // decoded by decodeLegacy, above
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        out = decodeUtf16(bytes, out);
        break;
    case Encoding::SingleByte:
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            *out++ = QChar(b < 0x80 ? char16_t(b) : m_high[b - 0x80]);
        }
        break;
    case Encoding::Replacement:
        // An encoding that is not safe to read: the whole body is one U+FFFD.
        if (!bytes.isEmpty() && !std::exchange(m_replaced, true))
            *out++ = Replacement;
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
        use(Encoding::Utf8, "UTF-8");
        mark = 3;
    } else if (m_head.startsWith("\xfe\xff")) {
        use(Encoding::Utf16BE, "UTF-16BE");
        mark = 2;
    } else if (m_head.startsWith("\xff\xfe")) {
        use(Encoding::Utf16LE, "UTF-16LE");
        mark = 2;
    } else {
        const QByteArrayView name(m_declared);
        if (name == "UTF-8") {
            use(Encoding::Utf8, m_declared);
        } else if (name == "UTF-16LE") {
            use(Encoding::Utf16LE, m_declared);
        } else if (name == "UTF-16BE") {
            use(Encoding::Utf16BE, m_declared);
        } else if (name == "replacement") {
            use(Encoding::Replacement, m_declared);
        } else if (name == "windows-1252" || name == "ISO-8859-16" || name == "x-user-defined") {
            use(Encoding::SingleByte, m_declared);
            m_high = (name == "windows-1252" ? Windows1252 : name == "ISO-8859-16" ? Iso885916 : UserDefined).data();
        } else {
            m_legacy.emplace(icuName(m_declared));
            if (m_legacy->isValid()) {
                use(Encoding::Legacy, m_declared);
                for (const char* name : { "GBK", "gb18030", "Big5", "EUC-JP", "EUC-KR", "Shift_JIS" })
                    m_multibyte = m_multibyte || std::strcmp(name, m_declared) == 0;
                m_swapsControls = QStringDecoder(icuName(m_declared)).decode(QByteArrayView("\x1a")) == u"\x1c"_s;
            } else { // an ICU without this converter
                m_legacy.reset();
                m_unknownLabel = m_declared;
                use(Encoding::Utf8, "UTF-8");
            }
        }
    }
    const QByteArray head = std::exchange(m_head, {});
    decode(QByteArrayView(head).sliced(mark));
}

void ResponseDecoder::reserve(qint64 bytes)
{
    makeRoom(qsizetype(bytes) + 2 * (LegacyPiece + MinimumPiece));
}

QString ResponseDecoder::finish()
{
    if (m_encoding == Encoding::Unknown) // fewer than three bytes in all
        startFromHead();
    // A character cut off by the end of the body is one U+FFFD, not dropped.
    if (m_heldCount > 0 || m_leadSurrogate)
        m_text.append(Replacement);
    if (m_legacy) {
        flushLegacy();
        repairControls();
    }
    m_heldCount = 0;
    m_leadSurrogate = 0;
    return std::move(m_text);
}

} // namespace http
