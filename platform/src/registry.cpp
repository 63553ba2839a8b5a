// The per-user registry file.
//
// Layout on disk (JSON, keys sorted, two-space indent; comrt/json_document.h):
//   "classes":  { "{CLSID}": { "progid", "server", "threading", "typelib" } }
//   "progids":  { "ProgID": "{CLSID}" }
//   "typelibs": { "{LIBID}": { "major.minor": { "path", "name" } } }
// GUID keys and values are kept in the canonical braced upper-case form; versions are
// decimal. Members this code does not know are kept as they are on rewrite. A file that
// is not a registry (not JSON, another shape, two entries for one GUID, nested deeper
// than 16, larger than 16 MiB, or anything but a regular file) is never rewritten, and a
// rewrite that would not read back is not written. A symbolic link at the registry's
// path stays one (the file it leads to is replaced), and a rewritten file keeps its
// permission bits.
//
// Concurrency: "<registry>.lock" next to the file carries an flock; writers hold it
// exclusively from reading the old contents to renaming the new file into place, readers
// hold it shared. The new contents go to a temporary file in the same folder, are
// fsync'ed, then renamed over the old file, so a reader sees the old file or the new one.
#include <comrt/registry.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string_view>

#include <comrt/error.h>
#include <comrt/json_document.h>
#include <comrt/text_file.h>

#include "ascii_text.h"

namespace comrt {
namespace {

constexpr off_t kMaxFileSize = 16 * 1024 * 1024;
constexpr std::size_t kMaxProgIdLength = 39;

// ---- text forms ---------------------------------------------------------------------

bool parse_guid(const std::string& text, GUID& out) {
    if (text.size() != 38) return false;
    OLECHAR wide[39];
    for (std::size_t i = 0; i < 38; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c > 0x7F) return false;
        wide[i] = c;
    }
    wide[38] = u'\0';
    return SUCCEEDED(CLSIDFromString(wide, &out));
}

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Letters, digits and periods, not starting with a digit, at most 39 characters.
bool valid_progid(std::string_view p) {
    if (p.empty() || p.size() > kMaxProgIdLength || is_digit(p.front())) return false;
    return std::all_of(p.begin(), p.end(), [](char c) { return is_ascii_letter(c) || is_digit(c) || c == '.'; });
}

bool parse_number(std::string_view digits, WORD& out) {
    if (digits.empty() || digits.size() > 5) return false;
    unsigned value = 0;
    for (char c : digits) {
        if (!is_digit(c)) return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 0xFFFF) return false;
    out = static_cast<WORD>(value);
    return true;
}

// "major.minor", both decimal.
bool parse_version(std::string_view text, WORD& major, WORD& minor) {
    const auto dot = text.find('.');
    return dot != std::string_view::npos && parse_number(text.substr(0, dot), major) &&
           parse_number(text.substr(dot + 1), minor);
}

std::string version_string(WORD major, WORD minor) { return std::to_string(major) + "." + std::to_string(minor); }

// ---- location -------------------------------------------------------------------------

std::string home_folder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    const long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

HRESULT resolve_path(std::string& out) {
    if (const char* explicit_path = std::getenv("COMRT_REGISTRY"); explicit_path && *explicit_path) {
        out = explicit_path;
        return S_OK;
    }
    std::string config;
    // A relative XDG_CONFIG_HOME is to be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        const std::string home = home_folder();
        if (home.empty()) return REGDB_E_READREGDB;
        config = home + "/.config";
    }
    out = config + "/comrt/registry.json";
    return S_OK;
}

// ---- file access ------------------------------------------------------------------------

// Opens path without waiting: a FIFO at the path must not block the caller (an open
// for reading of a FIFO waits for a writer).
int open_without_waiting(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// An flock on "<registry>.lock", released when the object goes.
class registry_lock {
public:
    // operation: LOCK_SH or LOCK_EX. create: make the lock file when it is missing.
    registry_lock(const std::string& registry, int operation, bool create) {
        const std::string path = registry + ".lock";
        fd_ = open_without_waiting(path.c_str(), create ? O_RDWR | O_CREAT : O_RDONLY, 0644);
        if (fd_ < 0) return;
        int rc;
        do {
            rc = ::flock(fd_, operation);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~registry_lock() {
        if (fd_ >= 0) ::close(fd_);
    }
    registry_lock(const registry_lock&) = delete;
    registry_lock& operator=(const registry_lock&) = delete;

    bool held() const noexcept { return fd_ >= 0; }

private:
    int fd_ = -1;
};

std::string parent_folder(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

// The file's bytes; exists = false (and S_OK) when there is no file. Anything but a
// regular file (a folder, a FIFO, a device) cannot be read as a registry, and reading
// never waits on one.
HRESULT read_text(const std::string& path, std::string& text, bool& exists) {
    exists = false;
    switch (read_text_file(path, static_cast<std::size_t>(kMaxFileSize), text)) {
    case file_read::done: exists = true; return S_OK;
    case file_read::missing: return S_OK;
    case file_read::too_large: return REGDB_E_INVALIDVALUE;
    case file_read::not_regular:
    case file_read::failed: break;
    }
    return REGDB_E_READREGDB;
}

// ---- the document -----------------------------------------------------------------------

const json::value* member_of(const json::value& entry, const char* key) { return entry.find(key); }

bool is_optional_string(const json::value& entry, const char* key) {
    const json::value* v = member_of(entry, key);
    return !v || v->is_string();
}

// The text of an optional string member; empty when it is absent.
std::string string_member(const json::value& entry, const char* key) {
    const json::value* v = member_of(entry, key);
    return v ? v->text() : std::string();
}

// Rewrites the keys of a GUID-keyed object in canonical form; false when a key is not a
// GUID, or two keys name the same GUID (one of them would be lost on the next rewrite).
bool canonical_guid_keys(json::value& section) {
    std::vector<std::string> keys;
    keys.reserve(section.children().size());
    for (const json::member& m : section.children()) {
        GUID g{};
        if (!parse_guid(m.key, g)) return false;
        keys.push_back(guid_string(g));
    }
    std::vector<std::string_view> sorted(keys.begin(), keys.end());
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;
    for (std::size_t i = 0; i < keys.size(); ++i) section.children()[i].key = std::move(keys[i]);
    return true;
}

bool valid_class(json::value& entry) {
    if (!entry.is_object()) return false;
    const json::value* server = member_of(entry, "server");
    if (!server || !server->is_string()) return false;
    if (!is_optional_string(entry, "threading") || !is_optional_string(entry, "progid") ||
        !is_optional_string(entry, "typelib"))
        return false;
    if (const json::value* p = member_of(entry, "progid"); p && !valid_progid(p->text())) return false;
    if (json::value* t = entry.find("typelib")) {
        GUID g{};
        if (!parse_guid(t->text(), g)) return false;
        *t = json::value::string(guid_string(g));
    }
    return true;
}

bool valid_typelib(const json::value& versions) {
    if (!versions.is_object()) return false;
    for (const json::member& m : versions.children()) {
        WORD major = 0, minor = 0;
        if (!parse_version(m.key, major, minor) || !m.data.is_object()) return false;
        const json::value* path = member_of(m.data, "path");
        if (!path || !path->is_string() || !is_optional_string(m.data, "name")) return false;
    }
    return true;
}

// A section of the document ("classes", "progids", "typelibs"); it exists after normalise.
json::value& section(json::value& doc, const char* name) { return *doc.find(name); }
const json::value& section(const json::value& doc, const char* name) { return *doc.find(name); }

// Checks the document's shape and brings GUIDs to their canonical form; false when the
// document is not a registry.
bool normalise(json::value& doc) {
    if (!doc.is_object()) return false;
    for (const char* name : {"classes", "progids", "typelibs"}) {
        const json::value* s = doc.find(name);
        if (!s) doc.set(name, json::value::object());
        else if (!s->is_object()) return false;
    }
    json::value& classes = section(doc, "classes");
    if (!canonical_guid_keys(classes)) return false;
    for (json::member& m : classes.children())
        if (!valid_class(m.data)) return false;
    for (json::member& m : section(doc, "progids").children()) {
        GUID g{};
        if (!valid_progid(m.key) || !m.data.is_string() || !parse_guid(m.data.text(), g)) return false;
        m.data = json::value::string(guid_string(g));
    }
    json::value& typelibs = section(doc, "typelibs");
    if (!canonical_guid_keys(typelibs)) return false;
    for (const json::member& m : typelibs.children())
        if (!valid_typelib(m.data)) return false;
    return true;
}

// Deeper than any registry entry (4 levels) leaves room for members added by hand.
constexpr std::size_t kMaxDepth = 16;

HRESULT parse_document(const std::string& text, json::value& doc) {
    if (!json::parse(text, kMaxDepth, doc) || !normalise(doc)) return REGDB_E_INVALIDVALUE;
    return S_OK;
}

// Reads and checks the file; a missing file gives an empty registry.
HRESULT load(const std::string& path, json::value& doc) {
    std::string text;
    bool exists = false;
    if (const HRESULT hr = read_text(path, text, exists); FAILED(hr)) return hr;
    if (!exists) text = "{}";
    return parse_document(text, doc);
}

registry_contents contents_of(const json::value& doc) {
    registry_contents out;
    for (const json::member& m : section(doc, "classes").children()) {
        class_registration c;
        parse_guid(m.key, c.clsid);
        c.progid = string_member(m.data, "progid");
        c.server = string_member(m.data, "server");
        c.threading = string_member(m.data, "threading");
        if (const std::string typelib = string_member(m.data, "typelib"); !typelib.empty())
            parse_guid(typelib, c.typelib);
        out.classes.push_back(std::move(c));
    }
    for (const json::member& m : section(doc, "progids").children()) {
        CLSID id{};
        parse_guid(m.data.text(), id);
        out.progids.emplace_back(m.key, id);
    }
    for (const json::member& lib : section(doc, "typelibs").children()) {
        for (const json::member& version : lib.data.children()) {
            typelib_registration t;
            parse_guid(lib.key, t.libid);
            parse_version(version.key, t.major, t.minor);
            t.path = string_member(version.data, "path");
            t.name = string_member(version.data, "name");
            out.typelibs.push_back(std::move(t));
        }
    }
    return out;
}

HRESULT read_contents(registry_contents& out) {
    out = {};
    std::string path;
    if (const HRESULT hr = resolve_path(path); FAILED(hr)) return hr;
    // Without a folder there is no file and nothing to wait for; elsewhere the lock
    // only orders this read after a writer's rename.
    registry_lock lock(path, LOCK_SH, /*create=*/false);
    json::value doc;
    if (const HRESULT hr = load(path, doc); FAILED(hr)) return hr;
    out = contents_of(doc);
    return S_OK;
}

// One write transaction: lock, load, change, write back. What is written is read back
// first, so that the file is never replaced by one that later reads would refuse.
HRESULT update(const std::function<HRESULT(json::value&)>& change) {
    std::string path;
    if (const HRESULT hr = resolve_path(path); FAILED(hr)) return hr == REGDB_E_READREGDB ? REGDB_E_WRITEREGDB : hr;
    std::error_code ignored;
    std::filesystem::create_directories(parent_folder(path), ignored);
    registry_lock lock(path, LOCK_EX, /*create=*/true);
    if (!lock.held()) return REGDB_E_WRITEREGDB;
    json::value doc;
    if (const HRESULT hr = load(path, doc); FAILED(hr)) return hr;
    std::string before;
    if (!json::write(doc, /*sort_keys=*/true, before)) return REGDB_E_INVALIDVALUE;
    if (const HRESULT hr = change(doc); FAILED(hr)) return hr;
    std::string text;
    // A string that is not UTF-8, such as a path in another encoding, cannot be written.
    if (!json::write(doc, /*sort_keys=*/true, text)) return E_INVALIDARG;
    if (text == before) return S_OK;  // nothing to write (and no empty file to create)
    if (text.size() > static_cast<std::size_t>(kMaxFileSize)) return REGDB_E_WRITEREGDB;
    json::value check;
    if (FAILED(parse_document(text, check))) return E_INVALIDARG;
    return replace_text_file(path, text) ? S_OK : REGDB_E_WRITEREGDB;
}

// Drops every ProgID that names the class clsid_key.
void drop_progids_of(json::value& doc, const std::string& clsid_key) {
    auto& progids = section(doc, "progids").children();
    progids.erase(std::remove_if(progids.begin(), progids.end(),
                                 [&clsid_key](const json::member& m) { return m.data.text() == clsid_key; }),
                  progids.end());
}

// Drops a ProgID (any case) wherever it appears, so that it can name a new class.
void drop_progid(json::value& doc, const std::string& progid) {
    auto& progids = section(doc, "progids").children();
    progids.erase(std::remove_if(progids.begin(), progids.end(),
                                 [&progid](const json::member& m) { return equal_ignoring_case(m.key, progid); }),
                  progids.end());
    for (json::member& m : section(doc, "classes").children()) {
        const json::value* p = m.data.find("progid");
        if (p && equal_ignoring_case(p->text(), progid)) m.data.erase("progid");
    }
}

HRESULT add_entries(json::value& doc, const server_registration& entries) {
    for (const class_registration& c : entries.classes)
        if (c.server.empty() || (!c.progid.empty() && !valid_progid(c.progid))) return E_INVALIDARG;
    for (const typelib_registration& t : entries.typelibs)
        if (t.path.empty()) return E_INVALIDARG;

    for (const class_registration& c : entries.classes) {
        const std::string key = guid_string(c.clsid);
        drop_progids_of(doc, key);
        json::value entry = json::value::object();
        entry.set("server", json::value::string(c.server));
        entry.set("threading", json::value::string(c.threading));
        if (!c.progid.empty()) {
            drop_progid(doc, c.progid);
            entry.set("progid", json::value::string(c.progid));
            section(doc, "progids").set(c.progid, json::value::string(key));
        }
        if (c.typelib != GUID_NULL) entry.set("typelib", json::value::string(guid_string(c.typelib)));
        section(doc, "classes").set(key, std::move(entry));
    }
    for (const typelib_registration& t : entries.typelibs) {
        json::value& typelibs = section(doc, "typelibs");
        const std::string key = guid_string(t.libid);
        json::value* versions = typelibs.find(key);
        if (!versions) versions = &typelibs.set(key, json::value::object());
        json::value entry = json::value::object();
        entry.set("path", json::value::string(t.path));
        entry.set("name", json::value::string(t.name));
        versions->set(version_string(t.major, t.minor), std::move(entry));
    }
    return S_OK;
}

HRESULT remove_entries(json::value& doc, const server_registration& entries) {
    for (const class_registration& c : entries.classes) {
        const std::string key = guid_string(c.clsid);
        drop_progids_of(doc, key);
        section(doc, "classes").erase(key);
    }
    json::value& typelibs = section(doc, "typelibs");
    for (const typelib_registration& t : entries.typelibs) {
        const std::string key = guid_string(t.libid);
        json::value* versions = typelibs.find(key);
        if (!versions) continue;
        versions->erase(version_string(t.major, t.minor));
        if (versions->children().empty()) typelibs.erase(key);
    }
    return S_OK;
}

}  // namespace

HRESULT registry_path(std::string& out) noexcept try {
    return resolve_path(out);
} catch (...) {
    return to_hresult();
}

HRESULT read_registry(registry_contents& out) noexcept try {
    return read_contents(out);
} catch (...) {
    return to_hresult();
}

HRESULT register_server(const server_registration& entries) noexcept try {
    return update([&entries](json::value& doc) { return add_entries(doc, entries); });
} catch (...) {
    return to_hresult();
}

HRESULT unregister_server(const server_registration& entries) noexcept try {
    return update([&entries](json::value& doc) { return remove_entries(doc, entries); });
} catch (...) {
    return to_hresult();
}

HRESULT find_class(REFCLSID clsid, class_registration& out) noexcept try {
    registry_contents all;
    if (const HRESULT hr = read_contents(all); FAILED(hr)) return hr;
    for (class_registration& c : all.classes) {
        if (c.clsid == clsid) {
            out = std::move(c);
            return S_OK;
        }
    }
    return REGDB_E_CLASSNOTREG;
} catch (...) {
    return to_hresult();
}

HRESULT find_progid(const std::string& progid, CLSID& out) noexcept try {
    registry_contents all;
    if (const HRESULT hr = read_contents(all); FAILED(hr)) return hr;
    for (const auto& [name, clsid] : all.progids) {
        if (equal_ignoring_case(name, progid)) {
            out = clsid;
            return S_OK;
        }
    }
    return CO_E_CLASSSTRING;
} catch (...) {
    return to_hresult();
}

HRESULT find_typelib(REFGUID libid, WORD major, WORD minor, typelib_registration& out) noexcept try {
    registry_contents all;
    if (const HRESULT hr = read_contents(all); FAILED(hr)) return hr;
    const typelib_registration* best = nullptr;
    for (const typelib_registration& t : all.typelibs)
        if (t.libid == libid && t.major == major && t.minor >= minor && (!best || t.minor > best->minor)) best = &t;
    if (!best) return TYPE_E_LIBNOTREGISTERED;
    out = *best;
    return S_OK;
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
