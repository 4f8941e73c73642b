#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

namespace platform {

// Undoes a response's gzip or deflate content coding as the body arrives, and insists that the
// compressed stream is whole: a body that is cut off or damaged is an error, not a shorter text.
class Inflater {
public:
    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // The bytes this piece gives; false if the stream is damaged.
    bool feed(QByteArrayView compressed, QByteArray& out);
    // True if the stream ended properly.
    bool finished() const { return m_ended && !m_failed; }

private:
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    bool m_started = false;
    bool m_ended = false;
    bool m_failed = false;
};

} // namespace platform
