// A server library loaded for its exports (testing/server_library.h).
#include <testing/server_library.h>

#include <dlfcn.h>

namespace pg_testing {

ServerLibrary::ServerLibrary(const char* path) : handle_(::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) {
        const char* reason = ::dlerror();
        load_error_ = reason ? reason : "dlopen failed";
    }
}

ServerLibrary::~ServerLibrary() {
    if (handle_) ::dlclose(handle_);
}

void* ServerLibrary::symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

HRESULT ServerLibrary::get_class_object(REFCLSID clsid, REFIID riid, void** ppv) const {
    const auto fn = reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, void**)>(symbol("DllGetClassObject"));
    return fn ? fn(clsid, riid, ppv) : E_NOTIMPL;
}

HRESULT ServerLibrary::can_unload_now() const {
    const auto fn = reinterpret_cast<HRESULT (*)()>(symbol("DllCanUnloadNow"));
    return fn ? fn() : E_NOTIMPL;
}

}  // namespace pg_testing
