// The control in real Qt widgets (offscreen), against what the toolkit itself does with the
// same texts, measured in the same run:
//
//   Show/control/N        SelectPropertyGroup of a group of N items (12-character names and
//                         values) through the whole path: Tessel items, the control, the
//                         widget contract, the Qt grid, until the grid's visible rows are
//                         painted. Counters: fill (until SelectPropertyGroup returns) and
//                         paint (the event loop until the viewport has painted).
//   Show/bare_view/N      baseline: a bare QTableView (headers hidden, like the control's
//                         grid) over a two-column model of QString pairs, filled with the
//                         same texts, until painted;
//   Show/qstring_copy/N   baseline: copying the texts into QString pairs alone.
//   Show/parts/data_reads/N  where the control's fill spends its time: the reads of the
//                         items that the fill makes (ItemsCollection, the element, ItemName
//                         and ItemValue, for every row), alone; the rest of the fill, the
//                         difference to it, is the control's work on the grid.
//                         Each show starts from an empty grid (model) with free memory
//                         handed back to the system, as a first show in a fresh process.
//   Move/control/N        a user's click from one value cell to the next (leave writes back,
//                         enter opens the text editor, the editor is placed) until the window
//                         has repainted; baseline Move/bare_view/N, the bare view's click and
//                         repaint.
//   ComboInit/control/M   ComboInit of an item with M choices, per choice; baseline
//                         ComboInit/bare_combo/M, a QComboBox cleared and filled with the same
//                         texts one addItem at a time.
//   Memory/control/N      resident bytes per row of a shown group in the grid (the group's
//                         items existing before), over the empty grid; baseline
//                         Memory/bare_view/N.
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
#include <QHeaderView>
#include <QString>
#include <QTableView>

#include <comrt/error.h>
#include <testing/groups.h>

#include "bench_data.h"
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

QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// ---- the baselines' model and view ------------------------------------------------------------

// A two-column table of QString pairs.
class PairModel final : public QAbstractTableModel {
public:
    void fill(const bench::ItemTexts& texts) {
        beginResetModel();
        rows_.clear();
        rows_.reserve(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i)
            rows_.emplace_back(ToQString(texts.names[i]), ToQString(texts.values[i]));
        endResetModel();
    }
    void clear() {
        beginResetModel();
        rows_ = {};
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        const auto& row = rows_[static_cast<std::size_t>(index.row())];
        return index.column() == 0 ? row.first : row.second;
    }

private:
    std::vector<std::pair<QString, QString>> rows_;
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

    PairModel model;
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

// ---- show a group -----------------------------------------------------------------------------

struct FillAndPaint {
    double fill = 0;
    double paint = 0;
    void report(benchmark::State& state) const {
        state.counters["fill"] = benchmark::Counter(fill, benchmark::Counter::kAvgIterations);
        state.counters["paint"] = benchmark::Counter(paint, benchmark::Counter::kAvgIterations);
    }
};

void ShowControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        ControlWithGroup shown(texts);
        bench::ControlHost& host = shown.host;
        FillAndPaint totals;
        for (auto _ : state) {
            StartEmpty(host);
            const int seen = host.gridPaints().count();
            Stopwatch watch;
            const HRESULT selected = host.select(kShownGroup);
            const double filled = watch.seconds();
            comrt::check(selected);
            Paint(host.gridPaints(), seen);
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            totals.fill += filled;
            totals.paint += seconds - filled;
        }
        if (host.grid().model()->rowCount() != state.range(0)) throw std::runtime_error("rows missing");
        totals.report(state);
    });
}

void ShowBareView(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        BareView bare;
        FillAndPaint totals;
        for (auto _ : state) {
            bare.model.clear();
            bench::DrainEvents();
            (void)bench::Sample();
            const int seen = bare.paints->count();
            Stopwatch watch;
            bare.model.fill(texts);
            const double filled = watch.seconds();
            Paint(*bare.paints, seen);
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            totals.fill += filled;
            totals.paint += seconds - filled;
        }
        totals.report(state);
    });
}

void ShowQStringCopy(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        for (auto _ : state) {
            std::vector<std::pair<QString, QString>> rows;
            (void)bench::Sample();
            Stopwatch watch;
            rows.reserve(texts.size());
            for (std::size_t i = 0; i < texts.size(); ++i)
                rows.emplace_back(ToQString(texts.names[i]), ToQString(texts.values[i]));
            benchmark::DoNotOptimize(rows.data());
            state.SetIterationTime(watch.seconds());
        }
    });
}

// Where the control's show spends its time: the reads of the items that it makes (the
// group's ItemsCollection, the element, ItemName and ItemValue, for every row), alone.
void ShowDataReads(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        const comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
        bench::AddItems(*group, texts);
        const LONG n = pg_testing::ItemCount(*group);
        std::size_t characters = 0;
        for (auto _ : state) {
            Stopwatch watch;
            for (LONG i = 0; i < n; ++i) {
                comrt::ComPtr<_Collection> items;
                comrt::check(group->get_ItemsCollection(items.put()));
                comrt::Variant position;
                position->vt = VT_I4;
                position->lVal = i + 1;
                comrt::Variant element;
                comrt::check(items->Item(position.get(), element.put()));
                if (element.vt() != VT_DISPATCH) throw comrt::com_error(DISP_E_TYPEMISMATCH);
                const auto item = comrt::ComPtr<IDispatch>(element->pdispVal).as<_clsPropertyItem>();
                comrt::Bstr name;
                comrt::check(item->get_ItemName(name.put()));
                comrt::Bstr value;
                comrt::check(item->get_ItemValue(value.put()));
                characters += name.length() + value.length();
            }
            state.SetIterationTime(watch.seconds());
        }
        benchmark::DoNotOptimize(characters);
    });
}

// ---- a user's move --------------------------------------------------------------------------------

// Clicks the value cells of rows 1 and 0 in turn and waits for the repaint of each.
template <typename Click>
void TimeMoves(benchmark::State& state, const bench::PaintCounter& paints, Click&& click) {
    int row = 0;
    for (auto _ : state) {
        row = 1 - row;
        const int seen = paints.count();
        Stopwatch watch;
        click(row);
        Paint(paints, seen);
        state.SetIterationTime(watch.seconds());
    }
}

void MoveControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        ControlWithGroup shown(texts);
        bench::ControlHost& host = shown.host;
        comrt::check(host.select(kShownGroup));
        bench::DrainEvents();
        host.clickCell(0, 1);
        bench::DrainEvents();
        if (!host.textEditor().isVisible()) throw std::runtime_error("the text editor did not open");
        TimeMoves(state, host.gridPaints(), [&](int row) { host.clickCell(row, 1); });
        if (!host.textEditor().isVisible()) throw std::runtime_error("the text editor closed");
    });
}

void MoveBareView(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(static_cast<int>(state.range(0)));
        BareView bare;
        bare.model.fill(texts);
        bench::DrainEvents();
        bench::ClickCell(bare.view, 0, 1);
        bench::DrainEvents();
        TimeMoves(state, *bare.paints, [&](int row) { bench::ClickCell(bare.view, row, 1); });
    });
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
            for (const std::u16string& text : texts) list.addItem(ToQString(text));
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

// A click on a drop-down value cell opens the editor and its list (untimed); then each
// iteration closes the list and times opening it again until the list has painted, with
// the item's value (the last choice) selected in it.
void DropDownOpenControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const int choices = static_cast<int>(state.range(0));
        bench::ControlHost host(kWindowWidth, kWindowHeight);
        ShowChoiceGroup(host, choices);
        host.clickCell(0, 1);
        bench::DrainEvents();
        QComboBox& list = host.dropDownEditor();
        QAbstractItemView& entries = *list.view();
        if (!list.isVisible() || list.count() != choices) throw std::runtime_error("the drop-down did not open filled");
        const bench::PaintCounter paints(*entries.viewport());
        for (auto _ : state) {
            list.hidePopup();
            bench::DrainEvents();
            const int seen = paints.count();
            Stopwatch watch;
            list.showPopup();
            Paint(paints, seen);
            state.SetIterationTime(watch.seconds());
            if (entries.currentIndex().row() != choices - 1) throw std::runtime_error("the value is not selected");
        }
        list.hidePopup();
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
    add("Show/control", ShowControl, sizes.rows);
    add("Show/bare_view", ShowBareView, sizes.rows);
    add("Show/qstring_copy", ShowQStringCopy, sizes.rows);
    add("Show/parts/data_reads", ShowDataReads, sizes.rows);
    add("Move/control", MoveControl, sizes.rows)->Unit(benchmark::kMicrosecond);
    add("Move/bare_view", MoveBareView, sizes.rows)->Unit(benchmark::kMicrosecond);
    add("ComboInit/control", ComboInitControl, sizes.choices);
    add("ComboInit/bare_combo", ComboInitBare, sizes.choices);
    add("DropDownOpen/control", DropDownOpenControl, sizes.lists)->Unit(benchmark::kMicrosecond);
    add("Memory/control", MemoryControl, {sizes.rows.back()}, true);
    add("Memory/bare_view", MemoryBareView, {sizes.rows.back()}, true);
}

std::vector<bench::Comparison> Comparisons(const Sizes& sizes) {
    using bench::Check;
    using bench::Comparison;
    using bench::Unit;
    std::vector<Comparison> c;
    for (const int n : sizes.rows) {
        const std::string rows = std::to_string(n);
        c.push_back({"show " + rows + " rows until painted: control vs bare QTableView", {"Show/control/" + rows, ""},
                     {"Show/bare_view/" + rows, ""}, Unit::seconds, Check::ratio_at_most, 2});
        c.push_back({"show " + rows + " rows until painted: control vs QString copy alone", {"Show/control/" + rows, ""},
                     {"Show/qstring_copy/" + rows, ""}, Unit::seconds});
        c.push_back({"  the control's fill (until SelectPropertyGroup returns)", {"Show/control/" + rows, "fill"}, {},
                     Unit::seconds});
        c.push_back({"    the fill against the reads of the items alone (the difference: the control's work "
                     "on the grid)",
                     {"Show/control/" + rows, "fill"}, {"Show/parts/data_reads/" + rows, ""}, Unit::seconds,
                     Check::difference});
    }
    const std::string smallest = std::to_string(sizes.rows.front());
    const std::string largest = std::to_string(sizes.rows.back());
    c.push_back({"first paint after the fill, " + largest + " vs " + smallest + " rows (independent of N: ~1)",
                 {"Show/control/" + largest, "paint"}, {"Show/control/" + smallest, "paint"}, Unit::seconds,
                 Check::ratio_at_most, 1.5});
    c.push_back({"  the bare QTableView's own paint after its fill, " + largest + " vs " + smallest + " rows",
                 {"Show/bare_view/" + largest, "paint"}, {"Show/bare_view/" + smallest, "paint"}, Unit::seconds});
    c.push_back({"first paint after the fill, " + largest + " rows: control vs bare QTableView",
                 {"Show/control/" + largest, "paint"}, {"Show/bare_view/" + largest, "paint"}, Unit::seconds});
    for (const int n : sizes.rows) {
        const std::string rows = std::to_string(n);
        c.push_back({"click to the next value cell and repaint, " + rows + " rows: control vs bare QTableView",
                     {"Move/control/" + rows, ""}, {"Move/bare_view/" + rows, ""}, Unit::seconds,
                     Check::figure_at_most, 1e-3});
    }
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
    const std::string shortest = std::to_string(sizes.lists.front());
    const std::string longest = std::to_string(sizes.lists.back());
    for (const int m : sizes.lists) {
        c.push_back({"open the drop-down's list until painted, " + std::to_string(m) + " choices",
                     {"DropDownOpen/control/" + std::to_string(m), ""}, {}, Unit::seconds});
    }
    c.push_back({"open the drop-down's list, " + longest + " vs " + shortest + " choices (independent of N: ~1)",
                 {"DropDownOpen/control/" + longest, ""}, {"DropDownOpen/control/" + shortest, ""}, Unit::seconds,
                 Check::ratio_at_most, 1.5});
    c.push_back({"resident bytes per shown row, " + largest + " rows: control vs bare QTableView",
                 {"Memory/control/" + largest, "bytes_per_row"}, {"Memory/bare_view/" + largest, "bytes_per_row"},
                 Unit::bytes, Check::figure_at_most, 250});
    c.push_back({"heap bytes per shown row, " + largest + " rows: control vs bare QTableView",
                 {"Memory/control/" + largest, "heap_per_row"}, {"Memory/bare_view/" + largest, "heap_per_row"},
                 Unit::bytes});
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv, "qt_bench", TESSEL_LIBRARY, ORVANE_LIBRARY, [](bool short_run) {
        const Sizes sizes = short_run ? Sizes{{100, 1000}, {100, 1000}, {100, 1000}}
                                      : Sizes{{1000, 10000, 32766}, {1000, 32768}, {100, 1000, 32768}};
        Register(sizes, short_run);
        return Comparisons(sizes);
    });
}
