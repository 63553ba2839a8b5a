// Late-bound Invoke on the registered tessel.dll, through comrt's dispatch (the objects'
// own IDispatch, from the type description) against the system's type-library dispatch
// (CreateStdDispatch over the registered type library), on the same objects, in the same
// process and run: a trivial property get by dispatch id, the same by name
// (GetIDsOfNames, then Invoke), and AddItem. Prints nanoseconds per call and the ratio
// comrt / system (below 1: comrt's is faster).
//
//     invoke_bench [--short]      (--short: few calls, to keep it building and running)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <comrt/com.h>
#include <comrt/typeinfo.h>
#include <tessel/tessel.h>

namespace {

using comrt::ComPtr;

// The system's dispatch for the interface iid of `object`, over the registered type library.
ComPtr<IDispatch> SystemDispatch(IUnknown* object, REFIID iid) {
    ComPtr<ITypeLib> lib;
    comrt::check(LoadRegTypeLib(LIBID_Tessel, Tessel_MajorVersion, Tessel_MinorVersion, LOCALE_NEUTRAL, lib.put()));
    ComPtr<ITypeInfo> info;
    comrt::check(lib->GetTypeInfoOfGuid(iid, info.put()));
    void* vtable = nullptr;
    comrt::check(object->QueryInterface(iid, &vtable));
    ComPtr<IUnknown> holder;
    holder.attach(static_cast<IUnknown*>(vtable));
    ComPtr<IUnknown> standard;
    comrt::check(CreateStdDispatch(nullptr, vtable, info.get(), standard.put()));
    return standard.as<IDispatch>();
}

// Nanoseconds per call of `call`, the best of `runs` runs of `calls` calls each; `between`
// runs before each run, untimed.
double NanosecondsPerCall(int runs, int calls, const std::function<void()>& call,
                          const std::function<void()>& between = [] {}) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        between();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) call();
        const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count() / calls);
    }
    return best;
}

void Report(const char* what, double ours, double system) {
    std::printf("  %-34s %9.1f ns %9.1f ns   ratio %.2f\n", what, ours, system, ours / system);
}

// Fails the run: a benchmark of calls that fail measures nothing.
void Expect(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        std::fprintf(stderr, "invoke_bench: %s failed with 0x%08X\n", what, static_cast<unsigned>(hr));
        std::exit(1);
    }
}

int Run(bool short_run) {
    const int runs = short_run ? 2 : 7;
    const int calls = short_run ? 2000 : 200000;
    const int adds = short_run ? 500 : 20000;

    ComPtr<IDispatch> item, group;
    Expect(CoCreateInstance(CLSID_clsPropertyItem, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, item.put_void()),
           "CoCreateInstance(clsPropertyItem)");
    Expect(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, group.put_void()),
           "CoCreateInstance(clsTessel)");
    const ComPtr<IDispatch> system_item = SystemDispatch(item.get(), IID__clsPropertyItem);
    const ComPtr<IDispatch> system_group = SystemDispatch(group.get(), IID__clsTessel);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const auto get_by_id = [&none](IDispatch* d) {
        return [d, &none] {
            VARIANT result;
            VariantInit(&result);
            Expect(d->Invoke(0x40030002, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                             nullptr),
                   "ItemType get");
        };
    };
    const auto get_by_name = [&none](IDispatch* d) {
        return [d, &none] {
            LPOLESTR names[] = {const_cast<LPOLESTR>(OLESTR("ItemType"))};
            DISPID id = DISPID_UNKNOWN;
            Expect(d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "GetIDsOfNames(ItemType)");
            VARIANT result;
            VariantInit(&result);
            Expect(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
                   "ItemType get");
        };
    };

    // AddItem's four arguments by reference, as a host passes its variables.
    BSTR name = SysAllocString(OLESTR("Width")), value = SysAllocString(OLESTR("100"));
    SHORT type = 0;
    SAFEARRAY* choices = SafeArrayCreateVector(VT_BSTR, 0, 0);
    VARIANT args[4]{};
    args[3].vt = VT_BYREF | VT_BSTR;
    args[3].pbstrVal = &name;
    args[2].vt = VT_BYREF | VT_BSTR;
    args[2].pbstrVal = &value;
    args[1].vt = VT_BYREF | VT_I2;
    args[1].piVal = &type;
    args[0].vt = VT_BYREF | VT_ARRAY | VT_BSTR;
    args[0].pparray = &choices;
    DISPPARAMS add_params{args, nullptr, 4, 0};
    const auto add_item = [&add_params](IDispatch* d) {
        return [d, &add_params] {
            VARIANT result;
            VariantInit(&result);
            Expect(d->Invoke(0x60030000, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &add_params, &result, nullptr,
                             nullptr),
                   "AddItem");
        };
    };
    ComPtr<_clsTessel> direct_group = group.as<_clsTessel>();
    const auto clear = [&direct_group] { Expect(direct_group->Clear(), "Clear"); };

    std::printf("Late-bound Invoke on tessel.dll: comrt's dispatch against the system's CreateStdDispatch over the\n"
                "registered type library, same objects, best of %d runs%s\n",
                runs, short_run ? " (short run: no figures to keep)" : "");
    std::printf("  %-34s %12s %12s\n", "", "comrt", "system");
    Report("property get by dispatch id", NanosecondsPerCall(runs, calls, get_by_id(item.get())),
           NanosecondsPerCall(runs, calls, get_by_id(system_item.get())));
    Report("property get by name", NanosecondsPerCall(runs, calls, get_by_name(item.get())),
           NanosecondsPerCall(runs, calls, get_by_name(system_item.get())));
    Report("AddItem (by reference, no list)", NanosecondsPerCall(runs, adds, add_item(group.get()), clear),
           NanosecondsPerCall(runs, adds, add_item(system_group.get()), clear));
    clear();

    SysFreeString(name);
    SysFreeString(value);
    SafeArrayDestroy(choices);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool short_run = argc > 1 && std::strcmp(argv[1], "--short") == 0;
    if (FAILED(CoInitialize(nullptr))) return 2;
    int status = 1;
    try {
        status = Run(short_run);
    } catch (const comrt::com_error& e) {
        std::fprintf(stderr, "invoke_bench: failed with 0x%08X (is tessel.dll registered?)\n",
                     static_cast<unsigned>(e.code()));
    }
    CoUninitialize();
    return status;
}
