// The benchmark program's own registry (bench_registry.h).
#include "bench_registry.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include <comrt/objbase.h>

namespace bench {

ScopedRegistry::ScopedRegistry(std::initializer_list<const char*> libraries) {
    if (const char* old = std::getenv("COMRT_REGISTRY")) saved_ = old;
    std::string folder = (std::filesystem::temp_directory_path() / "pg-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        status_ = E_FAIL;
        failure_ = "no temporary folder";
        return;
    }
    folder_ = folder;
    ::setenv("COMRT_REGISTRY", (folder_ + "/registry.json").c_str(), 1);

    for (const char* library : libraries) {
        // Stays loaded: activation loads the same library again for its objects.
        void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            status_ = CO_E_DLLNOTFOUND;
            failure_ = ::dlerror();
            return;
        }
        const auto register_server = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, "DllRegisterServer"));
        const HRESULT hr = register_server ? register_server() : E_NOTIMPL;
        if (FAILED(hr)) {
            status_ = hr;
            failure_ = std::string("DllRegisterServer of ") + library;
            return;
        }
    }
}

ScopedRegistry::~ScopedRegistry() {
    if (saved_)
        ::setenv("COMRT_REGISTRY", saved_->c_str(), 1);
    else
        ::unsetenv("COMRT_REGISTRY");
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

}  // namespace bench
