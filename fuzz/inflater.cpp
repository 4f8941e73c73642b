// The inflater (gzip, zlib, raw deflate). Any input either fails or gives output within the cap, and the
// same whole as in pieces cut anywhere.
#include "inflater.h"
#include "fuzzcheck.h"
#include "pieces.h"

#include <QByteArray>

namespace {

constexpr qsizetype Cap = 1 << 20;

struct Outcome {
    bool fed = true; // no piece was refused
    bool finished = false;
    QByteArray plain;
};

Outcome inflate(const QList<QByteArrayView>& compressed)
{
    http::Inflater inflater;
    Outcome outcome;
    const auto sink = [&outcome](QByteArrayView plain) {
        FUZZ_CHECK(plain.size() <= 64 * 1024);
        outcome.plain += plain;
        return outcome.plain.size() <= Cap; // more than the cap stops the stream, as a response's limit does
    };
    for (const QByteArrayView piece : compressed) {
        if (!(outcome.fed = inflater.feed(piece, sink)))
            break;
    }
    outcome.finished = outcome.fed && inflater.finished();
    FUZZ_CHECK(inflater.given() == outcome.plain.size());
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArrayView body(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const Outcome whole = inflate({ body });
    const Outcome cut = inflate(pieces(body, data[0]));
    FUZZ_CHECK(whole.fed == cut.fed && whole.finished == cut.finished);
    if (whole.plain.size() > Cap || cut.plain.size() > Cap) { // stopped at the cap: the text up to it agrees
        FUZZ_CHECK(whole.plain.size() > Cap && cut.plain.size() > Cap);
        FUZZ_CHECK(whole.plain.first(Cap) == cut.plain.first(Cap));
    } else if (whole.fed) {
        FUZZ_CHECK(whole.plain == cut.plain);
    }
    return 0;
}
