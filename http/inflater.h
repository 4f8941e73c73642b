#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

namespace http {

// Undoes a response's gzip or deflate content coding as the body arrives, and insists that the
// compressed stream is whole: a body that is cut off or damaged is an error, not a shorter text.
// However the body is cut into pieces, the result is the same.
class Inflater {
public:
    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Appends the bytes this piece gives to `out`; false if the stream is damaged.
    bool feed(QByteArrayView compressed, QByteArray& out);
    // True if no byte came, or the stream ended properly.
    bool finished() const { return (m_ended || (m_head.isEmpty() && !m_started)) && !m_failed; }

private:
    bool start();
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    QByteArray m_head; // the first bytes, until they show which kind of stream this is
    bool m_started = false;
    bool m_gzip = false;
    bool m_ended = false;
    bool m_failed = false;
};

} // namespace http
