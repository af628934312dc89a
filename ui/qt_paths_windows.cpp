#include "ui/qt_paths.h"

namespace ornavex {

// Paths are UTF-16 on Windows, as QString is.
std::filesystem::path ToFsPath(const QString& path) {
    return std::filesystem::path(path.toStdWString());
}

QString ToQString(const std::filesystem::path& path) {
    return QString::fromStdWString(path.native());
}

std::filesystem::path PathFromUrl(const QUrl& url) {
    return std::filesystem::path(url.toLocalFile().toStdWString());
}

} // namespace ornavex
