// The paths a user feels in the grid, each timed until the application has settled
// (bench::Settle: several event-loop passes in a row in which nothing painted), each
// against a bare QTableView over the same texts at the same geometry (the control's grid's
// place in a window of the same size, its column widths, row height and font, no frame, no
// headers), measured in the same run; every step checks that its action happened.
//
//   Show/<path>/control/N   a group of N items shown until settled, by one of the paths a
//                           group comes into view: first (the first show in a fresh
//                           control), switch (the host selects the other of two groups of
//                           N items), pick (the user picks the other group in the selector,
//                           with the arrow keys), reshow (the host selects the group shown).
//                           Checked: the grid's rows, its first and last texts, the
//                           selector's index, no editor open.
//   Show/bare_view/N        baseline: the bare view's model refilled with the other
//                           group's texts (a model reset, the column widths set again).
//   Show/bare_first/N       baseline of the first show: the first fill of a fresh bare
//                           view.
//   Move/<move>/control     one move of the current value cell at 32,766 rows, the editor
//                           open: click (on the value cell of the row at the bottom edge,
//                           which scrolls it into view), down (Down in the editor on the
//                           bottom row), tab (Tab in the editor on the bottom row),
//                           page_down (Page Down in the grid). Counters p50, p95, p99.
//                           Checked: the current row, the editor over its cell.
//   Move/<move>/bare_view   baseline: the same input on the bare view, which opens its own
//                           editor on the cell that becomes current (Down for tab: the
//                           bare view's next value cell is one row down). Checked: the
//                           current row, an editor open over it.
//   Scroll/<how>/<side>     one scroll step over 32,766 rows: wheel (one notch), page (a
//                           click in the scroll bar's trough), drag (the scroll bar's
//                           slider dragged by 2 pixels); sides control, control_editor (an
//                           editor open in the first row when the scrolling starts) and
//                           bare_view. Counters p50, p95, p99. Checked: the first row in
//                           view moved.
//
// Run: <build>/bin/path_bench [--short] [benchmark flags], or scripts/bench.sh. With
// --instructions, each show path runs once at 32,766 rows beside its baseline for
// callgrind's instruction counts (scripts/instructions.py).
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

#include <comrt/error.h>
#include <testing/groups.h>

#include "bench_data.h"
#include "instructions.h"
#include "qt_host.h"
#include "ratio_reporter.h"
#include "stopwatch.h"

namespace {

using bench::SettleOrThrow;
using bench::Stopwatch;

constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 360;
constexpr int kLargest = 32766;
constexpr int kValueColumn = 1;

struct Settings {
    std::vector<int> rows;  // group sizes of the show paths
    int moves_rows = 0;     // group size of the moves and scroll steps
    int shows = 0;          // shows per repetition
    int steps = 0;          // moves or scroll steps per repetition
    int run = 0;            // steps before the view goes back to the top (untimed)
};
Settings g_settings;

// ---- the two sides ------------------------------------------------------------------------------

// Two groups of n items with different texts, made once per benchmark.
struct TwoGroups {
    explicit TwoGroups(int n)
        : texts{bench::MakeItemTexts(n), bench::MakeItemTexts(n, u"Key", u"Data")} {
        for (int g = 0; g < 2; ++g) bench::AddItems(*groups[g], texts[g]);
    }
    bench::ItemTexts texts[2];
    comrt::ComPtr<_clsTessel> groups[2] = {pg_testing::NewGroup(), pg_testing::NewGroup()};
};

// A control in its window holding the given groups (none selected yet).
struct Control {
    explicit Control(const TwoGroups& data, int count = 2) : host(kWindowWidth, kWindowHeight) {
        comrt::check(host.status());
        for (int g = 0; g < count; ++g) comrt::check(host.addGroup(*data.groups[g]));
    }
    bench::ControlHost host;
};

// Throws unless the grid shows `texts` and the selector names group `index`.
void CheckShowing(bench::ControlHost& host, const bench::ItemTexts& texts, int index) {
    const QAbstractItemModel& cells = *host.grid().model();
    const int n = static_cast<int>(texts.size());
    if (cells.rowCount() != n) throw std::runtime_error("the grid does not hold the group's rows");
    if (cells.index(0, 0).data().toString() != bench::ToQString(texts.names.front()) ||
        cells.index(n - 1, kValueColumn).data().toString() != bench::ToQString(texts.values.back()))
        throw std::runtime_error("the grid does not show the group's texts");
    if (host.selector().currentIndex() != index) throw std::runtime_error("the selector names another group");
    if (host.textEditor().isVisible() || host.dropDownEditor().isVisible())
        throw std::runtime_error("an editor stayed open");
}

// Where the control's grid lies and how it draws its cells (measured once).
struct GridGeometry {
    QRect in_window;
    int name_width = 0;
    int value_width = 0;
    int row_height = 0;
    QFont font;
};
const GridGeometry& ControlGridGeometry() {
    static const GridGeometry geometry = [] {
        const TwoGroups data(100);
        Control control(data, 1);
        comrt::check(control.host.select(0));
        SettleOrThrow();
        QTableView& grid = control.host.grid();
        return GridGeometry{QRect(grid.mapTo(&control.host.window(), QPoint(0, 0)), grid.size()), grid.columnWidth(0),
                            grid.columnWidth(1), grid.rowHeight(0), grid.font()};
    }();
    return geometry;
}

// A bare QTableView over a PairModel where the control's grid lies, drawing its cells as
// the grid does.
struct BareGrid {
    BareGrid() {
        const GridGeometry& geometry = ControlGridGeometry();
        window.resize(kWindowWidth, kWindowHeight);
        view->setGeometry(geometry.in_window);
        view->setModel(&model);
        view->setFrameShape(QFrame::NoFrame);
        view->horizontalHeader()->hide();
        view->verticalHeader()->hide();
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(geometry.row_height);
        view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        // The grid marks its current row; the bare view marks its current cell.
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setWordWrap(false);
        view->setFont(geometry.font);
        if (!bench::ShowActive(window)) throw std::runtime_error("the bare view did not become active");
    }
    // The model refilled with `texts`, the columns at the grid's widths again.
    void fill(const bench::ItemTexts& texts) {
        model.fill(texts);
        const GridGeometry& geometry = ControlGridGeometry();
        view->setColumnWidth(0, geometry.name_width);
        view->setColumnWidth(1, geometry.value_width);
    }
    void checkShowing(const bench::ItemTexts& texts) const {
        if (model.rowCount() != static_cast<int>(texts.size()) ||
            model.index(0, 0).data().toString() != bench::ToQString(texts.names.front()))
            throw std::runtime_error("the bare view does not show the texts");
    }

    bench::PairModel model;
    QWidget window;
    QTableView* view = new QTableView(&window);
};

// Steps timed until settled: their seconds, the seconds until the input was handled
// (before the event loop ran: what the widgets' handlers did), and the paints they caused.
struct Steps {
    std::vector<double> times;
    std::vector<double> handled;
    long long paints = 0;

    template <typename Step>
    void time(benchmark::State& state, Step&& step) {
        const long long painted = bench::PaintsInApplication();
        Stopwatch watch;
        step();
        handled.push_back(watch.seconds());
        SettleOrThrow();
        const double seconds = watch.seconds();
        state.SetIterationTime(seconds);
        times.push_back(seconds);
        paints += bench::PaintsInApplication() - painted;
    }
    // Counters p50, p95, p99, handled_p50 and paints_per_step.
    void report(benchmark::State& state) const {
        bench::SetPercentiles(state, times);
        if (!handled.empty()) state.counters["handled_p50"] = bench::Percentile(handled, 0.5);
        if (!times.empty())
            state.counters["paints_per_step"] = static_cast<double>(paints) / static_cast<double>(times.size());
    }
};

// ---- showing a group ----------------------------------------------------------------------------

int Rows(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

void ShowFirst(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const TwoGroups data(Rows(state));
        for (auto _ : state) {
            state.PauseTiming();
            auto control = std::make_unique<Control>(data, 1);
            SettleOrThrow();
            state.ResumeTiming();
            Stopwatch watch;
            comrt::check(control->host.select(0));
            SettleOrThrow();
            state.SetIterationTime(watch.seconds());
            CheckShowing(control->host, data.texts[0], 0);
        }
    });
}

// The host's switch to the other group, or its selection of the group shown.
void ShowByHost(benchmark::State& state, bool switching) {
    bench::Guarded(state, [&] {
        const TwoGroups data(Rows(state));
        Control control(data);
        comrt::check(control.host.select(0));
        SettleOrThrow();
        int shown = 0;
        for (auto _ : state) {
            if (switching) shown = 1 - shown;
            Stopwatch watch;
            comrt::check(control.host.select(static_cast<SHORT>(shown)));
            SettleOrThrow();
            state.SetIterationTime(watch.seconds());
            CheckShowing(control.host, data.texts[shown], shown);
        }
    });
}
void ShowSwitch(benchmark::State& state) { ShowByHost(state, true); }
void ShowReshow(benchmark::State& state) { ShowByHost(state, false); }

void ShowPick(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const TwoGroups data(Rows(state));
        Control control(data);
        comrt::check(control.host.select(0));
        QComboBox& selector = control.host.selector();
        selector.setFocus();
        SettleOrThrow();
        if (!selector.hasFocus()) throw std::runtime_error("the selector did not take the focus");
        int shown = 0;
        for (auto _ : state) {
            shown = 1 - shown;
            Stopwatch watch;
            QTest::keyClick(&selector, shown == 1 ? Qt::Key_Down : Qt::Key_Up);
            SettleOrThrow();
            state.SetIterationTime(watch.seconds());
            CheckShowing(control.host, data.texts[shown], shown);
        }
    });
}

void ShowBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts[2] = {bench::MakeItemTexts(Rows(state)),
                                           bench::MakeItemTexts(Rows(state), u"Key", u"Data")};
        BareGrid bare;
        bare.fill(texts[0]);
        SettleOrThrow();
        int shown = 0;
        for (auto _ : state) {
            shown = 1 - shown;
            Stopwatch watch;
            bare.fill(texts[shown]);
            SettleOrThrow();
            state.SetIterationTime(watch.seconds());
            bare.checkShowing(texts[shown]);
        }
    });
}

// The first fill of a fresh bare view: the baseline of a first show.
void ShowBareFirst(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(Rows(state));
        for (auto _ : state) {
            state.PauseTiming();
            auto bare = std::make_unique<BareGrid>();
            SettleOrThrow();
            state.ResumeTiming();
            Stopwatch watch;
            bare->fill(texts);
            SettleOrThrow();
            state.SetIterationTime(watch.seconds());
            bare->checkShowing(texts);
        }
    });
}

// ---- moves ----------------------------------------------------------------------------------------

// The last row whose cells lie wholly in the viewport, and the row at its bottom edge
// (partly in view, or the last whole one when none is).
int LastWholeRow(QTableView& view) {
    const int bottom = view.viewport()->height();
    int row = view.rowAt(bottom - 1);
    if (row < 0) row = view.model()->rowCount() - 1;
    if (view.rowViewportPosition(row) + view.rowHeight(row) > bottom) --row;
    return row;
}
int BottomEdgeRow(QTableView& view) {
    const int row = view.rowAt(view.viewport()->height() - 1);
    return row < 0 ? view.model()->rowCount() - 1 : row;
}

// The value cell of `row` clicked at the middle of its part in view.
void ClickInView(QTableView& view, int row) {
    const QRect cell = view.visualRect(view.model()->index(row, kValueColumn)) & view.viewport()->rect();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

// The kinds of move, with what each does on either side.
enum class Move { click, down, tab, page_down };

// A move on a view: a click on the value cell at the bottom edge, Down or Tab (`tab`, the
// key that goes to the next value cell) into `keys`, or Page Down into the view. Returns
// the row the move should reach, or -1 for any row below the one it started from.
int PerformMove(QTableView& view, QWidget& keys, Qt::Key tab, Move move) {
    const int from = view.currentIndex().row();
    switch (move) {
    case Move::click: {
        const int row = BottomEdgeRow(view);
        ClickInView(view, row);
        return row;
    }
    case Move::down: QTest::keyClick(&keys, Qt::Key_Down); return from + 1;
    case Move::tab: QTest::keyClick(&keys, tab); return from + 1;
    case Move::page_down: QTest::keyClick(&view, Qt::Key_PageDown); return -1;
    }
    return -1;
}

// Throws unless the view's current row is the one a move from `from` should reach.
void CheckMoved(const QTableView& view, int from, int expected) {
    const int row = view.currentIndex().row();
    if (expected >= 0 ? row != expected : row <= from) throw std::runtime_error("the current cell did not move");
}

// Whether one of the view's own editors is open over the cell.
bool EditorOpenOver(const QTableView& view, const QModelIndex& index) {
    const QRect cell = view.visualRect(index);
    for (const QLineEdit* editor : view.viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible() && editor->geometry().intersects(cell)) return true;
    return false;
}

// The control's current row, brought where the next move starts: the row at the bottom
// edge for the moves from the editor, the editor open over it.
struct ControlMoves {
    explicit ControlMoves(const TwoGroups& data) : control(data, 1) {
        comrt::check(host().select(0));
        SettleOrThrow();
    }
    bench::ControlHost& host() { return control.host; }
    QTableView& grid() { return control.host.grid(); }

    // Back to the top, the editor open on the first value cell.
    void restart() {
        grid().scrollToTop();
        SettleOrThrow();
        host().clickCell(0, kValueColumn);
        SettleOrThrow();
        checkEditorOver(0);
    }
    // Before a move (untimed): where the move starts.
    void prepare(Move move) {
        if (move == Move::down || move == Move::tab) {
            const int row = LastWholeRow(grid());
            if (grid().currentIndex().row() != row) {
                host().clickCell(row, kValueColumn);
                SettleOrThrow();
            }
            host().textEditor().setFocus();
        } else if (move == Move::page_down) {
            grid().setFocus();
        }
        SettleOrThrow();
    }
    // The move, the keys into the editor; returns the row it should reach.
    int perform(Move move) { return PerformMove(grid(), host().textEditor(), Qt::Key_Tab, move); }
    void check(int from, int expected) {
        CheckMoved(grid(), from, expected);
        checkEditorOver(grid().currentIndex().row());
    }
    void checkEditorOver(int row) {
        QLineEdit& editor = host().textEditor();
        const QRect cell = grid().visualRect(grid().model()->index(row, kValueColumn));
        const QPoint editor_in_viewport = grid().viewport()->mapFrom(&host().window(),
                                                                       editor.mapTo(&host().window(), QPoint(0, 0)));
        if (!editor.isVisible() || editor_in_viewport.y() != cell.top() || editor_in_viewport.x() != cell.left())
            throw std::runtime_error("the editor is not over the current cell");
    }

    Control control;
};

// The bare view opens its own editor on the cell that becomes current, as the control
// does; keys go to the view.
struct BareMoves {
    explicit BareMoves(const bench::ItemTexts& texts) {
        // A move by keys opens the editor as the current cell changes; a click, which Qt
        // never lets open an editor on the press, opens it from the press.
        bare.view->setEditTriggers(QAbstractItemView::CurrentChanged);
        QTableView* view = bare.view;
        QObject::connect(view, &QAbstractItemView::pressed, view, [view](const QModelIndex& index) {
            if (!EditorOpenOver(*view, index)) view->edit(index);
        });
        bare.fill(texts);
        SettleOrThrow();
    }
    QTableView& grid() { return *bare.view; }
    void restart() {
        grid().scrollToTop();
        grid().setCurrentIndex(bare.model.index(0, kValueColumn));
        grid().setFocus();
        SettleOrThrow();
    }
    void prepare(Move move) {
        if (move == Move::down || move == Move::tab) {
            const int row = LastWholeRow(grid());
            if (grid().currentIndex().row() != row) grid().setCurrentIndex(bare.model.index(row, kValueColumn));
        }
        grid().setFocus();
        SettleOrThrow();
    }
    // The move, the keys into the view (Down for Tab); returns the row it should reach.
    int perform(Move move) { return PerformMove(grid(), grid(), Qt::Key_Down, move); }
    // The bare view leaves a clicked cell at the bottom edge where it is.
    void check(int from, int expected) {
        CheckMoved(grid(), from, expected);
        const QModelIndex current = grid().currentIndex();
        if (!grid().viewport()->rect().intersects(grid().visualRect(current)))
            throw std::runtime_error("the current cell is not in view");
        if (!EditorOpenOver(grid(), current)) throw std::runtime_error("no editor is open over the current cell");
    }

    BareGrid bare;
};

template <typename Side>
void TimeMoves(benchmark::State& state, Side& side, Move move) {
    Steps steps;
    int step = 0;
    for (auto _ : state) {
        if (step++ % g_settings.run == 0) side.restart();
        side.prepare(move);
        const int from = side.grid().currentIndex().row();
        int expected = -1;
        steps.time(state, [&] { expected = side.perform(move); });
        side.check(from, expected);
    }
    steps.report(state);
}

template <Move move>
void MoveControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const TwoGroups data(g_settings.moves_rows);
        ControlMoves side(data);
        TimeMoves(state, side, move);
    });
}

template <Move move>
void MoveBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        BareMoves side(bench::MakeItemTexts(g_settings.moves_rows));
        TimeMoves(state, side, move);
    });
}

// ---- scrolling ---------------------------------------------------------------------------------------

enum class Scroll { wheel, page, drag };

// QScrollBar's style options, for the place of its slider and trough.
class ScrollBarOptions : public QScrollBar {
public:
    static QStyleOptionSlider Of(const QScrollBar& bar) {
        QStyleOptionSlider option;
        (bar.*&ScrollBarOptions::initStyleOption)(&option);
        return option;
    }
};
QRect SliderRect(const QScrollBar& bar) {
    const QStyleOptionSlider option = ScrollBarOptions::Of(bar);
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar);
}

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const QPointF local(at);
    QMouseEvent event(type, local, widget.mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// Scroll steps on a view; a drag holds the slider from the first step of a run to the
// last.
class Scroller {
public:
    Scroller(QTableView& view, Scroll how) : view_(view), how_(how) {}
    ~Scroller() { release(); }

    void restart() {
        release();
        view_.scrollToTop();
        SettleOrThrow();
    }
    void step() {
        QScrollBar& bar = *view_.verticalScrollBar();
        switch (how_) {
        case Scroll::wheel: {
            const QPointF at(view_.viewport()->rect().center());
            QWheelEvent event(at, view_.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view_.viewport(), &event);
            break;
        }
        case Scroll::page: {
            // Below the slider, in the trough.
            const QRect slider = SliderRect(bar);
            QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar.width() / 2, slider.bottom() + 4));
            break;
        }
        case Scroll::drag:
            if (!held_) {
                grip_ = SliderRect(bar).center();
                SendMouse(bar, QEvent::MouseButtonPress, grip_, Qt::LeftButton);
                held_ = true;
            }
            grip_.ry() += 2;
            SendMouse(bar, QEvent::MouseMove, grip_, Qt::LeftButton);
            break;
        }
    }

private:
    void release() {
        if (!held_) return;
        SendMouse(*view_.verticalScrollBar(), QEvent::MouseButtonRelease, grip_, Qt::NoButton);
        held_ = false;
    }

    QTableView& view_;
    Scroll how_;
    bool held_ = false;
    QPoint grip_;
};

void TimeScrolls(benchmark::State& state, QTableView& view, Scroll how, const std::function<void()>& restart) {
    Scroller scroller(view, how);
    Steps steps;
    int step = 0;
    for (auto _ : state) {
        if (step++ % g_settings.run == 0) {
            scroller.restart();
            restart();
        }
        const int top = view.rowAt(0);
        steps.time(state, [&] { scroller.step(); });
        if (view.rowAt(0) <= top) throw std::runtime_error("the view did not scroll");
    }
    steps.report(state);
}

template <Scroll how, bool editor>
void ScrollControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const TwoGroups data(g_settings.moves_rows);
        ControlMoves side(data);
        TimeScrolls(state, side.grid(), how, [&] {
            if (!editor) return;
            side.restart();
        });
    });
}

template <Scroll how>
void ScrollBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        BareGrid bare;
        bare.fill(bench::MakeItemTexts(g_settings.moves_rows));
        SettleOrThrow();
        TimeScrolls(state, *bare.view, how, [] {});
    });
}

// ---- registration and comparisons -------------------------------------------------------------------

struct Named {
    const char* name;
    void (*control)(benchmark::State&);
    void (*bare)(benchmark::State&);
};

const Named kMoves[] = {
    {"click", MoveControl<Move::click>, MoveBare<Move::click>},
    {"down", MoveControl<Move::down>, MoveBare<Move::down>},
    {"tab", MoveControl<Move::tab>, MoveBare<Move::tab>},
    {"page_down", MoveControl<Move::page_down>, MoveBare<Move::page_down>},
};

struct NamedScroll {
    const char* name;
    void (*control)(benchmark::State&);
    void (*control_editor)(benchmark::State&);
    void (*bare)(benchmark::State&);
};
const NamedScroll kScrolls[] = {
    {"wheel", ScrollControl<Scroll::wheel, false>, ScrollControl<Scroll::wheel, true>, ScrollBare<Scroll::wheel>},
    {"page", ScrollControl<Scroll::page, false>, ScrollControl<Scroll::page, true>, ScrollBare<Scroll::page>},
    {"drag", ScrollControl<Scroll::drag, false>, ScrollControl<Scroll::drag, true>, ScrollBare<Scroll::drag>},
};

const char* const kShowPaths[] = {"first", "switch", "pick", "reshow"};
void (*const kShowFunctions[])(benchmark::State&) = {ShowFirst, ShowSwitch, ShowPick, ShowReshow};

void Register() {
    auto add = [](const std::string& name, void (*fn)(benchmark::State&), int iterations) {
        benchmark::internal::Benchmark* b = bench::Configure(benchmark::RegisterBenchmark(name.c_str(), fn));
        b->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(iterations);
        return b;
    };
    for (int p = 0; p < 4; ++p) {
        auto* b = add(std::string("Show/") + kShowPaths[p] + "/control", kShowFunctions[p], g_settings.shows);
        for (const int n : g_settings.rows) b->Arg(n);
    }
    auto* bare = add("Show/bare_view", ShowBare, g_settings.shows);
    auto* bare_first = add("Show/bare_first", ShowBareFirst, g_settings.shows);
    for (const int n : g_settings.rows) {
        bare->Arg(n);
        bare_first->Arg(n);
    }
    for (const Named& move : kMoves) {
        add(std::string("Move/") + move.name + "/control", move.control, g_settings.steps);
        add(std::string("Move/") + move.name + "/bare_view", move.bare, g_settings.steps);
    }
    for (const NamedScroll& scroll : kScrolls) {
        add(std::string("Scroll/") + scroll.name + "/control", scroll.control, g_settings.steps);
        add(std::string("Scroll/") + scroll.name + "/control_editor", scroll.control_editor, g_settings.steps);
        add(std::string("Scroll/") + scroll.name + "/bare_view", scroll.bare, g_settings.steps);
    }
}

std::vector<bench::Comparison> Comparisons() {
    using bench::Check;
    using bench::Unit;
    std::vector<bench::Comparison> c;
    const char* const path_labels[] = {"first show in a fresh control", "host switch to the other group",
                                       "user pick in the selector", "re-show of the group shown"};
    for (const int n : g_settings.rows) {
        const std::string rows = std::to_string(n);
        // The targets are set for the large groups; at 1,000 rows the figures are shown.
        const Check check = n >= 10000 ? Check::ratio_at_most : Check::none;
        // A first show is held against the first fill of a fresh bare view (whose scroll
        // bar shows for the first time too), the other paths against a refill.
        c.push_back({std::string(path_labels[0]) + ", " + rows + " rows, until settled: control vs a fresh bare view's "
                     "first fill",
                     {"Show/first/control/" + rows, ""}, {"Show/bare_first/" + rows, ""}, Unit::seconds, check, 1.5});
        c.push_back({"  the same against the bare view's refill", {"Show/first/control/" + rows, ""},
                     {"Show/bare_view/" + rows, ""}, Unit::seconds});
        for (int p = 1; p < 4; ++p) {
            c.push_back({std::string(path_labels[p]) + ", " + rows + " rows, until settled: control vs bare view refill",
                         {std::string("Show/") + kShowPaths[p] + "/control/" + rows, ""}, {"Show/bare_view/" + rows, ""},
                         Unit::seconds, check, 1.5});
        }
    }
    const std::string rows = std::to_string(g_settings.moves_rows);
    const char* const move_labels[] = {"click on the value cell at the bottom edge", "Down in the editor on the bottom row",
                                       "Tab in the editor on the bottom row", "Page Down in the grid"};
    for (int m = 0; m < 4; ++m) {
        const std::string control = std::string("Move/") + kMoves[m].name + "/control";
        const std::string bare = std::string("Move/") + kMoves[m].name + "/bare_view";
        const std::string label = std::string(move_labels[m]) + ", " + rows + " rows, until settled";
        c.push_back({label + ", p99: control vs bare view", {control, "p99"}, {bare, "p99"}, Unit::seconds,
                     Check::ratio_at_most, 2});
        c.push_back({"  the same, p99 within 1 ms", {control, "p99"}, {}, Unit::seconds, Check::figure_at_most, 1e-3});
        c.push_back({"  the same, p50", {control, "p50"}, {bare, "p50"}, Unit::seconds});
        c.push_back({"  the same, p95", {control, "p95"}, {bare, "p95"}, Unit::seconds});
    }
    const char* const scroll_labels[] = {"wheel notch", "page (trough click)", "slider drag by 2 px"};
    for (int s = 0; s < 3; ++s) {
        const std::string base = std::string("Scroll/") + kScrolls[s].name;
        const std::string label = std::string("scroll step, ") + scroll_labels[s] + ", " + rows + " rows, until settled";
        c.push_back({label + ", p99: control vs bare view", {base + "/control", "p99"}, {base + "/bare_view", "p99"},
                     Unit::seconds, Check::ratio_at_most, 1.2});
        c.push_back({"  the same with an editor open, p99", {base + "/control_editor", "p99"},
                     {base + "/bare_view", "p99"}, Unit::seconds, Check::ratio_at_most, 1.2});
        c.push_back({"  the same without an editor, p50", {base + "/control", "p50"}, {base + "/bare_view", "p50"},
                     Unit::seconds});
    }
    return c;
}

// ---- instruction counts -------------------------------------------------------------------------

// Each show path once at 32,766 rows, and its bare-view baseline, until settled: the
// counts that scripts/instructions.py compares. Both sides are warmed once first (fonts,
// styles, first allocations), as repetitions warm them in the timed runs.
void CountInstructions() {
    const TwoGroups data(kLargest);
    {
        BareGrid warm;
        warm.fill(data.texts[0]);
        SettleOrThrow();
        Control warm_control(data, 1);
        comrt::check(warm_control.host.select(0));
        SettleOrThrow();
    }
    {
        auto fresh = std::make_unique<Control>(data, 1);
        SettleOrThrow();
        bench::Count("first/control", [&] {
            comrt::check(fresh->host.select(0));
            SettleOrThrow();
        });
        CheckShowing(fresh->host, data.texts[0], 0);
    }
    {
        auto fresh = std::make_unique<BareGrid>();
        SettleOrThrow();
        bench::Count("first/bare_view", [&] {
            fresh->fill(data.texts[0]);
            SettleOrThrow();
        });
        fresh->checkShowing(data.texts[0]);
    }
    {
        Control control(data);
        comrt::check(control.host.select(0));
        SettleOrThrow();
        bench::Count("switch/control", [&] {
            comrt::check(control.host.select(1));
            SettleOrThrow();
        });
        CheckShowing(control.host, data.texts[1], 1);
        bench::Count("reshow/control", [&] {
            comrt::check(control.host.select(1));
            SettleOrThrow();
        });
        CheckShowing(control.host, data.texts[1], 1);
        QComboBox& selector = control.host.selector();
        selector.setFocus();
        SettleOrThrow();
        if (!selector.hasFocus()) throw std::runtime_error("the selector did not take the focus");
        bench::Count("pick/control", [&] {
            QTest::keyClick(&selector, Qt::Key_Up);
            SettleOrThrow();
        });
        CheckShowing(control.host, data.texts[0], 0);
    }
    BareGrid bare;
    bare.fill(data.texts[0]);
    SettleOrThrow();
    bench::Count("refill/bare_view", [&] {
        bare.fill(data.texts[1]);
        SettleOrThrow();
    });
    bare.checkShowing(data.texts[1]);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv, "path_bench", TESSEL_LIBRARY, ORVANE_LIBRARY, [](bool short_run) {
        g_settings = short_run ? Settings{{100, 1000}, 1000, 4, 20, 10}
                               : Settings{{1000, 10000, kLargest}, kLargest, 20, 300, 100};
        Register();
        return Comparisons();
    }, CountInstructions);
}
