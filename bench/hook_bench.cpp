// The editor hook: the extra cost of one WM_PAINT that reaches the control's window while
// an editor is open, over the window's previous procedure alone.
// Target: under 2 us.
//
//   Hook/fake/previous|hooked   over the fake window system and recording doubles
//                               (tests/fakes, recording switched off): the hook's own work
//                               plus the doubles' bookkeeping for the nine widget calls
//                               it makes;
//   Hook/qt/previous|hooked/N   over the real Qt widgets: a PropertiesWidget showing a group
//                               of N items with the text editor open on a value cell
//                               (opened by a click), so every paint re-places the editor;
//   Hook/qt/catch_up/N          what one GridView::catchUp() costs when the view is in line
//                               already: the hook's cell-geometry and style reads each start
//                               with one.
// "previous" calls the procedure the hook replaced directly (the control's own handling of
// the message); "hooked" sends the message into the window's procedure chain.
//
// Run: <build>/bin/hook_bench [--short] [benchmark flags], or scripts/bench.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>

#include <control/editor_hook.h>
#include <control/widgets/window_procs.h>
#include <tests/fakes/fake_widgets.h>
#include <toolkit/qt/grid_view.h>
#include <toolkit/qt/window_system.h>

#include "bench_data.h"
#include "bench_registry.h"
#include "qt_host.h"
#include "ratio_reporter.h"
#include "stopwatch.h"

namespace {

using bench::Stopwatch;

constexpr int kCallsPerIteration = 100;

struct Sizes {
    int small;
    int large;
};

// Makes kCallsPerIteration calls per iteration (one WM_PAINT message each, mostly) and
// reports the time per call.
template <typename Call>
void TimeCalls(benchmark::State& state, Call&& call) {
    double total = 0;
    for (auto _ : state) {
        Stopwatch watch;
        for (int i = 0; i < kCallsPerIteration; ++i) benchmark::DoNotOptimize(call());
        const double seconds = watch.seconds();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["per_call"] = benchmark::Counter(total / kCallsPerIteration, benchmark::Counter::kAvgIterations);
}

// ---- over the fakes ----------------------------------------------------------------------

// The recording doubles of one control with the hook installed on its surface and the text
// editor marked active over the grid's cell (1, 1).
struct FakeHookedControl {
    FakeHookedControl() {
        widgets.env->log().set_enabled(false);
        widgets.grid->SetCols(2);
        widgets.grid->SetRows(2);
        widgets.grid->SetRow(1);
        widgets.grid->SetCol(1);
        tracking->control_window = widgets.surface->hWnd();
        tracking->grid = widgets.grid;
        tracking->text_editor = widgets.text1;
        tracking->drop_down_editor = widgets.combo2;
        orvane::InstallEditorHook(tracking);
        tracking->text_editor_active = true;
    }
    ~FakeHookedControl() {
        if (tracking->hook_installed) orvane::RemoveEditorHook(*tracking);
    }
    HWND window() const { return orvane::widgets::ToHwnd(tracking->control_window); }

    orvane::fakes::FakeWidgets widgets;
    std::shared_ptr<orvane::EditorTracking> tracking = std::make_shared<orvane::EditorTracking>();
};

void FakePrevious(benchmark::State& state) {
    bench::Guarded(state, [&] {
        FakeHookedControl fake;
        if (!fake.tracking->hook_installed) throw comrt::com_error(E_FAIL);
        const WNDPROC previous = fake.tracking->previous_window_proc;
        const HWND window = fake.window();
        TimeCalls(state, [&] { return CallWindowProcA(previous, window, WM_PAINT, 0, 0); });
    });
}

void FakeHooked(benchmark::State& state) {
    bench::Guarded(state, [&] {
        FakeHookedControl fake;
        if (!fake.tracking->hook_installed) throw comrt::com_error(E_FAIL);
        const HWND window = fake.window();
        orvane::fakes::FakeWindowSystem& windows = fake.widgets.env->windows();
        TimeCalls(state, [&] { return windows.send_message(window, WM_PAINT); });
    });
}

// ---- over the real Qt widgets ----------------------------------------------------------------

// A control showing a group of n items, the text editor open on the value cell of row 0.
struct QtEditing {
    explicit QtEditing(int n) : host(480, 360) {
        comrt::check(host.status());
        bench::AddItems(*group, bench::MakeItemTexts(n));
        comrt::check(host.addGroup(*group));
        comrt::check(host.select(0));
        bench::DrainEvents();
        host.clickCell(0, 1);
        bench::DrainEvents();
        if (!host.textEditor().isVisible()) throw std::runtime_error("the text editor did not open");
        window = host.surface().windowHandle();
        if (host.surface().windowSystem().windowProc(window) == orvane::qt::QtWindowSystem::originalProc())
            throw std::runtime_error("the window hook is not installed");
    }

    bench::ControlHost host;
    comrt::ComPtr<_clsTessel> group = bench::NewGroup();
    HWND window = nullptr;
};

void QtPrevious(benchmark::State& state) {
    bench::Guarded(state, [&] {
        QtEditing editing(static_cast<int>(state.range(0)));
        orvane::qt::QtWindowSystem& windows = editing.host.surface().windowSystem();
        const WNDPROC previous = orvane::qt::QtWindowSystem::originalProc();
        TimeCalls(state, [&] { return windows.CallWindowProc(previous, editing.window, WM_PAINT, 0, 0); });
        bench::DrainEvents();
    });
}

void QtHooked(benchmark::State& state) {
    bench::Guarded(state, [&] {
        QtEditing editing(static_cast<int>(state.range(0)));
        orvane::qt::QtWindowSystem& windows = editing.host.surface().windowSystem();
        TimeCalls(state, [&] { return windows.sendMessage(editing.window, WM_PAINT); });
        bench::DrainEvents();
    });
}

// What the hook's reads of the grid cost: one GridView::catchUp() when the view is already
// in line with the grid. Each cell-geometry read and each style read starts with one.
void QtCatchUp(benchmark::State& state) {
    bench::Guarded(state, [&] {
        QtEditing editing(static_cast<int>(state.range(0)));
        auto* view = dynamic_cast<orvane::qt::GridView*>(&editing.host.grid());
        if (!view) throw std::runtime_error("the grid is no GridView");
        TimeCalls(state, [&] {
            view->catchUp();
            return 0;
        });
        bench::DrainEvents();
    });
}

void Register(const Sizes& sizes, bool short_run) {
    auto add = [&](const char* name, void (*fn)(benchmark::State&)) {
        benchmark::internal::Benchmark* b = bench::Configure(benchmark::RegisterBenchmark(name, fn));
        b->UseManualTime()->Unit(benchmark::kMicrosecond);
        if (short_run) b->MinTime(0.01);
        return b;
    };
    add("Hook/fake/previous", FakePrevious);
    add("Hook/fake/hooked", FakeHooked);
    add("Hook/qt/previous", QtPrevious)->Arg(sizes.small)->Arg(sizes.large);
    add("Hook/qt/hooked", QtHooked)->Arg(sizes.small)->Arg(sizes.large);
    add("Hook/qt/catch_up", QtCatchUp)->Arg(sizes.small)->Arg(sizes.large);
}

std::vector<bench::Comparison> Comparisons(const Sizes& sizes) {
    using bench::Check;
    using bench::Comparison;
    using bench::Unit;
    std::vector<Comparison> comparisons{
        Comparison{"WM_PAINT with the text editor open, fakes: hooked vs previous procedure",
                   {"Hook/fake/hooked", "per_call"}, {"Hook/fake/previous", "per_call"}, Unit::seconds,
                   Check::difference_at_most, 2e-6},
    };
    for (const int n : {sizes.small, sizes.large}) {
        const std::string size = std::to_string(n);
        comparisons.push_back(Comparison{"WM_PAINT with the text editor open, Qt, " + size + " rows: hooked vs previous",
                                         {"Hook/qt/hooked/" + size, "per_call"},
                                         {"Hook/qt/previous/" + size, "per_call"}, Unit::seconds,
                                         Check::difference_at_most, 2e-6});
        comparisons.push_back(Comparison{"  one GridView::catchUp() with nothing to catch up, " + size + " rows",
                                         {"Hook/qt/catch_up/" + size, "per_call"}, {}, Unit::seconds});
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
