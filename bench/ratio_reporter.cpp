// The ratio reporter (ratio_reporter.h).
#include "ratio_reporter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace bench {
namespace {

std::string FigureKey(const std::string& benchmark, const std::string& counter) { return benchmark + "|" + counter; }

double RealSeconds(const benchmark::BenchmarkReporter::Run& run) {
    return run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

std::string Printf(const char* format, double value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, format, value, unit);
    return text;
}

// Three significant digits, at most.
std::string Scaled(double value, const char* unit) {
    const double magnitude = std::fabs(value);
    if (magnitude >= 100 || magnitude == 0) return Printf("%.0f %s", value, unit);
    if (magnitude >= 10) return Printf("%.1f %s", value, unit);
    return Printf("%.2f %s", value, unit);
}

std::string WithSpread(const Spread& s, Unit unit) {
    std::string text = FormatQuantity(s.median, unit);
    if (s.median != 0 && s.max > s.min) {
        char spread[32];
        std::snprintf(spread, sizeof spread, " (spread %.0f%%)", 100.0 * (s.max - s.min) / std::fabs(s.median));
        text += spread;
    }
    return text;
}

const char* VerdictOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::met: return "met";
    case Outcome::undecided: return "undecided";
    default: return "MISSED";
    }
}

const char* JsonVerdictOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::no_target: return "no target";
    case Outcome::met: return "met";
    case Outcome::undecided: return "undecided";
    case Outcome::missed: return "missed";
    case Outcome::not_measured: return "not measured";
    }
    return "missed";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string JsonSpread(const std::optional<Spread>& s) {
    if (!s || s->median == 0) return "null";
    return JsonNumber((s->max - s->min) / std::fabs(s->median));
}

// The target as the console line states it, or "" for none.
std::string TargetText(const Comparison& c) {
    char limit[32];
    switch (c.check) {
    case Check::ratio_at_most: std::snprintf(limit, sizeof limit, "%.3g", c.limit); return std::string("ratio <= ") + limit;
    case Check::figure_at_most: return "<= " + FormatQuantity(c.limit, c.unit);
    case Check::difference_at_most: return "difference <= " + FormatQuantity(c.limit, c.unit);
    default: return "";
    }
}

std::string ComparisonJson(const Comparison& c, const std::optional<Spread>& measured,
                           const std::optional<Spread>& baseline) {
    const bool has_baseline = !c.baseline.benchmark.empty();
    std::string j = "{\"label\": " + JsonString(c.label);
    j += ", \"unit\": ";
    j += c.unit == Unit::bytes ? "\"bytes\"" : "\"seconds\"";
    j += ", \"measured\": " + JsonString(c.measured.benchmark + (c.measured.counter.empty() ? "" : ":" + c.measured.counter));
    j += ", \"against\": " +
         (has_baseline ? JsonString(c.baseline.benchmark + (c.baseline.counter.empty() ? "" : ":" + c.baseline.counter))
                       : std::string("null"));
    j += ", \"figure\": " + (measured ? JsonNumber(measured->median) : std::string("null"));
    j += ", \"figure_spread\": " + JsonSpread(measured);
    j += ", \"baseline\": " + (baseline ? JsonNumber(baseline->median) : std::string("null"));
    j += ", \"baseline_spread\": " + JsonSpread(baseline);
    j += ", \"ratio\": " +
         (measured && baseline && baseline->median != 0 ? JsonNumber(measured->median / baseline->median)
                                                        : std::string("null"));
    const std::string target = TargetText(c);
    j += ", \"target\": " + (target.empty() ? std::string("null") : JsonString(target));
    j += ", \"verdict\": " + JsonString(JsonVerdictOf(Judge(c, measured, baseline))) + "}";
    return j;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::optional<Spread> Summarize(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    Spread s;
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.max = values.back();
    s.count = n;
    return s;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(fraction * static_cast<double>(values.size()));
    const std::size_t at = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return values[std::min(at, values.size() - 1)];
}

void SetPercentiles(benchmark::State& state, const std::vector<double>& seconds) {
    if (seconds.empty()) return;
    state.counters["p50"] = Percentile(seconds, 0.50);
    state.counters["p95"] = Percentile(seconds, 0.95);
    state.counters["p99"] = Percentile(seconds, 0.99);
}

std::string FormatQuantity(double value, Unit unit) {
    const double magnitude = std::fabs(value);
    if (unit == Unit::bytes) {
        if (magnitude >= 10.0 * 1024 * 1024) return Scaled(value / (1024.0 * 1024), "MB");
        if (magnitude >= 10.0 * 1024) return Scaled(value / 1024, "KB");
        return Printf("%.0f %s", value, "B");
    }
    if (magnitude >= 1) return Scaled(value, "s");
    if (magnitude >= 1e-3) return Scaled(value * 1e3, "ms");
    if (magnitude >= 1e-6) return Scaled(value * 1e6, "us");
    return Scaled(value * 1e9, "ns");
}

Outcome Judge(const Comparison& c, const std::optional<Spread>& measured, const std::optional<Spread>& baseline) {
    const bool has_baseline = !c.baseline.benchmark.empty();
    if (!measured || (has_baseline && !baseline)) return Outcome::not_measured;
    // holds(worst, best): whether the target holds at the unfavourable and favourable ends.
    auto judge = [](bool at_worst, bool at_best) {
        return at_worst ? Outcome::met : at_best ? Outcome::undecided : Outcome::missed;
    };
    switch (c.check) {
    case Check::none:
    case Check::difference:
        return Outcome::no_target;
    case Check::ratio_at_most:
        if (!has_baseline || baseline->min <= 0 || baseline->max <= 0) return Outcome::missed;
        return judge(measured->max / baseline->min <= c.limit, measured->min / baseline->max <= c.limit);
    case Check::figure_at_most:
        return judge(measured->max <= c.limit, measured->min <= c.limit);
    case Check::difference_at_most:
        if (!has_baseline) return Outcome::missed;
        return judge(measured->max - baseline->min <= c.limit, measured->min - baseline->max <= c.limit);
    }
    return Outcome::missed;
}

std::string FormatComparison(const Comparison& c, const std::optional<Spread>& measured,
                             const std::optional<Spread>& baseline) {
    std::string line = c.label + ": ";
    const bool has_baseline = !c.baseline.benchmark.empty();
    if (!measured || (has_baseline && !baseline)) return line + "not measured";

    line += WithSpread(*measured, c.unit);
    const double ratio = has_baseline && baseline->median != 0 ? measured->median / baseline->median : 0;
    const double difference = has_baseline ? measured->median - baseline->median : 0;
    if (has_baseline) {
        line += " / baseline " + WithSpread(*baseline, c.unit);
        char text[32];
        std::snprintf(text, sizeof text, " = %.2fx", ratio);
        line += baseline->median != 0 ? text : " = (baseline 0)";
        if (c.check == Check::difference_at_most || c.check == Check::difference)
            line += ", difference " + FormatQuantity(difference, c.unit);
    }

    char limit[32];
    switch (c.check) {
    case Check::none:
    case Check::difference:
        break;
    case Check::ratio_at_most:
        std::snprintf(limit, sizeof limit, "%.3gx", c.limit);
        line += std::string("; target ratio <= ") + limit + ": " + VerdictOf(Judge(c, measured, baseline));
        break;
    case Check::figure_at_most:
        line += "; target <= " + FormatQuantity(c.limit, c.unit) + ": " + VerdictOf(Judge(c, measured, baseline));
        break;
    case Check::difference_at_most:
        line += "; target difference <= " + FormatQuantity(c.limit, c.unit) + ": " +
                VerdictOf(Judge(c, measured, baseline));
        break;
    }
    return line;
}

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b) {
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    b->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
    return b;
}

RatioReporter::RatioReporter(std::vector<Comparison> comparisons) : comparisons_(std::move(comparisons)) {}

std::string RatioReporter::KeyOf(const Run& run) {
    const benchmark::BenchmarkName& name = run.run_name;
    return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        ran_.insert(KeyOf(run));
        if (run.error_occurred) {
            errors_.push_back(KeyOf(run) + ": " + run.error_message);
            continue;
        }
        const std::string key = KeyOf(run);
        const bool aggregate = run.run_type == Run::RT_Aggregate;
        // Aggregates of a percentage (cv) are not in the figure's unit.
        if (aggregate && run.aggregate_unit != benchmark::kTime) continue;
        auto note = [&](const std::string& counter, double value) {
            Collected& c = figures_[FigureKey(key, counter)];
            if (aggregate)
                c.stats[run.aggregate_name] = value;
            else
                c.values.push_back(value);
        };
        note("", RealSeconds(run));
        for (const auto& [name, counter] : run.counters) note(name, counter.value);
    }
}

std::optional<Spread> RatioReporter::SpreadOf(const Figure& figure) const {
    const auto found = figures_.find(FigureKey(figure.benchmark, figure.counter));
    if (found == figures_.end()) return std::nullopt;
    const Collected& c = found->second;
    const auto stat = [&](const char* name) { return c.stats.find(name); };
    if (stat("median") != c.stats.end() && stat("min") != c.stats.end() && stat("max") != c.stats.end())
        return Spread{stat("median")->second, stat("min")->second, stat("max")->second, 0};
    return Summarize(c.values);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    out << "\nFigures against baselines of this run (medians; spread = (max - min) / median):\n";
    for (const Comparison& c : comparisons_) {
        std::optional<Spread> baseline;
        if (!c.baseline.benchmark.empty()) baseline = SpreadOf(c.baseline);
        const std::optional<Spread> measured = SpreadOf(c.measured);
        out << "  " << FormatComparison(c, measured, baseline) << "\n";
        json_comparisons_ += (json_comparisons_.empty() ? "\n    " : ",\n    ") + ComparisonJson(c, measured, baseline);
        const Outcome outcome = Judge(c, measured, baseline);
        const bool ran = ran_.count(c.measured.benchmark) > 0 || ran_.count(c.baseline.benchmark) > 0;
        if (outcome == Outcome::not_measured && ran) ++not_measured_;
        if (outcome == Outcome::missed) ++missed_;
    }
    for (const std::string& error : errors_) out << "ERROR " << error << "\n";
    out.flush();
}

std::string RatioReporter::Json() const {
    std::string j = "{\"comparisons\": [" + json_comparisons_ + (json_comparisons_.empty() ? "]" : "\n  ]");
    j += ", \"errors\": [";
    for (std::size_t i = 0; i < errors_.size(); ++i) j += (i ? ", " : "") + JsonString(errors_[i]);
    return j + "]}\n";
}

int RunAndCompare(int argc, char** argv, std::vector<Comparison> comparisons, bool targets_decide) {
    const std::optional<std::string> ratios_out = TakeOption(argc, argv, "--ratios_out=");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(std::move(comparisons));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (ratios_out) {
        std::FILE* file = std::fopen(ratios_out->c_str(), "w");
        const std::string json = reporter.Json();
        if (!file || std::fwrite(json.data(), 1, json.size(), file) != json.size()) {
            std::fprintf(stderr, "cannot write %s\n", ratios_out->c_str());
            if (file) std::fclose(file);
            return 1;
        }
        std::fclose(file);
    }
    const bool failed = reporter.errors() > 0 || reporter.not_measured() > 0 || (targets_decide && reporter.missed() > 0);
    if (failed)
        std::fprintf(stderr, "benchmarks FAILED: %d errors, %d comparisons not measured, %d targets missed\n",
                     reporter.errors(), reporter.not_measured(), reporter.missed());
    return failed ? 1 : 0;
}

bool TakeFlag(int& argc, char** argv, const char* flag) {
    bool found = false;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], flag) == 0) {
            found = true;
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    argv[kept] = nullptr;  // argv holds argc + 1 pointers, the last one null
    return found;
}

std::optional<std::string> TakeOption(int& argc, char** argv, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix, length) != 0) continue;
        std::string value = argv[i] + length;
        for (int j = i; j < argc; ++j) argv[j] = argv[j + 1];  // argv[argc] is null
        --argc;
        return value;
    }
    return std::nullopt;
}

}  // namespace bench
