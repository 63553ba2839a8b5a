// Fuzz target: late binding on every class of both libraries, the object collection, its
// enumerator and the font object, as a hostile script host drives them.
//
// The objects: a clsTessel group with items, a clsPropertyItem, a collection, a font,
// and a PropertiesCtl sited on the recording doubles (started), each through every
// dispatch interface its type library names; objects the calls return join them. Each
// step is one of
//   - IDispatch::Invoke: any member id (the interface's own, special ones, any number),
//     any flags, 0 to 9 arguments of every kind (values.h: VT_BYREF with null and real
//     pointers, arrays of any element type, dimensions and bounds, objects), named
//     arguments with any ids;
//   - ITypeInfo::Invoke on the interface's type information, the same way;
//   - GetIDsOfNames with member and parameter names, and any text;
//   - the type information's own members (function descriptions, names, documentation);
//   - the collection's enumerator: Next, Skip, Reset, Clone.
// Checked after each call:
//   - no member of these classes writes its by-reference arguments, so every variable a
//     by-reference argument points at is as it was (bits, and a string's text);
//   - a failed Invoke leaves the result VT_EMPTY; DISP_E_EXCEPTION carries a failure;
//   - every result and EXCEPINFO can be freed.
// At the end the reference cycles a script can make (a collection holding itself, a
// group holding a collection that holds the group) are broken as a script would, and
// LeakSanitizer sees the rest.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/collection.h>
#include <comrt/olectl.h>
#include <comrt/resource.h>
#include <comrt/server.h>
#include <control/PropertiesCtl.h>
#include <data/clsPropertyItem.h>
#include <data/clsTessel.h>
#include <tests/fakes/fake_widgets.h>

#include "support/check.h"
#include "support/values.h"

namespace {

using comrt::ComPtr;

// One dispatch interface of a live object, with its type information.
struct Target {
    ComPtr<IDispatch> object;
    ComPtr<ITypeInfo> type;
    std::vector<MEMBERID> members;
    std::vector<std::u16string> names;  // members' and parameters' names
};

// What a by-reference argument points at, as seen before the call.
struct Referent {
    const VARIANT* argument;
    unsigned char bits[24];
    std::size_t size;
    std::u16string text;
    bool has_text = false;
};

// The bytes behind a by-reference variant (at most 24: a VARIANT), and a string's text.
Referent snapshot(const VARIANT& arg) {
    Referent r{&arg, {}, 0, {}, false};
    if (!(arg.vt & VT_BYREF) || !arg.byref) return r;
    const VARTYPE base = arg.vt & ~VT_BYREF;
    r.size = base == VT_VARIANT ? sizeof(VARIANT) : base == VT_DECIMAL ? sizeof(DECIMAL) : sizeof(LONGLONG);
    std::memcpy(r.bits, arg.byref, r.size);
    BSTR s = nullptr;
    if (base == VT_BSTR) s = *arg.pbstrVal;
    if (base == VT_VARIANT && arg.pvarVal->vt == VT_BSTR) s = arg.pvarVal->bstrVal;
    if (s) {
        r.text.assign(comrt::Bstr::view_of(s));
        r.has_text = true;
    }
    return r;
}

bool unchanged(const Referent& r) {
    if (r.size == 0) return true;
    const Referent now = snapshot(*r.argument);
    return std::memcmp(now.bits, r.bits, r.size) == 0 && now.has_text == r.has_text && now.text == r.text;
}

class Run {
public:
    explicit Run(FuzzedDataProvider& in) : in_(in), values_(in) {
        // A control on the doubles, started as its container starts it.
        ComPtr<IClassFactory> factory = comrt::make<comrt::class_factory>(
                                            &comrt::create_instance<orvane::PropertiesCtl>)
                                            .as<IClassFactory>();
        comrt::check(factory->CreateInstance(nullptr, IID__PropertiesCtl, control_.put_void()));
        comrt::check(static_cast<orvane::PropertiesCtl&>(*control_).Site(fakes_.set(), nullptr));
        fakes_.env->log().set_enabled(false);
        fakes_.surface->raise_initialize();
        fakes_.surface->resize(4800, 3975);

        ComPtr<_clsTessel> group = comrt::make<tessel::clsTessel>().as<_clsTessel>();
        for (int i = 0; i < 3; ++i) {
            comrt::Bstr name(u"Name"), value(u"Value");
            SHORT type = static_cast<SHORT>(i == 1);
            comrt::SafeArrayPtr choices(SafeArrayCreateVector(VT_BSTR, 0, 2));
            SAFEARRAY* list = choices.get();
            LONG result = 0;
            BSTR n = name.get(), v = value.get();
            group->AddItem(&n, &v, &type, &list, &result);
        }
        ComPtr<_Collection> collection;
        comrt::check(comrt::create_collection(collection.put()));
        ComPtr<IDispatch> font;
        comrt::check(OleCreateFontIndirect(nullptr, IID_IFontDisp, font.put_void()));

        add(control_.as<IDispatch>());
        add(group.as<IDispatch>());
        add(comrt::make<tessel::clsPropertyItem>().as<IDispatch>());
        add(collection.as<IDispatch>());
        add(font);
    }

    ~Run() {
        values_.release();
        // Break the cycles a script can make, as a script would.
        for (Target& t : targets_) {
            if (ComPtr<_Collection> c = t.object.try_as<_Collection>()) {
                LONG n = 0;
                c->Count(&n);
                comrt::Variant first;
                first->vt = VT_I4;
                first->lVal = 1;
                for (; n > 0; --n) c->Remove(first.get());
            }
            if (ComPtr<_clsTessel> g = t.object.try_as<_clsTessel>()) g->putref_ItemsCollection(nullptr);
        }
        control_->Clear();
        fakes_.surface->raise_terminate();
        enumerators_.clear();
        targets_.clear();
    }

    void step() {
        switch (in_.ConsumeIntegralInRange(0, 11)) {
        case 0: case 1: case 2: case 3: case 4: case 5: invoke(false); break;
        case 6: invoke(true); break;
        case 7: names(); break;
        case 8: describe(); break;
        default: enumerate(); break;
        }
    }

private:
    // Adds an object through every dispatch interface of its type library that it has.
    void add(const ComPtr<IDispatch>& object) {
        if (!object || targets_.size() >= 24) return;
        for (const Target& t : targets_)
            if (t.object.get() == object.get()) return;
        values_.add_object(object.get());
        ComPtr<ITypeInfo> type;
        if (FAILED(object->GetTypeInfo(0, 0, type.put())) || !type) {
            targets_.push_back({object, nullptr, {}, {}});
            return;
        }
        ComPtr<ITypeLib> library;
        UINT index = 0;
        if (FAILED(type->GetContainingTypeLib(library.put(), &index)) || !library) {
            add_target(object, type);
            return;
        }
        for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
            ComPtr<ITypeInfo> info;
            TYPEATTR* attr = nullptr;
            if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr))) continue;
            const bool dispatchable = (attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FDUAL)) ||
                                      attr->typekind == TKIND_DISPATCH;
            const GUID iid = attr->guid;
            info->ReleaseTypeAttr(attr);
            ComPtr<IDispatch> facet;
            if (dispatchable && SUCCEEDED(object->QueryInterface(iid, facet.put_void()))) add_target(facet, info);
        }
    }

    void add_target(const ComPtr<IDispatch>& object, const ComPtr<ITypeInfo>& type) {
        Target t{object, type, {}, {}};
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(type->GetTypeAttr(&attr))) {
            for (UINT i = 0; i < attr->cFuncs; ++i) {
                FUNCDESC* f = nullptr;
                if (FAILED(type->GetFuncDesc(i, &f))) continue;
                t.members.push_back(f->memid);
                BSTR names[10] = {};
                UINT count = 0;
                if (SUCCEEDED(type->GetNames(f->memid, names, 10, &count)))
                    for (UINT k = 0; k < count; ++k) {
                        t.names.emplace_back(comrt::Bstr::view_of(names[k]));
                        SysFreeString(names[k]);
                    }
                type->ReleaseFuncDesc(f);
            }
            type->ReleaseTypeAttr(attr);
        }
        targets_.push_back(std::move(t));
    }

    Target& target() { return targets_[in_.ConsumeIntegralInRange<std::size_t>(0, targets_.size() - 1)]; }

    DISPID member_id(const Target& t) {
        static constexpr DISPID kSpecial[] = {DISPID_VALUE, DISPID_NEWENUM, DISPID_UNKNOWN, DISPID_PROPERTYPUT,
                                              0x40030000, 0x60030000, 0x68030000};
        const int pick = in_.ConsumeIntegralInRange(0, 7);
        if (pick < 5 && !t.members.empty())
            return t.members[in_.ConsumeIntegralInRange<std::size_t>(0, t.members.size() - 1)];
        if (pick < 7) return in_.PickValueInArray(kSpecial);
        return in_.ConsumeIntegral<DISPID>();
    }

    WORD flags() {
        static constexpr WORD kFlags[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                                          DISPATCH_PROPERTYPUTREF, DISPATCH_METHOD | DISPATCH_PROPERTYGET};
        return in_.ConsumeIntegralInRange(0, 9) == 0 ? in_.ConsumeIntegral<WORD>() : in_.PickValueInArray(kFlags);
    }

    void invoke(bool through_type_info) {
        Target& t = target();
        const DISPID id = member_id(t);
        const WORD how = flags();
        std::vector<VARIANT> args(in_.ConsumeIntegralInRange<std::size_t>(0, 9));
        for (VARIANT& a : args) a = values_.make();
        std::vector<DISPID> named(in_.ConsumeIntegralInRange<std::size_t>(0, args.size()));
        for (DISPID& n : named) {
            const int pick = in_.ConsumeIntegralInRange(0, 3);
            n = pick == 0 ? DISPID_PROPERTYPUT : pick == 3 ? in_.ConsumeIntegral<DISPID>() : in_.ConsumeIntegralInRange(0, 8);
        }
        DISPPARAMS params{args.empty() ? nullptr : args.data(), named.empty() ? nullptr : named.data(),
                          static_cast<UINT>(args.size()), static_cast<UINT>(named.size())};
        std::vector<Referent> before;
        for (const VARIANT& a : args) before.push_back(snapshot(a));

        VARIANT result;
        std::memset(&result, 0x5A, sizeof result);  // an [out] variant holds nothing yet
        EXCEPINFO info{};
        UINT arg_err = 0;
        const bool want_result = in_.ConsumeBool();
        const bool want_info = in_.ConsumeBool();
        HRESULT hr;
        if (through_type_info && t.type)
            hr = t.type->Invoke(t.object.get(), id, how, &params, want_result ? &result : nullptr,
                                want_info ? &info : nullptr, &arg_err);
        else
            hr = t.object->Invoke(id, IID_NULL, 0, how, &params, want_result ? &result : nullptr,
                                  want_info ? &info : nullptr, &arg_err);

        for (const Referent& r : before)
            PG_FUZZ_CHECK(unchanged(r), "a member changed what a by-reference argument points at");
        if (want_info) {
            if (hr == DISP_E_EXCEPTION) PG_FUZZ_CHECK(FAILED(info.scode), "an exception without a failure");
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
        }
        if (want_result) {
            if (FAILED(hr)) PG_FUZZ_CHECK(result.vt == VT_EMPTY, "a failed call left a result");
            if (SUCCEEDED(hr) && (result.vt == VT_DISPATCH || result.vt == VT_UNKNOWN) && result.punkVal) {
                ComPtr<IDispatch> object;
                if (SUCCEEDED(result.punkVal->QueryInterface(IID_IDispatch, object.put_void()))) add(object);
                ComPtr<IEnumVARIANT> e;
                if (SUCCEEDED(result.punkVal->QueryInterface(IID_IEnumVARIANT, e.put_void())) && enumerators_.size() < 8)
                    enumerators_.push_back(e);
            }
            if (SUCCEEDED(hr)) PG_FUZZ_CHECK(SUCCEEDED(VariantClear(&result)), "a result that cannot be cleared");
        }
        // Pending error information belongs to this call only.
        ComPtr<IErrorInfo> pending;
        GetErrorInfo(0, pending.put());
    }

    void names() {
        Target& t = target();
        std::vector<comrt::Bstr> texts(in_.ConsumeIntegralInRange<std::size_t>(0, 4));
        for (comrt::Bstr& s : texts) {
            if (!t.names.empty() && in_.ConsumeBool()) {
                std::u16string name = t.names[in_.ConsumeIntegralInRange<std::size_t>(0, t.names.size() - 1)];
                // Names compare without regard to case.
                if (in_.ConsumeBool() && !name.empty()) name[0] = static_cast<char16_t>(name[0] ^ 0x20);
                s = comrt::Bstr(name);
            } else if (in_.ConsumeBool()) {
                s = values_.make_text();
            }
        }
        std::vector<LPOLESTR> pointers;
        for (comrt::Bstr& s : texts) pointers.push_back(s.get());
        std::vector<DISPID> ids(pointers.size(), 12345);
        const HRESULT hr = t.object->GetIDsOfNames(IID_NULL, pointers.empty() ? nullptr : pointers.data(),
                                                   static_cast<UINT>(pointers.size()), 0,
                                                   ids.empty() ? nullptr : ids.data());
        if (SUCCEEDED(hr) && !ids.empty() && t.type) {
            BSTR name = nullptr;
            PG_FUZZ_CHECK(SUCCEEDED(t.type->GetDocumentation(ids[0], &name, nullptr, nullptr, nullptr)),
                          "a member id from GetIDsOfNames has no documentation");
            SysFreeString(name);
        }
    }

    void describe() {
        Target& t = target();
        if (!t.type) return;
        const UINT index = in_.ConsumeIntegralInRange<UINT>(0, 40);
        FUNCDESC* f = nullptr;
        if (SUCCEEDED(t.type->GetFuncDesc(index, &f))) t.type->ReleaseFuncDesc(f);
        const MEMBERID id = member_id(t);
        BSTR names[4] = {};
        UINT count = 0;
        if (SUCCEEDED(t.type->GetNames(id, names, in_.ConsumeIntegralInRange<UINT>(0, 4), &count)))
            for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
        BSTR name = nullptr, doc = nullptr, help = nullptr;
        DWORD context = 0;
        t.type->GetDocumentation(id, &name, &doc, &context, &help);
        SysFreeString(name);
        SysFreeString(doc);
        SysFreeString(help);
        HREFTYPE ref = 0;
        if (SUCCEEDED(t.type->GetRefTypeOfImplType(in_.ConsumeIntegralInRange<UINT>(0, 2), &ref))) {
            ComPtr<ITypeInfo> other;
            t.type->GetRefTypeInfo(ref, other.put());
        }
        UINT infos = 0;
        t.object->GetTypeInfoCount(&infos);
        ComPtr<ITypeInfo> info;
        t.object->GetTypeInfo(in_.ConsumeIntegralInRange<UINT>(0, 2), 0, info.put());
    }

    void enumerate() {
        if (enumerators_.empty()) {
            // _NewEnum of a collection, through its dispatch id.
            for (Target& t : targets_)
                if (t.object.try_as<_Collection>()) {
                    DISPPARAMS none{nullptr, nullptr, 0, 0};
                    comrt::Variant e;
                    if (SUCCEEDED(t.object->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                                                   &none, e.get(), nullptr, nullptr)) &&
                        e.vt() == VT_UNKNOWN && e->punkVal) {
                        ComPtr<IEnumVARIANT> enumerator;
                        if (SUCCEEDED(e->punkVal->QueryInterface(IID_IEnumVARIANT, enumerator.put_void())))
                            enumerators_.push_back(enumerator);
                    }
                    break;
                }
            if (enumerators_.empty()) return;
        }
        IEnumVARIANT& e = *enumerators_[in_.ConsumeIntegralInRange<std::size_t>(0, enumerators_.size() - 1)];
        switch (in_.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const ULONG celt = in_.ConsumeIntegralInRange<ULONG>(0, 5);
            VARIANT out[5];
            std::memset(out, 0x5A, sizeof out);
            ULONG fetched = 77;
            const bool count = in_.ConsumeBool();
            const HRESULT hr = e.Next(celt, in_.ConsumeIntegralInRange(0, 9) == 0 ? nullptr : out, count ? &fetched : nullptr);
            if (SUCCEEDED(hr)) {
                const ULONG got = count ? fetched : (hr == S_OK ? celt : 0);
                PG_FUZZ_CHECK(got <= celt, "Next fetched more than asked for");
                for (ULONG i = 0; i < got; ++i) {
                    if (out[i].vt == VT_DISPATCH && out[i].pdispVal) add(ComPtr<IDispatch>(out[i].pdispVal));
                    PG_FUZZ_CHECK(SUCCEEDED(VariantClear(&out[i])), "an element from Next cannot be cleared");
                }
            }
            break;
        }
        case 1: e.Skip(in_.ConsumeIntegral<ULONG>()); break;
        case 2: e.Reset(); break;
        default: {
            ComPtr<IEnumVARIANT> clone;
            if (SUCCEEDED(e.Clone(clone.put())) && enumerators_.size() < 8) enumerators_.push_back(clone);
        }
        }
    }

    FuzzedDataProvider& in_;
    orvane::fakes::FakeWidgets fakes_;
    ComPtr<_PropertiesCtl> control_;
    std::vector<Target> targets_;
    std::vector<ComPtr<IEnumVARIANT>> enumerators_;
    pg_fuzz::Values values_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Run run(in);
    for (int step = 0; step < 24 && in.remaining_bytes() > 0; ++step) run.step();
    return 0;
}
