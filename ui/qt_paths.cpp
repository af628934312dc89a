#include "ui/qt_paths.h"

#include <QFile>

namespace ornavex {

std::filesystem::path ToFsPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), bytes.size()));
#endif
}

QString ToQString(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path PathFromUrl(const QUrl& url) {
#ifdef _WIN32
    return std::filesystem::path(url.toLocalFile().toStdWString());
#else
    // The encoded form keeps names that are not valid UTF-8 intact.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return std::filesystem::path(std::string(bytes.constData(), bytes.size()));
#endif
}

} // namespace ornavex
