#pragma once

#include <QByteArray>
#include <QString>

namespace http {

// Turns a response body into text as it arrives: by the charset of its Content-Type, unless the body
// starts with a byte-order mark, which wins; UTF-8 when neither says. Bytes that are not valid in the
// encoding become U+FFFD, one for each maximal invalid subpart, as the WHATWG Encoding Standard says.
// However the body is cut into pieces, the text is the same as for the whole body at once.
class ResponseDecoder {
public:
    // The Content-Type header of the response, e.g. "text/html; Charset=\"ISO-8859-1\"".
    explicit ResponseDecoder(const QByteArray& contentType = {});

    void feed(QByteArrayView bytes);
    // Makes room for a body of this many bytes, so that the text is not moved as it grows.
    void reserve(qint64 bytes);
    // The whole text; call once, after the last piece.
    QString finish();

    // The charset parameter of a Content-Type value, lowercased; empty when there is none.
    static QByteArray charsetOf(const QByteArray& contentType);

private:
    enum class Encoding { Unknown, Utf8, Utf16LE, Utf16BE, Windows1252 };
    static Encoding encodingForLabel(const QByteArray& label);
    void startFromHead();
    void makeRoom(qsizetype size);
    void decode(QByteArrayView bytes);
    QChar* decodeUtf8(QByteArrayView bytes, QChar* out);
    QChar* decodeUtf16(QByteArrayView bytes, QChar* out);

    Encoding m_declared;
    Encoding m_encoding = Encoding::Unknown; // until the first bytes have shown whether there is a mark
    QByteArray m_head; // the first bytes, kept until it is clear whether they are a byte-order mark
    QString m_text;

    // What a piece ended in the middle of, finished by the next piece.
    unsigned char m_held[4] {}; // UTF-8: the bytes of a character so far; UTF-16: an odd byte
    int m_heldCount = 0;
    char16_t m_leadSurrogate = 0; // UTF-16: a lead surrogate waiting for its trail
};

} // namespace http
