// Fuzz target: the registry file's reader and writer with arbitrary bytes.
//
// Each input is a registry file's text (the first part) and a sequence of operations
// (the rest): reads, class / ProgID / type library lookups, registrations and
// unregistrations of entries made from the input (GUIDs from a small set, ProgIDs valid
// and not, paths that are not UTF-8), and now and then a registry path that is a FIFO or
// a folder. Checked after each operation:
//   - a damaged file (the read says REGDB_E_INVALIDVALUE) is never rewritten: its bytes
//     stay as they were, whatever is registered;
//   - after a registration that succeeds, the file reads back, every class registered is
//     found as it was given and its ProgID names it;
//   - after an unregistration that succeeds, none of its classes is found;
//   - members the registry does not know (top-level ones besides "classes", "progids" and
//     "typelibs") survive every rewrite unchanged;
//   - nothing waits on a FIFO (a hang is a timeout for libFuzzer).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <comrt/json_document.h>
#include <comrt/registry.h>

#include "support/check.h"

namespace {

namespace json = comrt::json;

// The registry of this process: a file in a folder of its own.
const std::string& registry_file() {
    static const std::string path = [] {
        char folder[] = "/tmp/pg-registry-fuzz-XXXXXX";
        if (!::mkdtemp(folder)) std::abort();
        const std::string file = std::string(folder) + "/registry.json";
        ::setenv("COMRT_REGISTRY", file.c_str(), 1);
        return file;
    }();
    return path;
}

std::string read_bytes(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return "<none>";
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return "<special>";
    }
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

void write_bytes(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    ::close(fd);
}

// The top-level members the registry does not know, each as sorted text.
std::vector<std::pair<std::string, std::string>> unknown_members(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    json::value doc;
    if (!json::parse(text, 16, doc) || !doc.is_object()) return out;
    for (const json::member& m : doc.children()) {
        if (m.key == "classes" || m.key == "progids" || m.key == "typelibs") continue;
        std::string written;
        json::write(m.data, /*sort_keys=*/true, written);
        out.emplace_back(m.key, written);
    }
    // A rewrite puts members in key order: the order of an object's members means nothing.
    std::sort(out.begin(), out.end());
    return out;
}

GUID pick_guid(FuzzedDataProvider& in) {
    GUID g{};
    g.Data1 = 0x1000 + in.ConsumeIntegralInRange<unsigned>(0, 5);
    g.Data4[7] = in.ConsumeIntegralInRange<unsigned char>(0, 1);
    return g;
}

std::string pick_text(FuzzedDataProvider& in) {
    static const char* const kTexts[] = {"Lib.Class", "lib.class", "Lib.Other", "9Lib", "Lib Class", "",
                                         "/usr/lib/libx.so", "/tmp/\xff\xfe.so", "Apartment", "Both",
                                         "Lib.Class.1", "LIB.CLASS"};
    return in.ConsumeBool() ? kTexts[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kTexts) - 1)]
                            : in.ConsumeRandomLengthString(24);
}

comrt::server_registration pick_entries(FuzzedDataProvider& in) {
    comrt::server_registration entries;
    for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n) {
        comrt::class_registration c;
        c.clsid = pick_guid(in);
        c.progid = pick_text(in);
        c.server = pick_text(in);
        c.threading = pick_text(in);
        if (in.ConsumeBool()) c.typelib = pick_guid(in);
        entries.classes.push_back(c);
    }
    for (int n = in.ConsumeIntegralInRange(0, 2); n > 0; --n) {
        comrt::typelib_registration t;
        t.libid = pick_guid(in);
        t.major = in.ConsumeIntegralInRange<WORD>(0, 3);
        t.minor = in.ConsumeIntegralInRange<WORD>(0, 3);
        t.path = pick_text(in);
        t.name = pick_text(in);
        entries.typelibs.push_back(t);
    }
    return entries;
}

void check_registered(const comrt::server_registration& entries) {
    comrt::registry_contents all;
    PG_FUZZ_CHECK(comrt::read_registry(all) == S_OK, "a registration left a file that does not read back");
    // Later entries of one call replace earlier ones with the same class id.
    for (std::size_t i = 0; i < entries.classes.size(); ++i) {
        const comrt::class_registration& c = entries.classes[i];
        bool last = true;
        for (std::size_t k = i + 1; k < entries.classes.size(); ++k)
            if (entries.classes[k].clsid == c.clsid) last = false;
        if (!last) continue;
        comrt::class_registration found;
        PG_FUZZ_CHECK(comrt::find_class(c.clsid, found) == S_OK, "a registered class is not found");
        PG_FUZZ_CHECK(found.server == c.server && found.threading == c.threading && found.typelib == c.typelib,
                      "a registered class reads back otherwise");
        if (!c.progid.empty()) {
            // A later class of the same call may take the ProgID over (any case), and then
            // drop it again by taking another one.
            bool taken = false;
            for (std::size_t k = i + 1; k < entries.classes.size(); ++k)
                if (entries.classes[k].progid.size() == c.progid.size() &&
                    strncasecmp(entries.classes[k].progid.c_str(), c.progid.c_str(), c.progid.size()) == 0)
                    taken = true;
            if (taken) continue;
            CLSID named{};
            PG_FUZZ_CHECK(comrt::find_progid(c.progid, named) == S_OK, "a registered ProgID is not found");
            PG_FUZZ_CHECK(named == c.clsid, "a ProgID names another class than registered");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = registry_file();
    FuzzedDataProvider in(data, size);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::remove(path + ".lock", ignored);

    // The file as the input gives it, or now and then a FIFO or a folder in its place.
    switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0: ::mkfifo(path.c_str(), 0644); break;
    case 1: std::filesystem::create_directory(path, ignored); break;
    case 2: break;  // no file
    default: write_bytes(path, in.ConsumeRandomLengthString(4096));
    }
    const std::string original = read_bytes(path);
    const auto unknown = unknown_members(original);
    comrt::registry_contents contents;
    const HRESULT first_read = comrt::read_registry(contents);
    const bool damaged = first_read == REGDB_E_INVALIDVALUE || first_read == REGDB_E_READREGDB;

    for (int step = 0; step < 6 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0: {
            comrt::registry_contents again;
            PG_FUZZ_CHECK(comrt::read_registry(again) == first_read || !damaged, "a damaged file read otherwise later");
            break;
        }
        case 1: {
            comrt::class_registration found;
            comrt::find_class(pick_guid(in), found);
            CLSID named{};
            comrt::find_progid(pick_text(in), named);
            comrt::typelib_registration lib;
            comrt::find_typelib(pick_guid(in), in.ConsumeIntegralInRange<WORD>(0, 3),
                                in.ConsumeIntegralInRange<WORD>(0, 3), lib);
            break;
        }
        case 2: case 3: {
            const comrt::server_registration entries = pick_entries(in);
            const HRESULT hr = comrt::register_server(entries);
            if (damaged) {
                PG_FUZZ_CHECK(FAILED(hr), "a damaged registry was written to");
                PG_FUZZ_CHECK(read_bytes(path) == original, "a damaged registry file changed");
            }
            if (SUCCEEDED(hr)) check_registered(entries);
            break;
        }
        default: {
            const comrt::server_registration entries = pick_entries(in);
            const HRESULT hr = comrt::unregister_server(entries);
            if (damaged) PG_FUZZ_CHECK(read_bytes(path) == original, "a damaged registry file changed");
            if (SUCCEEDED(hr)) {
                for (const comrt::class_registration& c : entries.classes) {
                    comrt::class_registration found;
                    PG_FUZZ_CHECK(comrt::find_class(c.clsid, found) == REGDB_E_CLASSNOTREG,
                                  "an unregistered class is still found");
                }
            }
        }
        }
        if (!damaged && unknown.size()) {
            const auto now = unknown_members(read_bytes(path));
            PG_FUZZ_CHECK(now == unknown, "a member the registry does not know changed on a rewrite");
        }
    }
    return 0;
}
