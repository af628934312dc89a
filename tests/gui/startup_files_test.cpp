#include "gui_support.h"
#include "shell/skin.h"
#include "test_support.h"
#include "ui/custom_pointer.h"
#include "ui/window_helpers.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

using testing::Q;
using testing::TempDir;
using testing::WriteFile;

TEST(Skin, AppliedOnlyWhenTheFileIsThereAndNotHidden) {
    TempDir dir;
    const QString sheet = QStringLiteral("QMainWindow { border: 1px solid gray; }");
    WriteFile(dir / "o.cjs", sheet.toStdString());
    WriteFile(dir / ".o.cjs", sheet.toStdString());

    QWidget absent;
    EXPECT_FALSE(ApplySkin(absent, Q(dir / "missing.cjs")));
    EXPECT_TRUE(absent.styleSheet().isEmpty());
    EXPECT_FALSE(absent.autoFillBackground());

    QWidget hidden;
    EXPECT_FALSE(ApplySkin(hidden, Q(dir / ".o.cjs")));
    EXPECT_TRUE(hidden.styleSheet().isEmpty());

    QWidget folder;
    EXPECT_FALSE(ApplySkin(folder, Q(dir.path())));

    QWidget skinned;
    EXPECT_TRUE(ApplySkin(skinned, Q(dir / "o.cjs")));
    EXPECT_EQ(skinned.styleSheet(), sheet);
    EXPECT_EQ(skinned.palette().color(QPalette::Window), skinned.palette().color(QPalette::Button));
}

TEST(CustomPointer, LoadsTheShippedHandWithItsHotSpot) {
    const std::optional<QCursor> hand = LoadCustomPointer(CustomPointerFile());
    ASSERT_TRUE(hand.has_value());
    EXPECT_EQ(hand->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(hand->hotSpot(), QPoint(9, 0));
}

TEST(CustomPointer, MissingOrBrokenFilesAreSkippedSilently) {
    TempDir dir;
    EXPECT_FALSE(LoadCustomPointer(Q(dir / "HAND-M.CUR")).has_value());
    WriteFile(dir / "short.cur", std::string("\0\0\2\0", 4));
    EXPECT_FALSE(LoadCustomPointer(Q(dir / "short.cur")).has_value());
    WriteFile(dir / "text.cur", std::string(200, 'x'));
    EXPECT_FALSE(LoadCustomPointer(Q(dir / "text.cur")).has_value());
    std::string truncated = testing::ReadFile(CustomPointerFile().toStdString()).substr(0, 100);
    WriteFile(dir / "truncated.cur", truncated);
    EXPECT_FALSE(LoadCustomPointer(Q(dir / "truncated.cur")).has_value());
}

TEST(ShippedFiles, FoundBesideTheProgramOrInItsShareFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir / "build/bin/Samples");
    std::filesystem::create_directories(dir / "usr/bin");
    std::filesystem::create_directories(dir / "usr/share/ornavex/Samples");
    EXPECT_EQ(ShippedFile(Q(dir / "build/bin"), "Samples"), Q(dir / "build/bin/Samples"));
    EXPECT_EQ(ShippedFile(Q(dir / "usr/bin"), "Samples"), Q(dir / "usr/share/ornavex/Samples"));
    // Missing everywhere: the place beside the program, which then reads as missing.
    EXPECT_EQ(ShippedFile(Q(dir / "usr/bin"), "x/o.cjs"), Q(dir / "usr/bin/x/o.cjs"));
}

} // namespace
} // namespace ornavex
