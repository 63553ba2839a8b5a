// The per-user registry: which library serves each class, ProgIDs, and where each type
// library lives.
//
// Location: $COMRT_REGISTRY when set and not empty, otherwise
// $XDG_CONFIG_HOME/comrt/registry.json ($XDG_CONFIG_HOME defaults to ~/.config).
// The file is human-readable JSON:
//
//     {
//       "classes":  { "{CLSID}": { "progid": "Tessel.clsTessel", "server": "/abs/libtessel.so",
//                                  "threading": "Apartment", "typelib": "{LIBID}" } },
//       "progids":  { "Tessel.clsTessel": "{CLSID}" },
//       "typelibs": { "{LIBID}": { "1.0": { "path": "/abs/libtessel.so", "name": "Tessel" } } }
//     }
//
// Every change is one transaction under an exclusive advisory lock (flock on the file
// "<registry>.lock" next to it): read, change, write a temporary file in the same folder,
// fsync, rename over the old one. Readers take a shared lock. A damaged file (truncated,
// not JSON, or JSON of another shape) is reported as REGDB_E_INVALIDVALUE and is never
// overwritten. ProgIDs are ASCII and compare without regard to ASCII case.
//
// These are C++ helpers for the platform's own code and tools; they never throw.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <comrt/guid.h>

namespace comrt {

// One class: the library that serves it, in process.
struct class_registration {
    CLSID clsid{};
    std::string progid;                   // "Library.Class"; empty for none
    std::string server;                   // absolute path of the library
    std::string threading = "Apartment";  // threading model
    GUID typelib{};                       // GUID_NULL for none
};

// One version of one type library.
struct typelib_registration {
    GUID libid{};
    WORD major = 0;
    WORD minor = 0;
    std::string path;  // absolute path of the library that carries it
    std::string name;  // the library's name, e.g. "Tessel"
};

// What one library registers or unregisters in one transaction.
struct server_registration {
    std::vector<class_registration> classes;
    std::vector<typelib_registration> typelibs;
};

// The whole registry, as read.
struct registry_contents {
    std::vector<class_registration> classes;
    std::vector<std::pair<std::string, CLSID>> progids;
    std::vector<typelib_registration> typelibs;
};

// The registry file's path (see above).
//   out: the path. S_OK; REGDB_E_READREGDB when no home folder can be found;
//   E_OUTOFMEMORY.
HRESULT registry_path(std::string& out) noexcept;

// Reads the whole registry. A missing file is an empty registry.
//   out: replaced by the contents (left empty on failure). S_OK;
//   REGDB_E_INVALIDVALUE for a damaged file; REGDB_E_READREGDB when it cannot be read;
//   E_OUTOFMEMORY.
HRESULT read_registry(registry_contents& out) noexcept;

// Adds or replaces, in one transaction, each class (by CLSID), its ProgID (which then
// names that class only; a ProgID the class held before is dropped) and each type library
// version. Creates the file and its folder when missing.
//   S_OK; E_INVALIDARG for an entry without a server path or with a ProgID that is not
//   ASCII letters, digits and periods; REGDB_E_INVALIDVALUE when the file is damaged (it
//   is left untouched); REGDB_E_WRITEREGDB when it cannot be written; E_OUTOFMEMORY.
HRESULT register_server(const server_registration& entries) noexcept;

// Removes, in one transaction, each class given (by CLSID; the other fields are not
// compared), every ProgID that names one of them, and each type library version given
// (by library id, major and minor). Entries that are not registered are skipped.
//   S_OK; REGDB_E_INVALIDVALUE for a damaged file (left untouched); REGDB_E_WRITEREGDB;
//   E_OUTOFMEMORY.
HRESULT unregister_server(const server_registration& entries) noexcept;

// Looks one class up.
//   out: the entry. S_OK; REGDB_E_CLASSNOTREG when the class is not registered; the
//   errors of read_registry.
HRESULT find_class(REFCLSID clsid, class_registration& out) noexcept;

// Looks a ProgID up (ASCII case-insensitive).
//   out: its class. S_OK; CO_E_CLASSSTRING when the ProgID is not registered; the
//   errors of read_registry.
HRESULT find_progid(const std::string& progid, CLSID& out) noexcept;

// Looks a type library up: the registered version with the given major version and the
// highest minor version not below the one asked for.
//   out: the entry. S_OK; TYPE_E_LIBNOTREGISTERED when there is none; the errors of
//   read_registry.
HRESULT find_typelib(REFGUID libid, WORD major, WORD minor, typelib_registration& out) noexcept;

// The braced upper-case text form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
inline std::string guid_string(REFGUID g) {
    OLECHAR wide[39];
    StringFromGUID2(g, wide, 39);
    return std::string(wide, wide + 38);
}

}  // namespace comrt
