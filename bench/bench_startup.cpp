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
#include <string_view>
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

struct Program {
    const char* name;
    const char* path;
};
constexpr Program Programs[] { { "bare", BAREWINDOW_PATH }, { "label", LABELWINDOW_PATH },
    { "reruzad", RERUZAD_PATH } };

// One round starts each program once, in an order that turns from round to round, so that a machine
// growing slower or faster during the run weighs on all three alike. The round's time is Reruzad's.
void startUpRound(benchmark::State& state)
{
    static int round = 0;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            const Program& program = Programs[(round + i) % 3];
            const Launch run = launchWindow(program.path);
            g_launches[program.name].push_back(run);
            state.counters[std::string(program.name) + "_ms"] = run.seconds * 1000;
            if (program.name == std::string_view("reruzad")) {
                state.SetIterationTime(run.seconds);
                state.counters["peak_MiB"] = run.peakMiB;
            }
        }
        ++round;
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

BENCHMARK(startUpRound)->UseManualTime()->Iterations(1)->Repetitions(31)->Unit(benchmark::kMillisecond);

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
