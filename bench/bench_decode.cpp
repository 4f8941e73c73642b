// Decoding a 100 MB response body as it arrives in 256 KB pieces: the same Japanese and Chinese page
// in Shift_JIS, gb18030 and UTF-8, and 100 MB of JSON in UTF-8. The multi-byte code pages go through ICU.
#include "responsedecoder.h"

#include "medians.h"

#include <benchmark/benchmark.h>

#include <QStringEncoder>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr qsizetype BodyBytes = 100 * 1000 * 1000;
constexpr qsizetype Piece = 256 * 1024;

// A page as such sites write it: markup in ASCII around runs of kanji, kana and hanzi.
QString page()
{
    const QString paragraph = u"<p class=\"item\">日本語のテキストと東京の天気、中文文本和北京的天气。"
                              u"カタカナもひらがなも漢字もある。<a href=\"/news/2026\">ニュース</a></p>\n"_s;
    QString text;
    text.reserve(BodyBytes);
    while (text.size() < BodyBytes * 2 / 3) // two bytes a character in the code pages, mostly
        text += paragraph;
    return text;
}

QByteArray encoded(const char* charset)
{
    static const QString text = page();
    QStringEncoder encoder(charset);
    return encoder.encode(text);
}

// What most API responses are: JSON in ASCII.
QByteArray json()
{
    QByteArray text;
    text.reserve(BodyBytes);
    while (text.size() < BodyBytes)
        text += "{\"id\":12345,\"name\":\"a plain English line of text\",\"ok\":true},\n";
    return text;
}

std::map<std::string, std::vector<double>> g_seconds;

void decode(benchmark::State& state, const char* charset)
{
    const bool ascii = std::string_view(charset) == "UTF-8 JSON";
    if (ascii)
        charset = "UTF-8";
    const QByteArray body = ascii ? json() : encoded(charset);
    const QByteArray contentType = "text/html; charset=" + QByteArray(charset);
    for (auto _ : state) {
        const auto start = Clock::now();
        http::ResponseDecoder decoder(contentType);
        decoder.reserve(body.size());
        for (qsizetype from = 0; from < body.size(); from += Piece)
            decoder.feed(QByteArrayView(body).sliced(from, qMin(Piece, body.size() - from)));
        const QString text = decoder.finish();
        benchmark::DoNotOptimize(text.constData());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["MB"] = double(body.size()) / 1e6;
        g_seconds[ascii ? "UTF-8 JSON" : charset].push_back(seconds);
    }
}

} // namespace

BENCHMARK_CAPTURE(decode, utf8json, "UTF-8 JSON")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(decode, utf8, "UTF-8")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(decode, shiftjis, "Shift_JIS")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(decode, gb18030, "gb18030")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double utf8 = median(g_seconds["UTF-8"]);
    for (const char* charset : { "Shift_JIS", "gb18030" })
        std::printf("%s: %.0f ms, %.2f x UTF-8 (%.0f ms; goal <= 3 x)\n", charset, median(g_seconds[charset]) * 1e3,
            median(g_seconds[charset]) / utf8, utf8 * 1e3);
    std::printf("UTF-8 JSON: %.0f ms\n", median(g_seconds["UTF-8 JSON"]) * 1e3);
    return 0;
}
