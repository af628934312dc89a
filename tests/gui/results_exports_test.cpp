#include "gui_support.h"
#include "results/results_window.h"
#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

using testing::Q;
using testing::ReadFile;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WriteFile;

// Waits until what was asked of the window (an export, an order, a filter)
// is done: that is off the window's thread.
void Settle(ResultsWindow& window) {
    ASSERT_TRUE(testing::WaitUntil([&] { return !window.busy(); }));
}

class ResultsExportsTest : public ::testing::Test {
protected:
    void Fill(const std::vector<std::string>& addresses) {
        window.model().Show(testing::RunList(addresses));
    }
    void Do(int id) {
        window.CommandBars_Execute(id);
        Settle(window);
    }

    ScriptedPrompts prompts;
    ResultsWindow window{prompts};
    TempDir dir;
};

TEST_F(ResultsExportsTest, SavesLinesAndCommasByteForByte) {
    Fill({"a", "b", "c"});
    prompts.saveAnswers = {Q(dir / "lines.txt"), Q(dir / "commas")};
    Do(1001);
    Do(1002);
    EXPECT_EQ(ReadFile(dir / "lines.txt"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(ReadFile(dir / "commas"), "a,b,c"); // saved under exactly the name typed
    EXPECT_EQ(prompts.dialogTitles, (QStringList{"Save", "Save"}));
    EXPECT_TRUE(prompts.dialogFilters[1].contains("CSV Files (*.csv)"));
    EXPECT_TRUE(prompts.questions.isEmpty()); // new files: no overwrite question
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// The filter, the Clean List dialog and the header's orders decide the rows
// shown, and every export writes those rows.
TEST_F(ResultsExportsTest, FilterCleaningAndOrderShapeWhatTheExportsWrite) {
    auto details = std::make_shared<RunDetails>();
    details->members.push_back("in.zip: list.txt");
    details->sources = {{1, 0, 0, 2}, {5, 0, 0, 3}, {2, 1, 0, 1}, {3, 1, 0, 4}, {3, 1, 1, 7}};
    ResultsList list = testing::RunList({"Ann@example.com", "noreply@example.com", "logo@2x.png",
                                         "bob@b.org", "carl@sub.example.com"});
    list.details = details;
    list.fileNames = std::make_shared<std::vector<std::string>>(
        std::vector<std::string>{"a, \"b\".txt", "c.txt"});
    list.summary.addressesFound = 5 + 9;
    window.ShowResults(list);
    EXPECT_EQ(window.statusText(), "5 unique addresses found, 9 duplicates removed.");

    window.filterField()->setText("EXAMPLE");
    Settle(window);
    EXPECT_EQ(window.model().rowCount(), 3);
    EXPECT_TRUE(window.statusText().endsWith(" 3 rows shown."));

    window.CommandBars_Execute(kCleanListId);
    auto* dialog = window.findChild<CleanListDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QCheckBox*>("realDomains")->setChecked(true);
    dialog->findChild<QCheckBox*>("dropRoles")->setChecked(true);
    auto* preview = dialog->findChild<QLabel*>("cleanPreview");
    // Counted over the whole list, before anything is applied.
    EXPECT_TRUE(QTest::qWaitFor([&] { return preview->text().contains("1 role accounts; 3"); }))
        << preview->text().toStdString();
    EXPECT_TRUE(preview->text().contains("1 without a real domain"));
    EXPECT_EQ(window.model().rowCount(), 3);
    dialog->findChild<QPushButton*>("applyCleaning")->click();
    Settle(window);
    EXPECT_EQ(window.model().rowCount(), 2);
    EXPECT_TRUE(window.statusText().endsWith(" 2 rows shown, 2 addresses cleaned away."));

    window.HeaderMenu()->findChild<QAction*>("countOrder")->trigger();
    Settle(window);
    window.HeaderMenu()->findChild<QAction*>("showCount")->setChecked(true);
    EXPECT_FALSE(window.list()->horizontalHeader()->isSectionHidden(ResultsModel::kCountColumn));
    prompts.saveAnswers = {Q(dir / "lines.txt"), Q(dir / "list.csv")};
    Do(kSaveResultsId);
    Do(kSaveCsvId);
    EXPECT_EQ(ReadFile(dir / "lines.txt"), "carl@sub.example.com\r\nAnn@example.com\r\n");
    EXPECT_EQ(ReadFile(dir / "list.csv"), "address,count,first_file,first_line\r\n"
                                          "carl@sub.example.com,3,c.txt: in.zip: list.txt,7\r\n"
                                          "Ann@example.com,1,\"a, \"\"b\"\".txt\",2\r\n");

    // Back undoes it all: the next list shows whole.
    window.Back();
    window.ShowResults(testing::RunList({"x@y.zz", "noreply@y.zz"}));
    EXPECT_EQ(window.model().rowCount(), 2);
    EXPECT_TRUE(window.filterField()->text().isEmpty());
}

TEST_F(ResultsExportsTest, EmptyListWritesEmptyFiles) {
    prompts.saveAnswers = {Q(dir / "lines.txt"), Q(dir / "commas.csv")};
    Do(kSaveResultsId);
    Do(kSaveCommaId);
    EXPECT_EQ(ReadFile(dir / "lines.txt"), "");
    EXPECT_EQ(ReadFile(dir / "commas.csv"), "");
}

TEST_F(ResultsExportsTest, CancelledDialogWritesNothing) {
    Fill({"a"});
    prompts.saveAnswers = {QString(), QString()};
    Do(kSaveResultsId);
    Do(kSaveCommaId);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ResultsExportsTest, OverwriteNeedsYesAndNoLeavesTheOldBytes) {
    Fill({"new@x.com"});
    WriteFile(dir / "old.txt", "old content\r\n");
    prompts.saveAnswers = {Q(dir / "old.txt"), Q(dir / "old.txt"), Q(dir / "old.txt")};
    prompts.yesNoAnswers = {false, true, false};
    Do(kSaveResultsId);
    EXPECT_EQ(ReadFile(dir / "old.txt"), "old content\r\n");
    Do(kSaveResultsId);
    EXPECT_EQ(ReadFile(dir / "old.txt"), "new@x.com\r\n");
    Do(kSaveCommaId);
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
    watched.model().Show(testing::RunList({"a", "b"}));
    asking.saveAnswers = {Q(dir / "old.csv")};
    asking.yesNoAnswers = {true};
    watched.SaveComma();
    Settle(watched);
    EXPECT_EQ(duringQuestion, Qt::WaitCursor);
    EXPECT_EQ(watched.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(ReadFile(dir / "old.csv"), "a,b");
}

TEST_F(ResultsExportsTest, WriteFailureIsReportedAndTheOldFileStays) {
    Fill({"a@x.com"});
    WriteFile(dir / "plain", "keep me");
    prompts.saveAnswers = {Q(dir / "gone/out.txt"), Q(dir / "plain/out.csv")};
    Do(kSaveResultsId);
    Do(kSaveCommaId);
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
    Do(kCopyToClipboardId); // empty list: the clipboard keeps its text
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    Fill({"a", "b", "c"});
    Do(1003);
    ASSERT_TRUE(testing::WaitUntil([&] { return !window.copying(); }));
    EXPECT_EQ(QApplication::clipboard()->text(), "a\r\nb\r\nc\r\n");
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              "Results have been copied to the clipboard.\r\rClick a text area where you "
              "normally type and press Ctrl+V to paste the clipboard.");
    EXPECT_EQ(window.model().rowCount(), 3);
}

// The First File column shows a name's control bytes escaped, so a name
// cannot break its row; the CSV keeps the name as it is, quoted.
TEST_F(ResultsExportsTest, FirstFileColumnShowsControlBytesEscaped) {
    auto details = std::make_shared<RunDetails>();
    details->sources = {{1, 0, 0, 1}};
    const std::string name = "x\x1b[2J\ny.txt";
    ResultsList list = testing::RunList({"a@b.cd"});
    list.details = details;
    list.fileNames = std::make_shared<std::vector<std::string>>(std::vector<std::string>{name});
    window.model().Show(list);
    Settle(window);
    const QModelIndex cell = window.model().index(0, ResultsModel::kFirstFileColumn);
    EXPECT_EQ(window.model().data(cell, Qt::DisplayRole).toString(), "x\\e[2J\\ny.txt");
    prompts.saveAnswers = {Q(dir / "list.csv")};
    window.CommandBars_Execute(kSaveCsvId);
    Settle(window);
    EXPECT_EQ(ReadFile(dir / "list.csv"),
              "address,count,first_file,first_line\r\na@b.cd,1,\"" + name + "\",1\r\n");
}

} // namespace
} // namespace ornavex
