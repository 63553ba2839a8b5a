// Registration of the libraries the demo runs on (library_registration.h).
#include "library_registration.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QFileInfo>

namespace orvane::demo {
namespace {

// The library file: in the program's ../lib folder when there, else as built.
QString LibraryPath(const char* file, const char* built) {
    const QFileInfo beside(QCoreApplication::applicationDirPath() + "/../lib/" + file);
    return beside.exists() ? beside.canonicalFilePath() : QString::fromLocal8Bit(built);
}

HRESULT Register(const QString& path) {
    void* library = ::dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return CO_E_DLLNOTFOUND;
    using RegisterFn = HRESULT (*)();
    const auto reg = reinterpret_cast<RegisterFn>(::dlsym(library, "DllRegisterServer"));
    const HRESULT hr = reg ? reg() : CO_E_ERRORINDLL;
    ::dlclose(library);
    return hr;
}

}  // namespace

LibraryRegistration::LibraryRegistration() {
    if (!qEnvironmentVariableIsEmpty("COMRT_REGISTRY")) return;
    if (!folder_.isValid()) {
        status_ = E_ACCESSDENIED;
        return;
    }
    ::setenv("COMRT_REGISTRY", folder_.filePath("registry.json").toLocal8Bit().constData(), 1);
    const QString libraries[] = {LibraryPath("liborvane.so", ORVANE_LIBRARY),
                                 LibraryPath("libtessel.so", TESSEL_LIBRARY)};
    for (const QString& library : libraries) {
        status_ = Register(library);
        if (FAILED(status_)) {
            failed_ = library;
            return;
        }
    }
}

}  // namespace orvane::demo
