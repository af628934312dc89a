#include "gui_support.h"
#include "results/results_window.h"
#include "test_support.h"

#include <QApplication>
#include <QClipboard>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

using testing::Q;
using testing::ReadFile;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WriteFile;

class ResultsExportsTest : public ::testing::Test {
protected:
    void Fill(AddressList addresses) { window.model().Show(std::move(addresses)); }

    ScriptedPrompts prompts;
    ResultsWindow window{prompts};
    TempDir dir;
};

TEST_F(ResultsExportsTest, SavesLinesAndCommasByteForByte) {
    Fill({"a", "b", "c"});
    prompts.saveAnswers = {Q(dir / "lines.txt"), Q(dir / "commas")};
    window.CommandBars_Execute(1001);
    window.CommandBars_Execute(1002);
    EXPECT_EQ(ReadFile(dir / "lines.txt"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(ReadFile(dir / "commas"), "a,b,c"); // saved under exactly the name typed
    EXPECT_EQ(prompts.dialogTitles, (QStringList{"Save", "Save"}));
    EXPECT_TRUE(prompts.dialogFilters[1].contains("CSV Files (*.csv)"));
    EXPECT_TRUE(prompts.questions.isEmpty()); // new files: no overwrite question
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(ResultsExportsTest, EmptyListWritesEmptyFiles) {
    prompts.saveAnswers = {Q(dir / "lines.txt"), Q(dir / "commas.csv")};
    window.SaveResults();
    window.SaveComma();
    EXPECT_EQ(ReadFile(dir / "lines.txt"), "");
    EXPECT_EQ(ReadFile(dir / "commas.csv"), "");
}

TEST_F(ResultsExportsTest, CancelledDialogWritesNothing) {
    Fill({"a"});
    prompts.saveAnswers = {QString(), QString()};
    window.SaveResults();
    window.SaveComma();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ResultsExportsTest, OverwriteNeedsYesAndNoLeavesTheOldBytes) {
    Fill({"new@x.com"});
    WriteFile(dir / "old.txt", "old content\r\n");
    prompts.saveAnswers = {Q(dir / "old.txt"), Q(dir / "old.txt"), Q(dir / "old.txt")};
    prompts.yesNoAnswers = {false, true, false};
    window.SaveResults();
    EXPECT_EQ(ReadFile(dir / "old.txt"), "old content\r\n");
    window.SaveResults();
    EXPECT_EQ(ReadFile(dir / "old.txt"), "new@x.com\r\n");
    window.SaveComma();
    EXPECT_EQ(ReadFile(dir / "old.txt"), "new@x.com\r\n");
    ASSERT_EQ(prompts.questions.size(), 3);
    EXPECT_EQ(prompts.questions[0],
              "Are you sure you wish to overwrite " + Q(dir / "old.txt") + " ?");
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ResultsExportsTest, CommaSaveAsksWithTheBusyPointer) {
    WriteFile(dir / "old.csv", "x");
    Qt::CursorShape duringQuestion = Qt::ArrowCursor;
    // Looks at the pointer from inside the question.
    class Asking : public ScriptedPrompts {
    public:
        explicit Asking(Qt::CursorShape& seen) : seen_(seen) {}
        bool AskYesNo(QWidget* parent, const QString& text, const QString& title) override {
            seen_ = parent->cursor().shape();
            return ScriptedPrompts::AskYesNo(parent, text, title);
        }

    private:
        Qt::CursorShape& seen_;
    } asking(duringQuestion);
    ResultsWindow watched(asking);
    watched.model().Show({"a", "b"});
    asking.saveAnswers = {Q(dir / "old.csv")};
    asking.yesNoAnswers = {true};
    watched.SaveComma();
    EXPECT_EQ(duringQuestion, Qt::WaitCursor);
    EXPECT_EQ(watched.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(ReadFile(dir / "old.csv"), "a,b");
}

TEST_F(ResultsExportsTest, WriteFailureIsReportedAndTheOldFileStays) {
    Fill({"a@x.com"});
    WriteFile(dir / "plain", "keep me");
    prompts.saveAnswers = {Q(dir / "gone/out.txt"), Q(dir / "plain/out.csv")};
    window.SaveResults();
    window.SaveComma();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::kWarning);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("Could not save " + Q(dir / "gone/out.txt")));
    EXPECT_TRUE(prompts.messages[0].text.contains("No such file or directory"));
    EXPECT_TRUE(prompts.messages[1].text.contains("Not a directory"));
    EXPECT_EQ(ReadFile(dir / "plain"), "keep me");
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ResultsExportsTest, ClipboardGetsOneLinePerAddressAndTheHintEveryTime) {
    QApplication::clipboard()->setText(QStringLiteral("before"));
    window.CopyResultsToClipboard(); // empty list: the clipboard keeps its text
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    Fill({"a", "b", "c"});
    window.CommandBars_Execute(1003);
    ASSERT_TRUE(testing::WaitUntil([&] { return !window.copying(); }));
    EXPECT_EQ(QApplication::clipboard()->text(), "a\r\nb\r\nc\r\n");
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              "Results have been copied to the clipboard.\r\rClick a text area where you "
              "normally type and press Ctrl+V to paste the clipboard.");
    EXPECT_EQ(window.model().rowCount(), 3);
}

} // namespace
} // namespace ornavex
