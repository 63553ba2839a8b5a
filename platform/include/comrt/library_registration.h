/// @file
/// Registering a server library file: what regsvr, the demo, a host and the tests do to
/// make a library's classes creatable by CoCreateInstance. These helpers never throw.
#pragma once

#include <string>

#include <comrt/wintypes.h>

namespace comrt {

/// The absolute, resolved path of a library file, as the registry keeps it, into out.
/// @return S_OK; CO_E_DLLNOTFOUND when the file cannot be resolved (detail, when given,
///         receives the system's reason); E_OUTOFMEMORY.
HRESULT library_file_path(const char* file, std::string& out, std::string* detail = nullptr) noexcept;

/// Loads the server library `file` (dlopen), calls its DllRegisterServer, and unloads
/// it. The registry is the file $COMRT_REGISTRY names, else
/// ~/.config/comrt/registry.json.
/// @return S_OK; CO_E_DLLNOTFOUND for a file that cannot be found; CO_E_ERRORINDLL when
///         it cannot be loaded or lacks the export (detail, when given, says why);
///         otherwise what DllRegisterServer returns.
HRESULT register_server_library(const char* file, std::string* detail = nullptr) noexcept;

/// The same as register_server_library, with DllUnregisterServer.
HRESULT unregister_server_library(const char* file, std::string* detail = nullptr) noexcept;

}  // namespace comrt
