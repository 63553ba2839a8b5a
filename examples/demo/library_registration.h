// The demo runs on the libraries it was built with: it registers them in a registry of
// its own (a temporary folder), so nothing of the user's registry changes.
#pragma once

#include <memory>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <comrt/wintypes.h>

namespace orvane::demo {

class LibraryRegistration {
public:
    // Points the platform's registry ($COMRT_REGISTRY) at a file in a new temporary
    // folder and registers liborvane.so and libtessel.so there: those of the tree the
    // program lies in, installed (bin/ and the library folder) or as built (bin/ and
    // lib/). When $COMRT_REGISTRY is set already, it is used as it is and nothing is
    // registered. The destructor puts the variable back and removes the folder.
    LibraryRegistration();
    ~LibraryRegistration();
    LibraryRegistration(const LibraryRegistration&) = delete;
    LibraryRegistration& operator=(const LibraryRegistration&) = delete;

    // S_OK, or why a library could not be registered.
    HRESULT status() const noexcept { return status_; }
    // What failed (the library and the reason), for the message.
    QString failure() const { return failure_; }

private:
    void add(const QByteArray& library);

    std::unique_ptr<QTemporaryDir> folder_;  // none: the caller's registry is used
    HRESULT status_ = S_OK;
    QString failure_;
};

}  // namespace orvane::demo
