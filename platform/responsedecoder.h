#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <optional>

namespace platform {

// Turns a response body into text as it arrives: by the charset of its Content-Type, unless the body
// starts with a byte-order mark, which wins; UTF-8 when neither says. Bytes that are not valid in the
// encoding become U+FFFD. A character split between two pieces comes out whole.
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
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };
    static Encoding encodingForLabel(const QByteArray& label);
    void start(Encoding encoding);
    void startFromHead();
    void makeRoom(qsizetype size);
    void decode(QByteArrayView bytes);

    Encoding m_declared;
    std::optional<Encoding> m_encoding;
    QStringDecoder m_decoder;
    QByteArray m_head; // the first bytes, kept until it is clear whether they are a byte-order mark
    QString m_text;
    qint64 m_fed = 0;
    QByteArray m_tail; // the last bytes decoded
};

} // namespace platform
