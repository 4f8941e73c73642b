// The URL as it goes out. It holds no space, control character or byte beyond ASCII, and sending it
// again changes nothing.
#include "requesturl.h"
#include "fuzzcheck.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray wire = http::requestUrl(typed);
    if (wire.isEmpty())
        return 0;
    for (const char c : wire)
        FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7f);
    FUZZ_CHECK(http::requestUrl(QString::fromLatin1(wire)) == wire);
    return 0;
}
