#include "shell/help_commands.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// GUI tests run headless on the offscreen platform (with the screens of a
// configuration file when one is named), with the settings store pointed at
// a temporary folder.
int main(int argc, char** argv) {
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    // No test ever opens a browser or a file manager.
    ornavex::SetTargetOpener([](const QString&, bool) {});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
