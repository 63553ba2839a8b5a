#include <gtest/gtest.h>

#include <dlfcn.h>

#include <comrt/objbase.h>
#include <comrt/text.h>
#include <testing/late_binding.h>
#include <testing/text.h>
#include <testing/unload_check.h>
#include "probe_object.h"

namespace {

using namespace pg_testing;
using comrt::ComPtr;

class TypeLibTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(comrt::create_typelib(probe::kLibrary, lib.put()), S_OK); }
    void TearDown() override {
        lib = nullptr;
        ExpectNothingAlive();
    }
    ComPtr<ITypeInfo> info_of(const GUID& guid) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(Hex(lib->GetTypeInfoOfGuid(guid, info.put())), Hex(S_OK));
        return info;
    }
    static std::string name_of(ITypeInfo* info, MEMBERID memid = MEMBERID_NIL) {
        comrt::Bstr name;
        EXPECT_EQ(info->GetDocumentation(memid, name.put(), nullptr, nullptr, nullptr), S_OK);
        return Utf8(name.view());
    }
    // "PTR(SAFEARRAY(BSTR))", "PTR(_clsProbe)": a TYPEDESC chain with referenced names.
    static std::string type_text(ITypeInfo* info, const TYPEDESC& t) {
        switch (t.vt) {
        case VT_PTR: return "PTR(" + type_text(info, *t.lptdesc) + ")";
        case VT_SAFEARRAY: return "SAFEARRAY(" + type_text(info, *t.lptdesc) + ")";
        case VT_USERDEFINED: {
            ComPtr<ITypeInfo> referenced;
            EXPECT_EQ(info->GetRefTypeInfo(t.hreftype, referenced.put()), S_OK);
            return referenced ? name_of(referenced.get()) : "?";
        }
        default: return "vt" + std::to_string(t.vt);
        }
    }
    ComPtr<ITypeLib> lib;
};

TEST_F(TypeLibTest, LibraryAttributesAndEntries) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, probe::kLibrary.libid);
    EXPECT_EQ(attr->wMajorVerNum, 2);
    EXPECT_EQ(attr->wMinorVerNum, 5);
    EXPECT_EQ(attr->wLibFlags, LIBFLAG_FCONTROL);
    EXPECT_EQ(attr->syskind, SYS_WIN64);
    lib->ReleaseTLibAttr(attr);

    const struct {
        const char* name;
        TYPEKIND kind;
    } rows[] = {{"_clsProbe", TKIND_INTERFACE}, {"__clsProbe", TKIND_DISPATCH}, {"clsProbe", TKIND_COCLASS},
                {"ctlProbe", TKIND_COCLASS}};
    ASSERT_EQ(lib->GetTypeInfoCount(), std::size(rows));
    for (UINT i = 0; i < std::size(rows); ++i) {
        comrt::Bstr name;
        ASSERT_EQ(lib->GetDocumentation(static_cast<INT>(i), name.put(), nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(Utf8(name.view()), rows[i].name);
        TYPEKIND kind = TKIND_MAX;
        EXPECT_EQ(lib->GetTypeInfoType(i, &kind), S_OK);
        EXPECT_EQ(kind, rows[i].kind) << rows[i].name;
    }
    comrt::Bstr name;
    ASSERT_EQ(lib->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Utf8(name.view()), "ProbeLib");
}

TEST_F(TypeLibTest, OutOfRangeAndUnknownGiveElementNotFound) {
    ITypeInfo* poisoned = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(Hex(lib->GetTypeInfo(4, &poisoned)), Hex(TYPE_E_ELEMENTNOTFOUND));
    EXPECT_EQ(poisoned, nullptr);
    poisoned = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_EQ(Hex(lib->GetTypeInfoOfGuid(IID_IDispatch, &poisoned)), Hex(TYPE_E_ELEMENTNOTFOUND));
    EXPECT_EQ(poisoned, nullptr);
    TYPEKIND kind;
    EXPECT_EQ(Hex(lib->GetTypeInfoType(4, &kind)), Hex(TYPE_E_ELEMENTNOTFOUND));
    EXPECT_EQ(Hex(lib->GetDocumentation(4, nullptr, nullptr, nullptr, nullptr)), Hex(TYPE_E_ELEMENTNOTFOUND));

    ComPtr<ITypeInfo> info = info_of(IID__clsProbe);
    FUNCDESC* none = reinterpret_cast<FUNCDESC*>(0x1);
    EXPECT_EQ(Hex(info->GetFuncDesc(15, &none)), Hex(TYPE_E_ELEMENTNOTFOUND));
    EXPECT_EQ(none, nullptr);
    UINT count = 9;
    EXPECT_EQ(Hex(info->GetNames(0x1234, nullptr, 0, &count)), Hex(TYPE_E_ELEMENTNOTFOUND));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Hex(lib->GetTypeComp(nullptr)), Hex(E_NOTIMPL));
    EXPECT_EQ(Hex(info->GetTypeComp(nullptr)), Hex(E_NOTIMPL));
    EXPECT_EQ(Hex(info->GetVarDesc(0, nullptr)), Hex(E_NOTIMPL));
}

TEST_F(TypeLibTest, InterfaceAttributes) {
    ComPtr<ITypeInfo> info = info_of(IID__clsProbe);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->cFuncs, 15);
    EXPECT_EQ(attr->cbSizeVft, 23 * 8);  // slots 0 to 22
    EXPECT_EQ(attr->wTypeFlags, comrt::dual_interface | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(attr->cImplTypes, 1);
    info->ReleaseTypeAttr(attr);

    HREFTYPE base = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &base), S_OK);
    ComPtr<ITypeInfo> base_info;
    ASSERT_EQ(info->GetRefTypeInfo(base, base_info.put()), S_OK);
    EXPECT_EQ(name_of(base_info.get()), "IDispatch");
    ASSERT_EQ(base_info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, IID_IDispatch);
    base_info->ReleaseTypeAttr(attr);

    // An alias such as OLE_COLOR is a type info of its own, naming the aliased type.
    FUNCDESC* tint = nullptr;
    ASSERT_EQ(info->GetFuncDesc(8, &tint), S_OK);
    ComPtr<ITypeInfo> alias;
    ASSERT_EQ(info->GetRefTypeInfo(tint->lprgelemdescParam[0].tdesc.lptdesc->hreftype, alias.put()), S_OK);
    info->ReleaseFuncDesc(tint);
    ASSERT_EQ(alias->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ALIAS);
    EXPECT_EQ(attr->tdescAlias.vt, VT_UI4);
    alias->ReleaseTypeAttr(attr);
}

TEST_F(TypeLibTest, FunctionDescriptionsFollowTheRows) {
    const struct Row {
        UINT index;
        MEMBERID memid;
        INVOKEKIND kind;
        int slot;
        WORD flags;
        std::vector<std::string> params;  // "<PARAMFLAG bits>:<type>"
    } rows[] = {
        {0, probe::kLabel, INVOKE_PROPERTYGET, 7, 0, {"10:PTR(vt8)"}},
        {1, probe::kLabel, INVOKE_PROPERTYPUT, 8, 0, {"1:vt8"}},
        {4, probe::kPartner, INVOKE_PROPERTYGET, 11, 0, {"10:PTR(PTR(_clsProbe))"}},
        {5, probe::kPartner, INVOKE_PROPERTYPUTREF, 13, 0, {"1:PTR(_clsProbe)"}},
        {6, probe::kEnabled, INVOKE_PROPERTYGET, 14, 0, {"10:PTR(vt11)"}},
        {8, probe::kTint, INVOKE_PROPERTYGET, 16, FUNCFLAG_FHIDDEN, {"10:PTR(OLE_COLOR)"}},
        {9, probe::kScale, INVOKE_FUNC, 17, 0, {"1:vt2", "1:vt3", "10:PTR(vt3)"}},
        {11, probe::kBump, INVOKE_FUNC, 19, 0, {"3:PTR(vt2)", "3:PTR(vt3)", "1:PTR(vt12)"}},
        {12, probe::kDescribe, INVOKE_FUNC, 20, 0, {"1:vt8", "17:PTR(vt12)", "10:PTR(vt8)"}},
        {14, probe::kNames, INVOKE_FUNC, 22, 0, {"3:PTR(SAFEARRAY(vt8))", "10:PTR(vt3)"}},
    };
    ComPtr<ITypeInfo> info = info_of(IID__clsProbe);
    for (const Row& row : rows) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(info->GetFuncDesc(row.index, &f), S_OK) << row.index;
        EXPECT_EQ(f->memid, row.memid) << row.index;
        EXPECT_EQ(f->invkind, row.kind) << row.index;
        EXPECT_EQ(f->oVft, row.slot * 8) << row.index;
        EXPECT_EQ(f->wFuncFlags, row.flags) << row.index;
        EXPECT_EQ(f->funckind, FUNC_PUREVIRTUAL) << row.index;
        EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT) << row.index;
        std::vector<std::string> params;
        for (SHORT p = 0; p < f->cParams; ++p)
            params.push_back(std::to_string(f->lprgelemdescParam[p].paramdesc.wParamFlags) + ":" +
                             type_text(info.get(), f->lprgelemdescParam[p].tdesc));
        EXPECT_EQ(params, row.params) << row.index;
        info->ReleaseFuncDesc(f);
    }
}

TEST_F(TypeLibTest, NamesAndContainingLibrary) {
    ComPtr<ITypeInfo> info = info_of(IID__clsProbe);
    BSTR names[4] = {};
    UINT count = 0;
    ASSERT_EQ(info->GetNames(probe::kDescribe, names, 4, &count), S_OK);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(Utf8(names[0]) + "," + Utf8(names[1]) + "," + Utf8(names[2]), "Describe,sName,vExtra");
    for (BSTR& n : names) SysFreeString(std::exchange(n, nullptr));
    ASSERT_EQ(info->GetNames(probe::kDescribe, names, 2, &count), S_OK);
    EXPECT_EQ(count, 2u);
    for (BSTR& n : names) SysFreeString(n);

    EXPECT_EQ(name_of(info.get(), probe::kScale), "Scale");

    ComPtr<ITypeLib> container;
    UINT index = 99;
    ASSERT_EQ(info->GetContainingTypeLib(container.put(), &index), S_OK);
    EXPECT_EQ(container.get(), lib.get());
    EXPECT_EQ(index, 0u);
}

TEST_F(TypeLibTest, CoclassesListTheirDefaultAndSourceInterfaces) {
    ComPtr<ITypeInfo> control = info_of(probe::kClasses[1].clsid);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(control->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL);
    EXPECT_EQ(attr->cImplTypes, 2);
    control->ReleaseTypeAttr(attr);
    const struct {
        const char* name;
        INT flags;
    } rows[] = {{"_clsProbe", IMPLTYPEFLAG_FDEFAULT}, {"__clsProbe", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    for (UINT i = 0; i < 2; ++i) {
        HREFTYPE href = 0;
        INT flags = -1;
        ASSERT_EQ(control->GetRefTypeOfImplType(i, &href), S_OK);
        ASSERT_EQ(control->GetImplTypeFlags(i, &flags), S_OK);
        ComPtr<ITypeInfo> implemented;
        ASSERT_EQ(control->GetRefTypeInfo(href, implemented.put()), S_OK);
        EXPECT_EQ(name_of(implemented.get()), rows[i].name);
        EXPECT_EQ(flags, rows[i].flags) << rows[i].name;
    }
    HREFTYPE href = 0;
    EXPECT_EQ(Hex(control->GetRefTypeOfImplType(2, &href)), Hex(TYPE_E_ELEMENTNOTFOUND));
}

TEST_F(TypeLibTest, InvokeThroughTheTypeInfoCallsTheObject) {
    ComPtr<probe::Probe> object = comrt::make<probe::Probe>();
    ComPtr<ITypeInfo> info = info_of(IID__clsProbe);
    Args args{I2(6), I4(7)};
    VARIANT result{};
    ASSERT_EQ(Hex(info->Invoke(static_cast<_clsProbe*>(object.get()), probe::kScale, DISPATCH_METHOD,
                               args.params(), &result, nullptr, nullptr)),
              Hex(S_OK));
    EXPECT_EQ(result.lVal, 42);
    EXPECT_EQ(object->calls["Scale"], 1);
}

TEST(TypeLibLifetime, TheOwnersCounterStaysRaisedWhileAnythingLives) {
    std::atomic<long> owner{0};
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(comrt::create_typelib_for(probe::kLibrary, &owner, lib.put()), S_OK);
    EXPECT_EQ(owner.load(), 1);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfo(0, info.put()), S_OK);
    lib = nullptr;
    EXPECT_EQ(owner.load(), 1);  // the type info keeps its library
    info = nullptr;
    EXPECT_EQ(owner.load(), 0);
}

TEST(LoadTypeLib, ReadsTheTypeLibraryALibraryHandsOut) {
    const struct {
        const char* path;
        HRESULT expected;
    } failures[] = {{"/nonexistent/libnothing.so", TYPE_E_CANTLOADLIBRARY},
                    {"libm.so.6", TYPE_E_CANTLOADLIBRARY}};  // no DllGetClassObject
    for (const auto& row : failures) {
        ITypeLib* poisoned = reinterpret_cast<ITypeLib*>(0x1);
        EXPECT_EQ(Hex(LoadTypeLib(comrt::from_utf8(row.path).c_str(), &poisoned)), Hex(row.expected)) << row.path;
        EXPECT_EQ(poisoned, nullptr) << row.path;
    }
    EXPECT_EQ(Hex(LoadTypeLib(comrt::from_utf8(PROBE_MODULE_PATH).c_str(), nullptr)), Hex(E_INVALIDARG));
    EXPECT_EQ(Hex(LoadTypeLib(nullptr, nullptr)), Hex(E_INVALIDARG));

    ComPtr<ITypeLib> lib;
    ASSERT_EQ(Hex(LoadTypeLib(comrt::from_utf8(PROBE_MODULE_PATH).c_str(), lib.put())), Hex(S_OK));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, probe::kLibrary.libid);
    lib->ReleaseTLibAttr(attr);

    void* module = dlopen(PROBE_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    auto can_unload = reinterpret_cast<HRESULT (*)()>(dlsym(module, "DllCanUnloadNow"));
    ASSERT_NE(can_unload, nullptr);
    EXPECT_EQ(can_unload(), S_FALSE);
    lib = nullptr;
    EXPECT_EQ(can_unload(), S_OK);
    dlclose(module);
}

}  // namespace
