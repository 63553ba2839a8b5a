// A COM-only host built with nothing but the installed pkg-config files (`pkg-config
// --cflags --libs tessel`): registers the library that tessel.pc names as its server,
// creates a group through the registry and reads its name back.
//
//   com_host LIBTESSEL      exit status 0 when the group answered as it should
#include <cstdio>
#include <string>

#include <comrt/com.h>
#include <comrt/library_registration.h>
#include <tessel/tessel.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string detail;
    if (const HRESULT hr = comrt::register_server_library(argv[1], &detail); FAILED(hr)) {
        std::fprintf(stderr, "com_host: cannot register %s: 0x%08x %s\n", argv[1], static_cast<unsigned>(hr),
                     detail.c_str());
        return 1;
    }
    try {
        comrt::ComPtr<_clsTessel> group;
        comrt::check(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, comrt::iid_of<_clsTessel>(),
                                      group.put_void()));
        comrt::check(group->put_PropertyGroupName(comrt::Bstr(comrt::from_utf8("Zeichensätze")).get()));
        comrt::Bstr name;
        comrt::check(group->get_PropertyGroupName(name.put()));
        if (name.view() != u"Zeichensätze") {
            std::fprintf(stderr, "com_host: the group's name came back changed\n");
            return 1;
        }
    } catch (const comrt::com_error& error) {
        std::fprintf(stderr, "com_host: a call failed: 0x%08x\n", static_cast<unsigned>(error.code()));
        return 1;
    }
    std::printf("com_host: the group answered\n");
    return 0;
}
