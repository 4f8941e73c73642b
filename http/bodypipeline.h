#pragma once

#include "inflater.h"
#include "responsedecoder.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace http {

// The final response's body on its way in: each coding undone in turn, the last applied first; the size
// limit counted over what every coding gives, so that a small compressed body can neither fill the
// memory nor keep the program busy; then the bytes kept, as they came, and decoded to text.
class BodyPipeline {
public:
    // Its bytes go to `body`; `expectedLength`, when the head told it, makes room for them beforehand.
    BodyPipeline(qsizetype codings, const QByteArray& contentType, QByteArray& body, qint64 expectedLength);

    enum class Fed {
        Failed, // the body cannot be read on: failure() says why
        Held, // taken in, but nothing came out of the codings yet
        Kept, // bytes were kept
    };
    Fed feed(QByteArrayView bytes);
    const QString& failure() const { return m_failure; }

    // Whether every coding reached its end: a compressed body may end before its compressed data does.
    bool complete() const;
    // The text of the whole body.
    QString finish() { return m_decoder.finish(); }
    QByteArray unknownCharset() const { return m_decoder.unknownCharset(); }

private:
    bool undo(std::size_t coding, QByteArrayView bytes);
    bool keep(QByteArrayView bytes);

    std::vector<std::unique_ptr<Inflater>> m_inflaters; // each tells gzip from deflate by its first bytes
    ResponseDecoder m_decoder;
    QByteArray& m_body;
    qint64 m_received = 0;
    bool m_kept = false;
    QString m_failure;
};

// Why a response past the size limit was not read; `size` tells its size where the head said it.
QString tooLarge(const QString& size = {});

} // namespace http
