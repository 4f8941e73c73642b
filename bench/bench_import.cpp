// Importing 1 MB captures, "Copy as cURL" and "Copy as PowerShell": a cookie-heavy request with a large JSON
// body, against the floor for taking in its text: copying it once.
#include "requestimport.h"

#include "medians.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

QString capture()
{
    QString command = u"curl 'https://app.example.com/api/v2/documents/save?draft=1' \\\n"_s;
    QString cookie;
    for (int i = 0; cookie.size() < 8000; ++i)
        cookie += u"c%1=%2; "_s.arg(i).arg(QString(40, QChar(u'a' + i % 26)));
    command += u"  -H 'cookie: " % cookie % u"' \\\n";
    for (int i = 0; i < 30; ++i)
        command += u"  -H 'x-header-%1: value number %1, with some length to it' \\\n"_s.arg(i);
    command += u"  -H $'x-note: it\\'s \\u00e9t\\u00e9' \\\n  --data-raw '["_s;
    for (int i = 0; command.size() < 1024 * 1024 - 200; ++i)
        command += uR"({"id":%1,"name":"item \"%1\"","path":"C:\\temp\\%1","ok":true},)"_s.arg(i);
    command += u"{}]' \\\n  --compressed"_s;
    return command;
}

// The same request as Chrome writes it for PowerShell: quotes and $ escaped with a backtick, and every
// character beyond printable ASCII written as $([char]N).
QString powerShellCapture()
{
    QString command = u"$session = New-Object Microsoft.PowerShell.Commands.WebRequestSession\n"_s;
    for (int i = 0; command.size() < 12000; ++i)
        command
            += u"$session.Cookies.Add((New-Object System.Net.Cookie(\"c%1\", \"%2\", \"/\", \"app.example.com\")))\n"_s
                   .arg(i)
                   .arg(QString(40, QChar(u'a' + i % 26)));
    command += u"Invoke-WebRequest -UseBasicParsing -Uri \"https://app.example.com/api/v2/documents/save?draft=1\" `\n"
               u"-Method \"POST\" `\n-WebSession $session `\n-Headers @{\n"_s;
    for (int i = 0; i < 30; ++i)
        command += u"  \"x-header-%1\"=\"value number %1, with some length to it\"\n"_s.arg(i);
    command += u"  \"x-note\"=\"it's $([char]233)t$([char]233)\"\n} `\n-ContentType \"application/json\" `\n"
               u"-Body ([System.Text.Encoding]::UTF8.GetBytes(\"["_s;
    for (int i = 0; command.size() < 1024 * 1024 - 200; ++i)
        command
            += uR"({`"id`":%1,`"name`":`"item \`"%1\`"`",`"price`":`"`$%1`",`"note`":`"caf$([char]233)`"},)"_s.arg(i);
    command += u"{}]\"))"_s;
    return command;
}

std::vector<double> g_import, g_copy, g_powerShell;

void import(benchmark::State& state)
{
    const QString text = state.range(0) ? powerShellCapture() : capture();
    std::vector<double>& times = state.range(0) ? g_powerShell : g_import;
    for (auto _ : state) {
        const auto start = Clock::now();
        const requestimport::Result result = requestimport::read(text);
        benchmark::DoNotOptimize(result.description.request.body.constData());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (result.kind != requestimport::Result::Kind::Imported)
            state.SkipWithError("the capture was not imported");
        state.SetIterationTime(seconds);
        times.push_back(seconds);
    }
}

void copyOnce(benchmark::State& state)
{
    const QString text = capture();
    for (auto _ : state) {
        const auto start = Clock::now();
        QString copy(text.constData(), text.size());
        benchmark::DoNotOptimize(copy.data());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        g_copy.push_back(seconds);
    }
}

}

BENCHMARK(import)->ArgName("powershell")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(copyOnce)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_import.empty() || g_copy.empty() || g_powerShell.empty())
        return 0;
    const double own = median(g_import), copy = median(g_copy);
    std::printf("\nmedian import of a %.1f MB capture: %.2f ms (goal <= 20 ms); copying its text once %.1f us; ratio "
                "%.1f (goal <= 3)\n",
        capture().size() / 1048576.0, own * 1e3, copy * 1e6, own / copy);
    std::printf("median import of a %.1f MB PowerShell capture: %.2f ms (goal <= 20 ms)\n",
        powerShellCapture().size() / 1048576.0, median(g_powerShell) * 1e3);
    return 0;
}
