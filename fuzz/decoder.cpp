// The response decoder. For every family of encodings, the body decoded whole equals the body decoded
// in pieces cut anywhere, and the text never holds half of a surrogate pair.
#include "fuzzcheck.h"
#include "pieces.h"
#include "responsedecoder.h"

#include <QString>

#include <array>

namespace {

// One label of each family the decoder reads, then none (sniffed), then one it does not know.
constexpr std::array Labels { "utf-8", "utf-16le", "utf-16be", "windows-1252", "iso-8859-2", "koi8-r", "shift_jis",
    "euc-jp", "iso-2022-jp", "gbk", "gb18030", "big5", "euc-kr", "x-user-defined", "iso-2022-kr", "", "x-klingon" };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const char* label = Labels[data[0] % Labels.size()];
    const QByteArray type = *label ? QByteArray("text/plain; charset=") + label : QByteArray("text/plain");
    const QByteArrayView body(reinterpret_cast<const char*>(data) + 2, qsizetype(size) - 2);

    http::ResponseDecoder whole(type);
    whole.feed(body);
    const QString text = whole.finish();
    http::ResponseDecoder cut(type);
    for (const QByteArrayView piece : pieces(body, data[1]))
        cut.feed(piece);
    FUZZ_CHECK(cut.finish() == text);
    FUZZ_CHECK(QStringView(text).isValidUtf16());
    return 0;
}
