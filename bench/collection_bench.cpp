// Object collection: front removal and reading by position must cost the same per element
// at 1,000 and at 32,767 elements (O(1) amortised each, so O(n) for a full drain).
//
// Each benchmark reports `per_element` (time per element); the comparisons after the table
// give the ratios that matter, measured in the same run: 32,767 against 1,000 elements
// (about 1 when the cost is linear, about 33 when it is quadratic), and front removal
// against removal from the back (the baseline that any container does in constant time).
//
// Run: <build>/bin/collection_bench [--short] [benchmark flags], or scripts/bench.sh.
#include <benchmark/benchmark.h>

#include <comrt/collection.h>
#include <comrt/com_ptr.h>
#include <comrt/oleauto.h>

#include <string>
#include <vector>

#include "ratio_reporter.h"

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

struct Sizes {
    int small;
    int large;
};

void Register(const Sizes& sizes, bool short_run) {
    struct Named {
        const char* name;
        void (*fn)(benchmark::State&);
    };
    for (const Named named : {Named{"RemoveFront", RemoveFront}, Named{"RemoveBack", RemoveBack},
                              Named{"ItemByPosition", ItemByPosition}}) {
        benchmark::internal::Benchmark* b = bench::Configure(benchmark::RegisterBenchmark(named.name, named.fn));
        b->Arg(sizes.small)->Arg(sizes.large);
        if (short_run) b->MinTime(0.01);
    }
}

std::vector<bench::Comparison> Comparisons(const Sizes& sizes) {
    using bench::Check;
    using bench::Unit;
    const std::string small = std::to_string(sizes.small);
    const std::string large = std::to_string(sizes.large);
    return {
        {"front removal per element, " + large + " vs " + small + " elements (linear: ~1, quadratic: ~" +
             std::to_string(sizes.large / sizes.small) + ")",
         {"RemoveFront/" + large, "per_element"}, {"RemoveFront/" + small, "per_element"}, Unit::seconds,
         Check::ratio_at_most, 2},
        {"read by position per element, " + large + " vs " + small + " elements",
         {"ItemByPosition/" + large, "per_element"}, {"ItemByPosition/" + small, "per_element"}, Unit::seconds,
         Check::ratio_at_most, 2},
        {"front removal vs removal from the back per element, " + large + " elements",
         {"RemoveFront/" + large, "per_element"}, {"RemoveBack/" + large, "per_element"}, Unit::seconds},
    };
}

}  // namespace

int main(int argc, char** argv) {
    const bool short_run = bench::TakeFlag(argc, argv, "--short");
    const Sizes sizes = short_run ? Sizes{100, 1000} : Sizes{1000, 32767};
    Register(sizes, short_run);
    return bench::RunAndCompare(argc, argv, Comparisons(sizes), !short_run);
}
