// The editor hook, as a host sees it: what the messages that reach the control's window
// cost while an in-place editor is open (the hook re-places the editor over its cell after
// every WM_PAINT and WM_SIZE) against the same messages with no editor open (the hook only
// passes them on). A PropertiesWidget shows a group of N items; the text editor is opened
// by a click on the value cell of row 0.
//
//   Hook/repaint/none|open/N   the control's surface repaints a strip above the grid
//                              (QWidget::repaint of that rectangle): one WM_PAINT, and the
//                              same pixels either way, since the editor lies over the grid,
//                              outside the strip. The difference is the hook's own work per
//                              message: reading the current cell's place and the grid's
//                              scroll bars, and moving the editor to where it already is.
//                              Target: under 2 us extra per message.
//   Hook/resize/none|open/N    the window made larger until the grid has repainted (and
//                              smaller again after each timing): the surface's WM_SIZE
//                              and WM_PAINT messages are counted (counter `messages`, per
//                              resize) and the time per message compared. With the editor
//                              open the hook moves it with its cell, which then repaints:
//                              the whole visible cost of keeping the editor over its cell.
//                              (A shrink is left untimed: with no editor open Qt lays the
//                              grid out once more after its first paint, so a shrink would
//                              not do the same work in both cases.)
//
// Run: <build>/bin/hook_bench [--short] [benchmark flags], or scripts/bench.sh.
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QSize>

#include <comrt/error.h>
#include <testing/groups.h>

#include "bench_data.h"
#include "qt_host.h"
#include "ratio_reporter.h"
#include "stopwatch.h"

namespace {

using bench::Stopwatch;

constexpr int kRepaintsPerIteration = 100;
constexpr QSize kSizes[] = {{480, 360}, {540, 400}};

struct Sizes {
    int small;
    int large;
};

enum class Editor { none, open };

// The value cell of row 0 in the surface's coordinates.
QRect CellOnSurface(bench::ControlHost& host) {
    QTableView& grid = host.grid();
    const QRect cell = grid.visualRect(grid.model()->index(0, 1));
    return QRect(grid.viewport()->mapTo(&host.surface(), cell.topLeft()), cell.size());
}

// A control showing a group of n items, with the text editor open on row 0's value cell or
// no editor open; and a count of the messages its surface receives (WM_SIZE, WM_PAINT).
struct ShownGroup {
    ShownGroup(int n, Editor editor) : host(kSizes[0].width(), kSizes[0].height()) {
        comrt::check(host.status());
        bench::AddItems(*group, bench::MakeItemTexts(n));
        comrt::check(host.addGroup(*group));
        comrt::check(host.select(0));
        bench::DrainEvents();
        if (editor == Editor::open) {
            host.clickCell(0, 1);
            bench::DrainEvents();
        }
        checkEditor(editor);
        messages = std::make_unique<bench::EventCounter>(host.surface(),
                                                         std::initializer_list<QEvent::Type>{QEvent::Resize, QEvent::Paint});
    }

    // The editor is where the benchmark needs it: open over its cell, or hidden.
    void checkEditor(Editor editor) {
        QLineEdit& text = host.textEditor();
        if (editor == Editor::none) {
            if (text.isVisible()) throw std::runtime_error("an editor is open");
            return;
        }
        if (!text.isVisible()) throw std::runtime_error("the text editor did not open");
        if (text.mapTo(&host.surface(), QPoint(0, 0)) != CellOnSurface(host).topLeft())
            throw std::runtime_error("the text editor is not over its cell");
    }

    bench::ControlHost host;
    comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
    std::unique_ptr<bench::EventCounter> messages;
};

// The messages per iteration, and the time per message.
void ReportMessages(benchmark::State& state, double seconds, int messages) {
    using benchmark::Counter;
    state.counters["messages"] = Counter(static_cast<double>(messages), Counter::kAvgIterations);
    state.counters["per_message"] = Counter(messages > 0 ? seconds / messages : 0);
}

// ---- one repaint -------------------------------------------------------------------------

void Repaint(benchmark::State& state, Editor editor) {
    bench::Guarded(state, [&] {
        ShownGroup shown(static_cast<int>(state.range(0)), editor);
        QWidget& surface = shown.host.surface();
        const int grid_top = shown.host.grid().mapTo(&surface, QPoint(0, 0)).y();
        if (grid_top <= 0) throw std::runtime_error("nothing of the surface lies above the grid");
        const QRect strip(0, 0, surface.width(), grid_top);
        double total = 0;
        int messages = 0;
        for (auto _ : state) {
            const int seen = shown.messages->count();
            Stopwatch watch;
            for (int i = 0; i < kRepaintsPerIteration; ++i) surface.repaint(strip);
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            total += seconds;
            messages += shown.messages->count() - seen;
        }
        if (messages < static_cast<int>(state.iterations()) * kRepaintsPerIteration)
            throw std::runtime_error("the surface did not repaint");
        shown.checkEditor(editor);
        ReportMessages(state, total, messages);
    });
}

void RepaintNone(benchmark::State& state) { Repaint(state, Editor::none); }
void RepaintOpen(benchmark::State& state) { Repaint(state, Editor::open); }

// ---- a resize ----------------------------------------------------------------------------

// Resizes the window to `size` and runs the event loop until the grid has repainted and
// nothing is left to do.
void ResizeAndRepaint(ShownGroup& shown, QSize size) {
    const int painted = shown.host.gridPaints().count();
    shown.host.window().resize(size);
    if (!bench::WaitForCount(shown.host.gridPaints(), painted)) throw std::runtime_error("no repaint within the timeout");
    bench::DrainEvents();
}

void Resize(benchmark::State& state, Editor editor) {
    bench::Guarded(state, [&] {
        ShownGroup shown(static_cast<int>(state.range(0)), editor);
        double total = 0;
        int messages = 0;
        for (auto _ : state) {
            const int seen = shown.messages->count();
            Stopwatch watch;
            ResizeAndRepaint(shown, kSizes[1]);
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            total += seconds;
            messages += shown.messages->count() - seen;
            ResizeAndRepaint(shown, kSizes[0]);
        }
        shown.checkEditor(editor);
        ReportMessages(state, total, messages);
    });
}

void ResizeNone(benchmark::State& state) { Resize(state, Editor::none); }
void ResizeOpen(benchmark::State& state) { Resize(state, Editor::open); }

// ---- registration and comparisons -----------------------------------------------------------

void Register(const Sizes& sizes, bool short_run) {
    auto add = [&](const char* name, void (*fn)(benchmark::State&)) {
        benchmark::internal::Benchmark* b = bench::Configure(benchmark::RegisterBenchmark(name, fn));
        b->UseManualTime()->Unit(benchmark::kMicrosecond)->Arg(sizes.small)->Arg(sizes.large);
        if (short_run) b->MinTime(0.01);
        return b;
    };
    add("Hook/repaint/none", RepaintNone);
    add("Hook/repaint/open", RepaintOpen);
    add("Hook/resize/none", ResizeNone);
    add("Hook/resize/open", ResizeOpen);
}

std::vector<bench::Comparison> Comparisons(const Sizes& sizes) {
    using bench::Check;
    using bench::Comparison;
    using bench::Unit;
    std::vector<Comparison> comparisons;
    for (const int n : {sizes.small, sizes.large}) {
        const std::string rows = std::to_string(n);
        comparisons.push_back(Comparison{"WM_PAINT of the control (a strip above the grid), " + rows +
                                             " rows, per message: editor open vs none",
                                         {"Hook/repaint/open/" + rows, "per_message"},
                                         {"Hook/repaint/none/" + rows, "per_message"}, Unit::seconds,
                                         Check::difference_at_most, 2e-6});
        comparisons.push_back(Comparison{"  a larger window until repainted, per WM_SIZE or WM_PAINT: editor open "
                                         "(moved along) vs none",
                                         {"Hook/resize/open/" + rows, "per_message"},
                                         {"Hook/resize/none/" + rows, "per_message"}, Unit::seconds,
                                         Check::difference});
    }
    return comparisons;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv, "hook_bench", TESSEL_LIBRARY, ORVANE_LIBRARY, [](bool short_run) {
        const Sizes sizes = short_run ? Sizes{100, 1000} : Sizes{1000, 32766};
        Register(sizes, short_run);
        return Comparisons(sizes);
    });
}
