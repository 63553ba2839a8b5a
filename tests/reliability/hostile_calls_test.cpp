// Late-bound calls as a hostile or careless host makes them, on every class of both
// libraries (loaded as their hosts load them), the object collection and the font:
// references that point nowhere, and by-reference variables that must come back as they
// went in. Each test ends with every library able to unload: nothing is leaked.
//
// TESSEL_LIBRARY (and ORVANE_LIBRARY where the control is built) are absolute paths.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <comrt/apartment.h>
#include <comrt/collection.h>
#include <comrt/olectl.h>
#include <comrt/typeinfo.h>
#include <tessel/tessel.h>
#include <testing/fonts.h>
#include <testing/groups.h>
#include <testing/late_binding.h>
#include <testing/server_library.h>
#include <testing/text.h>
#include <testing/unload_check.h>
#if defined(ORVANE_LIBRARY)
#include <orvane/orvane.h>
#endif

namespace {

using comrt::ComPtr;
using namespace pg_testing;

const ServerLibrary& Tessel() {
    static const auto* const library = new ServerLibrary(TESSEL_LIBRARY);
    return *library;
}

ComPtr<IDispatch> Create(const ServerLibrary& library, const CLSID& clsid) {
    ComPtr<IClassFactory> factory;
    comrt::check(library.get_class_object(clsid, IID_IClassFactory, factory.put_void()));
    ComPtr<IDispatch> object;
    comrt::check(factory->CreateInstance(nullptr, IID_IDispatch, object.put_void()));
    return object;
}

// Every object a host can reach late bound, by name.
std::vector<std::pair<std::string, ComPtr<IDispatch>>> EveryClass() {
    std::vector<std::pair<std::string, ComPtr<IDispatch>>> out;
    out.emplace_back("clsTessel", Create(Tessel(), CLSID_clsTessel));
    out.emplace_back("clsPropertyItem", Create(Tessel(), CLSID_clsPropertyItem));
    ComPtr<_Collection> collection;
    comrt::check(comrt::create_collection(collection.put()));
    out.emplace_back("Collection", collection.as<IDispatch>());
    ComPtr<IDispatch> font;
    comrt::check(OleCreateFontIndirect(nullptr, IID_IFontDisp, font.put_void()));
    out.emplace_back("Font", font);
#if defined(ORVANE_LIBRARY)
    static const auto* const orvane = new ServerLibrary(ORVANE_LIBRARY);
    out.emplace_back("PropertiesCtl", Create(*orvane, CLSID_PropertiesCtl));
#endif
    return out;
}

class HostileCallsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Tessel().loaded()) << Tessel().load_error(); }
    void TearDown() override { pg_testing::ExpectNothingAlive(); }
};

// A variant that refers to nothing, in every way a host can build one.
struct Hostile {
    const char* what;
    VARIANT (*make)(VARIANT* inner);  // inner: storage for a variant referred to
};
const Hostile kNullReferences[] = {
    {"VT_BYREF|VT_DISPATCH null", [](VARIANT*) { return Ref(VT_DISPATCH, nullptr); }},
    {"VT_BYREF|VT_UNKNOWN null", [](VARIANT*) { return Ref(VT_UNKNOWN, nullptr); }},
    {"VT_BYREF|VT_I4 null", [](VARIANT*) { return Ref(VT_I4, nullptr); }},
    {"VT_BYREF|VT_I2 null", [](VARIANT*) { return Ref(VT_I2, nullptr); }},
    {"VT_BYREF|VT_BSTR null", [](VARIANT*) { return Ref(VT_BSTR, nullptr); }},
    {"VT_BYREF|VT_BOOL null", [](VARIANT*) { return Ref(VT_BOOL, nullptr); }},
    {"VT_BYREF|VT_ARRAY|VT_BSTR null", [](VARIANT*) { return Ref(VT_ARRAY | VT_BSTR, nullptr); }},
    {"VT_BYREF|VT_VARIANT null", [](VARIANT*) { return Ref(VT_VARIANT, nullptr); }},
    {"VT_BYREF|VT_VARIANT to VT_BYREF|VT_DISPATCH null",
     [](VARIANT* inner) {
         *inner = Ref(VT_DISPATCH, nullptr);
         return Ref(VT_VARIANT, inner);
     }},
    {"VT_BYREF|VT_VARIANT to VT_BYREF|VT_I4 null",
     [](VARIANT* inner) {
         *inner = Ref(VT_I4, nullptr);
         return Ref(VT_VARIANT, inner);
     }},
};

// Every member of every class, given a null reference for every argument, through
// IDispatch::Invoke and ITypeInfo::Invoke: the call fails with E_INVALIDARG and names
// an argument; no member runs with such an argument.
TEST_F(HostileCallsTest, NullReferencesAreRefusedByEveryMember) {
    for (const auto& [name, object] : EveryClass()) {
        ComPtr<ITypeInfo> type;
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, 0, type.put())) << name;
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, type->GetTypeAttr(&attr)) << name;
        int members_with_arguments = 0;
        for (UINT f = 0; f < attr->cFuncs; ++f) {
            FUNCDESC* desc = nullptr;
            ASSERT_EQ(S_OK, type->GetFuncDesc(f, &desc));
            const MEMBERID id = desc->memid;
            const WORD flags = static_cast<WORD>(desc->invkind);
            UINT count = 0;  // the arguments a caller gives: the result is none of them
            for (SHORT p = 0; p < desc->cParams; ++p)
                if (!(desc->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++count;
            type->ReleaseFuncDesc(desc);
            if (count == 0) continue;
            ++members_with_arguments;
            for (const Hostile& hostile : kNullReferences) {
                for (bool through_type_info : {false, true}) {
                    SCOPED_TRACE(name + " member " + Hex(id) + " flags " + std::to_string(flags) + ", " +
                                 hostile.what + (through_type_info ? ", ITypeInfo::Invoke" : ""));
                    std::vector<VARIANT> inner(count), args(count);
                    for (UINT i = 0; i < count; ++i) args[i] = hostile.make(&inner[i]);
                    DISPID put = DISPID_PROPERTYPUT;
                    const bool is_put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
                    DISPPARAMS params{args.data(), is_put ? &put : nullptr, count, is_put ? 1u : 0u};
                    VARIANT result;
                    VariantInit(&result);
                    EXCEPINFO info{};
                    UINT arg_err = 0xFFFF;
                    const HRESULT hr =
                        through_type_info
                            ? type->Invoke(object.get(), id, flags, &params, &result, &info, &arg_err)
                            : object->Invoke(id, IID_NULL, 0, flags, &params, &result, &info, &arg_err);
                    // The font's puts exist only on its dispatch interface, which the
                    // type information cannot call through a vtable.
                    if (through_type_info && hr == DISP_E_MEMBERNOTFOUND && name == "Font") continue;
                    EXPECT_EQ(Hex(E_INVALIDARG), Hex(hr));
                    EXPECT_EQ(arg_err, 0xFFFFu) << "only a type mismatch or an unknown name names an argument";
                    EXPECT_EQ(VT_EMPTY, result.vt);
                }
            }
        }
        type->ReleaseTypeAttr(attr);
        EXPECT_GT(members_with_arguments, 0) << name;
    }
}

// The members named in reports of crashes: interface parameters put by reference and
// colour parameters, given a null reference.
TEST_F(HostileCallsTest, NullReferencesForObjectsAndColours) {
    ComPtr<IDispatch> group = Create(Tessel(), CLSID_clsTessel);
    for (VARTYPE vt : {VT_DISPATCH, VT_UNKNOWN}) {
        Outcome out = Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYPUTREF, Args::put(Ref(vt, nullptr)));
        EXPECT_EQ(Hex(E_INVALIDARG), Hex(out.hr)) << vt;
    }
    // The group still has its own collection.
    Outcome items = Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, items.hr);
    EXPECT_EQ(VT_DISPATCH, items.result.vt());
    EXPECT_NE(nullptr, items.result->pdispVal);
#if defined(ORVANE_LIBRARY)
    static const auto* const orvane = new ServerLibrary(ORVANE_LIBRARY);
    ComPtr<IDispatch> control = Create(*orvane, CLSID_PropertiesCtl);
    // Colours (OLE_COLOR takes a 32-bit integer's bits) and the font, put both ways, and
    // the group added to the control.
    for (const OLECHAR* member : {OLESTR("BackColor"), OLESTR("ForeColor"), OLESTR("Font")}) {
        for (WORD flags : {DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF}) {
            for (VARTYPE vt : {VT_I4, VT_DISPATCH, VT_UNKNOWN}) {
                Outcome out = Call(control.get(), member, flags, Args::put(Ref(vt, nullptr)));
                EXPECT_EQ(Hex(E_INVALIDARG), Hex(out.hr)) << Printable(member) << " " << flags << " " << vt;
            }
        }
    }
    for (VARTYPE vt : {VT_DISPATCH, VT_UNKNOWN}) {
        Outcome out = Call(control.get(), OLESTR("AddPropertyGroup"), DISPATCH_METHOD, {Ref(vt, nullptr)});
        EXPECT_EQ(Hex(E_INVALIDARG), Hex(out.hr)) << vt;
    }
#endif
}

// A script host passes its own variables by reference: a member that only reads its
// arguments gives them back as they went in, in type and in value, whatever conversion
// the call needed.
TEST_F(HostileCallsTest, ByReferenceVariablesComeBackAsTheyWentIn) {
    ComPtr<IDispatch> group = Create(Tessel(), CLSID_clsTessel);
    // A script's variables are variants: a number given for a string stays a number.
    VARIANT name;
    VariantInit(&name);
    name.vt = VT_I4;
    name.lVal = 42;
    double value = 2.5;
    BSTR type_text = SysAllocString(OLESTR("1"));
    VARIANT choices_variable;
    VariantInit(&choices_variable);
    choices_variable.vt = VT_ARRAY | VT_BSTR;
    choices_variable.parray = StringArray(0, {OLESTR("7"), OLESTR("8")}).detach();
    SAFEARRAY* const choices = choices_variable.parray;
    Outcome added = Call(group.get(), OLESTR("AddItem"), DISPATCH_METHOD,
                         {Ref(VT_VARIANT, &name), Ref(VT_R8, &value), Ref(VT_BSTR, &type_text),
                          Ref(VT_VARIANT, &choices_variable)});
    ASSERT_EQ(S_OK, added.hr);
    EXPECT_EQ(VT_I4, name.vt);
    EXPECT_EQ(42, name.lVal);
    EXPECT_EQ(2.5, value);
    EXPECT_EQ("1", Printable(type_text));
    EXPECT_EQ(VT_ARRAY | VT_BSTR, choices_variable.vt);
    EXPECT_EQ(choices, choices_variable.parray);

    // The item holds the converted values.
    Outcome items = Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYGET);
    ASSERT_EQ(VT_DISPATCH, items.result.vt());
    Outcome item = Call(items.result->pdispVal, OLESTR("Item"), DISPATCH_METHOD, {I4(1)});
    ASSERT_EQ(S_OK, item.hr);
    ASSERT_EQ(VT_DISPATCH, item.result.vt());
    IDispatch* added_item = item.result->pdispVal;
    Outcome item_name = Call(added_item, OLESTR("ItemName"), DISPATCH_PROPERTYGET);
    EXPECT_EQ("42", Printable(item_name.result->bstrVal));
    Outcome item_type = Call(added_item, OLESTR("ItemType"), DISPATCH_PROPERTYGET);
    EXPECT_EQ(1, item_type.result->iVal);

    // GetItem's index, as a 32-bit variable and as a variant holding a string.
    LONG index = 1;
    Outcome by_long = Call(added_item, OLESTR("GetItem"), DISPATCH_METHOD, {Ref(VT_I4, &index)});
    ASSERT_EQ(S_OK, by_long.hr);
    EXPECT_EQ("8", Printable(by_long.result->bstrVal));
    EXPECT_EQ(1, index);
    VARIANT index_variant;
    VariantInit(&index_variant);
    index_variant.vt = VT_BSTR;
    index_variant.bstrVal = SysAllocString(OLESTR("0"));
    BSTR const index_text = index_variant.bstrVal;
    Outcome by_variant = Call(added_item, OLESTR("GetItem"), DISPATCH_METHOD, {Ref(VT_VARIANT, &index_variant)});
    ASSERT_EQ(S_OK, by_variant.hr);
    EXPECT_EQ("7", Printable(by_variant.result->bstrVal));
    EXPECT_EQ(VT_BSTR, index_variant.vt);
    EXPECT_EQ(index_text, index_variant.bstrVal) << "the caller's string is neither replaced nor freed";
    EXPECT_EQ("0", Printable(index_variant.bstrVal));

    // A failing call leaves them as they were, too.
    LONG outside = 9;
    Outcome failed = Call(added_item, OLESTR("GetItem"), DISPATCH_METHOD, {Ref(VT_I4, &outside)});
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(failed.hr));
    EXPECT_EQ(9, outside);

    VariantClear(&index_variant);
    VariantClear(&choices_variable);
    SysFreeString(type_text);
}

// Objects belong to the thread that made them. A build with thread checks says so on
// standard error at an object's first call from another thread, once, and the call
// itself goes on as usual.
TEST_F(HostileCallsTest, ACallFromAnotherThreadIsReported) {
#if COMRT_THREAD_CHECKS
    ComPtr<IDispatch> group = Create(Tessel(), CLSID_clsTessel);
    ComPtr<IDispatch> item = Create(Tessel(), CLSID_clsPropertyItem);
    Outcome held = Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, held.hr);
    ComPtr<IDispatch> collection(held.result->pdispVal);
    const ComPtr<IFontDisp> font = pg_testing::MakeFont(u"DejaVu Sans", 9);
#if defined(ORVANE_LIBRARY)
    static const auto* const orvane = new ServerLibrary(ORVANE_LIBRARY);
    ComPtr<IDispatch> control = Create(*orvane, CLSID_PropertiesCtl);
#endif
    ::testing::internal::CaptureStderr();
    std::optional<Outcome> first, second, items, count, size;
    std::thread([&] {
        first.emplace(Call(group.get(), OLESTR("PropertyGroupName"), DISPATCH_PROPERTYPUT, Args::put(Text(OLESTR("x")))));
        second.emplace(Call(group.get(), OLESTR("PropertyGroupName"), DISPATCH_PROPERTYGET));
        items.emplace(Call(item.get(), OLESTR("ItemName"), DISPATCH_PROPERTYGET));
        count.emplace(Call(collection.get(), OLESTR("Count"), DISPATCH_METHOD | DISPATCH_PROPERTYGET));
        size.emplace(Call(font.get(), OLESTR("Size"), DISPATCH_PROPERTYGET));
#if defined(ORVANE_LIBRARY)
        Call(control.get(), OLESTR("BackColor"), DISPATCH_PROPERTYGET);  // an inactive control may fail it
        Call(control.get(), OLESTR("Clear"), DISPATCH_METHOD);
#endif
    }).join();
    Outcome at_home = Call(group.get(), OLESTR("PropertyGroupName"), DISPATCH_PROPERTYGET);
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(S_OK, first->hr);
    EXPECT_EQ("x", Printable(second->result->bstrVal));
    EXPECT_EQ(S_OK, items->hr);
    EXPECT_EQ(S_OK, at_home.hr);
    EXPECT_EQ(S_OK, count->hr);
    EXPECT_EQ(S_OK, size->hr);
    const auto times = [&report](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = report.find(what); at != std::string::npos; at = report.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(1u, times("a clsTessel object created on thread")) << report;
    EXPECT_EQ(1u, times("a clsPropertyItem object created on thread")) << report;
    EXPECT_EQ(1u, times("a Collection object created on thread")) << report;
    EXPECT_EQ(1u, times("a StdFont object created on thread")) << report;
#if defined(ORVANE_LIBRARY)
    EXPECT_EQ(1u, times("a PropertiesCtl object created on thread")) << report;
#endif
#else
    GTEST_SKIP() << "a build without thread checks";
#endif
}

}  // namespace
