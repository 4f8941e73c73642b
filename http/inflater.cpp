#include "inflater.h"

#include <zlib.h>

namespace http {

struct Inflater::Stream {
    z_stream z {};
    bool open = false;
    ~Stream()
    {
        if (open)
            inflateEnd(&z);
    }
};

Inflater::Inflater()
    : m_stream(std::make_unique<Stream>())
{
}

Inflater::~Inflater() = default;

// gzip and zlib streams announce themselves in their first two bytes; "deflate" from some servers is
// a bare stream.
bool Inflater::start()
{
    const auto b0 = static_cast<unsigned char>(m_head[0]);
    const auto b1 = static_cast<unsigned char>(m_head[1]);
    m_gzip = b0 == 0x1f && b1 == 0x8b;
    const bool zlib = (b0 & 0x0f) == 8 && ((b0 << 8) | b1) % 31 == 0;
    if (inflateInit2(&m_stream->z, m_gzip ? 16 + 15 : zlib ? 15 : -15) != Z_OK)
        return false;
    m_stream->open = true;
    m_started = true;
    return true;
}

bool Inflater::feed(QByteArrayView compressed, const Sink& out)
{
    if (m_failed)
        return false;
    if (compressed.isEmpty())
        return true;
    QByteArray head;
    if (!m_started) {
        m_head.append(compressed);
        if (m_head.size() < 2)
            return true;
        if (!start())
            return !(m_failed = true);
        head = std::exchange(m_head, {});
        compressed = head;
    }
    z_stream& z = m_stream->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = uInt(compressed.size());
    char buffer[64 * 1024];
    for (;;) {
        if (m_ended && z.avail_in > 0) {
            // Only gzip may have another member after the one that ended; anything else is damage.
            if (!m_gzip || inflateReset(&z) != Z_OK)
                return !(m_failed = true);
            m_ended = false;
        }
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        const int result = inflate(&z, Z_NO_FLUSH);
        const auto given = qsizetype(sizeof buffer - z.avail_out);
        m_given += given;
        if (given > 0 && !out(QByteArrayView(buffer, given)))
            return !(m_failed = true);
        if (result == Z_STREAM_END) {
            m_ended = true;
            if (z.avail_in == 0)
                break;
        } else if (result == Z_BUF_ERROR) {
            break; // nothing more to do until more input comes
        } else if (result != Z_OK) {
            return !(m_failed = true);
        } else if (z.avail_in == 0 && z.avail_out != 0) {
            break; // all input taken and all output given
        }
    }
    return true;
}

} // namespace http
