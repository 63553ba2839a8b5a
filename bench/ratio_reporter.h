// The console table of Google Benchmark, followed by one line per comparison: a figure
// next to its baseline measured in the same run, their ratio, and whether the target
// holds.
//
// A figure is a user counter of one benchmark, or its real time per iteration. With
// repetitions (--benchmark_repetitions=N) a figure is the median over the repetitions and
// its spread is (max - min) / median; benchmarks registered through Configure() also
// report min and max aggregates, so the figures survive
// --benchmark_display_aggregates_only as well. Values are kept in base units: seconds or
// bytes.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <comrt/error.h>

namespace bench {

enum class Unit { seconds, bytes };

// Where one figure comes from: benchmark "function/args" (e.g. "Show/control/32766"), and
// a counter name, or an empty counter for the real time per iteration.
struct Figure {
    std::string benchmark;
    std::string counter;
};

// What a comparison's target bounds.
enum class Check {
    none,
    ratio_at_most,       // measured / baseline <= limit
    figure_at_most,      // measured <= limit (in the figure's unit)
    difference_at_most,  // measured - baseline <= limit
    difference,          // measured - baseline shown, without a target
};

struct Comparison {
    std::string label;  // what is compared, e.g. "show 32,766 rows: control vs bare view"
    Figure measured;
    Figure baseline;  // an empty benchmark name: the figure stands alone
    Unit unit = Unit::seconds;
    Check check = Check::none;
    double limit = 0;
};

// Median, smallest and largest of one figure's values.
struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
    std::size_t count = 0;  // values summarised; 0 when taken from aggregates
};

// The spread of values; nothing for an empty list. The median of an even count is the
// mean of the two middle values.
std::optional<Spread> Summarize(std::vector<double> values);

// The value at the given fraction (0.5, 0.99...) of the sorted values: the smallest value
// that at least that share of them does not exceed. 0 for no values.
double Percentile(std::vector<double> values, double fraction);

// Per-action times of one benchmark as its counters p50, p95 and p99 (seconds).
void SetPercentiles(benchmark::State& state, const std::vector<double>& seconds);

// "12.3 ms", "850 ns", "1.25 us", "184 B", "3.1 MB".
std::string FormatQuantity(double value, Unit unit);

// How a comparison came out. A target is met when it holds even at the unfavourable ends
// of both spreads (the largest measured value against the smallest baseline), missed when
// it fails even at the favourable ends, and undecided in between: a verdict the spread
// could turn is no verdict.
enum class Outcome { no_target, met, undecided, missed, not_measured };
Outcome Judge(const Comparison& comparison, const std::optional<Spread>& measured,
              const std::optional<Spread>& baseline);

// The comparison's line: measured figure and spread, baseline and spread, the ratio, the
// difference where it is checked, and the verdict ("met" / "undecided" / "MISSED"). A
// figure that was not measured gives "not measured".
std::string FormatComparison(const Comparison& comparison, const std::optional<Spread>& measured,
                             const std::optional<Spread>& baseline);

// Registers min and max aggregates on a benchmark (see above) and returns it.
benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Comparison> comparisons);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // What makes a run fail: benchmarks that reported an error (a failed check of what
    // they measured, or an exception), comparisons without figures although their
    // benchmarks ran (one left out by --benchmark_filter is not counted), missed targets.
    int errors() const noexcept { return static_cast<int>(errors_.size()); }
    int not_measured() const noexcept { return not_measured_; }
    int missed() const noexcept { return missed_; }

    // "function/args" of a run, without aggregate, repetition or time-type suffixes.
    static std::string KeyOf(const Run& run);
    // The figure's spread over what was reported so far; nothing when it was not measured.
    std::optional<Spread> SpreadOf(const Figure& figure) const;

    // The comparisons as Finalize() judged them, and the errors, as one JSON object:
    // {"comparisons": [{"label", "unit", "measured", "against" (the figures' sources,
    // "benchmark:counter"), "figure", "figure_spread", "baseline", "baseline_spread",
    // "ratio", "target", "verdict"}...], "errors": [...]}. Figures are medians in base
    // units, spreads (max - min) / median; what was not measured, or is absent, is null.
    // Verdicts: "met", "undecided", "missed", "no target", "not measured".
    std::string Json() const;

private:
    struct Collected {
        std::vector<double> values;           // one per repetition
        std::map<std::string, double> stats;  // aggregate name -> value
    };

    std::vector<Comparison> comparisons_;
    std::map<std::string, Collected> figures_;  // "key|counter" -> values
    std::vector<std::string> errors_;           // "key: message"
    std::set<std::string> ran_;                 // keys of every run reported
    std::string json_comparisons_;              // filled by Finalize()
    int not_measured_ = 0;
    int missed_ = 0;
};

// Runs the benchmarks registered so far with a RatioReporter over comparisons: the
// console table, then the comparison lines. argv as benchmark::Initialize takes it, and
// --ratios_out=FILE, which writes RatioReporter::Json() into FILE.
// 0 on success; 1 for an unrecognised argument, a benchmark that reported an error, a
// comparison without its figures, or (when targets_decide) a missed target. A short run
// passes targets_decide false: its figures mean nothing, but its errors do.
int RunAndCompare(int argc, char** argv, std::vector<Comparison> comparisons, bool targets_decide = true);

// Runs body(); a comrt::com_error or other exception it throws ends the benchmark with
// an error message instead of ending the program.
template <typename Body>
void Guarded(benchmark::State& state, Body&& body) {
    try {
        body();
    } catch (const comrt::com_error& e) {
        char text[48];
        std::snprintf(text, sizeof text, "failed with 0x%08X", static_cast<unsigned>(e.code()));
        state.SkipWithError(text);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Removes every `flag` argument (e.g. "--short") from argv; true when there was one.
// Short mode: a few iterations at small sizes, to keep the suite building and running.
bool TakeFlag(int& argc, char** argv, const char* flag);

// Removes the first "<prefix>VALUE" argument from argv and returns VALUE; nothing when
// there is none.
std::optional<std::string> TakeOption(int& argc, char** argv, const char* prefix);

// The text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace bench
