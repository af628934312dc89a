#include "shell/settings_store.h"

#include <QSettings>

namespace ornavex {

void SettingsStore::Write(const QString& key, const QString& value) {
    QSettings settings(QSettings::UserScope, QStringLiteral("Velquarn"),
                       QStringLiteral("Velquarn"));
    settings.beginGroup(QStringLiteral("Ornavex"));
    settings.setValue(key, value);
}

} // namespace ornavex
