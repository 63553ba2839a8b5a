// The ratio reporter: summaries over repetitions, figures read from runs (iterations and
// aggregates), the comparison lines and their verdicts, and the --short flag.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "ratio_reporter.h"

namespace bench {
namespace {

using BenchRun = benchmark::BenchmarkReporter::Run;
using ::testing::HasSubstr;

// A run of `function/args` whose real time is `seconds` per iteration.
BenchRun MakeRun(const std::string& function, const std::string& args, double seconds) {
    BenchRun run;
    run.run_name.function_name = function;
    run.run_name.args = args;
    run.run_name.time_type = "manual_time";
    run.iterations = 10;
    run.time_unit = benchmark::kNanosecond;
    run.real_accumulated_time = seconds * 10;
    run.cpu_accumulated_time = seconds * 10;
    return run;
}

BenchRun MakeAggregate(const std::string& function, const std::string& args, const std::string& statistic,
                  double seconds) {
    BenchRun run = MakeRun(function, args, seconds);
    run.run_type = BenchRun::RT_Aggregate;
    run.aggregate_name = statistic;
    run.aggregate_unit = benchmark::kTime;
    run.iterations = 1;
    run.real_accumulated_time = seconds;
    return run;
}

// A reporter whose console table goes nowhere.
struct QuietReporter {
    QuietReporter() { reporter.SetOutputStream(&table); }
    std::ostringstream table;
    RatioReporter reporter{{}};
};

TEST(Summarize, MedianMinAndMaxOfUnsortedValues) {
    struct Row {
        std::vector<double> values;
        double median, min, max;
    } rows[] = {
        {{5}, 5, 5, 5},
        {{3, 1, 2}, 2, 1, 3},
        {{4, 1, 3, 2}, 2.5, 1, 4},
        {{-1, 7, 7}, 7, -1, 7},
    };
    for (const Row& row : rows) {
        const std::optional<Spread> s = Summarize(row.values);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->median, row.median) << ::testing::PrintToString(row.values);
        EXPECT_EQ(s->min, row.min) << ::testing::PrintToString(row.values);
        EXPECT_EQ(s->max, row.max) << ::testing::PrintToString(row.values);
        EXPECT_EQ(s->count, row.values.size());
    }
    EXPECT_FALSE(Summarize({}).has_value());
}

TEST(FormatQuantity, PicksTheUnitByMagnitude) {
    struct Row {
        double value;
        Unit unit;
        const char* text;
    } rows[] = {
        {850e-9, Unit::seconds, "850 ns"},   {1.25e-6, Unit::seconds, "1.25 us"}, {12.34e-3, Unit::seconds, "12.3 ms"},
        {0.5e-3, Unit::seconds, "500 us"},   {2.0, Unit::seconds, "2.00 s"},      {0, Unit::seconds, "0 ns"},
        {184.4, Unit::bytes, "184 B"},       {20 * 1024, Unit::bytes, "20.0 KB"}, {-30, Unit::bytes, "-30 B"},
        {3.0 * 1024 * 1024 * 1024, Unit::bytes, "3072 MB"},
    };
    for (const Row& row : rows) EXPECT_EQ(FormatQuantity(row.value, row.unit), row.text) << row.value;
}

TEST(FormatComparison, VerdictFollowsTheCheckedQuantity) {
    const Spread measured{3e-3, 3e-3, 3e-3, 1};
    const Spread baseline{2e-3, 2e-3, 2e-3, 1};
    struct Row {
        Check check;
        double limit;
        const char* verdict;
    } rows[] = {
        {Check::ratio_at_most, 2, "target ratio <= 2x: met"},
        {Check::ratio_at_most, 1.4, "target ratio <= 1.4x: MISSED"},
        {Check::figure_at_most, 3e-3, "target <= 3.00 ms: met"},
        {Check::figure_at_most, 1e-3, "target <= 1.00 ms: MISSED"},
        {Check::difference_at_most, 1.5e-3, "target difference <= 1.50 ms: met"},
        {Check::difference_at_most, 0.5e-3, "target difference <= 500 us: MISSED"},
    };
    for (const Row& row : rows) {
        const Comparison c{"fill", {"a", ""}, {"b", ""}, Unit::seconds, row.check, row.limit};
        const std::string line = FormatComparison(c, measured, baseline);
        EXPECT_THAT(line, HasSubstr("fill: 3.00 ms / baseline 2.00 ms = 1.50x")) << line;
        EXPECT_THAT(line, HasSubstr(row.verdict)) << line;
    }
}

TEST(FormatComparison, SpreadDifferenceMissingAndZeroBaselines) {
    const Comparison ratio{"x", {"a", ""}, {"b", ""}, Unit::seconds, Check::ratio_at_most, 2};
    const Spread spread{1e-3, 0.9e-3, 1.1e-3, 3};
    const Spread steady{1e-3, 1e-3, 1e-3, 3};
    EXPECT_THAT(FormatComparison(ratio, spread, steady), HasSubstr("1.00 ms (spread 20%) / baseline 1.00 ms = 1.00x"));

    const Spread zero{0, 0, 0, 1};
    const std::string against_zero = FormatComparison(ratio, steady, zero);
    EXPECT_THAT(against_zero, HasSubstr("(baseline 0)")) << against_zero;
    EXPECT_THAT(against_zero, HasSubstr("MISSED")) << "no ratio can be met against nothing: " << against_zero;

    EXPECT_EQ(FormatComparison(ratio, std::nullopt, steady), "x: not measured");
    EXPECT_EQ(FormatComparison(ratio, steady, std::nullopt), "x: not measured");

    const Comparison alone{"bytes", {"a", "c"}, {}, Unit::bytes, Check::figure_at_most, 160};
    const std::string line = FormatComparison(alone, Spread{185, 185, 185, 1}, std::nullopt);
    EXPECT_EQ(line, "bytes: 185 B; target <= 160 B: MISSED");
    const Comparison difference{"d", {"a", ""}, {"b", ""}, Unit::seconds, Check::difference_at_most, 2e-6};
    EXPECT_THAT(FormatComparison(difference, Spread{3e-6, 3e-6, 3e-6, 1}, Spread{0.5e-6, 0.5e-6, 0.5e-6, 1}),
                HasSubstr("difference 2.50 us; target difference <= 2.00 us: MISSED"));
    const Comparison shown{"d", {"a", ""}, {"b", ""}, Unit::seconds, Check::difference};
    EXPECT_EQ(FormatComparison(shown, Spread{3e-6, 3e-6, 3e-6, 1}, Spread{0.5e-6, 0.5e-6, 0.5e-6, 1}),
              "d: 3.00 us / baseline 500 ns = 6.00x, difference 2.50 us")
        << "no target, no verdict";
}

// A verdict the spreads could turn is none: met only when it holds at the unfavourable
// ends of both spreads, missed only when it fails even at the favourable ends.
TEST(Judge, AVerdictWithinTheSpreadIsUndecided) {
    const Comparison ratio{"r", {"a", ""}, {"b", ""}, Unit::seconds, Check::ratio_at_most, 1.5};
    const Spread baseline{2e-3, 1.8e-3, 2.2e-3, 5};
    struct Row {
        Spread measured;
        Outcome outcome;
    } rows[] = {
        {{2.5e-3, 2.4e-3, 2.6e-3, 5}, Outcome::met},        // 2.6 / 1.8 = 1.44
        {{2.9e-3, 2.8e-3, 3.0e-3, 5}, Outcome::undecided},  // median 1.45x, worst 1.67x
        {{3.5e-3, 3.4e-3, 3.6e-3, 5}, Outcome::missed},     // best 3.4 / 2.2 = 1.55x
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Judge(ratio, row.measured, baseline), row.outcome) << row.measured.median;
        if (row.outcome == Outcome::undecided) {
            EXPECT_THAT(FormatComparison(ratio, row.measured, baseline), HasSubstr(": undecided"));
        }
    }
    const Comparison figure{"f", {"a", ""}, {}, Unit::seconds, Check::figure_at_most, 1e-3};
    EXPECT_EQ(Judge(figure, Spread{0.9e-3, 0.8e-3, 1.1e-3, 5}, std::nullopt), Outcome::undecided);
    EXPECT_EQ(Judge(figure, Spread{0.9e-3, 0.8e-3, 0.95e-3, 5}, std::nullopt), Outcome::met);
    EXPECT_EQ(Judge(ratio, std::nullopt, baseline), Outcome::not_measured);
    const Comparison shown{"d", {"a", ""}, {"b", ""}, Unit::seconds, Check::difference};
    EXPECT_EQ(Judge(shown, baseline, baseline), Outcome::no_target);
}

// A benchmark that fails its own check fails the run, in a short run too; a missed target
// fails only a run whose targets decide.
TEST(RunAndCompare, ErrorsAndMissedTargetsFailTheRun) {
    char program[] = "bench";
    char* argv[] = {program, nullptr};
    auto run = [&](bool targets_decide, std::vector<Comparison> comparisons) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = RunAndCompare(1, argv, std::move(comparisons), targets_decide);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        return status;
    };
    benchmark::RegisterBenchmark("Slow", [](benchmark::State& state) {
        for (auto _ : state) state.SetIterationTime(2e-3);
    })->UseManualTime()->Iterations(3);
    benchmark::RegisterBenchmark("Fast", [](benchmark::State& state) {
        for (auto _ : state) state.SetIterationTime(1e-3);
    })->UseManualTime()->Iterations(3);
    const Comparison holds{"holds", {"Slow", ""}, {"Fast", ""}, Unit::seconds, Check::ratio_at_most, 3};
    const Comparison fails{"fails", {"Slow", ""}, {"Fast", ""}, Unit::seconds, Check::ratio_at_most, 1.5};
    const Comparison absent{"absent", {"Slow", "no such counter"}, {"Fast", ""}, Unit::seconds, Check::ratio_at_most, 3};
    const Comparison filtered{"filtered", {"Gone", ""}, {"Never", ""}, Unit::seconds, Check::ratio_at_most, 3};
    EXPECT_EQ(run(true, {holds}), 0);
    EXPECT_EQ(run(true, {holds, fails}), 1);
    EXPECT_EQ(run(false, {holds, fails}), 0) << "a short run's figures decide nothing";
    EXPECT_EQ(run(false, {absent}), 1) << "a comparison without its figure";
    EXPECT_EQ(run(true, {filtered}), 0) << "benchmarks that did not run (a filter) fail nothing";

    benchmark::RegisterBenchmark("Broken", [](benchmark::State& state) {
        for (auto _ : state) {
            state.SkipWithError("the row did not move");
            break;
        }
    });
    EXPECT_EQ(run(false, {holds}), 1) << "an error fails even a short run";
    benchmark::ClearRegisteredBenchmarks();
}

TEST(RatioReporter, KeyLeavesOutSuffixes) {
    BenchRun run = MakeRun("Show/control", "32766", 1);
    run.run_name.iterations = "iterations:1";
    run.run_name.repetitions = "repeats:3";
    EXPECT_EQ(RatioReporter::KeyOf(run), "Show/control/32766");
    EXPECT_EQ(RatioReporter::KeyOf(MakeRun("ItemValue/vtable", "", 1)), "ItemValue/vtable");
    EXPECT_EQ(RatioReporter::KeyOf(MakeAggregate("Build", "1000", "median", 1)), "Build/1000");
}

TEST(RatioReporter, FiguresFromRepetitionsCountersAndAggregates) {
    QuietReporter q;
    BenchRun first = MakeRun("Build", "1000", 2e-3);
    first.counters["per_item"] = benchmark::Counter(4e-9);
    BenchRun second = MakeRun("Build", "1000", 4e-3);
    second.counters["per_item"] = benchmark::Counter(2e-9);
    BenchRun third = MakeRun("Build", "1000", 3e-3);
    third.counters["per_item"] = benchmark::Counter(3e-9);
    BenchRun failed = MakeRun("Build", "1000", 99);
    failed.error_occurred = true;
    q.reporter.ReportRuns({first, second, third, failed});

    const std::optional<Spread> time = q.reporter.SpreadOf({"Build/1000", ""});
    ASSERT_TRUE(time.has_value());
    EXPECT_NEAR(time->median, 3e-3, 1e-12) << "real time per iteration in seconds";
    EXPECT_NEAR(time->min, 2e-3, 1e-12);
    EXPECT_NEAR(time->max, 4e-3, 1e-12) << "the failed run is left out";
    const std::optional<Spread> counter = q.reporter.SpreadOf({"Build/1000", "per_item"});
    ASSERT_TRUE(counter.has_value());
    EXPECT_EQ(counter->median, 3e-9);
    EXPECT_FALSE(q.reporter.SpreadOf({"Build/1000", "absent"}).has_value());
    EXPECT_FALSE(q.reporter.SpreadOf({"Build/32767", ""}).has_value());

    // Aggregates, when median, min and max are all there, are what the figure reads.
    BenchRun cv = MakeAggregate("Build", "1000", "cv", 0.5);
    cv.aggregate_unit = benchmark::kPercentage;
    q.reporter.ReportRuns({MakeAggregate("Build", "1000", "median", 7e-3), MakeAggregate("Build", "1000", "min", 6e-3),
                           cv, MakeAggregate("Build", "1000", "max", 9e-3)});
    const std::optional<Spread> aggregated = q.reporter.SpreadOf({"Build/1000", ""});
    ASSERT_TRUE(aggregated.has_value());
    EXPECT_NEAR(aggregated->median, 7e-3, 1e-12);
    EXPECT_NEAR(aggregated->min, 6e-3, 1e-12);
    EXPECT_NEAR(aggregated->max, 9e-3, 1e-12);

    // A median without min and max (a benchmark not configured for them): the values.
    QuietReporter partial;
    partial.reporter.ReportRuns({MakeRun("Clear", "1", 1e-3), MakeAggregate("Clear", "1", "median", 5)});
    EXPECT_NEAR(partial.reporter.SpreadOf({"Clear/1", ""})->median, 1e-3, 1e-12);
}

TEST(TakeFlag, RemovesEveryShortFlagAndKeepsTheRest) {
    struct Row {
        std::vector<std::string> args;
        bool found;
        std::vector<std::string> kept;
    } rows[] = {
        {{"bench"}, false, {"bench"}},
        {{"bench", "--short"}, true, {"bench"}},
        {{"bench", "--benchmark_filter=Show", "--short", "--short"}, true, {"bench", "--benchmark_filter=Show"}},
        {{"--short", "--shorter"}, false, {"--short", "--shorter"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> storage = row.args;
        std::vector<char*> argv;
        for (std::string& arg : storage) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(row.args.size());
        EXPECT_EQ(TakeFlag(argc, argv.data(), "--short"), row.found) << ::testing::PrintToString(row.args);
        const std::vector<std::string> kept(argv.begin(), argv.begin() + argc);
        EXPECT_EQ(kept, row.kept) << ::testing::PrintToString(row.args);
        EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
    }
}

TEST(TakeOption, RemovesTheFirstMatchAndReturnsItsValue) {
    std::vector<std::string> storage{"bench", "--ratios_out=a.json", "--short", "--ratios_out=b.json"};
    std::vector<char*> argv;
    for (std::string& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = 4;
    EXPECT_EQ(TakeOption(argc, argv.data(), "--ratios_out="), "a.json");
    ASSERT_EQ(argc, 3);
    EXPECT_STREQ(argv[1], "--short");
    EXPECT_STREQ(argv[2], "--ratios_out=b.json");
    EXPECT_EQ(argv[3], nullptr);
    EXPECT_EQ(TakeOption(argc, argv.data(), "--ratios_out="), "b.json");
    EXPECT_FALSE(TakeOption(argc, argv.data(), "--ratios_out=").has_value());
    EXPECT_EQ(argc, 2);
}

TEST(JsonString, EscapesQuotesBackslashesAndControls) {
    EXPECT_EQ(JsonString("the control's \"fill\""), "\"the control's \\\"fill\\\"\"");
    EXPECT_EQ(JsonString("a\\b\n"), "\"a\\\\b\\u000a\"");
}

// Through the benchmark library itself: figures read the same whether the repetitions or
// only their aggregates reach the reporter, and a counter averaged over iterations is not
// averaged again in the aggregates.
TEST(RatioReporter, ReadsTheLibrarysRunsWithAndWithoutDisplayedRepetitions) {
    auto steady = [](benchmark::State& state) {
        for (auto _ : state) state.SetIterationTime(state.range(0) * 1e-3);
        state.counters["per_item"] = benchmark::Counter(static_cast<double>(state.iterations()) * 2e-9,
                                                        benchmark::Counter::kAvgIterations);
    };
    Configure(benchmark::RegisterBenchmark("Steady", steady))->Arg(1)->Arg(4)->UseManualTime()->Iterations(5);
    const std::vector<Comparison> comparisons{
        {"four against one", {"Steady/4", ""}, {"Steady/1", ""}, Unit::seconds, Check::ratio_at_most, 4.5},
        {"counter", {"Steady/4", "per_item"}, {}, Unit::seconds, Check::none},
    };
    for (const char* display : {"--benchmark_display_aggregates_only=false", "--benchmark_display_aggregates_only=true"}) {
        std::vector<std::string> storage{"ratio_reporter_test", "--benchmark_repetitions=3", display};
        std::vector<char*> argv;
        for (std::string& arg : storage) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(storage.size());
        benchmark::Initialize(&argc, argv.data());

        std::ostringstream out;
        RatioReporter reporter(comparisons);
        reporter.SetOutputStream(&out);
        reporter.SetErrorStream(&out);
        benchmark::RunSpecifiedBenchmarks(&reporter);

        const std::optional<Spread> four = reporter.SpreadOf({"Steady/4", ""});
        ASSERT_TRUE(four.has_value()) << display;
        EXPECT_NEAR(four->median, 4e-3, 1e-9) << display;
        EXPECT_NEAR(four->max, 4e-3, 1e-9) << display;
        const std::optional<Spread> counter = reporter.SpreadOf({"Steady/4", "per_item"});
        ASSERT_TRUE(counter.has_value()) << display;
        EXPECT_NEAR(counter->median, 2e-9, 1e-15) << display;
        EXPECT_THAT(out.str(), HasSubstr("four against one: 4.00 ms / baseline 1.00 ms = 4.00x; "
                                         "target ratio <= 4.5x: met"))
            << display << "\n" << out.str();
        EXPECT_THAT(out.str(), HasSubstr("counter: 2.00 ns\n")) << out.str();
        const std::string json = reporter.Json();
        EXPECT_THAT(json, HasSubstr("\"label\": \"four against one\", \"unit\": \"seconds\", \"measured\": "
                                    "\"Steady/4\", \"against\": \"Steady/1\", \"figure\": 0.004, \"figure_spread\": "
                                    "0, \"baseline\": 0.001, \"baseline_spread\": 0, \"ratio\": 4, \"target\": "
                                    "\"ratio <= 4.5\", \"verdict\": \"met\"}"))
            << json;
        EXPECT_THAT(json, HasSubstr("\"against\": null, \"figure\": 2e-09, \"figure_spread\": 0, \"baseline\": null, "
                                    "\"baseline_spread\": null, \"ratio\": null, \"target\": null, \"verdict\": "
                                    "\"no target\"}"))
            << json;
    }
    benchmark::ClearRegisteredBenchmarks();
}

}  // namespace
}  // namespace bench
