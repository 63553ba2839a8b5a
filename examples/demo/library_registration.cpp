// Registration of the libraries the demo runs on (library_registration.h).
#include "library_registration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvane::demo {
namespace {

// The library file in the installed tree's library folder, else in the build tree's, both
// relative to the program's folder. When neither exists, the installed path: the
// registration then fails naming it.
QByteArray LibraryPath(const char* file) {
    const QDir programs(QCoreApplication::applicationDirPath());
    QString first;
    for (const char* folder : {DEMO_INSTALLED_LIBDIR, DEMO_BUILT_LIBDIR}) {
        const QFileInfo candidate(programs.filePath(QString::fromUtf8(folder) + '/' + QString::fromUtf8(file)));
        if (candidate.exists()) return candidate.canonicalFilePath().toLocal8Bit();
        if (first.isEmpty()) first = candidate.absoluteFilePath();
    }
    return first.toLocal8Bit();
}

}  // namespace

LibraryRegistration::LibraryRegistration() {
    if (!qEnvironmentVariableIsEmpty("COMRT_REGISTRY")) return;
    registry_.emplace();
    for (const QByteArray& library : {LibraryPath(ORVANE_LIBRARY_FILE), LibraryPath(TESSEL_LIBRARY_FILE)}) {
        if (FAILED(registry_->status())) return;
        registry_->add(library.constData());
    }
}

QString LibraryRegistration::failure() const {
    return registry_ ? QString::fromStdString(registry_->failure()) : QString();
}

}  // namespace orvane::demo
