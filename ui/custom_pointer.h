#pragma once

#include <QCursor>
#include <QString>
#include <optional>

namespace ornavex {

// Loads a pointer picture from a Windows cursor (.CUR) file, hot spot
// included. Nothing when the file is missing or cannot be read.
std::optional<QCursor> LoadCustomPointer(const QString& path);

// The custom pointer file beside the program: "HAND-M.CUR".
QString CustomPointerFile();

} // namespace ornavex
