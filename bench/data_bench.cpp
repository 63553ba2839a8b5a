// The data library at its limits, through the registered libtessel.so as a host uses it:
//
//   Build/N, Clear/N            AddItem x N into a group, then its Clear, per item; both
//                               linear: the per-item cost at 32,767 items against 1,000.
//   ItemType/..., ItemValue/..., AddItem/...
//                               a trivial get (ItemType), a get that allocates (ItemValue)
//                               and AddItem, per call: through the vtable, late bound by
//                               dispatch id (Invoke, arguments by value as a script passes
//                               them) and by name (Invoke_by_name: GetIDsOfNames on every
//                               call); target Invoke by id <= 10x vtable for the calls
//                               that allocate.
//   Memory/Item/N               bytes per clsPropertyItem (12-character name and value) in
//                               a group, over the empty group: resident set and heap;
//                               target <= 160 bytes. Memory/Parts/N splits the heap figure
//                               into the bare object and the rest (the item's texts and
//                               the collection's slot).
//
// Run: <build>/bin/data_bench [--short] [benchmark flags], or scripts/bench.sh for the
// whole suite. --short: small sizes and a few iterations (CI).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include <comrt/com.h>
#include <comrt/objbase.h>
#include <testing/groups.h>
#include <testing/late_binding.h>
#include <testing/temporary_registry.h>

#include "bench_data.h"
#include "process_memory.h"
#include "ratio_reporter.h"
#include "stopwatch.h"

namespace {

using bench::Stopwatch;

constexpr int kCallsPerIteration = 1000;

struct Sizes {
    int small;
    int large;
};

void SetPerItem(benchmark::State& state, double seconds, long long items_per_iteration) {
    state.counters["per_item"] = benchmark::Counter(seconds / static_cast<double>(items_per_iteration),
                                                    benchmark::Counter::kAvgIterations);
}

// ---- build and clear ----------------------------------------------------------------------

// AddItem n times into one group, timed, then Clear, not timed; reported per item.
void TimeAddItems(benchmark::State& state, int n) {
    bench::Guarded(state, [&] {
        const bench::ItemTexts texts = bench::MakeItemTexts(n);
        const comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
        double total = 0;
        for (auto _ : state) {
            Stopwatch watch;
            bench::AddItems(*group, texts);
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            total += seconds;
            comrt::check(group->Clear());
        }
        SetPerItem(state, total, n);
    });
}

void Build(benchmark::State& state) { TimeAddItems(state, static_cast<int>(state.range(0))); }

void Clear(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const int n = static_cast<int>(state.range(0));
        const bench::ItemTexts texts = bench::MakeItemTexts(n);
        const comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
        double total = 0;
        for (auto _ : state) {
            bench::AddItems(*group, texts);
            Stopwatch watch;
            const HRESULT cleared = group->Clear();
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            total += seconds;
            comrt::check(cleared);
            if (pg_testing::ItemCount(*group) != 0) throw comrt::com_error(E_UNEXPECTED);
        }
        SetPerItem(state, total, n);
    });
}

// ---- late binding against the vtable ---------------------------------------------------------

// The one item of a group, and the group that keeps it.
struct OneItem {
    comrt::ComPtr<_clsTessel> group;
    comrt::ComPtr<_clsPropertyItem> item;
};

OneItem MakeOneItem() {
    OneItem one{pg_testing::NewGroup(), nullptr};
    bench::AddItems(*one.group, bench::MakeItemTexts(1));
    one.item = pg_testing::ItemAt(*one.group, 1);
    return one;
}

// The dispatch id of a member by name. Throws comrt::com_error.
DISPID DispatchIdOf(IDispatch& object, const char16_t* name) {
    HRESULT hr = E_UNEXPECTED;
    const DISPID id = pg_testing::DispatchId(&object, name, &hr);
    comrt::check(hr);
    return id;
}

// kCallsPerIteration calls of `call` per iteration; the time per call as counter per_item.
template <typename Call>
void TimeCalls(benchmark::State& state, Call&& call) {
    double total = 0;
    for (auto _ : state) {
        Stopwatch watch;
        for (int i = 0; i < kCallsPerIteration; ++i) call(i);
        const double seconds = watch.seconds();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    SetPerItem(state, total, kCallsPerIteration);
}

// How a late-bound caller finds the member: by the dispatch id it looked up once, or by
// name on every call (GetIDsOfNames, then Invoke), as a script engine that keeps no ids.
enum class Binding { by_id, by_name };

// A property get through IDispatch::Invoke.
void TimeInvokeGet(benchmark::State& state, IDispatch& late, const char16_t* name, Binding binding) {
    const DISPID id = DispatchIdOf(late, name);
    pg_testing::Args none{};
    TimeCalls(state, [&](int) {
        const DISPID member = binding == Binding::by_id ? id : DispatchIdOf(late, name);
        VARIANT result;
        VariantInit(&result);
        comrt::check(late.Invoke(member, IID_NULL, 0, DISPATCH_PROPERTYGET, none.params(), &result, nullptr, nullptr));
        VariantClear(&result);
    });
}

// ItemType: a trivial get (a 16-bit integer, nothing allocated).
void ItemTypeVtable(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const OneItem one = MakeOneItem();
        TimeCalls(state, [&](int) {
            SHORT type = -1;
            comrt::check(one.item->get_ItemType(&type));
            benchmark::DoNotOptimize(type);
        });
    });
}

template <Binding binding>
void ItemTypeInvoke(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const OneItem one = MakeOneItem();
        TimeInvokeGet(state, *one.item.as<IDispatch>(), u"ItemType", binding);
    });
}

// ItemValue: a get that allocates (a copy of the value's string).
void ItemValueVtable(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const OneItem one = MakeOneItem();
        TimeCalls(state, [&](int) {
            BSTR value = nullptr;
            comrt::check(one.item->get_ItemValue(&value));
            SysFreeString(value);
        });
    });
}

template <Binding binding>
void ItemValueInvoke(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const OneItem one = MakeOneItem();
        TimeInvokeGet(state, *one.item.as<IDispatch>(), u"ItemValue", binding);
    });
}

void AddItemVtable(benchmark::State& state) { TimeAddItems(state, kCallsPerIteration); }

// AddItem as a script calls it: strings and the type by value (VT_I4, converted to the
// 16-bit parameter), an empty string array for the choices.
template <Binding binding>
void AddItemInvoke(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
        const comrt::ComPtr<IDispatch> late = group.as<IDispatch>();
        const DISPID add_item = DispatchIdOf(*late, u"AddItem");
        // The arguments of every call, made before the timing: name, value, the type as a
        // 32-bit integer, an empty string array.
        const bench::ItemTexts texts = bench::MakeItemTexts(kCallsPerIteration);
        const comrt::SafeArrayPtr no_choices = pg_testing::StringArray(0, {});
        std::vector<pg_testing::Args> calls;
        calls.reserve(kCallsPerIteration);
        for (std::size_t i = 0; i < texts.size(); ++i)
            calls.push_back({pg_testing::Text(texts.names[i]), pg_testing::Text(texts.values[i]), pg_testing::I4(0),
                             pg_testing::Array(VT_BSTR, no_choices.get())});
        double total = 0;
        for (auto _ : state) {
            Stopwatch watch;
            for (pg_testing::Args& args : calls) {
                const DISPID member = binding == Binding::by_id ? add_item : DispatchIdOf(*late, u"AddItem");
                VARIANT result;
                VariantInit(&result);
                comrt::check(
                    late->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, args.params(), &result, nullptr, nullptr));
                VariantClear(&result);
            }
            const double seconds = watch.seconds();
            state.SetIterationTime(seconds);
            total += seconds;
            if (pg_testing::ItemCount(*group) != kCallsPerIteration) throw std::runtime_error("items missing");
            comrt::check(group->Clear());
        }
        SetPerItem(state, total, kCallsPerIteration);
    });
}

// ---- memory ------------------------------------------------------------------------------------

void MemoryPerItem(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const int n = static_cast<int>(state.range(0));
        const bench::ItemTexts texts = bench::MakeItemTexts(n);
        double resident = 0;
        double heap = 0;
        for (auto _ : state) {
            comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
            (void)pg_testing::ItemCount(*group);  // the empty collection exists before the baseline
            const bench::MemorySample before = bench::Sample();
            Stopwatch watch;
            bench::AddItems(*group, texts);
            state.SetIterationTime(watch.seconds());
            const bench::MemorySample after = bench::Sample();
            resident += bench::ResidentPerObject(before, after, static_cast<std::size_t>(n));
            heap += bench::HeapPerObject(before, after, static_cast<std::size_t>(n));
            group = nullptr;
        }
        state.counters["bytes_per_item"] = benchmark::Counter(resident, benchmark::Counter::kAvgIterations);
        state.counters["heap_per_item"] = benchmark::Counter(heap, benchmark::Counter::kAvgIterations);
    });
}

// Where the heap bytes of one item go: the bare object (made by CoCreateInstance, held in
// a reserved vector), and the rest (the item's texts, the collection's slot and whatever
// AddItem adds) as the difference to a whole item.
void MemoryParts(benchmark::State& state) {
    bench::Guarded(state, [&] {
        const int n = static_cast<int>(state.range(0));
        const auto count = static_cast<std::size_t>(n);
        const bench::ItemTexts texts = bench::MakeItemTexts(n);
        double object = 0;
        double whole = 0;
        for (auto _ : state) {
            Stopwatch watch;
            {
                std::vector<comrt::ComPtr<_clsPropertyItem>> items(count);
                const bench::MemorySample before = bench::Sample();
                for (auto& item : items)
                    comrt::check(CoCreateInstance(CLSID_clsPropertyItem, nullptr, CLSCTX_INPROC_SERVER,
                                                  comrt::iid_of<_clsPropertyItem>(), item.put_void()));
                object += bench::HeapPerObject(before, bench::Sample(), count);
            }
            {
                comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
                (void)pg_testing::ItemCount(*group);
                const bench::MemorySample before = bench::Sample();
                bench::AddItems(*group, texts);
                whole += bench::HeapPerObject(before, bench::Sample(), count);
            }
            state.SetIterationTime(watch.seconds());
        }
        using benchmark::Counter;
        state.counters["object"] = Counter(object, Counter::kAvgIterations);
        state.counters["rest"] = Counter(whole - object, Counter::kAvgIterations);
    });
}

void Register(const Sizes& sizes, bool short_run) {
    // Timed benchmarks run for a minimum time (short in short mode); the memory ones once
    // per repetition.
    auto add = [&](const char* name, void (*fn)(benchmark::State&), bool once = false) {
        benchmark::internal::Benchmark* b = bench::Configure(benchmark::RegisterBenchmark(name, fn));
        b->UseManualTime()->Unit(benchmark::kMicrosecond);
        if (once)
            b->Iterations(1);
        else if (short_run)
            b->MinTime(0.01);
        return b;
    };
    add("Build", Build)->Arg(sizes.small)->Arg(sizes.large);
    add("Clear", Clear)->Arg(sizes.small)->Arg(sizes.large);
    add("ItemType/vtable", ItemTypeVtable);
    add("ItemType/Invoke", ItemTypeInvoke<Binding::by_id>);
    add("ItemType/Invoke_by_name", ItemTypeInvoke<Binding::by_name>);
    add("ItemValue/vtable", ItemValueVtable);
    add("ItemValue/Invoke", ItemValueInvoke<Binding::by_id>);
    add("ItemValue/Invoke_by_name", ItemValueInvoke<Binding::by_name>);
    add("AddItem/vtable", AddItemVtable);
    add("AddItem/Invoke", AddItemInvoke<Binding::by_id>);
    add("AddItem/Invoke_by_name", AddItemInvoke<Binding::by_name>);
    add("Memory/Item", MemoryPerItem, true)->Arg(sizes.large);
    add("Memory/Parts", MemoryParts, true)->Arg(sizes.large);
}

std::vector<bench::Comparison> Comparisons(const Sizes& sizes) {
    using bench::Check;
    using bench::Comparison;
    using bench::Unit;
    const std::string small = std::to_string(sizes.small);
    const std::string large = std::to_string(sizes.large);
    return {
        Comparison{"AddItem per item, " + large + " vs " + small + " items (linear: ~1, quadratic: ~" +
                       std::to_string(sizes.large / sizes.small) + ")",
                   {"Build/" + large, "per_item"}, {"Build/" + small, "per_item"}, Unit::seconds,
                   Check::ratio_at_most, 2},
        Comparison{"Clear per item, " + large + " vs " + small + " items",
                   {"Clear/" + large, "per_item"}, {"Clear/" + small, "per_item"}, Unit::seconds,
                   Check::ratio_at_most, 2},
        // A trivial get is reported without a target: the vtable call is a few
        // nanoseconds, so the ratio is the cost of Invoke's own argument handling.
        Comparison{"ItemType get (trivial) per call, Invoke by id vs vtable",
                   {"ItemType/Invoke", "per_item"}, {"ItemType/vtable", "per_item"}, Unit::seconds},
        Comparison{"  the same, Invoke by name (GetIDsOfNames on every call) vs vtable",
                   {"ItemType/Invoke_by_name", "per_item"}, {"ItemType/vtable", "per_item"}, Unit::seconds},
        Comparison{"ItemValue get (allocating) per call, Invoke by id vs vtable",
                   {"ItemValue/Invoke", "per_item"}, {"ItemValue/vtable", "per_item"}, Unit::seconds,
                   Check::ratio_at_most, 10},
        Comparison{"  the same, Invoke by name vs vtable",
                   {"ItemValue/Invoke_by_name", "per_item"}, {"ItemValue/vtable", "per_item"}, Unit::seconds},
        Comparison{"AddItem per call, Invoke by id vs vtable",
                   {"AddItem/Invoke", "per_item"}, {"AddItem/vtable", "per_item"}, Unit::seconds,
                   Check::ratio_at_most, 10},
        Comparison{"  the same, Invoke by name vs vtable",
                   {"AddItem/Invoke_by_name", "per_item"}, {"AddItem/vtable", "per_item"}, Unit::seconds},
        Comparison{"resident bytes per item (" + large + " items, 12-character name and value)",
                   {"Memory/Item/" + large, "bytes_per_item"}, {}, Unit::bytes, Check::figure_at_most, 160},
        Comparison{"heap bytes per item", {"Memory/Item/" + large, "heap_per_item"}, {}, Unit::bytes,
                   Check::figure_at_most, 160},
        Comparison{"  of which the bare object", {"Memory/Parts/" + large, "object"}, {}, Unit::bytes},
        Comparison{"  the rest (texts, collection slot)", {"Memory/Parts/" + large, "rest"}, {}, Unit::bytes},
    };
}

}  // namespace

int main(int argc, char** argv) {
    const bool short_run = bench::TakeFlag(argc, argv, "--short");
    const pg_testing::TemporaryRegistry registry({TESSEL_LIBRARY});
    if (FAILED(registry.status())) {
        std::fprintf(stderr, "data_bench: cannot register %s (0x%08X): %s\n", TESSEL_LIBRARY,
                     static_cast<unsigned>(registry.status()), registry.failure().c_str());
        return 1;
    }
    const Sizes sizes = short_run ? Sizes{100, 1000} : Sizes{1000, 32767};
    Register(sizes, short_run);
    return bench::RunAndCompare(argc, argv, Comparisons(sizes), !short_run);
}
