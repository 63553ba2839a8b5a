// Registration of the libraries the demo runs on (library_registration.h).
#include "library_registration.h"

#include <string>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <comrt/library_registration.h>

namespace orvane::demo {
namespace {

constexpr char kRegistryVariable[] = "COMRT_REGISTRY";

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
    if (!qEnvironmentVariableIsEmpty(kRegistryVariable)) return;
    folder_ = std::make_unique<QTemporaryDir>();
    if (!folder_->isValid()) {
        status_ = E_FAIL;
        failure_ = QStringLiteral("no temporary folder for the registry: %1").arg(folder_->errorString());
        folder_.reset();
        return;
    }
    qputenv(kRegistryVariable, QFile::encodeName(folder_->filePath(QStringLiteral("registry.json"))));
    for (const QByteArray& library : {LibraryPath(ORVANE_LIBRARY_FILE), LibraryPath(TESSEL_LIBRARY_FILE)}) {
        add(library);
        if (FAILED(status_)) return;
    }
}

LibraryRegistration::~LibraryRegistration() {
    if (folder_) qunsetenv(kRegistryVariable);
}

void LibraryRegistration::add(const QByteArray& library) {
    std::string detail;
    status_ = comrt::register_server_library(library.constData(), &detail);
    if (FAILED(status_))
        failure_ = detail.empty() ? QString::fromLocal8Bit(library)
                                  : QStringLiteral("%1: %2").arg(QString::fromLocal8Bit(library), QString::fromStdString(detail));
}

}  // namespace orvane::demo
