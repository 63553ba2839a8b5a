// A host that reaches the libraries as an application would: through the platform's C
// functions (libcomrt.so) and COM interfaces only, with the comrt helpers compiled by its
// own toolchain. It registers libtessel.so and, when given, liborvane.so in a registry of
// its own, creates their objects by ProgID, drives them through their vtables and through
// IDispatch by name, and checks that every result arrives as it should: each failure
// with its HRESULT and its error information, each success with its value, and every
// library ready to unload once everything is released.
//
// Built with one toolchain and run against libraries built with another (see
// scripts/cross_runtime.sh), it shows that nothing of C++ crosses between them: an
// exception, a standard-library type or a type identity shared across the boundary
// would surface here as a crash, as E_UNEXPECTED or as a missing error description.
//
//   cross_runtime_host --tessel LIBTESSEL [--orvane LIBORVANE] [--comrt LIBCOMRT]
//
// --comrt: the libcomrt.so this process must have loaded (checked, not loaded).
// Without --orvane the control's checks are skipped; a given file that is missing fails.
// Prints every failed check and exits 1 when there was one.
#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <comrt/collection.h>
#include <comrt/com_ptr.h>
#include <comrt/error.h>
#include <comrt/library_registration.h>
#include <comrt/objbase.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>
#include <comrt/string_array.h>
#include <comrt/text.h>
#include <comrt/typeinfo.h>
#include <orvane/orvane.h>
#include <tessel/tessel.h>

namespace {

using comrt::Bstr;
using comrt::ComPtr;
using comrt::Variant;

constexpr HRESULT kSubscriptOutOfRange = comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range);
constexpr HRESULT kOverflow = comrt::runtime_hresult(comrt::runtime_error::overflow);
constexpr HRESULT kTypeMismatch = comrt::runtime_hresult(comrt::runtime_error::type_mismatch);
constexpr HRESULT kObjectNotSet = comrt::runtime_hresult(comrt::runtime_error::object_not_set);

// Text that is not ASCII: Latin-1, a dash, CJK and a character outside the BMP (a
// surrogate pair in UTF-16).
constexpr std::u16string_view kWide = u"Gr\u00f6\u00dfe \u2014 \u65e5\u672c\u8a9e \U0001F600";

// ---- reporting ----------------------------------------------------------------------------

int g_checks = 0;
int g_failures = 0;
std::string g_section;

std::string Utf8(std::u16string_view text) { return comrt::to_utf8(text); }

std::string Hex(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08" PRIX32, static_cast<std::uint32_t>(hr));
    std::string text = buffer;
    if (hr == E_UNEXPECTED) text += " (E_UNEXPECTED: a failure lost on its way)";
    return text;
}

void Fail(const std::string& what, const std::string& detail) {
    ++g_failures;
    std::fprintf(stderr, "FAILED [%s] %s: %s\n", g_section.c_str(), what.c_str(), detail.c_str());
}

bool Check(bool ok, const std::string& what, const std::string& detail = "false") {
    ++g_checks;
    if (!ok) Fail(what, detail);
    return ok;
}

bool CheckHr(HRESULT actual, HRESULT expected, const std::string& what) {
    return Check(actual == expected, what, "expected " + Hex(expected) + ", got " + Hex(actual));
}

bool CheckText(std::u16string_view actual, std::u16string_view expected, const std::string& what) {
    return Check(actual == expected, what, "expected \"" + Utf8(expected) + "\", got \"" + Utf8(actual) + "\"");
}

// Runs one group of checks; an exception that reaches the host is a failure of its own.
template <typename Body>
void Section(const char* name, Body body) {
    g_section = name;
    std::printf("-- %s\n", name);
    try {
        body();
    } catch (const comrt::com_error& e) {
        Fail("host helper", "failed with " + Hex(e.code()));
    } catch (...) {
        Fail("boundary", "a C++ exception reached the host");
    }
    // Nothing a section left pending may describe a later failure.
    SetErrorInfo(0, nullptr);
}

// ---- what a failing call leaves behind ----------------------------------------------------

// A vtable call on `object` (interface iid) failed with hr: it must be the expected
// run-time error, the object must say that the interface supports error information, and
// the thread's error information must carry the description and the source.
void CheckFailure(IUnknown* object, REFIID iid, HRESULT hr, HRESULT expected, std::u16string_view source,
                  const std::string& what) {
    CheckHr(hr, expected, what);
    ComPtr<ISupportErrorInfo> support;
    if (Check(SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.put_void())), what,
              "no ISupportErrorInfo"))
        CheckHr(support->InterfaceSupportsErrorInfo(iid), S_OK, what + ": InterfaceSupportsErrorInfo");
    ComPtr<IErrorInfo> info;
    if (!CheckHr(GetErrorInfo(0, info.put()), S_OK, what + ": GetErrorInfo") || !info) return;
    Bstr description;
    Bstr origin;
    CheckHr(info->GetDescription(description.put()), S_OK, what + ": GetDescription");
    CheckHr(info->GetSource(origin.put()), S_OK, what + ": GetSource");
    const char16_t* standard = comrt::runtime_description(HRESULT_CODE(expected));
    CheckText(description.view(), standard ? standard : u"", what + ": description");
    CheckText(origin.view(), source, what + ": source");
}

// ---- late binding --------------------------------------------------------------------------

struct LateResult {
    HRESULT hr = E_FAIL;
    Variant value;
    EXCEPINFO exception{};
    UINT arg_error = ~0U;

    LateResult() = default;
    LateResult(const LateResult&) = delete;
    LateResult& operator=(const LateResult&) = delete;
    ~LateResult() {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
};

// Invokes the member `name` with the arguments in their natural order (the call reverses
// them, as DISPPARAMS wants); a property put passes its value as the last argument.
void InvokeByName(IDispatch* object, const char16_t* name, WORD flags, std::initializer_list<const VARIANT*> args,
                  LateResult& out) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const std::string what = "GetIDsOfNames(" + Utf8(name) + ")";
    if (!CheckHr(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK, what)) {
        out.hr = DISP_E_UNKNOWNNAME;
        return;
    }
    std::vector<VARIANT> reversed(args.size());
    std::size_t k = args.size();
    for (const VARIANT* arg : args) reversed[--k] = *arg;  // shallow: the caller keeps ownership
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &put_id;
        params.cNamedArgs = 1;
    }
    out.hr = object->Invoke(id, IID_NULL, 0, flags, &params, out.value.put(), &out.exception, &out.arg_error);
}

// A late-bound call failed inside the member: DISP_E_EXCEPTION, with the run-time error's
// number, description and source in EXCEPINFO.
void CheckException(const LateResult& call, HRESULT expected, std::u16string_view source, const std::string& what) {
    if (!CheckHr(call.hr, DISP_E_EXCEPTION, what)) return;
    const HRESULT reported = call.exception.scode ? call.exception.scode : comrt::runtime_hresult(call.exception.wCode);
    CheckHr(reported, expected, what + ": EXCEPINFO number");
    const char16_t* standard = comrt::runtime_description(HRESULT_CODE(expected));
    CheckText(Bstr::view_of(call.exception.bstrDescription), standard ? standard : u"", what + ": EXCEPINFO description");
    CheckText(Bstr::view_of(call.exception.bstrSource), source, what + ": EXCEPINFO source");
}

// ---- values -------------------------------------------------------------------------------

Variant Text(std::u16string_view text) {
    Variant v;
    v->vt = VT_BSTR;
    v->bstrVal = Bstr(text).detach();
    return v;
}

Variant Short(SHORT value) {
    Variant v;
    v->vt = VT_I2;
    v->iVal = value;
    return v;
}

Variant Long(LONG value) {
    Variant v;
    v->vt = VT_I4;
    v->lVal = value;
    return v;
}

Variant Object(IDispatch* object) {
    Variant v;
    v->vt = VT_DISPATCH;
    v->pdispVal = object;
    if (object) object->AddRef();
    return v;
}

// An array of strings as an argument; the array stays the caller's.
VARIANT Borrowed(SAFEARRAY* strings) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = strings;
    return v;
}

Variant Missing() {
    Variant v;
    v->vt = VT_ERROR;
    v->scode = DISP_E_PARAMNOTFOUND;
    return v;
}

// ---- the platform ---------------------------------------------------------------------------

// The libcomrt.so this process resolved its C functions to.
std::string LoadedComrt() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&SysAllocStringLen), &info) || !info.dli_fname) return {};
    std::error_code ignored;
    return std::filesystem::weakly_canonical(info.dli_fname, ignored).string();
}

// The file names of the loaded objects whose names start with one of `prefixes`, in load
// order.
std::vector<std::string> LoadedObjects(std::initializer_list<std::string_view> prefixes) {
    struct Query {
        std::initializer_list<std::string_view> prefixes;
        std::vector<std::string> found;
    } query{prefixes, {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto& q = *static_cast<Query*>(data);
            const std::string_view path = info->dlpi_name ? info->dlpi_name : "";
            const std::string_view name = path.substr(path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1);
            for (std::string_view prefix : q.prefixes)
                if (name.substr(0, prefix.size()) == prefix) q.found.emplace_back(name);
            return 0;
        },
        &query);
    return query.found;
}

// The C functions themselves, where they fail inside: a failing conversion must come
// back as its own HRESULT, and one that succeeds with its value.
void CheckPlatform() {
    Variant wide = Text(kWide);
    Check(SysStringLen(wide->bstrVal) == kWide.size(), "SysStringLen of non-ASCII text counts UTF-16 code units");

    Variant big = Long(70000);
    Variant to_short;
    CheckHr(VariantChangeType(to_short.get(), big.get(), 0, VT_I2), DISP_E_OVERFLOW, "VariantChangeType 70000 to VT_I2");
    Variant not_a_number = Text(u"twelve");
    Variant to_long;
    CheckHr(VariantChangeType(to_long.get(), not_a_number.get(), 0, VT_I4), DISP_E_TYPEMISMATCH,
            "VariantChangeType \"twelve\" to VT_I4");
    Variant decimal = Text(u" -2.5E-3 ");
    Variant to_double;
    if (CheckHr(VariantChangeType(to_double.get(), decimal.get(), 0, VT_R8), S_OK, "VariantChangeType \"-2.5E-3\" to VT_R8"))
        Check(to_double->vt == VT_R8 && to_double->dblVal == -0.0025, "VariantChangeType \"-2.5E-3\" to VT_R8: value");
    Variant huge = Text(u"1E309");
    CheckHr(VariantChangeType(to_double.get(), huge.get(), 0, VT_R8), DISP_E_OVERFLOW, "VariantChangeType \"1E309\" to VT_R8");
    Variant half = Text(u"2.5");
    if (CheckHr(VariantChangeType(to_short.get(), half.get(), 0, VT_I2), S_OK, "VariantChangeType \"2.5\" to VT_I2"))
        Check(to_short->vt == VT_I2 && to_short->iVal == 2, "VariantChangeType \"2.5\" to VT_I2 rounds half to even");

    // Error information set here and read back, with text that is not ASCII.
    ComPtr<ICreateErrorInfo> create;
    if (CheckHr(CreateErrorInfo(create.put()), S_OK, "CreateErrorInfo")) {
        Bstr description(kWide);
        create->SetDescription(description.get());
        ComPtr<IErrorInfo> set = create.try_as<IErrorInfo>();
        CheckHr(SetErrorInfo(0, set.get()), S_OK, "SetErrorInfo");
        ComPtr<IErrorInfo> got;
        CheckHr(GetErrorInfo(0, got.put()), S_OK, "GetErrorInfo");
        Bstr text;
        if (got) got->GetDescription(text.put());
        CheckText(text.view(), kWide, "error description round trip");
        ComPtr<IErrorInfo> again;
        CheckHr(GetErrorInfo(0, again.put()), S_FALSE, "GetErrorInfo takes the information");
    }
}

// ---- the data library -------------------------------------------------------------------------

ComPtr<_clsPropertyItem> ItemAt(_Collection* items, LONG position) {
    Variant index = Long(position);
    Variant element;
    ComPtr<_clsPropertyItem> item;
    if (CheckHr(items->Item(index.get(), element.get()), S_OK, "Collection.Item(" + std::to_string(position) + ")") &&
        Check(element.vt() == VT_DISPATCH && element->pdispVal, "Collection.Item gives an object"))
        element->pdispVal->QueryInterface(IID__clsPropertyItem, item.put_void());
    return item;
}

// A new object of the class that `prog_id` names, which must be `clsid`, through `iid`.
template <typename I>
ComPtr<I> NewObject(const char16_t* prog_id, const CLSID& expected, REFIID iid) {
    ComPtr<I> object;
    const std::string name = comrt::to_utf8(prog_id);
    CLSID clsid{};
    CheckHr(CLSIDFromProgID(prog_id, &clsid), S_OK, "CLSIDFromProgID(" + name + ")");
    Check(clsid == expected, name + " names its class id");
    CheckHr(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.put_void()), S_OK,
            "CoCreateInstance(" + name + ")");
    return object;
}

ComPtr<_clsTessel> NewGroup() { return NewObject<_clsTessel>(u"Tessel.clsTessel", CLSID_clsTessel, IID__clsTessel); }

ComPtr<_clsPropertyItem> NewItem() {
    return NewObject<_clsPropertyItem>(u"Tessel.clsPropertyItem", CLSID_clsPropertyItem, IID__clsPropertyItem);
}

// A group filled through its vtable: names, values and a choice list read back through
// the group's collection and the items.
void CheckTesselVtable() {
    ComPtr<_clsTessel> group = NewGroup();
    if (!group) return;
    Bstr group_name(kWide);
    CheckHr(group->put_PropertyGroupName(group_name.get()), S_OK, "put_PropertyGroupName");
    Bstr read;
    CheckHr(group->get_PropertyGroupName(read.put()), S_OK, "get_PropertyGroupName");
    CheckText(read.view(), kWide, "PropertyGroupName round trip");

    Bstr name(u"Caption");
    Bstr value(kWide);
    BSTR n = name.get();
    BSTR v = value.get();
    SHORT plain = 0;
    SAFEARRAY* none = nullptr;
    LONG result = -1;
    CheckHr(group->AddItem(&n, &v, &plain, &none, &result), S_OK, "AddItem (free text)");
    Check(result == 0, "AddItem's result is 0");

    const std::u16string_view choices[] = {u"Links", u"R\u00e9chts", u"\u4e2d\u592e"};
    comrt::SafeArrayPtr list = comrt::MakeStringArray(0, {choices[0], choices[1], choices[2]});
    SAFEARRAY* list_arg = list.get();
    Bstr choice_name(u"Alignment");
    Bstr choice_value(choices[1]);
    BSTR cn = choice_name.get();
    BSTR cv = choice_value.get();
    SHORT drop_down = 1;
    CheckHr(group->AddItem(&cn, &cv, &drop_down, &list_arg, &result), S_OK, "AddItem (choice list)");
    Check(list_arg == list.get() && cn == choice_name.get() && cv == choice_value.get(), "AddItem leaves its arguments");

    ComPtr<_Collection> items;
    if (!CheckHr(group->get_ItemsCollection(items.put()), S_OK, "get_ItemsCollection") || !items) return;
    LONG count = 0;
    CheckHr(items->Count(&count), S_OK, "Collection.Count");
    Check(count == 2, "two items", "count " + std::to_string(count));

    if (ComPtr<_clsPropertyItem> first = ItemAt(items.get(), 1)) {
        Bstr text;
        CheckHr(first->get_ItemValue(text.put()), S_OK, "get_ItemValue");
        CheckText(text.view(), kWide, "ItemValue from AddItem");
        const std::u16string changed = std::u16string(kWide) + u" \u00bd";
        Bstr put(changed);
        CheckHr(first->put_ItemValue(put.get()), S_OK, "put_ItemValue");
        CheckHr(first->get_ItemValue(text.put()), S_OK, "get_ItemValue");
        CheckText(text.view(), changed, "ItemValue round trip");

        // No choice list: every index is out of range.
        SHORT index = 0;
        Bstr element;
        CheckFailure(first.get(), IID__clsPropertyItem, first->GetItem(&index, element.put()), kSubscriptOutOfRange,
                     u"Tessel", "GetItem without a choice list");
        SHORT upper = -1;
        CheckFailure(first.get(), IID__clsPropertyItem, first->Count(&upper), kSubscriptOutOfRange, u"Tessel",
                     "Count without a choice list");
    }

    if (ComPtr<_clsPropertyItem> second = ItemAt(items.get(), 2)) {
        SHORT type = 0;
        CheckHr(second->get_ItemType(&type), S_OK, "get_ItemType");
        Check(type == 1, "ItemType 1");
        SHORT upper = -1;
        CheckHr(second->Count(&upper), S_OK, "Count");
        Check(upper == 2, "Count is the upper bound", "got " + std::to_string(upper));
        for (SHORT i = 0; i <= 2; ++i) {
            SHORT index = i;
            Bstr element;
            CheckHr(second->GetItem(&index, element.put()), S_OK, "GetItem(" + std::to_string(i) + ")");
            CheckText(element.view(), choices[i], "GetItem(" + std::to_string(i) + ")");
        }
        for (SHORT outside : {SHORT{3}, SHORT{-1}}) {
            SHORT index = outside;
            Bstr element;
            CheckFailure(second.get(), IID__clsPropertyItem, second->GetItem(&index, element.put()), kSubscriptOutOfRange,
                         u"Tessel", "GetItem(" + std::to_string(outside) + ")");
            Check(element.get() == nullptr, "GetItem(" + std::to_string(outside) + ") leaves no string");
        }

        // The item holds its own copy: the caller's array can change afterwards.
        LONG zero = 0;
        Bstr other(u"other");
        comrt::check(SafeArrayPutElement(list.get(), &zero, other.get()));
        SHORT index = 0;
        Bstr element;
        CheckHr(second->GetItem(&index, element.put()), S_OK, "GetItem(0) after the caller's array changed");
        CheckText(element.view(), choices[0], "the item's copy of the choice list");

        // An upper bound beyond 16 bits.
        comrt::SafeArrayPtr long_list(SafeArrayCreateVector(VT_BSTR, 0, 40000));
        SAFEARRAY* long_arg = long_list.get();
        CheckHr(second->SetValueCmb(&long_arg), S_OK, "SetValueCmb (40000 strings)");
        CheckFailure(second.get(), IID__clsPropertyItem, second->Count(&upper), kOverflow, u"Tessel",
                     "Count of 40000 strings");

        // Only strings make a choice list.
        comrt::SafeArrayPtr numbers(SafeArrayCreateVector(VT_I4, 0, 2));
        SAFEARRAY* numbers_arg = numbers.get();
        CheckFailure(second.get(), IID__clsPropertyItem, second->SetValueCmb(&numbers_arg), kTypeMismatch, u"Tessel",
                     "SetValueCmb with numbers");
    }
}

// A group that holds the host's collection: the group's code runs against a collection
// compiled by the host's toolchain.
void CheckTesselWithHostCollection() {
    ComPtr<_clsTessel> group = NewGroup();
    if (!group) return;
    ComPtr<_Collection> mine;
    if (!CheckHr(comrt::create_collection(mine.put()), S_OK, "the host's collection")) return;
    CheckHr(group->putref_ItemsCollection(mine.get()), S_OK, "putref_ItemsCollection");

    Bstr name(u"Width");
    Bstr value(u"12");
    BSTR n = name.get();
    BSTR v = value.get();
    SHORT type = 0;
    SAFEARRAY* none = nullptr;
    LONG result = -1;
    CheckHr(group->AddItem(&n, &v, &type, &none, &result), S_OK, "AddItem into the host's collection");
    LONG count = 0;
    mine->Count(&count);
    Check(count == 1, "the host's collection holds the item", "count " + std::to_string(count));

    // Clear meets an element that is not an item: the item before it is gone, then the
    // failure.
    Variant stranger = Text(u"not an item");
    Variant key = Missing();
    Variant before = Missing();
    Variant after = Missing();
    CheckHr(mine->Add(stranger.get(), key.get(), before.get(), after.get()), S_OK, "Collection.Add");
    CheckFailure(group.get(), IID__clsTessel, group->Clear(), kTypeMismatch, u"Tessel", "Clear over a string");
    mine->Count(&count);
    Check(count == 1, "Clear removed the item before the string", "count " + std::to_string(count));

    // A count beyond 16 bits: nothing is removed.
    for (LONG i = 0; i < 32768; ++i)
        if (FAILED(mine->Add(stranger.get(), key.get(), before.get(), after.get()))) break;
    mine->Count(&count);
    Check(count == 32769, "32769 elements", "count " + std::to_string(count));
    CheckFailure(group.get(), IID__clsTessel, group->Clear(), kOverflow, u"Tessel", "Clear of 32769 elements");
    mine->Count(&count);
    Check(count == 32769, "a failing Clear removes nothing", "count " + std::to_string(count));
    // The group goes first; it leaves the collection alone once it fails to empty it.
    group = nullptr;
}

// The same members by name through IDispatch.
void CheckTesselLateBound() {
    ComPtr<_clsPropertyItem> item = NewItem();
    ComPtr<_clsTessel> group = NewGroup();
    if (!item || !group) return;
    ComPtr<IDispatch> late_item = item.try_as<IDispatch>();
    ComPtr<IDispatch> late_group = group.try_as<IDispatch>();
    if (!Check(late_item && late_group, "IDispatch on both classes")) return;

    ComPtr<ITypeInfo> type;
    if (CheckHr(late_item->GetTypeInfo(0, 0, type.put()), S_OK, "GetTypeInfo") && type) {
        Bstr name;
        CheckHr(type->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr), S_OK, "GetDocumentation");
        CheckText(name.view(), u"_clsPropertyItem", "the item's interface name");
    }

    {
        Variant wide = Text(kWide);
        LateResult put;
        InvokeByName(late_item.get(), u"ItemValue", DISPATCH_PROPERTYPUT, {wide.get()}, put);
        CheckHr(put.hr, S_OK, "ItemValue = non-ASCII text");
        LateResult get;
        InvokeByName(late_item.get(), u"itemvalue", DISPATCH_PROPERTYGET, {}, get);
        if (CheckHr(get.hr, S_OK, "ItemValue (lower case name)") && Check(get.value.vt() == VT_BSTR, "ItemValue is VT_BSTR"))
            CheckText(Bstr::view_of(get.value->bstrVal), kWide, "ItemValue by name round trip");
    }
    {
        // A 16-bit parameter: text converts, a number beyond 16 bits overflows before
        // the member runs.
        Variant one = Text(u"1");
        LateResult put;
        InvokeByName(late_item.get(), u"ItemType", DISPATCH_PROPERTYPUT, {one.get()}, put);
        CheckHr(put.hr, S_OK, "ItemType = \"1\"");
        Variant big = Long(70000);
        LateResult overflow;
        InvokeByName(late_item.get(), u"ItemType", DISPATCH_PROPERTYPUT, {big.get()}, overflow);
        CheckHr(overflow.hr, DISP_E_OVERFLOW, "ItemType = 70000");
        LateResult get;
        InvokeByName(late_item.get(), u"ItemType", DISPATCH_PROPERTYGET, {}, get);
        if (CheckHr(get.hr, S_OK, "ItemType"))
            Check(get.value.vt() == VT_I2 && get.value->iVal == 1, "ItemType is VT_I2 1 after the overflow");
    }
    {
        comrt::SafeArrayPtr list = comrt::MakeStringArray(0, {u"eins", kWide});
        const VARIANT array = Borrowed(list.get());
        LateResult set;
        InvokeByName(late_item.get(), u"SetValueCmb", DISPATCH_METHOD, {&array}, set);
        CheckHr(set.hr, S_OK, "SetValueCmb(array of strings)");
        LateResult count;
        InvokeByName(late_item.get(), u"Count", DISPATCH_METHOD, {}, count);
        if (CheckHr(count.hr, S_OK, "Count"))
            Check(count.value.vt() == VT_I2 && count.value->iVal == 1, "Count is VT_I2 1");
        Variant one = Long(1);
        LateResult second;
        InvokeByName(late_item.get(), u"GetItem", DISPATCH_METHOD, {one.get()}, second);
        if (CheckHr(second.hr, S_OK, "GetItem(1)") && Check(second.value.vt() == VT_BSTR, "GetItem gives VT_BSTR"))
            CheckText(Bstr::view_of(second.value->bstrVal), kWide, "GetItem(1) by name");
        Variant two = Short(2);
        LateResult outside;
        InvokeByName(late_item.get(), u"GetItem", DISPATCH_METHOD, {two.get()}, outside);
        CheckException(outside, kSubscriptOutOfRange, u"Tessel", "GetItem(2) by name");
        Variant big = Long(70000);
        LateResult overflow;
        InvokeByName(late_item.get(), u"GetItem", DISPATCH_METHOD, {big.get()}, overflow);
        CheckHr(overflow.hr, DISP_E_OVERFLOW, "GetItem(70000) by name");
        Check(overflow.arg_error == ~0U, "GetItem(70000): an overflow names no argument",
              "index " + std::to_string(overflow.arg_error));

        comrt::SafeArrayPtr long_list(SafeArrayCreateVector(VT_BSTR, 1, 40000));
        const VARIANT long_array = Borrowed(long_list.get());
        LateResult set_long;
        InvokeByName(late_item.get(), u"SetValueCmb", DISPATCH_METHOD, {&long_array}, set_long);
        CheckHr(set_long.hr, S_OK, "SetValueCmb(40000 strings from 1)");
        LateResult long_count;
        InvokeByName(late_item.get(), u"Count", DISPATCH_METHOD, {}, long_count);
        CheckException(long_count, kOverflow, u"Tessel", "Count of 40000 strings by name");
    }
    {
        // AddItem with arguments by value, then the new item through the collection.
        Variant name = Text(u"Title");
        Variant value = Text(kWide);
        Variant type = Short(0);
        comrt::SafeArrayPtr empty(SafeArrayCreateVector(VT_BSTR, 0, 0));
        const VARIANT values = Borrowed(empty.get());
        LateResult add;
        InvokeByName(late_group.get(), u"AddItem", DISPATCH_METHOD, {name.get(), value.get(), type.get(), &values}, add);
        if (CheckHr(add.hr, S_OK, "AddItem by name"))
            Check(add.value.vt() == VT_I4 && add.value->lVal == 0, "AddItem by name gives VT_I4 0");
        LateResult collection;
        InvokeByName(late_group.get(), u"ItemsCollection", DISPATCH_PROPERTYGET, {}, collection);
        ComPtr<_Collection> items;
        if (CheckHr(collection.hr, S_OK, "ItemsCollection by name") &&
            Check(collection.value.vt() == VT_DISPATCH && collection.value->pdispVal, "ItemsCollection is an object"))
            collection.value->pdispVal->QueryInterface(IID__Collection, items.put_void());
        if (items) {
            if (ComPtr<_clsPropertyItem> added = ItemAt(items.get(), 1)) {
                Bstr text;
                added->get_ItemValue(text.put());
                CheckText(text.view(), kWide, "the item AddItem made by name");
            }
        }
        LateResult clear;
        InvokeByName(late_group.get(), u"Clear", DISPATCH_METHOD, {}, clear);
        CheckHr(clear.hr, S_OK, "Clear by name");
    }
    {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(u"NoSuchMember")};
        CheckHr(late_group->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME, "GetIDsOfNames(NoSuchMember)");
        Check(id == DISPID_UNKNOWN, "an unknown name gives DISPID_UNKNOWN");
    }
}

// ---- the control library ----------------------------------------------------------------------

// The control as a host meets it before embedding it in a window: created by ProgID,
// failing with the run-time error for a missing group, by vtable and by name, and
// refusing an object of the wrong class that another library made.
void CheckOrvane() {
    CLSID clsid{};
    CheckHr(CLSIDFromProgID(u"Orvane.PropertiesCtl", &clsid), S_OK, "CLSIDFromProgID(Orvane.PropertiesCtl)");
    Check(clsid == CLSID_PropertiesCtl, "Orvane.PropertiesCtl names CLSID_PropertiesCtl");
    ComPtr<_PropertiesCtl> control;
    if (!CheckHr(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__PropertiesCtl, control.put_void()), S_OK,
                 "CoCreateInstance(Orvane.PropertiesCtl)") ||
        !control)
        return;

    _clsTessel* no_group = nullptr;
    Variant result = Long(7);
    CheckFailure(control.get(), IID__PropertiesCtl, control->AddPropertyGroup(&no_group, result.get()), kObjectNotSet,
                 u"Orvane", "AddPropertyGroup(Nothing)");
    Check(result.vt() == VT_EMPTY, "AddPropertyGroup(Nothing) leaves an empty result");

    ComPtr<IDispatch> late = control.try_as<IDispatch>();
    if (!Check(bool(late), "IDispatch on the control")) return;
    {
        Variant nothing = Object(nullptr);
        LateResult call;
        InvokeByName(late.get(), u"AddPropertyGroup", DISPATCH_METHOD, {nothing.get()}, call);
        CheckException(call, kObjectNotSet, u"Orvane", "AddPropertyGroup(Nothing) by name");
    }
    {
        // An item is no group: the control's query for _clsTessel fails before the call.
        ComPtr<_clsPropertyItem> item = NewItem();
        ComPtr<IDispatch> item_dispatch = item ? item.try_as<IDispatch>() : nullptr;
        Variant wrong = Object(item_dispatch.get());
        LateResult call;
        InvokeByName(late.get(), u"AddPropertyGroup", DISPATCH_METHOD, {wrong.get()}, call);
        CheckHr(call.hr, DISP_E_TYPEMISMATCH, "AddPropertyGroup(an item) by name");
        Variant text = Text(u"Group");
        LateResult text_call;
        InvokeByName(late.get(), u"AddPropertyGroup", DISPATCH_METHOD, {text.get()}, text_call);
        CheckHr(text_call.hr, DISP_E_TYPEMISMATCH, "AddPropertyGroup(\"Group\") by name");
    }
    {
        LateResult call;
        InvokeByName(late.get(), u"Clear", DISPATCH_METHOD, {}, call);
        CheckHr(call.hr, S_OK, "Clear by name");
    }
}

// ---- registration and unloading -------------------------------------------------------------

bool Register(const std::string& path) {
    std::string detail;
    const HRESULT hr = comrt::register_server_library(path.c_str(), &detail);
    return CheckHr(hr, S_OK, "register " + path + (detail.empty() ? "" : " (" + detail + ")"));
}

// Every object is gone: each library answers DllCanUnloadNow with S_OK, and
// CoFreeUnusedLibraries unloads those that may go. liborvane.so brings Qt into the
// process and is built to stay once loaded (its Qt cannot leave a running process).
void CheckUnload(const std::vector<std::string>& paths, const std::string& staying) {
    using CanUnloadNow = HRESULT (*)();
    for (const std::string& path : paths) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!Check(handle != nullptr, path + " is loaded", "it is not")) continue;
        const auto can_unload = reinterpret_cast<CanUnloadNow>(dlsym(handle, "DllCanUnloadNow"));
        if (Check(can_unload != nullptr, path + " exports DllCanUnloadNow"))
            CheckHr(can_unload(), S_OK, path + ": DllCanUnloadNow once everything is released");
        dlclose(handle);
    }
    CoFreeUnusedLibraries();
    for (const std::string& path : paths) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (path == staying)
            Check(handle != nullptr, "CoFreeUnusedLibraries leaves " + path + " loaded", "it was unloaded");
        else
            Check(handle == nullptr, "CoFreeUnusedLibraries unloads " + path, "it stays loaded");
        if (handle) dlclose(handle);
    }
}

void Unregister(const std::string& path, const char16_t* progid) {
    CheckHr(comrt::unregister_server_library(path.c_str()), S_OK, "unregister " + path);
    CLSID clsid{};
    CheckHr(CLSIDFromProgID(progid, &clsid), CO_E_CLASSSTRING, "CLSIDFromProgID(" + Utf8(progid) + ") afterwards");
}

// A registry file of its own, in a fresh temporary folder removed at the end.
class TemporaryRegistry {
public:
    TemporaryRegistry() {
        std::string folder = (std::filesystem::temp_directory_path() / "cross-runtime-XXXXXX").string();
        if (!mkdtemp(folder.data())) return;
        folder_ = folder;
        setenv("COMRT_REGISTRY", (folder_ + "/registry.json").c_str(), 1);
    }
    TemporaryRegistry(const TemporaryRegistry&) = delete;
    TemporaryRegistry& operator=(const TemporaryRegistry&) = delete;
    ~TemporaryRegistry() {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    bool ready() const { return !folder_.empty(); }

private:
    std::string folder_;
};

const char* StandardLibrary() {
#if defined(_LIBCPP_VERSION)
    return "libc++";
#elif defined(__GLIBCXX__)
    return "libstdc++";
#else
    return "an unknown standard library";
#endif
}

std::string Absolute(const char* path) {
    std::error_code ignored;
    return std::filesystem::absolute(path, ignored).string();
}

}  // namespace

int main(int argc, char** argv) {
    std::string tessel;
    std::string orvane;
    std::string expected_comrt;
    bool usable = argc % 2 == 1;
    for (int i = 1; usable && i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--tessel")
            tessel = Absolute(argv[i + 1]);
        else if (option == "--orvane")
            orvane = Absolute(argv[i + 1]);
        else if (option == "--comrt")
            expected_comrt = Absolute(argv[i + 1]);
        else
            usable = false;
    }
    if (!usable || tessel.empty()) {
        std::fprintf(stderr, "usage: %s --tessel LIBTESSEL [--orvane LIBORVANE] [--comrt LIBCOMRT]\n", argv[0]);
        return 2;
    }

    // Line by line, so that what was printed survives a crash.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string comrt = LoadedComrt();
#if defined(__clang__)
    std::printf("host: %s, compiled by clang %d.%d\n", StandardLibrary(), __clang_major__, __clang_minor__);
#else
    std::printf("host: %s, compiled by g++ %d.%d\n", StandardLibrary(), __GNUC__, __GNUC_MINOR__);
#endif
    std::printf("libcomrt.so: %s\n", comrt.c_str());
    TemporaryRegistry registry;
    Section("setup", [&] {
        Check(registry.ready(), "a temporary registry");
        if (!expected_comrt.empty()) {
            std::error_code ignored;
            Check(comrt == std::filesystem::weakly_canonical(expected_comrt, ignored).string(),
                  "the libcomrt.so asked for is the one loaded", "expected " + expected_comrt + ", loaded " + comrt);
        }
        CheckHr(CoInitialize(nullptr), S_OK, "CoInitialize");
    });
    if (g_failures) return 1;

    Section("platform", CheckPlatform);
    bool tessel_registered = false;
    Section("tessel: registration", [&] { tessel_registered = Register(tessel); });
    if (tessel_registered) {
        Section("tessel: vtable", CheckTesselVtable);
        Section("tessel: the host's collection", CheckTesselWithHostCollection);
        Section("tessel: by name", CheckTesselLateBound);
    }
    bool orvane_registered = false;
    if (!orvane.empty()) {
        Section("orvane: registration", [&] { orvane_registered = Register(orvane); });
        if (orvane_registered) Section("orvane", CheckOrvane);
    } else {
        std::printf("skipped: the control's checks (no liborvane.so given)\n");
    }

    // Every library is loaded now: they all share the one libcomrt.so.
    Section("process", [&] {
        const std::vector<std::string> platforms = LoadedObjects({"libcomrt.so"});
        Check(platforms.size() == 1, "one libcomrt.so in the process", std::to_string(platforms.size()) + " loaded");
        std::string runtimes;
        for (const std::string& name : LoadedObjects({"libc++.so", "libc++abi.so", "libstdc++.so"})) runtimes += " " + name;
        std::printf("runtimes loaded:%s\n", runtimes.c_str());
    });

    std::vector<std::string> loaded;
    if (tessel_registered) loaded.push_back(tessel);
    if (orvane_registered) loaded.push_back(orvane);
    Section("unloading", [&] { CheckUnload(loaded, orvane); });
    Section("unregistration", [&] {
        if (tessel_registered) Unregister(tessel, u"Tessel.clsTessel");
        if (orvane_registered) Unregister(orvane, u"Orvane.PropertiesCtl");
    });
    CoUninitialize();

    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
