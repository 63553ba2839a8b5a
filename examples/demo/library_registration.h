// The demo runs on the libraries it was built with: it registers them in a registry of
// its own (a temporary folder), so nothing of the user's registry changes.
#pragma once

#include <optional>

#include <QString>

#include <comrt/wintypes.h>
#include <testing/temporary_registry.h>

namespace orvane::demo {

class LibraryRegistration {
public:
    // Points the platform's registry ($COMRT_REGISTRY) at a new temporary file and
    // registers liborvane.so and libtessel.so there: those of the tree the program lies
    // in, installed (bin/ and the library folder) or as built (bin/ and lib/). When
    // $COMRT_REGISTRY is set already, it is used as it is and nothing is registered.
    LibraryRegistration();

    // S_OK, or why a library could not be registered.
    HRESULT status() const noexcept { return registry_ ? registry_->status() : S_OK; }
    // What failed (the library and the reason), for the message.
    QString failure() const;

private:
    std::optional<pg_testing::TemporaryRegistry> registry_;
};

}  // namespace orvane::demo
