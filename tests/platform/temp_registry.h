// Test fixture: a registry of its own for each test ($COMRT_REGISTRY inside a fresh
// temporary folder, removed afterwards), and access to the test server libraries.
#pragma once

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include <comrt/wintypes.h>

class TempRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("COMRT_REGISTRY")) saved_ = old;
        std::string folder = (std::filesystem::temp_directory_path() / "comrt-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(folder.data()), nullptr);
        folder_ = folder;
        path_ = folder_ + "/registry.json";
        ::setenv("COMRT_REGISTRY", path_.c_str(), 1);
    }
    void TearDown() override {
        if (saved_)
            ::setenv("COMRT_REGISTRY", saved_->c_str(), 1);
        else
            ::unsetenv("COMRT_REGISTRY");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void write_registry(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
    std::string read_registry_text() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string folder_;
    std::string path_;

private:
    std::optional<std::string> saved_;
};

// A server library loaded for a test, with its exports.
class ServerLibrary {
public:
    explicit ServerLibrary(const char* path) : handle_(::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~ServerLibrary() {
        if (handle_) ::dlclose(handle_);
    }
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** ppv) const {
        return call<HRESULT (*)(REFCLSID, REFIID, void**)>("DllGetClassObject", clsid, riid, ppv);
    }
    HRESULT can_unload_now() const { return call<HRESULT (*)()>("DllCanUnloadNow"); }
    HRESULT register_server() const { return call<HRESULT (*)()>("DllRegisterServer"); }
    HRESULT unregister_server() const { return call<HRESULT (*)()>("DllUnregisterServer"); }

private:
    template <typename Fn, typename... Args>
    HRESULT call(const char* name, Args... args) const {
        const auto fn = handle_ ? reinterpret_cast<Fn>(::dlsym(handle_, name)) : nullptr;
        return fn ? fn(args...) : E_NOTIMPL;
    }

    void* handle_;
};

// The absolute path of a file (the registry keeps absolute library paths).
inline std::string canonical_path(const char* path) { return std::filesystem::canonical(path).string(); }
