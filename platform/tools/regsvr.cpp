// regsvr [-u] LIBRARY.so
//
// Loads a server library, calls its DllRegisterServer (or, with -u, DllUnregisterServer)
// and prints what changed in the registry: each class id with its ProgID, and the type
// library. On failure it prints "0x%08X <meaning>" and exits with 1 (2 for bad usage).
#include <cstdio>
#include <string>
#include <string_view>

#include <comrt/library_registration.h>
#include <comrt/registry.h>
#include <comrt/server.h>

namespace {

struct known_status {
    HRESULT code;
    const char* meaning;
};

constexpr known_status kMeanings[] = {
    {E_FAIL, "Unspecified failure"},
    {E_NOTIMPL, "Not implemented"},
    {E_OUTOFMEMORY, "Out of memory"},
    {E_INVALIDARG, "One or more arguments are invalid"},
    {E_POINTER, "Invalid pointer"},
    {E_NOINTERFACE, "No such interface supported"},
    {E_UNEXPECTED, "Catastrophic failure"},
    {E_ACCESSDENIED, "Access denied"},
    {CLASS_E_CLASSNOTAVAILABLE, "The library does not serve this class"},
    {REGDB_E_READREGDB, "Could not read the registry"},
    {REGDB_E_WRITEREGDB, "Could not write the registry"},
    {REGDB_E_INVALIDVALUE, "The registry file is damaged"},
    {REGDB_E_CLASSNOTREG, "Class not registered"},
    {CO_E_DLLNOTFOUND, "The library could not be found"},
    {CO_E_ERRORINDLL, "The library could not be loaded or lacks the server exports"},
    {SELFREG_E_TYPELIB, "Could not register the type library"},
    {SELFREG_E_CLASS, "Could not register a class"},
    {TYPE_E_LIBNOTREGISTERED, "Library not registered"},
    {TYPE_E_CANTLOADLIBRARY, "Error loading the type library"},
};

const char* meaning_of(HRESULT hr) {
    for (const known_status& s : kMeanings)
        if (s.code == hr) return s.meaning;
    return "Unknown failure";
}

int fail(const std::string& what, HRESULT hr, const char* detail = nullptr) {
    std::fprintf(stderr, "regsvr: %s: 0x%08X %s\n", what.c_str(), static_cast<unsigned>(hr), meaning_of(hr));
    if (detail && *detail) std::fprintf(stderr, "regsvr: %s\n", detail);
    return 1;
}

int usage() {
    std::fprintf(stderr, "usage: regsvr [-u] LIBRARY.so\n");
    return 2;
}

// The registry's entries that name the library at `path`; empty when it cannot be read.
comrt::registry_contents entries_of(const std::string& path) {
    comrt::registry_contents all, mine;
    if (FAILED(comrt::read_registry(all))) return mine;
    for (auto& c : all.classes)
        if (c.server == path) mine.classes.push_back(std::move(c));
    for (auto& t : all.typelibs)
        if (t.path == path) mine.typelibs.push_back(std::move(t));
    return mine;
}

void print(const char* verb, const comrt::registry_contents& entries) {
    for (const comrt::class_registration& c : entries.classes)
        std::printf("%s class %s %s (threading %s)\n", verb, comrt::guid_string(c.clsid).c_str(),
                    c.progid.empty() ? "(no ProgID)" : c.progid.c_str(), c.threading.c_str());
    for (const comrt::typelib_registration& t : entries.typelibs)
        std::printf("%s type library %s %u.%u %s\n", verb, comrt::guid_string(t.libid).c_str(), unsigned{t.major},
                    unsigned{t.minor}, t.name.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    const char* library = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-u" && !unregister && !library)
            unregister = true;
        else if (!library && !arg.empty() && arg.front() != '-')
            library = argv[i];
        else
            return usage();
    }
    if (!library) return usage();

    // The registry keeps absolute paths.
    std::string path, detail;
    if (const HRESULT hr = comrt::library_file_path(library, path, &detail); FAILED(hr))
        return fail(library, hr, detail.c_str());

    const comrt::registry_contents before = entries_of(path);
    const HRESULT hr = unregister ? comrt::unregister_server_library(path.c_str(), &detail)
                                  : comrt::register_server_library(path.c_str(), &detail);
    if (FAILED(hr)) {
        const char* name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
        return fail(path + ": " + name + " failed", hr, detail.c_str());
    }

    std::string registry;
    if (SUCCEEDED(comrt::registry_path(registry))) std::printf("registry %s\n", registry.c_str());
    if (unregister) {
        print("unregistered", before);
        std::printf("unregistered %s\n", path.c_str());
    } else {
        print("registered", entries_of(path));
        std::printf("registered %s\n", path.c_str());
    }
    return 0;
}
