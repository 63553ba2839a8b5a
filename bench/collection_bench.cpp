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

comrt::ComPtr<_Collection> filled(LONG n) {
    static Token token;
    comrt::ComPtr<_Collection> col;
    comrt::create_collection(col.put());
    VARIANT item;
    V_VT(&item) = VT_UNKNOWN;
    V_UNKNOWN(&item) = &token;
    for (LONG i = 0; i < n; ++i) col->Add(&item, nullptr, nullptr, nullptr);
    return col;
}

void set_per_element(benchmark::State& state, LONG n) {
    state.counters["per_element"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

// Per iteration: adds n objects (not timed), runs drain(collection, n) (timed), then
// releases the collection (not timed).
template <typename Drain>
void time_drain(benchmark::State& state, Drain drain) {
    const auto n = static_cast<LONG>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto col = filled(n);
        state.ResumeTiming();
        drain(col.get(), n);
        state.PauseTiming();
        col = nullptr;
        state.ResumeTiming();
    }
    set_per_element(state, n);
}

// Removes element 1 until the collection is empty.
void RemoveFront(benchmark::State& state) {
    time_drain(state, [](_Collection* col, LONG n) {
        VARIANT front = position(1);
        for (LONG i = 0; i < n; ++i) col->Remove(&front);
    });
}

// The baseline: the same drain from the back.
void RemoveBack(benchmark::State& state) {
    time_drain(state, [](_Collection* col, LONG n) {
        for (LONG p = n; p >= 1; --p) {
            VARIANT last = position(p);
            col->Remove(&last);
        }
    });
}

// Reads every element by position.
void ItemByPosition(benchmark::State& state) {
    const auto n = static_cast<LONG>(state.range(0));
    auto col = filled(n);
    for (auto _ : state) {
        for (LONG p = 1; p <= n; ++p) {
            VARIANT index = position(p);
            VARIANT element;
            col->Item(&index, &element);
            VariantClear(&element);
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

private:
    void ratio(const std::string& measured, const std::string& baseline) const {
        const auto m = per_element_.find(measured);
        const auto b = per_element_.find(baseline);
        if (m == per_element_.end() || b == per_element_.end() || b->second <= 0) return;
        std::printf("per element: %-22s / %-22s = %.2f\n", measured.c_str(), baseline.c_str(), m->second / b->second);
    }

    std::map<std::string, double> per_element_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
