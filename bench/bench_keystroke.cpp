// Keys in the Data box with 1 kB, 100 kB, 1 MB and 10 MB in it, each timed from the key press to the box
// painted again: one key typed at the end, a paste of that much text into the empty box, Select All and
// Delete, and Home then End. The box takes text of any length, and typing into a long one must stay quick.
// Only the box's "text" property and real keys are used, so any one-line box can be measured.
#include "frmmain.h"
#include "services.h"

#include "medians.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QWidget* g_box = nullptr;
std::map<std::string, std::vector<double>> g_milliseconds;

void setText(const QString& text)
{
    g_box->setProperty("text", text);
    QTest::keyClick(g_box, Qt::Key_End);
    g_box->repaint();
}

// Times one step, keys and the box's repaint, after an untimed set-up.
void timed(benchmark::State& state, const std::string& name, const std::function<void()>& setUp,
    const std::function<void()>& step)
{
    for (auto _ : state) {
        setUp();
        const auto start = std::chrono::steady_clock::now();
        step();
        g_box->repaint();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        g_milliseconds[name].push_back(seconds * 1000);
    }
}

void add(const std::string& name, int iterations, std::function<void()> setUp, std::function<void()> step)
{
    benchmark::RegisterBenchmark(
        name.c_str(), [name, setUp, step](benchmark::State& state) { timed(state, name, setUp, step); })
        ->UseManualTime()
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    platform::Services services = platform::systemServices();
    frmMain window(services);
    window.show();
    g_box = window.findChild<QWidget*>(u"Text1"_s);
    g_box->setFocus();
    QCoreApplication::processEvents();

    const std::pair<const char*, qsizetype> sizes[]
        = { { "1kB", 1000 }, { "100kB", 100'000 }, { "1MB", 1'000'000 }, { "10MB", 10'000'000 } };
    for (const auto& [label, size] : sizes) {
        const QString text(size, u'd');
        const std::string suffix = std::string("/") + label;
        const int iterations = size >= 10'000'000 ? 5 : 20;
        add(
            "key" + suffix, iterations, [text] { setText(text); }, [] { QTest::keyClick(g_box, Qt::Key_X); });
        add(
            "paste" + suffix, iterations,
            [text] {
                setText(QString());
                QGuiApplication::clipboard()->setText(text);
            },
            [] { QTest::keyClick(g_box, Qt::Key_V, Qt::ControlModifier); });
        add(
            "selectAllDelete" + suffix, iterations, [text] { setText(text); },
            [] {
                QTest::keyClick(g_box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(g_box, Qt::Key_Delete);
            });
        add(
            "homeEnd" + suffix, iterations, [text] { setText(text); },
            [] {
                QTest::keyClick(g_box, Qt::Key_Home);
                QTest::keyClick(g_box, Qt::Key_End);
            });
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nmedians in ms (Select All + Delete and Home + End are two keys):\n");
    for (const auto& [name, values] : g_milliseconds)
        std::printf("  %-22s %9.2f\n", name.c_str(), median(values));
    return 0;
}
