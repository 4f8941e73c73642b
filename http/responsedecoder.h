#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <optional>

namespace http {

// Turns a response body into text as it arrives: by the charset of its Content-Type, unless the body
// starts with a byte-order mark, which wins; UTF-8 when neither says, or when the charset is not one
// of the WHATWG Encoding Standard's labels. Every label of that standard is known, with its meaning
// there ("latin1" and "ascii" are windows-1252, "gb2312" is GBK and so on). UTF-8, UTF-16 and the
// single-byte encodings are decoded here, the others by Qt's ICU converters. Bytes that are not valid
// in the encoding become U+FFFD; a character cut off by the end of the body is one U+FFFD. However the
// body is cut into pieces, the text is the same as for the whole body at once.
class ResponseDecoder {
public:
    // The Content-Type header of the response, e.g. "text/html; Charset=\"ISO-8859-1\"".
    explicit ResponseDecoder(const QByteArray& contentType = {});

    void feed(QByteArrayView bytes);
    // Makes room for a body of this many bytes, so that the text is not moved as it grows.
    void reserve(qint64 bytes);
    // The whole text; call once, after the last piece.
    QString finish();

    // The name of the encoding the body is read in, as the Encoding Standard writes it ("Shift_JIS");
    // known once the first bytes or the end have come.
    QByteArray encodingName() const { return m_name; }
    // The charset the Content-Type named when it is no known label, so the body was read as UTF-8.
    QByteArray unknownCharset() const { return m_unknownLabel; }

    // The charset parameter of a Content-Type value, lowercased; empty when there is none.
    static QByteArray charsetOf(const QByteArray& contentType);

private:
    enum class Encoding { Unknown, Utf8, Utf16LE, Utf16BE, SingleByte, Legacy, Replacement };
    void use(Encoding encoding, const char* name);
    void startFromHead();
    void makeRoom(qsizetype size);
    void decode(QByteArrayView bytes);
    QChar* decodeUtf8(QByteArrayView bytes, QChar* out);
    QChar* decodeUtf16(QByteArrayView bytes, QChar* out);
    void convertLegacy(QByteArrayView bytes);
    void decodeLegacy(QByteArrayView bytes);
    void convertPieces(QByteArrayView bytes);
    void feedMultibyte(QByteArrayView bytes);
    void flushLegacy();
    void repairControls();

    const char* m_declared = "UTF-8"; // what the Content-Type says
    QByteArray m_unknownLabel;
    Encoding m_encoding = Encoding::Unknown; // until the first bytes have shown whether there is a mark
    QByteArray m_name;
    const char16_t* m_high = nullptr; // a single-byte encoding's characters for the bytes 0x80 to 0xFF
    std::optional<QStringDecoder> m_legacy;
    QByteArray m_short; // bytes for it, too few to give it yet
    bool m_multibyte = false; // a code page of one- and multi-byte characters: see feedMultibyte
    QByteArray m_tail; // its bytes after the last one below 0x30, not given to the converter yet
    bool m_swapsControls = false; // an IBM code page: see repairControls
    bool m_controlSeen = false; // the body has the byte the converter reads as U+001A
    QByteArray m_head; // the first bytes, kept until it is clear whether they are a byte-order mark
    QString m_text;

    // What a piece ended in the middle of, finished by the next piece.
    unsigned char m_held[4] {}; // UTF-8: the bytes of a character so far; UTF-16: an odd byte
    int m_heldCount = 0;
    char16_t m_leadSurrogate = 0; // UTF-16: a lead surrogate waiting for its trail
    bool m_replaced = false; // the replacement encoding has given its one U+FFFD
};

} // namespace http
