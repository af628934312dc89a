#include "ui/qt_paths.h"

#include <QFile>

namespace ornavex {

// Paths are bytes here: names are taken in the system's encoding, so names
// that are not valid UTF-8 stay intact.
std::filesystem::path ToFsPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), bytes.size()));
}

QString ToQString(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path PathFromUrl(const QUrl& url) {
    // The encoded form keeps names that are not valid UTF-8 intact.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return std::filesystem::path(std::string(bytes.constData(), bytes.size()));
}

} // namespace ornavex
