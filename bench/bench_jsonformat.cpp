// Format JSON on a 10 MB one-line response body, the check of a 10 MB body found not to be JSON only at its
// last character, and the floor for both: copying the text once.
//
// In a loop the allocator hands back the memory of the run before, its pages already mapped. The program formats
// a body once, into memory fresh from the system, whose every page costs a fault when first written; the runs
// marked "fresh" measure that, by handing all free memory back to the system before each.
#include "jsonformat.h"

#include "medians.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr qsizetype BodySize = 10 * 1024 * 1024;

// An array of records as an API sends them: strings with escapes, numbers, nested arrays, true, false, null.
QString body()
{
    QString text = u"["_s;
    for (int i = 0; text.size() < BodySize - 400; ++i)
        text
            += uR"({"id":%1,"name":"item \"%1\"","path":"C:\\temp\\%1.txt","url":"https:\/\/api.example.com\/v1\/items\/%1",)"
               uR"("price":%2,"ratio":-1.25e-3,"tags":["caf\u00e9","new",[%1,2,3]],"active":true,"parent":null,)"
               uR"("note":"Line one\nline two\ttabbed, and some plain text to give the string a realistic length."},)"_s
                   .arg(i)
                   .arg(i * 0.37);
    text += u"{}]"_s;
    return text;
}

std::vector<double> g_format, g_check, g_copy, g_formatFresh, g_copyFresh;

// Times work(text) once an iteration into samples; work returns whether it came out as expected.
template <typename Work>
void timed(benchmark::State& state, const QString& text, std::vector<double>& samples, Work work, bool fresh = false)
{
    for (auto _ : state) {
        if (fresh)
            malloc_trim(0);
        const auto start = Clock::now();
        const bool expected = work(text);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!expected)
            state.SkipWithError("unexpected result");
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
    }
}

bool formatOnce(const QString& text)
{
    const std::optional<QString> formatted = jsonformat::format(text);
    benchmark::DoNotOptimize(formatted ? formatted->constData() : nullptr);
    return formatted.has_value();
}

bool copyOnce(const QString& text)
{
    QString copy(text.constData(), text.size());
    benchmark::DoNotOptimize(copy.data());
    return true;
}

void formatBody(benchmark::State& state)
{
    timed(state, body(), g_format, formatOnce);
}

void checkNotJson(benchmark::State& state)
{
    timed(state, body() % u'x', g_check, [](const QString& text) { return !jsonformat::isJson(text); });
}

void copyBody(benchmark::State& state)
{
    timed(state, body(), g_copy, copyOnce);
}

void formatBodyFresh(benchmark::State& state)
{
    timed(state, body(), g_formatFresh, formatOnce, true);
}

void copyBodyFresh(benchmark::State& state)
{
    timed(state, body(), g_copyFresh, copyOnce, true);
}

}

BENCHMARK(formatBody)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(checkNotJson)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(copyBody)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(formatBodyFresh)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(copyBodyFresh)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_format.empty() || g_check.empty() || g_copy.empty() || g_formatFresh.empty() || g_copyFresh.empty())
        return 0;
    const QString text = body();
    std::printf("\nmedians for a %.1f MB body (%lld characters), formatted into %.1f MB:\n"
                "  format %.2f ms, in fresh memory %.2f ms (goal < 150 ms)\n"
                "  check with a stray character at the end %.2f ms\n"
                "  copy %.2f ms, in fresh memory %.2f ms\n",
        text.size() / 1048576.0, static_cast<long long>(text.size()), jsonformat::format(text)->size() / 1048576.0,
        median(g_format) * 1e3, median(g_formatFresh) * 1e3, median(g_check) * 1e3, median(g_copy) * 1e3,
        median(g_copyFresh) * 1e3);
    return 0;
}
