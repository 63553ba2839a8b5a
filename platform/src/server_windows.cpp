// Self-registration of server DLLs on Windows: the system registry (comrt/server.h).
//
// For each class that the DLL serves and its description marks creatable, under
// Software\Classes of the chosen root:
//
//   CLSID\{clsid}                  (default) = ProgID "Library.Class"
//   CLSID\{clsid}\InprocServer32   (default) = the DLL's full path, ThreadingModel = the class's
//   CLSID\{clsid}\ProgID           (default) = ProgID
//   CLSID\{clsid}\TypeLib          (default) = {libid}
//   <ProgID>                       (default) = ProgID
//   <ProgID>\CLSID                 (default) = {clsid}
//
// and for a control (TYPEFLAG_FCONTROL), what containers look for in their lists of
// controls:
//
//   CLSID\{clsid}\Control           (default) = ""
//   CLSID\{clsid}\MiscStatus        (default) = the OLEMISC_* flags in decimal
//   CLSID\{clsid}\MiscStatus\1      (default) = the same, for the content aspect
//   CLSID\{clsid}\ToolboxBitmap32   (default) = "<path>, 1" (when the DLL has BITMAP 1)
//   CLSID\{clsid}\Version           (default) = <major>.<minor> of the type library
//
// then, for every TYPELIB resource of the DLL (resource 1 is the library's own type
// library, path: the DLL; each further one a library that it refers to, path: the DLL, a
// backslash and the resource number), what RegisterTypeLib would write, limited to what
// the libraries own:
//
//   TypeLib\{libid}\<major>.<minor>              (default) = the library's doc string or name
//   TypeLib\{libid}\<major>.<minor>\<lcid>\win64 (default) = the path
//   TypeLib\{libid}\<major>.<minor>\FLAGS        (default) = LIBFLAG_* in decimal
//   TypeLib\{libid}\<major>.<minor>\HELPDIR      (default) = the DLL's folder
//   Interface\{iid}                             (default) = the interface's name
//   Interface\{iid}\ProxyStubClsid[32]          (default) = the automation marshaller
//   Interface\{iid}\TypeLib                     (default) = {libid}, Version = <major>.<minor>
//
// Interface keys are written only for interfaces whose ids the libraries define (their
// descriptions say so: interface_owner::library). A type library may declare an interface
// of the system's, as comrt's declares the collection interface; RegisterTypeLib would
// overwrite the system's key of it, and UnRegisterTypeLib delete it, so neither is used.
//
// The root is the machine's (HKEY_LOCAL_MACHINE) when its class keys can be written, and
// the user's (HKEY_CURRENT_USER) otherwise. A registration that fails half-way removes
// what it wrote before it reports the failure.
//
// Unregistration looks at both roots and removes a class only where its InprocServer32
// still names this DLL, a ProgID only where it still names one of those classes, a type
// library only where its registered path is still this DLL's, and an interface only where
// its TypeLib still names that library: another file's registration of the same ids is left
// alone. Keys are deleted once nothing is left in them.
#include <comrt/server.h>

#include <algorithm>
#include <string>
#include <vector>

#include <comrt/resource.h>

#include "ascii_text.h"
#include "comrt_typelib.h"

namespace comrt {
namespace {

using wide = std::basic_string<OLECHAR>;

// One value that registration writes: a key under Software\Classes, a value name (empty:
// the key's default value) and its text.
struct value_entry {
    wide key;
    wide name;
    wide data;
};

// What one class registers, and how unregistration recognises it as this DLL's.
struct class_entry {
    wide clsid_key;   // CLSID\{clsid}
    wide progid_key;  // the ProgID
    wide clsid_text;  // {clsid}
    std::vector<value_entry> values;
};

// One TYPELIB resource and the path it is registered under.
struct typelib_resource {
    WORD id;
    wide path;
};

// What one interface of a type library registers.
struct interface_entry {
    wide key;  // Interface\{iid}
    std::vector<value_entry> values;
};

// What one type library registers, and how unregistration recognises it as this DLL's.
struct typelib_entry {
    wide libid_text;    // {libid}
    wide libid_key;     // TypeLib\{libid}
    wide version_key;   // TypeLib\{libid}\<major>.<minor>
    wide locale_key;    // ...\<lcid>
    wide path_key;      // ...\<lcid>\win64
    wide path;
    std::vector<value_entry> values;
    std::vector<interface_entry> interfaces;
};

wide guid_text(REFGUID g) {
    OLECHAR text[39];
    if (StringFromGUID2(g, text, 39) != 39) throw com_error(E_UNEXPECTED);
    return wide(text, 38);
}

bool same_text_ignoring_case(const wide& a, const wide& b) {
    return a.size() == b.size() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The DLL that holds `anchor`, and its full path.
HMODULE module_of(const void* anchor, wide& path) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(anchor), &module))
        throw com_error(SELFREG_E_CLASS);
    for (DWORD size = MAX_PATH;; size *= 2) {
        path.assign(size, L'\0');
        const DWORD length = GetModuleFileNameW(module, path.data(), size);
        if (length == 0) throw com_error(SELFREG_E_CLASS);
        if (length < size) {
            path.resize(length);
            return module;
        }
        if (size >= 0x8000) throw com_error(SELFREG_E_CLASS);
    }
}

bool is_listed(std::span<const server_class> classes, REFCLSID clsid) {
    for (const server_class& row : classes)
        if (row.clsid == clsid) return true;
    return false;
}

// ProgIDs are letters, digits and periods.
bool valid_progid(const std::string& progid) {
    return !progid.empty() && std::all_of(progid.begin(), progid.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.';
    });
}

// The DLL's bitmap for a container's toolbox: resource BITMAP 1, when it has one.
constexpr WORD kToolboxBitmap = 1;

// What a control adds to its class's entries.
void add_control_entries(class_entry& entry, const type_library& lib, const class_desc& c, HMODULE module,
                         const wide& path) {
    const wide misc = std::to_wstring(c.misc_status);
    entry.values.push_back({entry.clsid_key + L"\\Control", L"", L""});
    entry.values.push_back({entry.clsid_key + L"\\MiscStatus", L"", misc});
    entry.values.push_back({entry.clsid_key + L"\\MiscStatus\\1", L"", misc});
    if (FindResourceW(module, MAKEINTRESOURCEW(kToolboxBitmap), MAKEINTRESOURCEW(2) /* RT_BITMAP */))
        entry.values.push_back(
            {entry.clsid_key + L"\\ToolboxBitmap32", L"", path + L", " + std::to_wstring(kToolboxBitmap)});
    entry.values.push_back(
        {entry.clsid_key + L"\\Version", L"", std::to_wstring(lib.major) + L"." + std::to_wstring(lib.minor)});
}

// The entries of every class that the DLL at `path` serves.
std::vector<class_entry> class_entries(const type_library& lib, std::span<const server_class> classes,
                                       HMODULE module, const wide& path) {
    std::string library_name;
    if (!ascii_text(lib.name, library_name)) throw com_error(SELFREG_E_TYPELIB);
    std::vector<class_entry> out;
    for (const class_desc& c : lib.classes) {
        if (!(c.flags & TYPEFLAG_FCANCREATE) || !is_listed(classes, c.clsid)) continue;
        std::string class_name, threading;
        if (!ascii_text(c.name, class_name) || !ascii_text(c.threading_model, threading)) throw com_error(SELFREG_E_CLASS);
        const std::string progid_ascii = library_name + "." + class_name;
        if (!valid_progid(progid_ascii)) throw com_error(SELFREG_E_CLASS);
        const wide progid(progid_ascii.begin(), progid_ascii.end());
        class_entry entry;
        entry.clsid_text = guid_text(c.clsid);
        entry.clsid_key = L"CLSID\\" + entry.clsid_text;
        entry.progid_key = progid;
        entry.values = {
            {entry.clsid_key, L"", progid},
            {entry.clsid_key + L"\\InprocServer32", L"", path},
            {entry.clsid_key + L"\\InprocServer32", L"ThreadingModel", wide(threading.begin(), threading.end())},
            {entry.clsid_key + L"\\ProgID", L"", progid},
            {entry.clsid_key + L"\\TypeLib", L"", guid_text(lib.libid)},
            {progid, L"", progid},
            {progid + L"\\CLSID", L"", entry.clsid_text},
        };
        if (c.flags & TYPEFLAG_FCONTROL) add_control_entries(entry, lib, c, module, path);
        out.push_back(std::move(entry));
    }
    return out;
}

BOOL CALLBACK collect_typelib(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<WORD>*>(found)->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// The DLL's TYPELIB resources, the ones it refers to first and its own (1) last.
std::vector<typelib_resource> typelib_resources(HMODULE module, const wide& path) {
    std::vector<WORD> ids;
    EnumResourceNamesW(module, L"TYPELIB", collect_typelib, reinterpret_cast<LONG_PTR>(&ids));
    if (std::find(ids.begin(), ids.end(), WORD{1}) == ids.end()) throw com_error(SELFREG_E_TYPELIB);
    std::sort(ids.begin(), ids.end(), [](WORD a, WORD b) { return a > b; });
    std::vector<typelib_resource> out;
    for (const WORD id : ids) out.push_back({id, id == 1 ? path : path + L"\\" + std::to_wstring(id)});
    return out;
}

// ---- the registry -------------------------------------------------------------------------

const wide kClasses = L"Software\\Classes\\";

class registry_key {
public:
    registry_key() = default;
    registry_key(const registry_key&) = delete;
    registry_key& operator=(const registry_key&) = delete;
    ~registry_key() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* put() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Writes one value, creating its key. The system's status.
LSTATUS write_value(HKEY root, const value_entry& v) {
    registry_key key;
    const wide path = kClasses + v.key;
    LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    const auto bytes = static_cast<DWORD>((v.data.size() + 1) * sizeof(OLECHAR));
    return RegSetValueExW(key.get(), v.name.empty() ? nullptr : v.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(v.data.c_str()), bytes);
}

// The text of a value; false when it is missing or not text.
bool read_value(HKEY root, const wide& key, const wide& name, wide& out) {
    const wide path = kClasses + key;
    DWORD type = 0, bytes = 0;
    const LPCWSTR value = name.empty() ? nullptr : name.c_str();
    if (RegGetValueW(root, path.c_str(), value, RRF_RT_REG_SZ, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    out.assign(bytes / sizeof(OLECHAR) + 1, L'\0');
    if (RegGetValueW(root, path.c_str(), value, RRF_RT_REG_SZ, &type, out.data(), &bytes) != ERROR_SUCCESS)
        return false;
    out.resize(wcsnlen(out.c_str(), out.size()));
    return true;
}

void delete_value(HKEY root, const value_entry& v) {
    registry_key key;
    const wide path = kClasses + v.key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    RegDeleteValueW(key.get(), v.name.empty() ? nullptr : v.name.c_str());
}

// Deletes a key under Software\Classes when it holds neither values nor subkeys.
void delete_if_empty(HKEY root, const wide& key_path) {
    {
        registry_key key;
        const wide path = kClasses + key_path;
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return;
        DWORD subkeys = 0, values = 0;
        if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys != 0 || values != 0)
            return;
    }
    const wide path = kClasses + key_path;
    RegDeleteKeyW(root, path.c_str());
}

// Removes from `root` the classes that still name the DLL at `path`, and their ProgIDs.
void remove_classes(HKEY root, const std::vector<class_entry>& entries, const wide& path) {
    for (const class_entry& entry : entries) {
        wide server;
        const bool ours = read_value(root, entry.clsid_key + L"\\InprocServer32", L"", server) &&
                          same_text_ignoring_case(server, path);
        const bool registered = ours || read_value(root, entry.clsid_key + L"\\InprocServer32", L"", server);
        wide named;
        // The ProgID goes with the class; one left behind by an earlier registration of
        // this class (whose own entry is gone) goes too.
        const bool progid_ours = (ours || !registered) && read_value(root, entry.progid_key + L"\\CLSID", L"", named) &&
                                 same_text_ignoring_case(named, entry.clsid_text);
        for (const value_entry& v : entry.values) {
            const bool of_progid = v.key == entry.progid_key || v.key == entry.progid_key + L"\\CLSID";
            if (of_progid ? progid_ours : ours) delete_value(root, v);
        }
        // Deeper keys first: a key's path is longer than its parent's.
        std::vector<wide> keys;
        for (const value_entry& v : entry.values)
            if (std::find(keys.begin(), keys.end(), v.key) == keys.end()) keys.push_back(v.key);
        std::sort(keys.begin(), keys.end(), [](const wide& a, const wide& b) { return a.size() > b.size(); });
        for (const wide& key : keys) delete_if_empty(root, key);
    }
}

// ---- type libraries ------------------------------------------------------------------------

// The automation marshallers: PSOAInterface for interfaces and dual interfaces,
// PSDispatch for pure dispinterfaces.
const wide kOleAutomationProxy = L"{00020424-0000-0000-C000-000000000046}";
const wide kDispatchProxy = L"{00020420-0000-0000-C000-000000000046}";

// True when one of the descriptions this DLL carries defines the interface id as its own.
bool owned_interface(const type_library& lib, REFIID iid) {
    for (const type_library* described : {&lib, &kComrtLib})
        for (const interface_desc* itf : described->interfaces)
            if (itf->iid == iid) return itf->owner == interface_owner::library;
    return false;
}

// Lower-case hexadecimal without leading zeros, as the system writes versions and locales.
wide hex_text(unsigned long value) {
    wide text;
    do {
        text.insert(text.begin(), L"0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value);
    return text;
}

// The folder of a path (without the last backslash).
wide folder_of(const wide& path) {
    const std::size_t slash = path.rfind(L'\\');
    return slash == wide::npos ? wide() : path.substr(0, slash);
}

// The name registered for a type library or a type: its doc string, else its name.
wide documentation(ITypeLib* lib, INT index) {
    Bstr name, doc;
    if (FAILED(lib->GetDocumentation(index, name.put(), doc.put(), nullptr, nullptr))) throw com_error(SELFREG_E_TYPELIB);
    if (index < 0 && !doc.view().empty()) return wide(doc.view());
    return wide(name.view());
}

// The interfaces of `tl` that are registered (automation interfaces and dispinterfaces, as
// RegisterTypeLib chooses them), those whose ids the libraries own only.
std::vector<interface_entry> interface_entries(const type_library& lib, ITypeLib* tl, const wide& libid,
                                               const wide& version) {
    std::vector<interface_entry> out;
    const UINT count = tl->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind{};
        if (FAILED(tl->GetTypeInfoType(i, &kind)) || (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)) continue;
        ComPtr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(tl->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr))) throw com_error(SELFREG_E_TYPELIB);
        const GUID iid = attr->guid;
        const WORD flags = attr->wTypeFlags;
        info->ReleaseTypeAttr(attr);
        const bool automation = kind == TKIND_DISPATCH || (flags & TYPEFLAG_FOLEAUTOMATION);
        if (!automation || !owned_interface(lib, iid)) continue;
        const wide proxy = kind == TKIND_INTERFACE || (flags & TYPEFLAG_FDUAL) ? kOleAutomationProxy : kDispatchProxy;
        interface_entry entry;
        entry.key = L"Interface\\" + guid_text(iid);
        entry.values = {
            {entry.key, L"", documentation(tl, static_cast<INT>(i))},
            {entry.key + L"\\ProxyStubClsid", L"", proxy},
            {entry.key + L"\\ProxyStubClsid32", L"", proxy},
            {entry.key + L"\\TypeLib", L"", libid},
            {entry.key + L"\\TypeLib", L"Version", version},
        };
        out.push_back(std::move(entry));
    }
    return out;
}

// The entries of every TYPELIB resource of the DLL.
std::vector<typelib_entry> typelib_entries(const type_library& lib, const std::vector<typelib_resource>& resources,
                                           const wide& dll_path) {
    std::vector<typelib_entry> out;
    for (const typelib_resource& resource : resources) {
        ComPtr<ITypeLib> tl;
        if (FAILED(LoadTypeLibEx(resource.path.c_str(), REGKIND_NONE, tl.put()))) throw com_error(SELFREG_E_TYPELIB);
        TLIBATTR* attr = nullptr;
        if (FAILED(tl->GetLibAttr(&attr))) throw com_error(SELFREG_E_TYPELIB);
        const TLIBATTR a = *attr;
        tl->ReleaseTLibAttr(attr);
        if (a.syskind != SYS_WIN64 && a.syskind != SYS_WIN32) throw com_error(SELFREG_E_TYPELIB);
        typelib_entry entry;
        const wide version = hex_text(a.wMajorVerNum) + L"." + hex_text(a.wMinorVerNum);
        entry.libid_text = guid_text(a.guid);
        entry.libid_key = L"TypeLib\\" + entry.libid_text;
        entry.version_key = entry.libid_key + L"\\" + version;
        entry.locale_key = entry.version_key + L"\\" + hex_text(a.lcid);
        entry.path_key = entry.locale_key + (a.syskind == SYS_WIN64 ? L"\\win64" : L"\\win32");
        entry.path = resource.path;
        entry.values = {
            {entry.version_key, L"", documentation(tl.get(), -1)},
            {entry.path_key, L"", resource.path},
            {entry.version_key + L"\\FLAGS", L"", std::to_wstring(a.wLibFlags)},
            {entry.version_key + L"\\HELPDIR", L"", folder_of(dll_path)},
        };
        entry.interfaces = interface_entries(lib, tl.get(), entry.libid_text, version);
        out.push_back(std::move(entry));
    }
    return out;
}

// Removes from `root` the type libraries still registered under this DLL's paths, and
// those of their interfaces that still name them.
void remove_typelibs(HKEY root, const std::vector<typelib_entry>& entries) {
    for (const typelib_entry& entry : entries) {
        wide registered;
        if (!read_value(root, entry.path_key, L"", registered) || !same_text_ignoring_case(registered, entry.path))
            continue;
        for (const interface_entry& itf : entry.interfaces) {
            wide named;
            if (!read_value(root, itf.key + L"\\TypeLib", L"", named) || !same_text_ignoring_case(named, entry.libid_text))
                continue;
            for (const value_entry& v : itf.values) delete_value(root, v);
            for (const wide& key : {itf.key + L"\\ProxyStubClsid", itf.key + L"\\ProxyStubClsid32",
                                    itf.key + L"\\TypeLib", itf.key})
                delete_if_empty(root, key);
        }
        for (const value_entry& v : entry.values) delete_value(root, v);
        for (const wide& key : {entry.path_key, entry.locale_key, entry.version_key + L"\\FLAGS",
                                entry.version_key + L"\\HELPDIR", entry.version_key, entry.libid_key})
            delete_if_empty(root, key);
    }
}

// Writes every value under `root`. ERROR_ACCESS_DENIED before anything is written means
// the root is not for us; any other failure is REGDB_E_WRITEREGDB.
LSTATUS add_values(HKEY root, const std::vector<class_entry>& classes, const std::vector<typelib_entry>& typelibs) {
    std::vector<const value_entry*> values;
    for (const class_entry& entry : classes)
        for (const value_entry& v : entry.values) values.push_back(&v);
    for (const typelib_entry& entry : typelibs) {
        for (const value_entry& v : entry.values) values.push_back(&v);
        for (const interface_entry& itf : entry.interfaces)
            for (const value_entry& v : itf.values) values.push_back(&v);
    }
    for (const value_entry* v : values)
        if (const LSTATUS status = write_value(root, *v); status != ERROR_SUCCESS) return status;
    return ERROR_SUCCESS;
}

}  // namespace

HRESULT register_library(const type_library& lib, std::span<const server_class> classes,
                         const void* anchor) noexcept try {
    wide path;
    const HMODULE module = module_of(anchor, path);
    const std::vector<class_entry> entries = class_entries(lib, classes, module, path);
    const std::vector<typelib_entry> typelibs = typelib_entries(lib, typelib_resources(module, path), path);

    HKEY root = HKEY_LOCAL_MACHINE;
    LSTATUS status = add_values(root, entries, typelibs);
    if (status == ERROR_ACCESS_DENIED) {
        remove_typelibs(root, typelibs);
        remove_classes(root, entries, path);
        root = HKEY_CURRENT_USER;
        status = add_values(root, entries, typelibs);
    }
    if (status == ERROR_SUCCESS) return S_OK;
    remove_typelibs(root, typelibs);
    remove_classes(root, entries, path);
    return REGDB_E_WRITEREGDB;
} catch (...) {
    return to_hresult();
}

HRESULT unregister_library(const type_library& lib, std::span<const server_class> classes,
                           const void* anchor) noexcept try {
    wide path;
    const HMODULE module = module_of(anchor, path);
    const std::vector<class_entry> entries = class_entries(lib, classes, module, path);
    const std::vector<typelib_entry> typelibs = typelib_entries(lib, typelib_resources(module, path), path);
    for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        remove_typelibs(root, typelibs);
        remove_classes(root, entries, path);
    }
    return S_OK;
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
