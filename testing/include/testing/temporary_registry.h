// A registry of one's own: $COMRT_REGISTRY pointed at registry.json in a fresh temporary
// folder for as long as the object lives, with the server libraries one needs registered
// in it. The destructor puts the variable back as it was (set to the old value, or unset)
// and removes the folder, however the scope is left: a failed assertion, an exception or
// a normal return. The user's own registry is never touched.
//
// Registries nest: each restores what it found, so inner ones must end first (as scopes
// do). Not for use from several threads at once: the environment is the process's.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <comrt/guid.h>
#include <comrt/wintypes.h>

namespace pg_testing {

class TemporaryRegistry {
public:
    // An empty registry (the file does not exist until something is registered).
    TemporaryRegistry();
    // A registry holding each library (a path), registered in the order given; see
    // status() for the outcome.
    explicit TemporaryRegistry(std::initializer_list<const char*> libraries);
    ~TemporaryRegistry();
    TemporaryRegistry(const TemporaryRegistry&) = delete;
    TemporaryRegistry& operator=(const TemporaryRegistry&) = delete;

    // Registers a server library through its DllRegisterServer
    // (comrt::register_server_library). Returns its status; the first failure also becomes
    // status() and failure().
    HRESULT add(const char* library);

    // S_OK while the folder exists and every registration succeeded; otherwise the first
    // failure: E_FAIL when no temporary folder could be made (the variable is then left
    // alone), CO_E_DLLNOTFOUND for a library file that does not exist, CO_E_ERRORINDLL
    // for one that does not load or lacks the server exports, or what DllRegisterServer
    // returned.
    HRESULT status() const noexcept { return status_; }
    // What failed, for a message: the library and the system's reason (empty on success).
    const std::string& failure() const noexcept { return failure_; }

    // The temporary folder, and the registry file inside it.
    const std::string& folder() const noexcept { return folder_; }
    const std::string& path() const noexcept { return path_; }

private:
    HRESULT status_ = S_OK;
    std::string failure_;
    std::string folder_;
    std::string path_;
    std::optional<std::string> saved_;  // the variable's value before; none: it was unset
    bool redirected_ = false;
};

// A class's entry in the current registry as one line: "<ProgID> <threading model>
// <type library id>" ("Tessel.clsTessel Apartment {6CD20C86-...}"), or the failure of the
// lookup in hex ("0x80040154" when the class is not registered).
std::string ClassRegistration(REFCLSID clsid);

// A whole file as text ("" when it cannot be read), and a file's text replaced (e.g. a
// registry file by damaged text).
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view text);

}  // namespace pg_testing
