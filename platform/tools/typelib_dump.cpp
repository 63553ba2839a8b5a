// typelib-dump LIBRARY.so: prints the type library a component library carries as
// IDL-like text (ids, flags, members with dispatch ids and types, in slot order). Built
// for Windows, it prints what the system's LoadTypeLib reads from a file (LIBRARY.dll).
//
// Exit status: 0 printed; 1 the library or its type library could not be read (the
// status, its meaning and the loader's message go to stderr); 2 usage.
#include "typelib_format.h"

#include <comrt/com_ptr.h>
#include <comrt/dispatch.h>
#include <comrt/error.h>
#include <comrt/objbase.h>
#include <comrt/text.h>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: typelib-dump LIBRARY.so\n");
        return 2;
    }
    const char* path = argv[1];
    comrt::ComPtr<ITypeLib> lib;
    HRESULT hr = LoadTypeLib(comrt::from_utf8(path).c_str(), lib.put());
    std::string text;
    if (SUCCEEDED(hr)) {
        try {
            text = typelib_dump::format(lib.get());
        } catch (const comrt::com_error& e) {
            hr = e.code();
        } catch (...) {
            hr = E_UNEXPECTED;
        }
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "typelib-dump: cannot read the type library of %s: 0x%08X", path,
                     static_cast<unsigned>(hr));
        const std::string meaning = typelib_dump::meaning(hr);
        if (!meaning.empty()) std::fprintf(stderr, " (%s)", meaning.c_str());
#ifndef _WIN32
        if (const char* loader = dlerror()) std::fprintf(stderr, "\n  %s", loader);
#endif
        std::fprintf(stderr, "\n");
        return 1;
    }
    std::fputs(("// " + std::string(path) + "\n" + text).c_str(), stdout);
    return 0;
}
