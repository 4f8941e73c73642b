// One run of bench_resultview, in a process of its own so that its memory is its own: shows a result box
// at its size in the window, puts a large text in it and times what the user waits for.
//
//   resultview <text> <box>
//   text: json  - 10 MB of minified JSON on one line
//         formatted - the same, shown by Format JSON: timed from the formatting on
//         words - 100 MB of words and spaces on one line
//         lines - 1,000,000 short lines
//   Each is timed to its first paint, then while scrolling to the end and selecting all.
//   box:  textview      - the program's result box
//         plaintextedit - the QPlainTextEdit the window used before, set up as it had it
//
// Prints one line for bench_resultview: the times in milliseconds, the memory in KiB.
#include "fonts.h"
#include "jsonformat.h"
#include "textview.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

constexpr qsizetype MB = 1024 * 1024;

// [{"id":0,"name":"item 0","tags":["a","b"],"ok":true},{"id":1,...}] up to length characters.
QString minifiedJson(qsizetype length)
{
    QString text;
    text.reserve(length);
    text += u'[';
    for (int id = 0;; ++id) {
        const QString number = QString::number(id);
        const QString item
            = u"{\"id\":" + number + u",\"name\":\"item " + number + u"\",\"tags\":[\"a\",\"b\"],\"ok\":true}";
        if (text.size() + item.size() + 2 > length)
            break;
        if (id > 0)
            text += u',';
        text += item;
    }
    text += u']';
    return text;
}

QString words(qsizetype length)
{
    const QString phrase = u"lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod "
                           u"tempor incididunt ut labore et dolore magna aliqua "_s;
    QString text;
    text.reserve(length + phrase.size());
    while (text.size() < length)
        text += phrase;
    text.truncate(length);
    return text;
}

QString shortLines(int count)
{
    QString text;
    text.reserve(qsizetype(count) * 24);
    for (int n = 1; n <= count; ++n)
        text += u"line " + QString::number(n) + u": some text\n";
    return text;
}

long currentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Notes the end of each paint of a box's viewport.
struct Paints {
    int count = 0;
    Clock::time_point last;
    QEventLoop* waiting = nullptr;

    void done()
    {
        ++count;
        last = Clock::now();
        if (waiting)
            waiting->quit();
    }
    // Runs the event loop until the viewport has painted more than seen times.
    void waitBeyond(int seen)
    {
        if (count > seen)
            return;
        QEventLoop loop;
        waiting = &loop;
        loop.exec();
        waiting = nullptr;
    }
};

template <class Box> class Watched : public Box {
public:
    using Box::Box;
    Paints paints;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        Box::paintEvent(event);
        paints.done();
    }
};

void putText(TextView& box, const QString& text)
{
    box.setText(text);
}
void putText(QPlainTextEdit& box, const QString& text)
{
    box.setPlainText(text);
}

// Runs what the last step left in the event queue: the longest one round of it blocked the event loop.
double settle()
{
    double longest = 0;
    for (int round = 0; round < 3; ++round) {
        const auto start = Clock::now();
        QCoreApplication::processEvents();
        longest = std::max(longest, msBetween(start, Clock::now()));
    }
    return longest;
}

// The longest the event loop is blocked by a step with the repaint it calls for, or by what it leaves behind.
template <class Step> double stall(QWidget* viewport, Step step)
{
    const auto start = Clock::now();
    step();
    viewport->repaint();
    const double own = msBetween(start, Clock::now());
    return std::max(own, settle());
}

template <class Box> int run(Watched<Box>& box, const QString& which)
{
    box.setFont(fonts::msSansSerif(8.25)); // the window's font
    box.resize(265, 137);
    box.show();
    box.paints.waitBeyond(0);
    settle();

    const bool format = which == u"formatted";
    const QString text = which == u"json" || format ? minifiedJson(10 * MB)
        : which == u"words"                         ? words(100 * MB)
        : which == u"lines"                         ? shortLines(1'000'000)
                                                    : QString();
    if (text.isEmpty())
        return 2;
    const long baseline = currentKiB();

    // The first paint: from handing the box its text to the end of the viewport's next paint, with the event
    // loop running in between as it does in the window.
    const int seen = box.paints.count;
    const auto start = Clock::now();
    putText(box, format ? jsonformat::format(text).value_or(QString()) : text);
    box.paints.waitBeyond(seen);
    const double firstPaint = msBetween(start, box.paints.last);
    double longest = settle();

    longest = std::max(longest, stall(box.viewport(), [&] {
        QScrollBar* bar = box.verticalScrollBar();
        bar->setValue(bar->maximum());
    }));
    longest = std::max(longest, stall(box.viewport(), [&] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::sendEvent(&box, &key);
    }));

    std::printf("first_paint_ms=%.3f max_stall_ms=%.3f baseline_KiB=%ld peak_KiB=%ld utf16_bytes=%lld\n", firstPaint,
        longest, baseline, peakKiB(), static_cast<long long>(text.size()) * 2);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[2] == u"textview") {
        Watched<TextView> box;
        return run(box, arguments[1]);
    }
    if (arguments.size() == 3 && arguments[2] == u"plaintextedit") {
        Watched<QPlainTextEdit> box;
        box.setReadOnly(true);
        box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return run(box, arguments[1]);
    }
    std::fprintf(stderr, "usage: resultview json|formatted|words|lines textview|plaintextedit\n");
    return 2;
}
