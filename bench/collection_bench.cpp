// Object collection: front removal and reading by position must cost the same per element
// at 1,000 and at 32,767 elements (O(1) amortised each, so O(n) for a full drain).
//
// Run (after building the target collection_bench):
//     <build>/bin/collection_bench
// Use a release-type build (the default RelWithDebInfo), not the sanitizer build. Each
// benchmark reports `per_element` (time per element); the lines after the table give the
// ratios that matter, measured in the same run: 32,767 against 1,000 elements (about 1
// when the cost is linear, about 33 when it is quadratic), and front removal against
// removal from the back (the baseline that any container does in constant time).
#include <benchmark/benchmark.h>

#include <comrt/collection.h>
#include <comrt/com_ptr.h>
#include <comrt/oleauto.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// One object added many times: AddRef and Release as real elements cost, no allocation.
class Token final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) noexcept override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return --refs_; }

private:
    ULONG refs_ = 1;
};

VARIANT position(LONG p) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = p;
    return v;
}

// A collection of n elements; null when it cannot be built.
comrt::ComPtr<_Collection> filled(LONG n) {
    static Token token;
    comrt::ComPtr<_Collection> col;
    if (FAILED(comrt::create_collection(col.put()))) return nullptr;
    VARIANT item;
    V_VT(&item) = VT_UNKNOWN;
    V_UNKNOWN(&item) = &token;
    for (LONG i = 0; i < n; ++i)
        if (FAILED(col->Add(&item, nullptr, nullptr, nullptr))) return nullptr;
    return col;
}

void set_per_element(benchmark::State& state, LONG n) {
    state.counters["per_element"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

// Per iteration: adds n objects (not timed), runs drain(collection, n) (timed), then
// releases the collection (not timed). drain returns whether every call succeeded and the
// collection ended empty; anything else ends the benchmark with an error.
template <typename Drain>
void time_drain(benchmark::State& state, Drain drain) {
    const auto n = static_cast<LONG>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto col = filled(n);
        if (!col) {
            state.SkipWithError("the collection could not be filled");
            break;
        }
        state.ResumeTiming();
        const bool drained = drain(col.get(), n);
        state.PauseTiming();
        LONG left = -1;
        if (!drained || FAILED(col->Count(&left)) || left != 0) {
            state.SkipWithError("a removal failed or left elements behind");
            break;
        }
        col = nullptr;
        state.ResumeTiming();
    }
    set_per_element(state, n);
}

// Removes element 1 until the collection is empty.
void RemoveFront(benchmark::State& state) {
    time_drain(state, [](_Collection* col, LONG n) {
        VARIANT front = position(1);
        bool ok = true;
        for (LONG i = 0; i < n; ++i) ok &= SUCCEEDED(col->Remove(&front));
        return ok;
    });
}

// The baseline: the same drain from the back.
void RemoveBack(benchmark::State& state) {
    time_drain(state, [](_Collection* col, LONG n) {
        bool ok = true;
        for (LONG p = n; p >= 1; --p) {
            VARIANT last = position(p);
            ok &= SUCCEEDED(col->Remove(&last));
        }
        return ok;
    });
}

// Reads every element by position.
void ItemByPosition(benchmark::State& state) {
    const auto n = static_cast<LONG>(state.range(0));
    auto col = filled(n);
    if (!col) return state.SkipWithError("the collection could not be filled");
    for (auto _ : state) {
        bool ok = true;
        for (LONG p = 1; p <= n; ++p) {
            VARIANT index = position(p);
            VARIANT element;
            ok &= SUCCEEDED(col->Item(&index, &element)) && V_VT(&element) == VT_UNKNOWN;
            VariantClear(&element);
        }
        if (!ok) {
            state.SkipWithError("reading an element failed");
            break;
        }
    }
    set_per_element(state, n);
}

BENCHMARK(RemoveFront)->Arg(1000)->Arg(32767);
BENCHMARK(RemoveBack)->Arg(1000)->Arg(32767);
BENCHMARK(ItemByPosition)->Arg(1000)->Arg(32767);

// The console table, then the ratios of per-element times measured in this run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::printf("ERROR %s: %s\n", run.benchmark_name().c_str(), run.error_message.c_str());
                ++failures_;
            }
            const auto found = run.counters.find("per_element");
            if (!run.error_occurred && found != run.counters.end())
                per_element_[run.benchmark_name()] = found->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        ratio("RemoveFront/32767", "RemoveFront/1000");
        ratio("ItemByPosition/32767", "ItemByPosition/1000");
        ratio("RemoveFront/32767", "RemoveBack/32767");
    }

    // Benchmarks that reported an error.
    int failures() const noexcept { return failures_; }

private:
    void ratio(const std::string& measured, const std::string& baseline) const {
        const auto m = per_element_.find(measured);
        const auto b = per_element_.find(baseline);
        if (m == per_element_.end() || b == per_element_.end() || b->second <= 0) return;
        std::printf("per element: %-22s / %-22s = %.2f\n", measured.c_str(), baseline.c_str(), m->second / b->second);
    }

    std::map<std::string, double> per_element_;
    int failures_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.failures() > 0 ? 1 : 0;
}
