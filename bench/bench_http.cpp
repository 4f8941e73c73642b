// The request tester's costs:
// - CPU used while one asynchronous Send waits 5 s for a late answer: the window's event-driven wait,
//   next to the literal poll loop (process events, read the state, again) that it replaces;
// - a 100 MB response through the request object against curl on the same loopback server: wall
//   time and peak memory.
#include "frmmain.h"
#include "httprequest.h"
#include "linebox.h"
#include "services.h"

#include "launch.h"
#include "medians.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

QString g_server; // http://127.0.0.1:port
std::map<std::string, std::vector<double>> g_samples;

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

constexpr int WaitMs = 5000;

void waitInTheWindow(benchmark::State& state)
{
    platform::Services services = platform::systemServices();
    frmMain window(services);
    window.findChild<LineBox*>(u"txtUrl"_s)->setText(g_server + u"/late/" + QString::number(WaitMs));
    window.findChild<QCheckBox*>(u"Check1"_s)->setChecked(true);
    auto* send = window.findChild<QPushButton*>(u"Command1"_s);
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        const auto start = Clock::now();
        send->click(); // returns at once: the answer comes back by the request's signal
        auto* request = window.findChild<http::HttpRequest*>();
        if (!request) {
            state.SkipWithError("Send made no request");
            return;
        }
        QEventLoop answered; // sleeps until the window has taken up the answer and let the request go
        QObject::connect(request, &QObject::destroyed, &answered, &QEventLoop::quit);
        answered.exec();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double share = (cpuSeconds() - cpu) / wall * 100;
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = share;
        g_samples["wait: window"].push_back(share);
    }
}

void literalPollLoop(benchmark::State& state)
{
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        const auto start = Clock::now();
        http::HttpRequest request;
        request.open(u"GET"_s, g_server + u"/late/" + QString::number(WaitMs), true);
        request.send(QString());
        while (request.readyState() != http::HttpRequest::Done)
            QCoreApplication::processEvents();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double share = (cpuSeconds() - cpu) / wall * 100;
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = share;
        g_samples["wait: poll loop"].push_back(share);
    }
}

constexpr qint64 BulkBytes = qint64(100) * 1024 * 1024;

void download(benchmark::State& state, std::string who)
{
    const std::string url = QString(g_server + u"/bulk/" + QString::number(BulkBytes)).toStdString();
    const std::vector<std::string> command = who == "curl"
        ? std::vector<std::string> { "curl", "-s", "-o", "/dev/null", url }
        : std::vector<std::string> { FETCH_PATH, url };
    for (auto _ : state) {
        const Launched run = launch(command);
        if (!run.ok) {
            state.SkipWithError("the download failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        state.counters["peak_MiB"] = run.peakMiB;
        g_samples["download time: " + who].push_back(run.seconds);
        g_samples["download memory: " + who].push_back(run.peakMiB);
    }
}

}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    QProcess server;
    server.start(QString::fromUtf8(BENCHSERVER_PATH), {});
    if (!server.waitForReadyRead(10000))
        return 1;
    g_server = u"http://127.0.0.1:" + QString::fromLatin1(server.readLine().trimmed());

    benchmark::RegisterBenchmark("wait/window", waitInTheWindow)->UseManualTime()->Iterations(1)->Repetitions(3);
    benchmark::RegisterBenchmark("wait/literal_poll_loop", literalPollLoop)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(3);
    benchmark::RegisterBenchmark("download_100MB/reruzad", download, std::string("reruzad"))
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(5)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("download_100MB/curl", download, std::string("curl"))
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(5)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.kill();
    server.waitForFinished();

    std::printf(
        "\nmedian CPU while one Send waits %d s: window %.2f %% of a core (goal <= 2 %%), literal poll loop %.1f %%\n",
        WaitMs / 1000, median(g_samples["wait: window"]), median(g_samples["wait: poll loop"]));
    const double ours = median(g_samples["download time: reruzad"]), curl = median(g_samples["download time: curl"]);
    const double memory = median(g_samples["download memory: reruzad"]);
    if (ours > 0 && curl > 0)
        std::printf("median 100 MB download: request object %.0f ms, curl %.0f ms, ratio %.2f (goal <= 1.5); "
                    "peak memory %.0f MiB = %.2f x the body (goal <= 3.5: the text, its room, and the body's bytes "
                    "kept for Save), curl %.0f MiB\n",
            ours * 1000, curl * 1000, ours / curl, memory, memory / 100, median(g_samples["download memory: curl"]));
    return 0;
}
