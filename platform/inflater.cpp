#include "platform/inflater.h"

#include <zlib.h>

namespace platform {

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

bool Inflater::feed(QByteArrayView compressed, QByteArray& out)
{
    if (m_failed)
        return false;
    if (compressed.isEmpty())
        return true;
    z_stream& z = m_stream->z;
    if (!m_started) {
        // gzip and zlib streams announce themselves; "deflate" from some servers is a bare stream.
        const auto b0 = static_cast<unsigned char>(compressed[0]);
        const bool gzip = b0 == 0x1f;
        const bool zlib = compressed.size() >= 2 && (b0 & 0x0f) == 8
            && ((b0 << 8) | static_cast<unsigned char>(compressed[1])) % 31 == 0;
        if (inflateInit2(&z, gzip || zlib ? 15 + 32 : -15) != Z_OK)
            return !(m_failed = true);
        m_stream->open = true;
        m_started = true;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = uInt(compressed.size());
    char buffer[64 * 1024];
    for (;;) {
        if (m_ended && z.avail_in > 0) {
            // Another gzip member follows the one that ended.
            if (inflateReset(&z) != Z_OK)
                return !(m_failed = true);
            m_ended = false;
        }
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        const int result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
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

} // namespace platform
