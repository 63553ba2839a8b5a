// A server library loaded by a test for its exports: the class factories it hands out
// (DllGetClassObject) and its unload check (DllCanUnloadNow), called directly rather than
// through activation. Registration goes through comrt::register_server_library.
#pragma once

#include <string>

#include <comrt/guid.h>
#include <comrt/wintypes.h>

namespace pg_testing {

class ServerLibrary {
public:
    // Loads the library (dlopen); unloaded again on destruction.
    explicit ServerLibrary(const char* path);
    ~ServerLibrary();
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;

    bool loaded() const noexcept { return handle_ != nullptr; }
    // Why the library did not load (empty when it did).
    const std::string& load_error() const noexcept { return load_error_; }

    // The library's exports; E_NOTIMPL when it is not loaded or lacks the export.
    HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** ppv) const;
    HRESULT can_unload_now() const;

private:
    void* symbol(const char* name) const;

    void* handle_ = nullptr;
    std::string load_error_;
};

}  // namespace pg_testing
