// Self-registration of server libraries: the registry entries a type description and a
// class list stand for.
//
// A class is registered when the library lists a factory for it and its description
// marks it creatable: ProgID "<library name>.<class name>", the library's absolute path
// (dladdr on an address inside it, then realpath), the class's threading model and the
// library id. The type library is registered as <libid> <major>.<minor> with the same
// path and the library's name.
#include <comrt/server.h>

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include <comrt/registry.h>

#include "ascii_text.h"

namespace comrt {
namespace {

// The absolute path of the file that holds `anchor`; empty when it cannot be found.
std::string library_path(const void* anchor) {
    Dl_info info{};
    if (!::dladdr(anchor, &info) || !info.dli_fname) return {};
    const std::unique_ptr<char, decltype(&::free)> resolved(::realpath(info.dli_fname, nullptr), &::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

bool is_listed(std::span<const server_class> classes, REFCLSID clsid) {
    for (const server_class& row : classes)
        if (row.clsid == clsid) return true;
    return false;
}

// What registering `lib` from the file `path` writes.
HRESULT registration_of(const type_library& lib, std::span<const server_class> classes, const std::string& path,
                        server_registration& out) {
    std::string library_name;
    if (!ascii_text(lib.name, library_name)) return SELFREG_E_TYPELIB;
    for (const class_desc& c : lib.classes) {
        if (!(c.flags & TYPEFLAG_FCANCREATE) || !is_listed(classes, c.clsid)) continue;
        class_registration entry;
        std::string class_name;
        if (!ascii_text(c.name, class_name) || !ascii_text(c.threading_model, entry.threading))
            return SELFREG_E_CLASS;
        entry.clsid = c.clsid;
        entry.progid = library_name + "." + class_name;
        entry.server = path;
        entry.typelib = lib.libid;
        out.classes.push_back(std::move(entry));
    }
    out.typelibs.push_back({lib.libid, lib.major, lib.minor, path, library_name});
    return S_OK;
}

}  // namespace

HRESULT register_library(const type_library& lib, std::span<const server_class> classes,
                         const void* anchor) noexcept try {
    const std::string path = library_path(anchor);
    if (path.empty()) return SELFREG_E_CLASS;
    server_registration entries;
    if (const HRESULT hr = registration_of(lib, classes, path, entries); FAILED(hr)) return hr;
    const HRESULT hr = register_server(entries);
    // The registry refuses a ProgID that is not letters, digits and periods, and a path
    // that is not UTF-8: either way this class cannot be registered.
    return hr == E_INVALIDARG ? SELFREG_E_CLASS : hr;
} catch (...) {
    return to_hresult();
}

HRESULT unregister_library(const type_library& lib, std::span<const server_class> classes,
                           const void* /*anchor: entries go by class and library id here*/) noexcept try {
    // Entries are removed by class id and by library id and version only.
    server_registration entries;
    const auto remove_class = [&entries](REFCLSID clsid) {
        class_registration entry;
        entry.clsid = clsid;
        entries.classes.push_back(std::move(entry));
    };
    for (const class_desc& c : lib.classes) remove_class(c.clsid);
    for (const server_class& row : classes) remove_class(row.clsid);
    typelib_registration typelib;
    typelib.libid = lib.libid;
    typelib.major = lib.major;
    typelib.minor = lib.minor;
    entries.typelibs.push_back(std::move(typelib));
    return unregister_server(entries);
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
