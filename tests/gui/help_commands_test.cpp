#include "filelist/file_list_model.h"
#include "gui_support.h"
#include "shell/help_commands.h"
#include "ui/window_helpers.h"

#include <QDir>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

using testing::ScriptedPrompts;

class HelpCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTargetOpener([this](const QString& target, bool isUrl) {
            opened.append((isUrl ? "url " : "file ") + target);
        });
    }
    void TearDown() override {
        SetTargetOpener([](const QString&, bool) {});
    }

    QStringList opened;
    ScriptedPrompts prompts;
    QWidget parent;
    FileListModel files;
};

TEST_F(HelpCommandsTest, WebPagesGoToTheMakersSite) {
    OpenFaqPage();
    OpenMainPage();
    EXPECT_EQ(opened, (QStringList{"url http://www.velquarn.example/question/",
                                   "url http://www.velquarn.example/"}));
}

TEST_F(HelpCommandsTest, SampleFilesAreAddedEachTimeAndTheFolderOpensOnYes) {
    // The build copies the shipped samples beside the executables.
    const QString samples = QDir(ProgramFolder()).filePath("Samples");
    const QStringList names = QDir(samples).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    ASSERT_FALSE(names.isEmpty());

    prompts.yesNoAnswers = {false, true};
    LoadSampleFiles(parent, prompts, files);
    EXPECT_EQ(files.texts().size(), names.size());
    EXPECT_EQ(files.texts().first(), QDir(samples).filePath(names.first()));
    EXPECT_TRUE(opened.isEmpty()); // No: nothing opens

    LoadSampleFiles(parent, prompts, files);
    EXPECT_EQ(files.texts().size(), 2 * names.size());
    EXPECT_EQ(opened, (QStringList{"file " + samples}));
    ASSERT_EQ(prompts.questions.size(), 2);
    EXPECT_TRUE(prompts.questions[0].startsWith("Would you like this software to open the folder"));
}

TEST_F(HelpCommandsTest, MainPageOpensOnlyOnADrawOfSeven) {
    // r in [0, 1) draws whole(r * 100) + 1.
    for (double r : {0.0, 0.05, 0.0599, 0.07, 0.5, 0.9999})
        EXPECT_FALSE(MainPageDraw([r] { return r; })) << r;
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(MainPageDraw([] { return 0.06; }));
    EXPECT_TRUE(MainPageDraw([] { return 0.0699; }));
    EXPECT_EQ(opened, (QStringList{"url http://www.velquarn.example/",
                                   "url http://www.velquarn.example/"}));
    // About one start in a hundred with the real source.
    const auto uniform = ClockSeededUniform();
    int sevens = 0;
    for (int i = 0; i < 100000; ++i)
        sevens += static_cast<int>(uniform() * 100) + 1 == 7;
    EXPECT_GT(sevens, 800);
    EXPECT_LT(sevens, 1200);
}

TEST(TargetUrls, PathsWithShellCharactersSurviveTheTripToTheDesktop) {
    // The desktop's opener gets a file URL; the path inside is exactly ours.
    for (const QString& path :
         {QStringLiteral("/tmp/a b/c'd\"e/$(rm -rf ~);`x`|&.txt"), QStringLiteral("/tmp/-x"),
          QStringLiteral("/tmp/na\u00efve \u03a9/%20literal")}) {
        const QUrl url = QUrl::fromLocalFile(path);
        EXPECT_TRUE(url.isLocalFile());
        EXPECT_EQ(url.toLocalFile(), path);
    }
}

TEST_F(HelpCommandsTest, DemoVideoFallsBackToTheFolder) {
    OpenDemoVideo();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith("file " + QDir(ProgramFolder()).filePath("Video")));
}

} // namespace
} // namespace ornavex
