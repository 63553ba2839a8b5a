// A directly bound host of the registered tessel.dll: objects from the system's
// CoCreateInstance, calls through the vtables of tessel/tessel.h, the registration that
// regsvr32 wrote, the registered type library, and the DLL unloaded by
// CoFreeUnusedLibraries once everything is released. Run after regsvr32 tessel.dll.
#include <gtest/gtest.h>

#include <string>

#include <comrt/com.h>
#include <comrt/typeinfo.h>
#include <tessel/tessel.h>
#include <testing/groups.h>
#include <testing/text.h>

namespace {

using comrt::Bstr;
using comrt::ComPtr;
using pg_testing::Hex;
using pg_testing::Printable;

constexpr HRESULT kSubscript = comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range);

HMODULE TesselModule() { return GetModuleHandleW(L"tessel.dll"); }

// The DLL's own DllCanUnloadNow, while it is loaded.
HRESULT CanUnloadNow() {
    const HMODULE module = TesselModule();
    if (!module) return E_UNEXPECTED;
    const auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return entry ? entry() : E_UNEXPECTED;
}

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

// A value under HKEY_CLASSES_ROOT, or "(missing)".
std::string ClassesValue(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t data[1024] = {};
    DWORD bytes = sizeof data;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
        return "(missing)";
    return Printable(comrt::olestring_view(data));
}

std::string GuidText(REFGUID g) {
    OLECHAR text[39];
    StringFromGUID2(g, text, 39);
    return Printable(comrt::olestring_view(text));
}

TEST(EarlyBoundClient, CreatesFillsAndReadsAGroupThroughItsVtable) {
    ComPtr<_clsTessel> group;
    ASSERT_EQ(Hex(S_OK), Hex(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, IID__clsTessel,
                                              group.put_void())));
    ASSERT_NE(nullptr, TesselModule()) << "the registered tessel.dll is loaded";

    ASSERT_EQ(S_OK, group->put_PropertyGroupName(Bstr(OLESTR("Settings")).get()));
    Bstr name;
    ASSERT_EQ(S_OK, group->get_PropertyGroupName(name.put()));
    EXPECT_EQ("Settings", Printable(name.view()));

    EXPECT_NO_THROW(pg_testing::AddItem(*group, {OLESTR("Title"), OLESTR("Report")}));
    EXPECT_NO_THROW(pg_testing::AddItem(*group, {OLESTR("Format"), OLESTR("PDF"),
                                                 {OLESTR("HTML"), OLESTR("PDF"), OLESTR("Text")}}));
    ASSERT_EQ(2, pg_testing::ItemCount(*group));

    ComPtr<_clsPropertyItem> format = pg_testing::ItemAt(*group, 2);
    SHORT type = 0, count = 0;
    ASSERT_EQ(S_OK, format->get_ItemType(&type));
    ASSERT_EQ(S_OK, format->Count(&count));
    EXPECT_EQ(1, type);
    EXPECT_EQ(2, count);
    SHORT index = 2;
    Bstr choice;
    ASSERT_EQ(S_OK, format->GetItem(&index, choice.put()));
    EXPECT_EQ("Text", Printable(choice.view()));

    // A run-time error arrives as 0x800A0009 with the thread's error information.
    index = 3;
    EXPECT_EQ(Hex(kSubscript), Hex(format->GetItem(&index, choice.put())));
    ComPtr<ISupportErrorInfo> supports = format.as<ISupportErrorInfo>();
    EXPECT_EQ(S_OK, supports->InterfaceSupportsErrorInfo(IID__clsPropertyItem));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, info.put()));
    Bstr source, description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    EXPECT_EQ("Tessel: Subscript out of range", Printable(source.view()) + ": " + Printable(description.view()));

    ASSERT_EQ(S_OK, group->Clear());
    EXPECT_EQ(0, pg_testing::ItemCount(*group));
    EXPECT_EQ("Report", Printable(pg_testing::ItemValue(*pg_testing::MakeGroup(OLESTR("g"), {{OLESTR("T"), OLESTR("Report")}}), 1)));
}

TEST(EarlyBoundClient, ItemsAreCreatableOnTheirOwn) {
    ComPtr<_clsPropertyItem> item;
    ASSERT_EQ(Hex(S_OK), Hex(CoCreateInstance(CLSID_clsPropertyItem, nullptr, CLSCTX_INPROC_SERVER,
                                              IID__clsPropertyItem, item.put_void())));
    ComPtr<IDispatch> late = item.as<IDispatch>();
    UINT count = 0;
    EXPECT_EQ(S_OK, late->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ComPtr<IUnknown> wrong;
    EXPECT_EQ(Hex(CLASS_E_NOAGGREGATION), Hex(CoCreateInstance(CLSID_clsPropertyItem, late.get(), CLSCTX_INPROC_SERVER,
                                                               IID_IUnknown, wrong.put_void())));
}

TEST(EarlyBoundClient, RegistrationNamesTheDllAndItsTypeLibrary) {
    ComPtr<_clsTessel> group;  // keeps the DLL loaded to read its path
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, IID__clsTessel, group.put_void()));
    const std::string dll = Printable(comrt::olestring_view(ModulePath(TesselModule())));

    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(OLESTR("Tessel.clsTessel"), &clsid));
    EXPECT_TRUE(clsid == CLSID_clsTessel);
    ASSERT_EQ(S_OK, CLSIDFromProgID(OLESTR("Tessel.clsPropertyItem"), &clsid));
    EXPECT_TRUE(clsid == CLSID_clsPropertyItem);
    LPOLESTR progid = nullptr;
    ASSERT_EQ(S_OK, ProgIDFromCLSID(CLSID_clsTessel, &progid));
    EXPECT_EQ("Tessel.clsTessel", Printable(comrt::olestring_view(progid)));
    CoTaskMemFree(progid);

    for (const CLSID* c : {&CLSID_clsTessel, &CLSID_clsPropertyItem}) {
        const std::wstring key = L"CLSID\\" + std::wstring(comrt::olestring_view(comrt::from_utf8(GuidText(*c))));
        SCOPED_TRACE(GuidText(*c));
        EXPECT_EQ(dll, ClassesValue(key + L"\\InprocServer32"));
        EXPECT_EQ("Apartment", ClassesValue(key + L"\\InprocServer32", L"ThreadingModel"));
        EXPECT_EQ(GuidText(LIBID_Tessel), ClassesValue(key + L"\\TypeLib"));
    }

    // The type library the system loads for the library id is the one tessel.dll carries.
    Bstr path;
    ASSERT_EQ(S_OK, QueryPathOfRegTypeLib(LIBID_Tessel, 1, 0, LOCALE_NEUTRAL, path.put()));
    EXPECT_EQ(dll, Printable(comrt::olestring_view(path.get())));
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_Tessel, 1, 0, LOCALE_NEUTRAL, lib.put()));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID__clsTessel, info.put()));

    // Its members sit at the slots the binary interface has: AddItem, behind the put by
    // value that the type library leaves out, at slot 12.
    HREFTYPE href = 0;
    ComPtr<ITypeInfo> vtable = info;
    if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &href))) {
        vtable = nullptr;
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(href, vtable.put()));
    }
    MEMBERID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(OLESTR("AddItem"))};
    ASSERT_EQ(S_OK, vtable->GetIDsOfNames(names, 1, &id));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&attr));
    bool found = false;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &f));
        if (f->memid == id) {
            found = true;
            EXPECT_EQ(12 * static_cast<int>(sizeof(void*)), f->oVft);
        }
        vtable->ReleaseFuncDesc(f);
    }
    vtable->ReleaseTypeAttr(attr);
    EXPECT_TRUE(found);
}

// Last: once every object is released the DLL may be unloaded, and CoFreeUnusedLibraries
// unloads it.
TEST(EarlyBoundClient, UnloadsOnceEverythingIsReleased) {
    {
        ComPtr<_clsTessel> group;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, IID__clsTessel,
                                         group.put_void()));
        pg_testing::AddItem(*group, {OLESTR("Kept"), OLESTR("alive")});
        ComPtr<_clsPropertyItem> item = pg_testing::ItemAt(*group, 1);
        group = nullptr;
        EXPECT_EQ(Hex(S_FALSE), Hex(CanUnloadNow())) << "an item is still held";
        CoFreeUnusedLibraries();
        EXPECT_NE(nullptr, TesselModule()) << "and keeps the DLL loaded";

        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, CoGetClassObject(CLSID_clsTessel, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                         factory.put_void()));
        item = nullptr;
        ASSERT_EQ(S_OK, factory->LockServer(TRUE));
        factory = nullptr;
        EXPECT_EQ(Hex(S_FALSE), Hex(CanUnloadNow())) << "a server lock";
        ASSERT_EQ(S_OK, CoGetClassObject(CLSID_clsTessel, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                         factory.put_void()));
        ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    }
    EXPECT_EQ(Hex(S_OK), Hex(CanUnloadNow()));
    CoFreeUnusedLibraries();
    EXPECT_EQ(nullptr, TesselModule()) << "CoFreeUnusedLibraries unloads tessel.dll";
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitialize(nullptr))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
