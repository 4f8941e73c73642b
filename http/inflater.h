#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
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

    // Takes the bytes it gives, at most 64 kB at a time; false stops the stream.
    using Sink = std::function<bool(QByteArrayView plain)>;

    // Gives `out` the bytes this piece holds; false if the stream is damaged or `out` stopped it.
    bool feed(QByteArrayView compressed, const Sink& out);
    // True if no byte came, or the stream ended properly.
    bool finished() const { return (m_ended || (m_head.isEmpty() && !m_started)) && !m_failed; }
    // How many bytes it has given so far.
    qint64 given() const { return m_given; }

private:
    bool start();
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    QByteArray m_head; // the first bytes, until they show which kind of stream this is
    bool m_started = false;
    bool m_gzip = false;
    bool m_ended = false;
    bool m_failed = false;
    qint64 m_given = 0;
};

} // namespace http
