// The per-user registry file.
//
// Layout on disk (JSON, keys sorted, two-space indent):
//   "classes":  { "{CLSID}": { "progid", "server", "threading", "typelib" } }
//   "progids":  { "ProgID": "{CLSID}" }
//   "typelibs": { "{LIBID}": { "major.minor": { "path", "name" } } }
// GUID keys and values are kept in the canonical braced upper-case form; versions are
// decimal. Members this code does not know are kept as they are on rewrite.
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

#include <nlohmann/json.hpp>

#include <comrt/error.h>

#include "ascii_text.h"

namespace comrt {
namespace {

using json = nlohmann::json;

constexpr off_t kMaxFileSize = 16 * 1024 * 1024;
// Deeper than any registry entry (4 levels) leaves room for members added by hand, and
// bounds the recursion of writing the document back.
constexpr int kMaxDepth = 16;
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

// An flock on "<registry>.lock", released when the object goes.
class registry_lock {
public:
    // operation: LOCK_SH or LOCK_EX. create: make the lock file when it is missing.
    registry_lock(const std::string& registry, int operation, bool create) {
        const std::string path = registry + ".lock";
        fd_ = ::open(path.c_str(), (create ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0644);
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

class file_descriptor {
public:
    explicit file_descriptor(int fd) noexcept : fd_(fd) {}
    ~file_descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    file_descriptor(const file_descriptor&) = delete;
    file_descriptor& operator=(const file_descriptor&) = delete;
    int get() const noexcept { return fd_; }
    // Closes now, reporting the outcome (a delayed write error shows here).
    bool close() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The file's bytes; exists = false (and S_OK) when there is no file.
HRESULT read_text(const std::string& path, std::string& text, bool& exists) {
    text.clear();
    exists = false;
    file_descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT ? S_OK : REGDB_E_READREGDB;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return REGDB_E_READREGDB;
    if (st.st_size > kMaxFileSize) return REGDB_E_INVALIDVALUE;
    exists = true;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return REGDB_E_READREGDB;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > static_cast<std::size_t>(kMaxFileSize)) return REGDB_E_INVALIDVALUE;
    }
    return S_OK;
}

bool write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string parent_folder(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

// Temporary file in the same folder, fsync, rename over path, fsync the folder.
HRESULT write_atomically(const std::string& path, std::string_view text) {
    std::string temp = path + ".XXXXXX";
    file_descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) return REGDB_E_WRITEREGDB;
    const bool written = ::fchmod(fd.get(), 0644) == 0 && write_all(fd.get(), text) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return REGDB_E_WRITEREGDB;
    }
    // The rename itself is durable once the folder is flushed; failing that is not an
    // error of this transaction.
    file_descriptor folder(::open(parent_folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return S_OK;
}

// ---- the document -----------------------------------------------------------------------

bool is_optional_string(const json& entry, const char* key) {
    const auto it = entry.find(key);
    return it == entry.end() || it->is_string();
}

// Rewrites a GUID-keyed object with canonical keys; false when a key is not a GUID.
bool canonical_guid_keys(json& section) {
    json result = json::object();
    for (auto& [key, value] : section.items()) {
        GUID g{};
        if (!parse_guid(key, g)) return false;
        result[guid_string(g)] = std::move(value);
    }
    section = std::move(result);
    return true;
}

bool valid_class(json& entry) {
    if (!entry.is_object()) return false;
    const auto server = entry.find("server");
    if (server == entry.end() || !server->is_string()) return false;
    if (!is_optional_string(entry, "threading") || !is_optional_string(entry, "progid") ||
        !is_optional_string(entry, "typelib"))
        return false;
    if (const auto p = entry.find("progid"); p != entry.end() && !valid_progid(p->get<std::string>())) return false;
    if (const auto t = entry.find("typelib"); t != entry.end()) {
        GUID g{};
        if (!parse_guid(t->get<std::string>(), g)) return false;
        *t = guid_string(g);
    }
    return true;
}

bool valid_typelib(json& versions) {
    if (!versions.is_object()) return false;
    for (auto& [key, entry] : versions.items()) {
        WORD major = 0, minor = 0;
        if (!parse_version(key, major, minor) || !entry.is_object()) return false;
        const auto path = entry.find("path");
        if (path == entry.end() || !path->is_string() || !is_optional_string(entry, "name")) return false;
    }
    return true;
}

// Checks the document's shape and brings GUIDs to their canonical form; false when the
// document is not a registry.
bool normalise(json& doc) {
    if (!doc.is_object()) return false;
    for (const char* section : {"classes", "progids", "typelibs"}) {
        if (!doc.contains(section)) doc[section] = json::object();
        if (!doc[section].is_object()) return false;
    }
    json& classes = doc["classes"];
    if (!canonical_guid_keys(classes)) return false;
    for (auto& [key, entry] : classes.items())
        if (!valid_class(entry)) return false;
    for (auto& [progid, clsid] : doc["progids"].items()) {
        GUID g{};
        if (!valid_progid(progid) || !clsid.is_string() || !parse_guid(clsid.get<std::string>(), g)) return false;
        clsid = guid_string(g);
    }
    json& typelibs = doc["typelibs"];
    if (!canonical_guid_keys(typelibs)) return false;
    for (auto& [key, versions] : typelibs.items())
        if (!valid_typelib(versions)) return false;
    return true;
}

HRESULT parse_document(const std::string& text, json& doc) {
    bool too_deep = false;
    const json::parser_callback_t limit_depth = [&too_deep](int depth, json::parse_event_t, json&) {
        if (depth > kMaxDepth) too_deep = true;
        return !too_deep;
    };
    doc = json::parse(text, limit_depth, /*allow_exceptions=*/false);
    if (too_deep || doc.is_discarded() || !normalise(doc)) return REGDB_E_INVALIDVALUE;
    return S_OK;
}

// Reads and checks the file; a missing file gives an empty registry.
HRESULT load(const std::string& path, json& doc) {
    std::string text;
    bool exists = false;
    if (const HRESULT hr = read_text(path, text, exists); FAILED(hr)) return hr;
    if (!exists) text = "{}";
    return parse_document(text, doc);
}

std::string string_member(const json& entry, const char* key) {
    const auto it = entry.find(key);
    return it == entry.end() ? std::string() : it->get<std::string>();
}

registry_contents contents_of(const json& doc) {
    registry_contents out;
    for (const auto& [key, entry] : doc["classes"].items()) {
        class_registration c;
        parse_guid(key, c.clsid);
        c.progid = string_member(entry, "progid");
        c.server = string_member(entry, "server");
        c.threading = string_member(entry, "threading");
        if (const std::string typelib = string_member(entry, "typelib"); !typelib.empty())
            parse_guid(typelib, c.typelib);
        out.classes.push_back(std::move(c));
    }
    for (const auto& [progid, clsid] : doc["progids"].items()) {
        CLSID id{};
        parse_guid(clsid.get<std::string>(), id);
        out.progids.emplace_back(progid, id);
    }
    for (const auto& [key, versions] : doc["typelibs"].items()) {
        for (const auto& [version, entry] : versions.items()) {
            typelib_registration t;
            parse_guid(key, t.libid);
            parse_version(version, t.major, t.minor);
            t.path = string_member(entry, "path");
            t.name = string_member(entry, "name");
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
    json doc;
    if (const HRESULT hr = load(path, doc); FAILED(hr)) return hr;
    out = contents_of(doc);
    return S_OK;
}

// One write transaction: lock, load, change, write back.
HRESULT update(const std::function<HRESULT(json&)>& change) {
    std::string path;
    if (const HRESULT hr = resolve_path(path); FAILED(hr)) return hr == REGDB_E_READREGDB ? REGDB_E_WRITEREGDB : hr;
    std::error_code ignored;
    std::filesystem::create_directories(parent_folder(path), ignored);
    registry_lock lock(path, LOCK_EX, /*create=*/true);
    if (!lock.held()) return REGDB_E_WRITEREGDB;
    json doc;
    if (const HRESULT hr = load(path, doc); FAILED(hr)) return hr;
    const json before = doc;
    if (const HRESULT hr = change(doc); FAILED(hr)) return hr;
    if (doc == before) return S_OK;  // nothing to write (and no empty file to create)
    std::string text;
    try {
        text = doc.dump(2) + "\n";
    } catch (const json::type_error&) {
        return E_INVALIDARG;  // a string that is not UTF-8, such as a path in another encoding
    }
    return write_atomically(path, text);
}

// Drops every ProgID that names the class clsid_key.
void drop_progids_of(json& doc, const std::string& clsid_key) {
    json& progids = doc["progids"];
    for (auto it = progids.begin(); it != progids.end();) {
        if (it.value() == clsid_key)
            it = progids.erase(it);
        else
            ++it;
    }
}

// Drops a ProgID (any case) wherever it appears, so that it can name a new class.
void drop_progid(json& doc, const std::string& progid) {
    json& progids = doc["progids"];
    for (auto it = progids.begin(); it != progids.end();) {
        if (equal_ignoring_case(it.key(), progid))
            it = progids.erase(it);
        else
            ++it;
    }
    for (auto& [key, entry] : doc["classes"].items()) {
        const auto p = entry.find("progid");
        if (p != entry.end() && equal_ignoring_case(p->get<std::string>(), progid)) entry.erase(p);
    }
}

HRESULT add_entries(json& doc, const server_registration& entries) {
    for (const class_registration& c : entries.classes)
        if (c.server.empty() || (!c.progid.empty() && !valid_progid(c.progid))) return E_INVALIDARG;
    for (const typelib_registration& t : entries.typelibs)
        if (t.path.empty()) return E_INVALIDARG;

    for (const class_registration& c : entries.classes) {
        const std::string key = guid_string(c.clsid);
        drop_progids_of(doc, key);
        json entry = {{"server", c.server}, {"threading", c.threading}};
        if (!c.progid.empty()) {
            drop_progid(doc, c.progid);
            entry["progid"] = c.progid;
            doc["progids"][c.progid] = key;
        }
        if (c.typelib != GUID_NULL) entry["typelib"] = guid_string(c.typelib);
        doc["classes"][key] = std::move(entry);
    }
    for (const typelib_registration& t : entries.typelibs)
        doc["typelibs"][guid_string(t.libid)][version_string(t.major, t.minor)] = {{"path", t.path}, {"name", t.name}};
    return S_OK;
}

HRESULT remove_entries(json& doc, const server_registration& entries) {
    for (const class_registration& c : entries.classes) {
        const std::string key = guid_string(c.clsid);
        drop_progids_of(doc, key);
        doc["classes"].erase(key);
    }
    json& typelibs = doc["typelibs"];
    for (const typelib_registration& t : entries.typelibs) {
        const auto versions = typelibs.find(guid_string(t.libid));
        if (versions == typelibs.end()) continue;
        versions->erase(version_string(t.major, t.minor));
        if (versions->empty()) typelibs.erase(versions);
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
    return update([&entries](json& doc) { return add_entries(doc, entries); });
} catch (...) {
    return to_hresult();
}

HRESULT unregister_server(const server_registration& entries) noexcept try {
    return update([&entries](json& doc) { return remove_entries(doc, entries); });
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
