// What a user sees of the control, against bare Qt widgets doing the same visible work at
// the same geometry, measured in the same run. Every timed step lasts until the
// application has settled (bench::Settle: several event-loop passes in a row in which no
// widget painted), on both sides.
//
//   Keystroke/control       one key typed into the control's open text editor until
//                           settled, over many keys; counters p50 and p99 (seconds).
//                           Checked: the editor's text grew by the key.
//   Keystroke/bare_line_edit  baseline: the same keys into a bare QLineEdit of the editor's
//                           size and place, in the same kind of window (the control
//                           showing the same group, no editor open).
//   FixedCost/control       resident and heap bytes of one more (empty) PropertiesWidget in
//                           a shown window that already holds one; baseline
//                           FixedCost/bare_set: one more QTableView + QComboBox + QLineEdit.
//   StartToExit/demo        wall time from starting `orvane-demo --screenshot FILE` (it
//                           renders its form offscreen and exits) to its exit; checked: exit
//                           status 0 and the file written. Baseline StartToExit/bare_window:
//                           bench/first_paint.cpp, one window shown, exit after its first
//                           paint.
//   Resize/control          the window grown by one pixel until settled, with the text
//                           editor open; baseline Resize/bare_widgets: a window holding
//                           the same widgets at the same places (a QComboBox above a
//                           QTableView whose columns share its width, a QLineEdit over
//                           the first value cell), grown the same way.
//
// Run: <build>/bin/user_bench [--short] [benchmark flags], or scripts/bench.sh.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <comrt/error.h>
#include <testing/groups.h>

#include "bench_data.h"
#include "process_memory.h"
#include "qt_host.h"
#include "ratio_reporter.h"
#include "stopwatch.h"

extern char** environ;

namespace {

using bench::Stopwatch;

constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 360;
constexpr int kRows = 100;
constexpr SHORT kShownGroup = 0;
// Keys typed before the editor's text is set back (untimed), so the text stays short.
constexpr int kKeysPerText = 32;

struct Settings {
    int keys = 0;          // keystrokes per repetition
    int widgets = 0;       // widgets added per memory figure
    int starts = 0;        // program starts per repetition
    int resize_steps = 0;  // one-pixel steps per repetition
};
Settings g_settings;

// A window with the control showing kRows items.
struct ShownControl {
    ShownControl() : host(kWindowWidth, kWindowHeight) {
        comrt::check(host.status());
        bench::AddItems(*group, bench::MakeItemTexts(kRows));
        comrt::check(host.addGroup(*group));
        comrt::check(host.select(kShownGroup));
        bench::SettleOrThrow();
    }
    // Opens the text editor on the first value cell.
    QLineEdit& openEditor() {
        host.clickCell(0, 1);
        bench::SettleOrThrow();
        if (!host.textEditor().isVisible()) throw std::runtime_error("the text editor did not open");
        return host.textEditor();
    }

    bench::ControlHost host;
    comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
};

// The open editor's place in its window and its text, and the selector's and the grid's
// places (measured once).
struct EditorPlace {
    QRect in_window;
    QRect in_grid_viewport;
    QString text;
    QRect selector_in_window;
    QRect grid_in_window;
};
const EditorPlace& ControlEditorPlace() {
    static const EditorPlace place = [] {
        ShownControl shown;
        QLineEdit& editor = shown.openEditor();
        QWidget& window = shown.host.window();
        QWidget& viewport = *shown.host.grid().viewport();
        const QPoint in_window = editor.mapTo(&window, QPoint(0, 0));
        const auto place_of = [&](QWidget& widget) { return QRect(widget.mapTo(&window, QPoint(0, 0)), widget.size()); };
        return EditorPlace{QRect(in_window, editor.size()), QRect(viewport.mapFrom(&window, in_window), editor.size()),
                           editor.text(), place_of(shown.host.selector()), place_of(shown.host.grid())};
    }();
    return place;
}

// ---- a keystroke -------------------------------------------------------------------------------

void TimeKeystrokes(benchmark::State& state, QLineEdit& editor) {
    const QString initial = editor.text();
    // One untimed text's worth of keys first: the first keys typed in a process cost
    // milliseconds on either side (caches filled once), which no later key pays.
    for (int i = 0; i < kKeysPerText; ++i) {
        QTest::keyClick(&editor, Qt::Key_A);
        bench::SettleOrThrow();
    }
    std::vector<double> times;
    long long paints = 0;
    int typed = 0;
    for (auto _ : state) {
        if (typed++ % kKeysPerText == 0) {
            editor.setText(initial);
            bench::SettleOrThrow();
        }
        const qsizetype before = editor.text().size();
        const long long painted = bench::PaintsInApplication();
        Stopwatch watch;
        QTest::keyClick(&editor, Qt::Key_A);
        bench::SettleOrThrow();
        const double seconds = watch.seconds();
        if (editor.text().size() != before + 1 || !editor.text().endsWith(QLatin1Char('a')))
            throw std::runtime_error("the editor's text did not grow by the key");
        if (bench::PaintsInApplication() == painted) throw std::runtime_error("nothing painted the key");
        paints += bench::PaintsInApplication() - painted;
        state.SetIterationTime(seconds);
        times.push_back(seconds);
    }
    if (times.empty()) return;
    bench::SetPercentiles(state, times);
    state.counters["paints_per_key"] = static_cast<double>(paints) / static_cast<double>(times.size());
}

void KeystrokeControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        ShownControl shown;
        QLineEdit& editor = shown.openEditor();
        editor.setFocus();
        TimeKeystrokes(state, editor);
        if (!editor.isVisible()) throw std::runtime_error("the text editor closed");
    });
}

void KeystrokeBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const EditorPlace& place = ControlEditorPlace();
        ShownControl shown;
        auto* editor = new QLineEdit(place.text, &shown.host.window());
        editor->setFrame(false);  // as the control's editor
        editor->setGeometry(place.in_window);
        editor->show();
        editor->raise();
        editor->setFocus();
        bench::SettleOrThrow();
        TimeKeystrokes(state, *editor);
    });
}

// ---- the fixed cost of one more widget ------------------------------------------------------------

void SetPerWidget(benchmark::State& state, double resident, double heap) {
    state.counters["resident_per_widget"] = resident;
    state.counters["heap_per_widget"] = heap;
}

// A shown window holding one made(layout) already; then, timed and measured, `widgets`
// more until settled, checked by `check`.
template <typename Make, typename Check>
void MeasureFixedCost(benchmark::State& state, Make&& make, Check&& check) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    window.resize(kWindowWidth, kWindowHeight);
    if (!bench::ShowActive(window)) throw std::runtime_error("the window did not become active");
    std::vector<std::unique_ptr<QWidget>> kept;
    kept.push_back(make(*layout));
    bench::SettleOrThrow();
    double resident = 0;
    double heap = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<QWidget>> added;
        const bench::MemorySample before = bench::Sample();
        Stopwatch watch;
        for (int i = 0; i < g_settings.widgets; ++i) added.push_back(make(*layout));
        bench::SettleOrThrow();
        state.SetIterationTime(watch.seconds());
        const bench::MemorySample after = bench::Sample();
        for (const auto& widget : added) check(*widget);
        resident += bench::ResidentPerObject(before, after, added.size());
        heap += bench::HeapPerObject(before, after, added.size());
        added.clear();
        bench::SettleOrThrow();
    }
    const auto n = static_cast<double>(state.iterations());
    SetPerWidget(state, resident / n, heap / n);
}

void FixedCostControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        MeasureFixedCost(
            state,
            [](QVBoxLayout& layout) {
                auto widget = std::make_unique<orvane::PropertiesWidget>();
                layout.addWidget(widget.get());
                return std::unique_ptr<QWidget>(std::move(widget));
            },
            [](QWidget& widget) {
                comrt::check(static_cast<orvane::PropertiesWidget&>(widget).creationStatus());
                if (!widget.isVisible()) throw std::runtime_error("the widget is not shown");
            });
    });
}

void FixedCostBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        MeasureFixedCost(
            state,
            [](QVBoxLayout& layout) {
                auto set = std::make_unique<QWidget>();
                auto* inner = new QVBoxLayout(set.get());
                inner->setContentsMargins(0, 0, 0, 0);
                inner->addWidget(new QComboBox);
                auto* view = new QTableView;
                view->horizontalHeader()->hide();
                view->verticalHeader()->hide();
                inner->addWidget(view);
                auto* editor = new QLineEdit(view->viewport());
                editor->hide();
                layout.addWidget(set.get());
                return set;
            },
            [](QWidget& set) {
                if (!set.isVisible() || !set.findChild<QTableView*>()) throw std::runtime_error("the set is not shown");
            });
    });
}

// ---- start to exit ------------------------------------------------------------------------------------

// Runs the program with its arguments, its output discarded; returns its exit status (or
// -1 when it did not exit normally).
int RunProgram(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    std::vector<std::string> storage = command;
    for (std::string& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + command[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) throw std::runtime_error("cannot wait for " + command[0]);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void StartToExitDemo(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const std::filesystem::path shot =
            std::filesystem::temp_directory_path() / ("user_bench-" + std::to_string(getpid()) + ".png");
        for (auto _ : state) {
            std::filesystem::remove(shot);
            Stopwatch watch;
            const int status = RunProgram({DEMO_PROGRAM, "--screenshot", shot.string()});
            state.SetIterationTime(watch.seconds());
            if (status != 0) throw std::runtime_error("the demo exited with status " + std::to_string(status));
            if (!std::filesystem::exists(shot) || std::filesystem::file_size(shot) == 0)
                throw std::runtime_error("the demo wrote no screenshot");
        }
        std::filesystem::remove(shot);
    });
}

void StartToExitBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        for (auto _ : state) {
            Stopwatch watch;
            const int status = RunProgram({FIRST_PAINT_PROGRAM});
            state.SetIterationTime(watch.seconds());
            if (status != 0) throw std::runtime_error("the bare window exited with status " + std::to_string(status));
        }
    });
}

// ---- live resize ----------------------------------------------------------------------------------------

// Grows the window by one pixel (both ways) per iteration until settled; after `steps`
// steps it is set back to its first size (untimed).
void TimeResizes(benchmark::State& state, QWidget& window, QWidget& editor) {
    const QSize first = window.size();
    long long paints = 0;
    int step = 0;
    for (auto _ : state) {
        if (step++ % g_settings.resize_steps == 0) {
            window.resize(first);
            bench::SettleOrThrow();
        }
        const QSize next = window.size() + QSize(1, 1);
        const long long painted = bench::PaintsInApplication();
        Stopwatch watch;
        window.resize(next);
        bench::SettleOrThrow();
        state.SetIterationTime(watch.seconds());
        if (window.size() != next || !editor.isVisible()) throw std::runtime_error("the window did not grow");
        if (bench::PaintsInApplication() == painted) throw std::runtime_error("nothing painted the larger window");
        paints += bench::PaintsInApplication() - painted;
    }
    if (state.iterations() > 0)
        state.counters["paints_per_step"] = static_cast<double>(paints) / static_cast<double>(state.iterations());
}

void ResizeControl(benchmark::State& state) {
    bench::Guarded(state, [&] {
        ShownControl shown;
        QLineEdit& editor = shown.openEditor();
        TimeResizes(state, shown.host.window(), editor);
    });
}

// The same widgets as the control's, at the same places: a QComboBox above a QTableView
// whose two columns share its width, and a QLineEdit open over the first value cell (a
// persistent editor, which the view moves with its cell).
void ResizeBare(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const EditorPlace& place = ControlEditorPlace();
        const bench::ItemTexts texts = bench::MakeItemTexts(kRows);
        QStandardItemModel model(kRows, 2);
        for (int i = 0; i < kRows; ++i) {
            model.setItem(i, 0, new QStandardItem(QString::fromStdU16String(texts.names[static_cast<std::size_t>(i)])));
            model.setItem(i, 1, new QStandardItem(QString::fromStdU16String(texts.values[static_cast<std::size_t>(i)])));
        }
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(place.grid_in_window.top() - place.selector_in_window.bottom() - 1);
        auto* selector = new QComboBox;
        selector->setFixedHeight(place.selector_in_window.height());
        layout->addWidget(selector);
        auto* view = new QTableView;
        view->setModel(&model);
        view->setFrameShape(QFrame::NoFrame);
        view->horizontalHeader()->hide();
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        view->verticalHeader()->hide();
        layout->addWidget(view);
        window.resize(kWindowWidth, kWindowHeight);
        if (!bench::ShowActive(window)) throw std::runtime_error("the window did not become active");
        const QModelIndex cell = model.index(0, 1);
        view->openPersistentEditor(cell);
        auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(cell));
        if (!editor) throw std::runtime_error("the view opened no line edit");
        editor->setText(place.text);
        editor->setFocus();
        bench::SettleOrThrow();
        const QRect grid_in_window(view->mapTo(&window, QPoint(0, 0)), view->size());
        if (grid_in_window != place.grid_in_window)
            throw std::runtime_error("the bare view does not lie where the control's grid does");
        TimeResizes(state, window, *editor);
    });
}

// ---- registration and comparisons -------------------------------------------------------------------------

void Register() {
    auto add = [&](const char* name, void (*fn)(benchmark::State&), int iterations) {
        benchmark::internal::Benchmark* b = bench::Configure(benchmark::RegisterBenchmark(name, fn));
        b->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(iterations);
        return b;
    };
    add("Keystroke/control", KeystrokeControl, g_settings.keys);
    add("Keystroke/bare_line_edit", KeystrokeBare, g_settings.keys);
    add("FixedCost/control", FixedCostControl, 1)->Unit(benchmark::kMillisecond);
    add("FixedCost/bare_set", FixedCostBare, 1)->Unit(benchmark::kMillisecond);
    add("StartToExit/demo", StartToExitDemo, g_settings.starts)->Unit(benchmark::kMillisecond);
    add("StartToExit/bare_window", StartToExitBare, g_settings.starts)->Unit(benchmark::kMillisecond);
    add("Resize/control", ResizeControl, g_settings.resize_steps);
    add("Resize/bare_widgets", ResizeBare, g_settings.resize_steps);
}

std::vector<bench::Comparison> Comparisons() {
    using bench::Check;
    using bench::Unit;
    return {
        {"keystroke in the open editor until settled, p99: control vs bare QLineEdit", {"Keystroke/control", "p99"},
         {"Keystroke/bare_line_edit", "p99"}, Unit::seconds, Check::ratio_at_most, 1.1},
        {"  the same, p50", {"Keystroke/control", "p50"}, {"Keystroke/bare_line_edit", "p50"}, Unit::seconds},
        {"resident bytes of one more empty PropertiesWidget vs one more QTableView + QComboBox + QLineEdit",
         {"FixedCost/control", "resident_per_widget"}, {"FixedCost/bare_set", "resident_per_widget"}, Unit::bytes,
         Check::difference},
        {"heap bytes of one more empty PropertiesWidget vs one more QTableView + QComboBox + QLineEdit",
         {"FixedCost/control", "heap_per_widget"}, {"FixedCost/bare_set", "heap_per_widget"}, Unit::bytes,
         Check::difference},
        {"start to exit: orvane-demo --screenshot vs a bare window exiting after its first paint",
         {"StartToExit/demo", ""}, {"StartToExit/bare_window", ""}, Unit::seconds},
        {"one-pixel window resize until settled, editor open: control vs bare QComboBox + QTableView + QLineEdit",
         {"Resize/control", ""}, {"Resize/bare_widgets", ""}, Unit::seconds, Check::ratio_at_most, 1.3},
    };
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv, "user_bench", TESSEL_LIBRARY, ORVANE_LIBRARY, [](bool short_run) {
        g_settings = short_run ? Settings{40, 4, 2, 20} : Settings{400, 8, 10, 200};
        Register();
        return Comparisons();
    });
}
