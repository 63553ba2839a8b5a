// A registry of one's own (testing/temporary_registry.h).
#include <testing/temporary_registry.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <comrt/library_registration.h>
#include <comrt/registry.h>
#include <testing/text.h>

namespace pg_testing {

namespace {

constexpr const char* kVariable = "COMRT_REGISTRY";

}  // namespace

TemporaryRegistry::TemporaryRegistry() {
    std::string folder = (std::filesystem::temp_directory_path() / "pg-registry-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        status_ = E_FAIL;
        failure_ = "no temporary folder could be made";
        return;
    }
    folder_ = folder;
    path_ = folder_ + "/registry.json";
    if (const char* old = std::getenv(kVariable)) saved_ = old;
    ::setenv(kVariable, path_.c_str(), 1);
    redirected_ = true;
}

TemporaryRegistry::TemporaryRegistry(std::initializer_list<const char*> libraries) : TemporaryRegistry() {
    for (const char* library : libraries) {
        if (FAILED(status_)) return;
        add(library);
    }
}

TemporaryRegistry::~TemporaryRegistry() {
    if (redirected_) {
        if (saved_)
            ::setenv(kVariable, saved_->c_str(), 1);
        else
            ::unsetenv(kVariable);
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

HRESULT TemporaryRegistry::add(const char* library) {
    if (!redirected_) return status_;  // never into the user's registry
    std::string detail;
    const HRESULT hr = comrt::register_server_library(library, &detail);
    if (FAILED(hr) && SUCCEEDED(status_)) {
        status_ = hr;
        failure_ = std::string("registering ") + (library ? library : "(null)") + (detail.empty() ? "" : ": ") + detail;
    }
    return hr;
}

std::string ClassRegistration(REFCLSID clsid) {
    comrt::class_registration entry;
    const HRESULT hr = comrt::find_class(clsid, entry);
    if (FAILED(hr)) return Hex(hr);
    return entry.progid + " " + entry.threading + " " + comrt::guid_string(entry.typelib);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace pg_testing
