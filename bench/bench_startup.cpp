// Start-up time (process start to first paint) and peak memory of the program's window against a bare
// Qt window of the same size. Run it on the platform the window is meant for, e.g. under xvfb-run.
#include "launch.h"
#include "medians.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Launch {
    double seconds; // from spawning the process to its "shown"
    double peakMiB; // the process's peak resident memory
};

Launch launchWindow(const char* path)
{
    const Launched run = launch({ path }, "shown\n");
    if (!run.ok)
        throw std::runtime_error(std::string(path) + " did not show its window");
    return { run.untilSeconds, run.peakMiB };
}

std::map<std::string, std::vector<Launch>> g_launches;

void startUp(benchmark::State& state, const char* path, const char* name)
{
    for (auto _ : state) {
        const Launch run = launchWindow(path);
        state.SetIterationTime(run.seconds);
        state.counters["peak_MiB"] = run.peakMiB;
        g_launches[name].push_back(run);
    }
}

double median(const std::vector<Launch>& runs, double Launch::*field)
{
    std::vector<double> values;
    for (const Launch& run : runs)
        values.push_back(run.*field);
    return ::median(values);
}

}

BENCHMARK_CAPTURE(startUp, bare_window, BAREWINDOW_PATH, "bare")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(21)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(startUp, window_with_one_label, LABELWINDOW_PATH, "label")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(21)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(startUp, reruzad, RERUZAD_PATH, "reruzad")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(21)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Warm the file cache for both programs first.
    launchWindow(BAREWINDOW_PATH);
    launchWindow(LABELWINDOW_PATH);
    launchWindow(RERUZAD_PATH);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto& bare = g_launches["bare"];
    const auto& label = g_launches["label"];
    const auto& reruzad = g_launches["reruzad"];
    if (bare.empty() || label.empty() || reruzad.empty())
        return 0;
    const double bareTime = median(bare, &Launch::seconds), labelTime = median(label, &Launch::seconds);
    const double ownTime = median(reruzad, &Launch::seconds);
    const double bareMemory = median(bare, &Launch::peakMiB), labelMemory = median(label, &Launch::peakMiB);
    const double ownMemory = median(reruzad, &Launch::peakMiB);
    std::printf("\nmedian start-up: bare window %.1f ms, with one label %.1f ms, Reruzad %.1f ms\n", bareTime * 1000,
        labelTime * 1000, ownTime * 1000);
    std::printf("  Reruzad / bare window %.2f (goal <= 1.25), Reruzad / window with one label %.2f\n",
        ownTime / bareTime, ownTime / labelTime);
    std::printf("median peak memory: bare window %.1f MiB, with one label %.1f MiB, Reruzad %.1f MiB\n", bareMemory,
        labelMemory, ownMemory);
    std::printf("  Reruzad / bare window %.2f (goal <= 1.5), Reruzad / window with one label %.2f\n",
        ownMemory / bareMemory, ownMemory / labelMemory);
    return 0;
}
