// Registering a server library file (comrt/library_registration.h).
#include <comrt/library_registration.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace comrt {
namespace {

void set_detail(std::string* detail, const char* text) noexcept try {
    if (detail) detail->assign(text ? text : "");
} catch (...) {
    // The status still says what went wrong.
}

HRESULT call_export(const char* file, const char* name, std::string* detail) noexcept {
    std::string path;
    if (const HRESULT hr = library_file_path(file, path, detail); FAILED(hr)) return hr;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        set_detail(detail, ::dlerror());
        return CO_E_ERRORINDLL;
    }
    using export_fn = HRESULT (*)();
    const auto entry = reinterpret_cast<export_fn>(::dlsym(handle, name));
    HRESULT hr = CO_E_ERRORINDLL;
    if (entry) {
        hr = entry();
    } else {
        set_detail(detail, "the library lacks the server exports");
    }
    ::dlclose(handle);
    return hr;
}

}  // namespace

HRESULT library_file_path(const char* file, std::string& out, std::string* detail) noexcept try {
    out.clear();
    if (!file || !*file) return CO_E_DLLNOTFOUND;
    const std::unique_ptr<char, decltype(&::free)> resolved(::realpath(file, nullptr), &::free);
    if (!resolved) {
        set_detail(detail, std::strerror(errno));
        return CO_E_DLLNOTFOUND;
    }
    out = resolved.get();
    return S_OK;
} catch (...) {
    return E_OUTOFMEMORY;
}

HRESULT register_server_library(const char* file, std::string* detail) noexcept {
    return call_export(file, "DllRegisterServer", detail);
}

HRESULT unregister_server_library(const char* file, std::string* detail) noexcept {
    return call_export(file, "DllUnregisterServer", detail);
}

}  // namespace comrt
