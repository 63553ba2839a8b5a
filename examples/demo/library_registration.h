// The demo runs on the libraries it was built with: it registers them in a registry of
// its own (a temporary folder), so nothing of the user's registry changes.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <comrt/wintypes.h>

namespace orvane::demo {

class LibraryRegistration {
public:
    // Points the platform's registry ($COMRT_REGISTRY) at a new temporary file and
    // registers liborvane.so and libtessel.so (those next to the program's own folder,
    // else the ones it was built with) there. When $COMRT_REGISTRY is set already, it is
    // used as it is and nothing is registered.
    LibraryRegistration();

    // S_OK, or why a library could not be registered.
    HRESULT status() const noexcept { return status_; }
    // The library that failed, for the message.
    const QString& failedLibrary() const noexcept { return failed_; }

private:
    QTemporaryDir folder_;
    HRESULT status_ = S_OK;
    QString failed_;
};

}  // namespace orvane::demo
