// The control's lists and memory in real Qt widgets (offscreen), against what the toolkit
// itself does with the same texts, measured in the same run (the paths of showing a
// group, moving and scrolling are path_bench's):
//
//   ComboInit/control/M   ComboInit of an item with M choices, per choice; baseline
//                         ComboInit/bare_combo/M, a QComboBox cleared and filled with the same
//                         texts one addItem at a time.
//   DropDownClick         the user's click on a drop-down value cell of M choices until its
//                         list has painted (the list filled by ComboInit, the editor placed,
//                         the list opened), each size of list in turn, step by step;
//                         counters choices_M.
//   Memory/control/N      heap and resident bytes per row of a shown group in the grid (the
//                         group's items existing before), over the empty grid; baseline
//                         Memory/bare_view/N, a bare QTableView over QString pairs.
//   Memory/whole_path/control/N  the same from before the group's items existed: the items
//                         (AddItem), AddPropertyGroup, SelectPropertyGroup, painted; per
//                         row, and the peak resident set during it per row. Baseline
//                         Memory/whole_path/bare_view/N: the QString pairs and the bare view.
//   Find/control/N        FindText for the last item's name in other case, over a shown group
//                         of N items (every name and value read from the items, the hit
//                         made current); baseline Find/qstring_loop/N, a loop over the
//                         same names and values as QStrings with a case-insensitive
//                         contains. The control must answer within a frame.
//
// Run: <build>/bin/qt_bench [--short] [benchmark flags], or scripts/bench.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QString>
#include <QTableView>

#include <comrt/error.h>
#include <testing/groups.h>

#include "bench_data.h"
#include "instructions.h"
#include "process_memory.h"
#include "qt_host.h"
#include "ratio_reporter.h"
#include "stopwatch.h"

namespace {

using bench::Stopwatch;

// The window both grids are shown in: the control fills it, the bare view gets the size of
// the control's grid.
constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 360;

constexpr SHORT kShownGroup = 0;
constexpr SHORT kNoGroup = 1;  // past the only group: the empty branch clears the grid

struct Sizes {
    std::vector<int> rows;
    std::vector<int> choices;
    std::vector<int> lists;  // choices of the drop-down whose list is opened
};

// The size of the control's grid in its window (measured once).
QSize ControlGridSize() {
    static const QSize size = [] {
        bench::ControlHost host(kWindowWidth, kWindowHeight);
        return host.status() == S_OK ? host.grid().size() : QSize(kWindowWidth, kWindowHeight);
    }();
    return size;
}

// A bare QTableView over a PairModel, shown at the size of the control's grid.
struct BareView {
    BareView() {
        view.setModel(&model);
        view.horizontalHeader()->hide();
        view.verticalHeader()->hide();
        view.resize(ControlGridSize());
        if (!bench::ShowActive(view)) throw std::runtime_error("the bare view did not become active");
        paints = std::make_unique<bench::PaintCounter>(*view.viewport());
    }

    bench::PairModel model;
    QTableView view;
    std::unique_ptr<bench::PaintCounter> paints;
};

// A control showing one group of n items (not yet selected).
struct ControlWithGroup {
    explicit ControlWithGroup(const bench::ItemTexts& texts) : host(kWindowWidth, kWindowHeight) {
        comrt::check(host.status());
        bench::AddItems(*group, texts);
        comrt::check(host.addGroup(*group));
    }

    bench::ControlHost host;
    comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
};

void Paint(const bench::PaintCounter& paints, int seen) {
    if (!bench::WaitForCount(paints, seen)) throw std::runtime_error("no paint within the timeout");
}

// The untimed start of every show: an empty grid, pending events done, free memory handed
// back to the system.
void StartEmpty(bench::ControlHost& host) {
    comrt::check(host.select(kNoGroup));
    bench::DrainEvents();
    (void)bench::Sample();
}

// ---- the drop-down's fill -------------------------------------------------------------------------

void SetPerChoice(benchmark::State& state, double seconds) {
    state.counters["per_choice"] =
        benchmark::Counter(seconds / static_cast<double>(state.range(0)), benchmark::Counter::kAvgIterations);
}

// The control showing one drop-down item of `choices` choices (bench::ChoiceGroup).
void ShowChoiceGroup(bench::ControlHost& host, int choices) {
    comrt::check(host.status());
    const comrt::ComPtr<_clsTessel> group = bench::ChoiceGroup(choices);
    comrt::check(host.addGroup(*group));
    comrt::check(host.select(kShownGroup));
    bench::DrainEvents();
}

void ComboInitControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const int choices = static_cast<int>(state.range(0));
        bench::ControlHost host(kWindowWidth, kWindowHeight);
        ShowChoiceGroup(host, choices);
        // A list whose upper bound is 32,767 may end, once filled, with the overflow error of
        // a 16-bit counter stepping past it; the fill is what is measured.
        const auto acceptable = [&](HRESULT hr) {
            return hr == S_OK || (choices > 32767 && hr == comrt::runtime_hresult(comrt::runtime_error::overflow));
        };
        double total = 0;
        for (auto _ : state) {
            Stopwatch watch;
            const HRESULT hr = host.control().ComboInit();
            const double seconds = watch.seconds();
            if (!acceptable(hr)) throw comrt::com_error(hr);
            state.SetIterationTime(seconds);
            total += seconds;
            bench::DrainEvents();
        }
        if (host.dropDownEditor().count() != choices) throw std::runtime_error("the drop-down lacks entries");
        SetPerChoice(state, total);
    });
}

void ComboInitBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const int choices = static_cast<int>(state.range(0));
        std::vector<std::u16string> texts;
        for (int i = 1; i <= choices; ++i) texts.push_back(bench::PaddedText(u"Choice", i));
        QComboBox list;
        if (!bench::ShowActive(list)) throw std::runtime_error("the combo box did not become active");
        double total = 0;
        for (auto _ : state) {
            Stopwatch watch;
            list.clear();
            for (const std::u16string& text : texts) list.addItem(bench::ToQString(text));
            list.setCurrentIndex(choices - 1);
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            total += seconds;
            bench::DrainEvents();
        }
        SetPerChoice(state, total);
    });
}

// ---- opening the drop-down's list ------------------------------------------------------------------

// A control showing a free-text item (row 0) above a drop-down item of M choices (row 1)
// whose value is its last choice.
struct DropDownSide {
    explicit DropDownSide(int choices) : host(kWindowWidth, kWindowHeight), choices(choices) {
        comrt::check(host.status());
        pg_testing::Item list{u"Choices00001", bench::PaddedText(u"Choice", choices)};
        for (int k = 1; k <= choices; ++k) list.choices.push_back(bench::PaddedText(u"Choice", k));
        group = pg_testing::MakeGroup(u"", {pg_testing::Item{u"Text00000001", u"Value0000001"}, list});
        comrt::check(host.addGroup(*group));
        comrt::check(host.select(kShownGroup));
        bench::SettleOrThrow();
        paints = std::make_unique<bench::PaintCounter>(*host.dropDownEditor().view()->viewport());
    }
    // Untimed: the drop-down closed, the text editor open on row 0.
    void prepare() {
        host.dropDownEditor().hidePopup();
        bench::SettleOrThrow();
        host.clickCell(0, 1);
        bench::SettleOrThrow();
        if (host.dropDownEditor().isVisible()) throw std::runtime_error("the drop-down stayed open");
    }
    // The click on the drop-down cell, until its list has painted.
    void open() {
        const int seen = paints->count();
        host.clickCell(1, 1);
        Paint(*paints, seen);
    }
    void check() {
        QComboBox& list = host.dropDownEditor();
        if (!list.isVisible() || !list.view()->isVisible() || list.count() != choices)
            throw std::runtime_error("the drop-down's list did not open filled");
        if (list.view()->currentIndex().row() != choices - 1 || list.currentIndex() != choices - 1)
            throw std::runtime_error("the value is not selected");
    }

    bench::ControlHost host;
    int choices;
    comrt::ComPtr<_clsTessel> group;
    std::unique_ptr<bench::PaintCounter> paints;
};

// The user's click on a drop-down value cell timed until the list of its choices has
// painted (ComboInit's fill, the editor placed, the list opened), for every size of list
// in turn, step by step.
void DropDownClick(benchmark::State& state, const std::vector<int>& lists) {
    bench::Guarded(state, [&] {
        std::vector<std::unique_ptr<DropDownSide>> sides;
        std::vector<double> totals(lists.size());
        for (const int m : lists) sides.push_back(std::make_unique<DropDownSide>(m));
        for (auto _ : state) {
            double seconds = 0;
            for (std::size_t i = 0; i < sides.size(); ++i) {
                sides[i]->prepare();
                Stopwatch watch;
                sides[i]->open();
                const double t = watch.seconds();
                sides[i]->check();
                totals[i] += t;
                seconds += t;
            }
            state.SetIterationTime(seconds);
        }
        for (std::size_t i = 0; i < sides.size(); ++i)
            state.counters["choices_" + std::to_string(lists[i])] =
                benchmark::Counter(totals[i], benchmark::Counter::kAvgIterations);
    });
}

// ---- memory ------------------------------------------------------------------------------------------

void SetPerRow(benchmark::State& state, double resident, double heap) {
    state.counters["bytes_per_row"] = benchmark::Counter(resident, benchmark::Counter::kAvgIterations);
    state.counters["heap_per_row"] = benchmark::Counter(heap, benchmark::Counter::kAvgIterations);
}

void MemoryControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const auto rows = static_cast<std::size_t>(state.range(0));
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(rows));
        ControlWithGroup shown(texts);
        bench::ControlHost& host = shown.host;
        double resident = 0;
        double heap = 0;
        for (auto _ : state) {
            StartEmpty(host);
            const bench::MemorySample before = bench::Sample();
            const int seen = host.gridPaints().count();
            Stopwatch watch;
            comrt::check(host.select(kShownGroup));
            Paint(host.gridPaints(), seen);
            state.SetIterationTime(watch.seconds());
            const bench::MemorySample after = bench::Sample();
            resident += bench::ResidentPerObject(before, after, rows);
            heap += bench::HeapPerObject(before, after, rows);
        }
        SetPerRow(state, resident, heap);
    });
}

void MemoryBareView(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const auto rows = static_cast<std::size_t>(state.range(0));
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(rows));
        BareView bare;
        double resident = 0;
        double heap = 0;
        for (auto _ : state) {
            bare.model.clear();
            bench::DrainEvents();
            const bench::MemorySample before = bench::Sample();
            const int seen = bare.paints->count();
            Stopwatch watch;
            bare.model.fill(texts);
            Paint(*bare.paints, seen);
            state.SetIterationTime(watch.seconds());
            const bench::MemorySample after = bench::Sample();
            resident += bench::ResidentPerObject(before, after, rows);
            heap += bench::HeapPerObject(before, after, rows);
        }
        SetPerRow(state, resident, heap);
    });
}

// The whole path of a shown group, per row: from before anything of it existed until it
// has painted; the peak resident set during it too.
struct WholePath {
    bench::MemorySample before;
    std::size_t rows = 0;
    void start(std::size_t n) {
        rows = n;
        before = bench::Sample();
        if (!bench::ResetPeakResident()) throw std::runtime_error("cannot reset the peak resident set");
    }
    void report(benchmark::State& state) const {
        const std::size_t peak = bench::PeakResidentBytes();
        const bench::MemorySample after = bench::Sample();
        SetPerRow(state, bench::ResidentPerObject(before, after, rows), bench::HeapPerObject(before, after, rows));
        state.counters["peak_per_row"] =
            (static_cast<double>(peak) - static_cast<double>(before.resident)) / static_cast<double>(rows);
    }
};

void WholePathControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const auto rows = static_cast<std::size_t>(state.range(0));
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(rows));
        bench::ControlHost host(kWindowWidth, kWindowHeight);
        comrt::check(host.status());
        bench::DrainEvents();
        for (auto _ : state) {
            WholePath path;
            path.start(rows);
            const int seen = host.gridPaints().count();
            Stopwatch watch;
            comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
            bench::AddItems(*group, texts);
            comrt::check(host.addGroup(*group));
            comrt::check(host.select(kShownGroup));
            Paint(host.gridPaints(), seen);
            state.SetIterationTime(watch.seconds());
            if (host.grid().model()->rowCount() != static_cast<int>(rows)) throw std::runtime_error("rows missing");
            path.report(state);
        }
    });
}

void WholePathBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const auto rows = static_cast<std::size_t>(state.range(0));
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(rows));
        BareView bare;
        bench::DrainEvents();
        for (auto _ : state) {
            WholePath path;
            path.start(rows);
            const int seen = bare.paints->count();
            Stopwatch watch;
            bare.model.fill(texts);
            Paint(*bare.paints, seen);
            state.SetIterationTime(watch.seconds());
            path.report(state);
        }
    });
}

// ---- finding an item ----------------------------------------------------------------------------------

// The last item's name with its case turned, which the search must fold to find.
QString LastNameOtherCase(const bench::ItemTexts& texts) { return bench::ToQString(texts.names.back()).toLower(); }

void FindControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        ControlWithGroup shown(texts);
        comrt::check(shown.host.select(kShownGroup));
        bench::DrainEvents();
        const comrt::ComPtr<IPropertiesFind> find =
            comrt::ComPtr<_PropertiesCtl>(&shown.host.control()).as<IPropertiesFind>();
        const comrt::Bstr text(comrt::olestring(LastNameOtherCase(texts).toStdU16String()));
        for (auto _ : state) {
            LONG hits = 0;
            Stopwatch watch;
            comrt::check(find->FindText(text.get(), &hits));
            state.SetIterationTime(watch.seconds());
            if (hits != 1) throw std::runtime_error("the search missed the last item");
            bench::DrainEvents();
        }
        if (shown.host.grid().currentIndex().row() != static_cast<int>(texts.size()) - 1)
            throw std::runtime_error("the hit is not the current row");
    });
}

void FindQStringLoop(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        std::vector<QString> names, values;
        for (std::size_t k = 0; k < texts.size(); ++k) {
            names.push_back(bench::ToQString(texts.names[k]));
            values.push_back(bench::ToQString(texts.values[k]));
        }
        const QString text = LastNameOtherCase(texts);
        for (auto _ : state) {
            std::vector<std::size_t> hits;
            Stopwatch watch;
            for (std::size_t k = 0; k < names.size(); ++k) {
                if (names[k].contains(text, Qt::CaseInsensitive) || values[k].contains(text, Qt::CaseInsensitive))
                    hits.push_back(k);
            }
            state.SetIterationTime(watch.seconds());
            if (hits.size() != 1) throw std::runtime_error("the loop missed the last item");
        }
    });
}

// ---- registration and comparisons ---------------------------------------------------------------------

void Register(const Sizes& sizes, bool short_run) {
    // Timed benchmarks run for a minimum time (short in short mode); the memory ones once
    // per repetition.
    auto add = [&](const char* name, void (*fn)(benchmark::State&), const std::vector<int>& args,
                   bool once = false) {
        benchmark::internal::Benchmark* b = bench::Configure(benchmark::RegisterBenchmark(name, fn));
        b->UseManualTime()->Unit(benchmark::kMillisecond);
        for (const int arg : args) b->Arg(arg);
        if (once)
            b->Iterations(1);
        else if (short_run)
            b->MinTime(0.01);
        return b;
    };
    add("ComboInit/control", ComboInitControl, sizes.choices);
    add("ComboInit/bare_combo", ComboInitBare, sizes.choices);
    bench::Configure(benchmark::RegisterBenchmark("DropDownClick", DropDownClick, sizes.lists))
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(short_run ? 3 : 40);
    add("Find/control", FindControl, sizes.rows);
    add("Find/qstring_loop", FindQStringLoop, sizes.rows);
    add("Memory/control", MemoryControl, {sizes.rows.back()}, true);
    add("Memory/bare_view", MemoryBareView, {sizes.rows.back()}, true);
    add("Memory/whole_path/control", WholePathControl, {sizes.rows.back()}, true);
    add("Memory/whole_path/bare_view", WholePathBare, {sizes.rows.back()}, true);
}

std::vector<bench::Comparison> Comparisons(const Sizes& sizes) {
    using bench::Check;
    using bench::Comparison;
    using bench::Unit;
    std::vector<Comparison> c;
    const std::string largest = std::to_string(sizes.rows.back());
    for (const int m : sizes.choices) {
        const std::string choices = std::to_string(m);
        c.push_back({"ComboInit per choice, " + choices + " choices: control vs bare QComboBox",
                     {"ComboInit/control/" + choices, "per_choice"}, {"ComboInit/bare_combo/" + choices, "per_choice"},
                     Unit::seconds});
    }
    const std::string fewest = std::to_string(sizes.choices.front());
    const std::string most = std::to_string(sizes.choices.back());
    c.push_back({"ComboInit per choice, " + most + " vs " + fewest + " choices (linear: ~1)",
                 {"ComboInit/control/" + most, "per_choice"}, {"ComboInit/control/" + fewest, "per_choice"},
                 Unit::seconds, Check::ratio_at_most, 2});
    const std::string shortest = "choices_" + std::to_string(sizes.lists.front());
    const std::string longest = "choices_" + std::to_string(sizes.lists.back());
    for (const int m : sizes.lists) {
        c.push_back({"click on a drop-down cell until its list painted, " + std::to_string(m) + " choices",
                     {"DropDownClick", "choices_" + std::to_string(m)}, {}, Unit::seconds});
    }
    c.push_back({"the same, " + std::to_string(sizes.lists.back()) + " vs " + std::to_string(sizes.lists.front()) +
                     " choices (independent of N: ~1)",
                 {"DropDownClick", longest}, {"DropDownClick", shortest}, Unit::seconds, Check::ratio_at_most, 3});
    for (const int n : sizes.rows) {
        const std::string items = std::to_string(n);
        c.push_back({"find across " + items + " items: control vs a QString loop", {"Find/control/" + items, ""},
                     {"Find/qstring_loop/" + items, ""}, Unit::seconds});
    }
    c.push_back({"find across " + largest + " items, within a frame (16.7 ms)", {"Find/control/" + largest, ""}, {},
                 Unit::seconds, Check::figure_at_most, 1.0 / 60});
    c.push_back({"resident bytes per shown row, " + largest + " rows: control vs bare QTableView",
                 {"Memory/control/" + largest, "bytes_per_row"}, {"Memory/bare_view/" + largest, "bytes_per_row"},
                 Unit::bytes, Check::figure_at_most, 250});
    c.push_back({"heap bytes per shown row, " + largest + " rows: control vs bare QTableView",
                 {"Memory/control/" + largest, "heap_per_row"}, {"Memory/bare_view/" + largest, "heap_per_row"},
                 Unit::bytes});
    const std::string whole = "Memory/whole_path/";
    c.push_back({"whole path (items, control, grid rows) per row, " + largest + " rows: control vs bare model and view",
                 {whole + "control/" + largest, "bytes_per_row"}, {whole + "bare_view/" + largest, "bytes_per_row"},
                 Unit::bytes, Check::ratio_at_most, 1.2});
    c.push_back({"  the same, heap bytes", {whole + "control/" + largest, "heap_per_row"},
                 {whole + "bare_view/" + largest, "heap_per_row"}, Unit::bytes, Check::ratio_at_most, 1.2});
    c.push_back({"  peak resident bytes per row during it", {whole + "control/" + largest, "peak_per_row"},
                 {whole + "bare_view/" + largest, "peak_per_row"}, Unit::bytes});
    return c;
}

// The click on a drop-down cell until settled, with 100 and 32,768 choices, for
// scripts/instructions.py; each side clicked once uncounted first.
void CountInstructions() {
    for (const int choices : {100, 32768}) {
        DropDownSide side(choices);
        side.prepare();
        side.open();
        side.check();
        side.prepare();
        const std::string label = "dropdown/" + std::to_string(choices);
        bench::Count(label.c_str(), [&] {
            side.host.clickCell(1, 1);
            bench::SettleOrThrow();
        });
        side.check();
    }
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv, "qt_bench", TESSEL_LIBRARY, ORVANE_LIBRARY, [](bool short_run) {
        const Sizes sizes = short_run ? Sizes{{100, 1000}, {100, 1000}, {100, 1000}}
                                      : Sizes{{1000, 10000, 32766}, {1000, 32768}, {100, 1000, 32768}};
        Register(sizes, short_run);
        return Comparisons(sizes);
    }, CountInstructions);
}
