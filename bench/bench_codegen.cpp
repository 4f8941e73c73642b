// generateCode for a request with 1,000 header rows and a 1 MB body, plain and JSON, in each language.
// Goal: at most 20 ms each.
#include "generator.h"
#include "languages.h"

#include "medians.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

// body: "plain" text, or "json" full of double quotes as an API body is.
request::Request bigRequest(const std::string& body)
{
    request::Request request { u"POST"_s, u"https://api.example/v1/items?page=2"_s, true, {}, {} };
    for (int i = 0; i < 1000; ++i)
        request.headers.append({ u"X-Header-" % QString::number(i), u"value number " % QString::number(i) });
    const QString piece
        = body == "json" ? uR"({"id":12345,"name":"a box","tags":["x","y"]},)"_s : u"id=12345&name=a+box&tags=x,y&"_s;
    while (request.body.size() < 1024 * 1024)
        request.body.append(piece);
    request.body.truncate(1024 * 1024);
    return request;
}

std::map<std::string, std::vector<double>> g_seconds;

void generate(benchmark::State& state, QStringView language, std::string body)
{
    const request::Request request = bigRequest(body);
    for (auto _ : state) {
        const auto start = Clock::now();
        QString code = codegen::generateCode(request, language);
        benchmark::DoNotOptimize(code.data());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        g_seconds[language.toString().toStdString() + " / " + body].push_back(seconds);
    }
}

}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (const std::string body : { "json", "plain" }) {
        for (QStringView language : { codegen::VisualBasic6, codegen::Javascript, codegen::Asp }) {
            const std::string name = language.toString().toStdString() + "/" + body;
            benchmark::RegisterBenchmark(("generateCode/" + name).c_str(), generate, language, body)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nmedians: generateCode (goal: at most 20 ms)\n");
    for (const std::string body : { "json", "plain" }) {
        for (QStringView language : { codegen::VisualBasic6, codegen::Javascript, codegen::Asp }) {
            const std::string key = language.toString().toStdString() + " / " + body;
            if (!g_seconds[key].empty())
                std::printf("  %-28s %8.2f ms\n", key.c_str(), median(g_seconds[key]) * 1e3);
        }
    }
    return 0;
}
