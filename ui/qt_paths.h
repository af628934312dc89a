#pragma once

#include <QString>
#include <QUrl>
#include <filesystem>

namespace ornavex {

// Conversions between the window's path strings and file system paths that
// keep every path intact, including names that are not valid UTF-8.
std::filesystem::path ToFsPath(const QString& path);
QString ToQString(const std::filesystem::path& path);
// The local file a dropped URL names, byte for byte.
std::filesystem::path PathFromUrl(const QUrl& url);

} // namespace ornavex
