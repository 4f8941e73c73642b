// The result box with large responses: the program's TextView next to the QPlainTextEdit the window used
// before, both at the box's size (265 x 137 px) in a shown window. Every run is a process of its own
// (resultview) so that its memory figures are its own. For each text:
// - first paint: from handing the box its text to the end of the viewport's first paint after it;
// - max stall: the longest the event loop is blocked by one step after that (whatever the first paint left
//   queued, scrolling to the end with the scroll bar, Ctrl+A), each step with its repaint;
// - peak memory of the process, and its growth over the memory measured once the text was made (before
//   the box had it), both against the text's size in UTF-16.
// QPlainTextEdit with 100 MB on one line is slow and takes about five times the text in memory: that run is
// left out unless the benchmark is started with --with-slow.
#include "launch.h"
#include "medians.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name; // as resultview takes it
    const char* title;
    const char* goals; // with the steps timed after the first paint
    int textViewRuns;
    int plainTextEditRuns;
    bool slowInPlainTextEdit;
};

constexpr Case Cases[] = {
    { "json", "10 MB JSON, one line",
        "steps: scroll bar to the end, Ctrl+A; goals: TextView first paint <= 100 ms, no stall > 50 ms", 5, 3, false },
    { "formatted", "10 MB JSON, Format JSON",
        "first paint counted from the formatting on; goals: first paint <= 150 ms, no stall > 50 ms", 5, 0, false },
    { "words", "100 MB words, one line",
        "steps: scroll bar to the end, Ctrl+A; goals: TextView first paint <= 1000 ms, peak memory <= 3 x the text in "
        "UTF-16",
        5, 1, true },
    { "lines", "1,000,000 short lines",
        "steps: scroll bar to the end, Ctrl+A; goals: TextView first paint <= 200 ms, scrolling to the end immediate",
        5, 3, false },
};

struct Run {
    double firstPaintMs = 0;
    double stallMs = 0;
    double baselineKiB = 0;
    double peakKiB = 0;
    double utf16Bytes = 0;
};

std::map<std::string, std::vector<Run>> g_runs; // by text and box

bool launchBox(const char* text, const char* box, Run& run)
{
    const Launched launched = launch({ RESULTVIEW_PATH, text, box });
    return launched.ok
        && std::sscanf(launched.output.c_str(),
               "first_paint_ms=%lf max_stall_ms=%lf baseline_KiB=%lf peak_KiB=%lf utf16_bytes=%lf", &run.firstPaintMs,
               &run.stallMs, &run.baselineKiB, &run.peakKiB, &run.utf16Bytes)
        == 5;
}

void showText(benchmark::State& state, const char* text, const char* box)
{
    for (auto _ : state) {
        Run run;
        if (!launchBox(text, box, run)) {
            state.SkipWithError("resultview failed");
            return;
        }
        state.SetIterationTime(run.firstPaintMs / 1000);
        state.counters["max_stall_ms"] = run.stallMs;
        state.counters["peak_MiB"] = run.peakKiB / 1024;
        state.counters["peak_per_utf16"] = run.peakKiB * 1024 / run.utf16Bytes;
        g_runs[std::string(text) + '/' + box].push_back(run);
    }
}

double median(const std::vector<Run>& runs, double Run::*field)
{
    std::vector<double> values;
    for (const Run& run : runs)
        values.push_back(run.*field);
    return ::median(values);
}

constexpr const char* RowFormat = "%-24s %-14s %5s %11s %10s %9s %11s %10s %12s %10s\n";

// One row of the table, with the ratio of first paints when there is one; false when there were no runs.
bool printRow(const char* title, const char* label, const std::vector<Run>& runs, double ratio)
{
    if (runs.empty())
        return false;
    const double paint = median(runs, &Run::firstPaintMs), stall = median(runs, &Run::stallMs);
    const double peak = median(runs, &Run::peakKiB) / 1024;
    const double growth = (median(runs, &Run::peakKiB) - median(runs, &Run::baselineKiB)) / 1024;
    const double utf16 = median(runs, &Run::utf16Bytes) / (1024 * 1024);
    const auto number = [](double value, const char* format) {
        char text[32];
        std::snprintf(text, sizeof text, format, value);
        return std::string(text);
    };
    std::printf(RowFormat, title, label, std::to_string(runs.size()).c_str(), number(paint, "%.1f").c_str(),
        number(stall, "%.1f").c_str(), number(peak, "%.0f").c_str(), number(growth, "%.0f").c_str(),
        number(peak / utf16, "%.2f").c_str(), number(growth / utf16, "%.2f").c_str(),
        ratio > 0 ? number(ratio, "1 : %.1f").c_str() : "-");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bool withSlow = false;
    for (int index = 1; index < argc; ++index)
        withSlow = withSlow || std::strcmp(argv[index], "--with-slow") == 0;

    for (const Case& text : Cases) {
        const auto runs = [&text](const char* box, int repetitions) {
            if (repetitions == 0)
                return;
            benchmark::RegisterBenchmark(
                ("first_paint/" + std::string(text.name) + '/' + box).c_str(), showText, text.name, box)
                ->UseManualTime()
                ->Iterations(1)
                ->Repetitions(repetitions)
                ->Unit(benchmark::kMillisecond);
        };
        runs("textview", text.textViewRuns);
        if (!text.slowInPlainTextEdit || withSlow)
            runs("plaintextedit", text.plainTextEditRuns);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nmedians; first paint and stalls in ms, memory in MiB, text = the text's size in UTF-16\n");
    std::printf(RowFormat, "text", "box", "runs", "first paint", "max stall", "peak RSS", "RSS growth", "peak / text",
        "growth / text", "TextView : QPlainTextEdit");
    for (const Case& text : Cases) {
        const auto& ours = g_runs[std::string(text.name) + "/textview"];
        const auto& plain = g_runs[std::string(text.name) + "/plaintextedit"];
        if (ours.empty() && plain.empty())
            continue; // left out by --benchmark_filter
        const double ratio
            = ours.empty() || plain.empty() ? 0 : median(plain, &Run::firstPaintMs) / median(ours, &Run::firstPaintMs);
        const bool shown = printRow(text.title, "TextView", ours, ratio);
        if (!printRow(shown ? "" : text.title, "QPlainTextEdit", plain, 0) && text.slowInPlainTextEdit && !withSlow)
            std::printf("%-24s %-14s skipped: slow, about 1 GiB; run with --with-slow\n", "", "QPlainTextEdit");
        std::printf("%-24s %s\n", "", text.goals);
    }
    return 0;
}
