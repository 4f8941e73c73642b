// One key typed into the Data box while it holds 1 MB of text, from the key press to the box painted
// again: the box takes text of any length, and typing into a long one must stay quick.
#include "frmmain.h"
#include "services.h"

#include "medians.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

std::vector<double> g_milliseconds;

void keystroke(benchmark::State& state, QLineEdit* box)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(box, Qt::Key_X);
        box->repaint();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        g_milliseconds.push_back(seconds * 1000);
    }
}

}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    platform::Services services = platform::systemServices();
    frmMain window(services);
    window.show();
    auto* box = window.findChild<QLineEdit*>(u"Text1"_s);
    box->setText(QString(1024 * 1024, u'd'));
    box->setFocus();
    box->end(false);
    QCoreApplication::processEvents();

    benchmark::RegisterBenchmark("keystroke/Text1_1MB", keystroke, box)
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf(
        "\nmedian keystroke with 1 MB in Text1: %.1f ms (%zu keys)\n", median(g_milliseconds), g_milliseconds.size());
    return 0;
}
