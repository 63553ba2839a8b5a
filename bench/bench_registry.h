// A registry of the benchmark program's own: $COMRT_REGISTRY pointed at a file in a fresh
// temporary folder, the given server libraries registered in it (DllRegisterServer), and
// everything removed again afterwards. The user's own registry is never touched.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include <comrt/wintypes.h>

namespace bench {

class ScopedRegistry {
public:
    // Registers each library (absolute path) in a new temporary registry.
    explicit ScopedRegistry(std::initializer_list<const char*> libraries);
    // Restores $COMRT_REGISTRY and removes the temporary folder.
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

    // S_OK when every library was registered; otherwise the first failure:
    // E_FAIL when no temporary folder could be made, CO_E_DLLNOTFOUND for a library that
    // does not load, E_NOTIMPL for one without DllRegisterServer, or its failure.
    HRESULT status() const noexcept { return status_; }
    // What failed, for a message (empty on success).
    const std::string& failure() const noexcept { return failure_; }

private:
    HRESULT status_ = S_OK;
    std::string failure_;
    std::string folder_;
    std::optional<std::string> saved_;
};

}  // namespace bench
