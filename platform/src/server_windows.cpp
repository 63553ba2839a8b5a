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
// then every TYPELIB resource of the DLL through RegisterTypeLib: resource 1 is the
// library's own type library (path: the DLL), each further one a library that it refers to
// (path: the DLL, a backslash and the resource number), registered first.
//
// The root is the machine's (HKEY_LOCAL_MACHINE) when its class keys can be written, and
// the user's (HKEY_CURRENT_USER, RegisterTypeLibForUser) otherwise. A registration that
// fails half-way removes what it wrote before it reports the failure.
//
// Unregistration looks at both roots and removes a class only where its InprocServer32
// still names this DLL, a ProgID only where it still names one of those classes, and a
// type library only where its registered path is still this DLL's: another file's
// registration of the same ids is left alone. Keys are deleted once nothing is left in
// them.
#include <comrt/server.h>

#include <algorithm>
#include <string>
#include <vector>

#include <comrt/resource.h>

#include "ascii_text.h"

// Per-user type library registration, as documented; oleaut32 exports both, mingw-w64's
// headers do not declare them.
extern "C" {
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* ptlib, OLECHAR* szFullPath, OLECHAR* szHelpDir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libID, WORD wMajorVerNum, WORD wMinorVerNum, LCID lcid,
                                      SYSKIND syskind);
}

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

// The entries of every class that the DLL at `path` serves.
std::vector<class_entry> class_entries(const type_library& lib, std::span<const server_class> classes,
                                       const wide& path) {
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
        for (const wide& key : {entry.clsid_key + L"\\InprocServer32", entry.clsid_key + L"\\ProgID",
                                entry.clsid_key + L"\\TypeLib", entry.clsid_key, entry.progid_key + L"\\CLSID",
                                entry.progid_key})
            delete_if_empty(root, key);
    }
}

// ---- type libraries ------------------------------------------------------------------------

struct loaded_typelib {
    ComPtr<ITypeLib> lib;
    TLIBATTR attr{};
};

HRESULT load_typelib(const wide& path, loaded_typelib& out) {
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, out.lib.put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = out.lib->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    out.attr = *attr;
    out.lib->ReleaseTLibAttr(attr);
    return S_OK;
}

// The path a type library version is registered under, or empty.
wide registered_path(const TLIBATTR& attr) {
    Bstr path;
    if (FAILED(QueryPathOfRegTypeLib(attr.guid, attr.wMajorVerNum, attr.wMinorVerNum, attr.lcid, path.put())))
        return {};
    wide text(path.view());
    // The registered text may end in NULs.
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// Unregisters the type libraries still registered under this DLL's paths.
void remove_typelibs(const std::vector<typelib_resource>& resources) {
    for (const typelib_resource& resource : resources) {
        loaded_typelib loaded;
        if (FAILED(load_typelib(resource.path, loaded))) continue;
        const TLIBATTR& a = loaded.attr;
        if (!same_text_ignoring_case(registered_path(a), resource.path)) continue;
        UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
        if (same_text_ignoring_case(registered_path(a), resource.path))
            UnRegisterTypeLibForUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
    }
}

// Registers every TYPELIB resource, for the machine or for the user.
HRESULT add_typelibs(const std::vector<typelib_resource>& resources, bool for_user) {
    for (const typelib_resource& resource : resources) {
        loaded_typelib loaded;
        if (FAILED(load_typelib(resource.path, loaded))) return SELFREG_E_TYPELIB;
        wide path = resource.path;
        const HRESULT hr = for_user ? RegisterTypeLibForUser(loaded.lib.get(), path.data(), nullptr)
                                    : RegisterTypeLib(loaded.lib.get(), path.data(), nullptr);
        if (FAILED(hr)) return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

// Writes every value under `root`. ERROR_ACCESS_DENIED before anything is written means
// the root is not for us; any other failure is REGDB_E_WRITEREGDB.
LSTATUS add_classes(HKEY root, const std::vector<class_entry>& entries) {
    for (const class_entry& entry : entries)
        for (const value_entry& v : entry.values)
            if (const LSTATUS status = write_value(root, v); status != ERROR_SUCCESS) return status;
    return ERROR_SUCCESS;
}

}  // namespace

HRESULT register_library(const type_library& lib, std::span<const server_class> classes,
                         const void* anchor) noexcept try {
    wide path;
    const HMODULE module = module_of(anchor, path);
    const std::vector<class_entry> entries = class_entries(lib, classes, path);
    const std::vector<typelib_resource> typelibs = typelib_resources(module, path);

    HKEY root = HKEY_LOCAL_MACHINE;
    LSTATUS status = add_classes(root, entries);
    if (status == ERROR_ACCESS_DENIED) {
        remove_classes(root, entries, path);
        root = HKEY_CURRENT_USER;
        status = add_classes(root, entries);
    }
    HRESULT hr = status == ERROR_SUCCESS ? S_OK : REGDB_E_WRITEREGDB;
    if (SUCCEEDED(hr)) hr = add_typelibs(typelibs, root == HKEY_CURRENT_USER);
    if (FAILED(hr)) {
        remove_typelibs(typelibs);
        remove_classes(root, entries, path);
    }
    return hr;
} catch (...) {
    return to_hresult();
}

HRESULT unregister_library(const type_library& lib, std::span<const server_class> classes,
                           const void* anchor) noexcept try {
    wide path;
    const HMODULE module = module_of(anchor, path);
    const std::vector<class_entry> entries = class_entries(lib, classes, path);
    remove_typelibs(typelib_resources(module, path));
    remove_classes(HKEY_LOCAL_MACHINE, entries, path);
    remove_classes(HKEY_CURRENT_USER, entries, path);
    return S_OK;
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
