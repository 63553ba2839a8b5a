// Registration of the libraries the demo runs on (library_registration.h).
#include "library_registration.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orvane::demo {
namespace {

// The library file: in the program's ../lib folder when there, else as built.
QByteArray LibraryPath(const char* file, const char* built) {
    const QFileInfo beside(QCoreApplication::applicationDirPath() + "/../lib/" + file);
    return beside.exists() ? beside.canonicalFilePath().toLocal8Bit() : QByteArray(built);
}

}  // namespace

LibraryRegistration::LibraryRegistration() {
    if (!qEnvironmentVariableIsEmpty("COMRT_REGISTRY")) return;
    registry_.emplace();
    for (const QByteArray& library : {LibraryPath("liborvane.so", ORVANE_LIBRARY),
                                      LibraryPath("libtessel.so", TESSEL_LIBRARY)}) {
        if (FAILED(registry_->status())) return;
        registry_->add(library.constData());
    }
}

QString LibraryRegistration::failure() const {
    return registry_ ? QString::fromStdString(registry_->failure()) : QString();
}

}  // namespace orvane::demo
