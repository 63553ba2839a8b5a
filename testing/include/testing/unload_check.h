// The check that ends every test fixture that makes COM objects: once the test has let go
// of everything, no component library of the process has an object left, as each one's
// DllCanUnloadNow would answer.
//
// The modules asked are the test program itself (classes linked into it count in its own
// module counter, comrt/module.h) and every loaded shared library that exports
// DllCanUnloadNow (libtessel.so, liborvane.so, test servers), whether activation or the
// test loaded it. The thread's pending error information is dropped first: it is the last
// failure's record, not the test's object.
#pragma once

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include <comrt/module.h>
#include <comrt/oleauto.h>

#if !defined(_WIN32)
#include <dlfcn.h>
#include <link.h>
#endif

namespace pg_testing {

// What is still alive: one line per module whose unload check does not answer S_OK;
// empty when nothing is.
inline std::string LiveComponentModules() {
    std::string alive;
    if (comrt::module::can_unload_now() != S_OK)
        alive += "the test program: " + std::to_string(comrt::module::count().load()) + " objects or locks\n";
#if !defined(_WIN32)
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* out) -> int {
            if (!info->dlpi_name || !*info->dlpi_name) return 0;  // the program itself
            void* handle = dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD);
            if (!handle) return 0;
            // Only the library's own export: dlsym also searches what the library depends on.
            void* symbol = dlsym(handle, "DllCanUnloadNow");
            Dl_info where{};
            if (symbol && dladdr(symbol, &where) && where.dli_fname &&
                std::string_view(where.dli_fname) == info->dlpi_name) {
                const auto can_unload = reinterpret_cast<HRESULT (*)()>(symbol);
                if (can_unload() != S_OK) *static_cast<std::string*>(out) += std::string(info->dlpi_name) + "\n";
            }
            dlclose(handle);
            return 0;
        },
        &alive);
#endif
    return alive;
}

// For a fixture's TearDown (or destructor), after it released what it holds.
inline void ExpectNothingAlive() {
    SetErrorInfo(0, nullptr);
    EXPECT_EQ("", LiveComponentModules()) << "objects outlived the test in these modules";
}

}  // namespace pg_testing
