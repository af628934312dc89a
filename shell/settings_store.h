#pragma once

#include <QString>

namespace ornavex {

// The per-user settings store: application "Velquarn", section "Ornavex".
// The program only writes to it; nothing is ever read back.
class SettingsStore {
public:
    static void Write(const QString& key, const QString& value);
};

} // namespace ornavex
