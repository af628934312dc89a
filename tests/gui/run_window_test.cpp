#include "filelist/file_list_view.h"
#include "gui_support.h"
#include "results/results_window.h"
#include "shell/main_window.h"
#include "test_support.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

using testing::Q;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WaitUntil;
using testing::WriteFile;

class RunWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "one.txt", "From: <Ann@Example.org>\r\nbob@x.com, ann@example.org\r\n");
        WriteFile(dir / "two.txt", "carol@y.net BOB@X.COM dave@z.io.");
        window.show();
    }

    QStringList ResultRows() { return testing::Texts(*window.results().model().list().addresses); }
    bool RunEnded() { return !window.busy(); }

    ScriptedPrompts prompts;
    MainWindow window{prompts};
    TempDir dir;
};

TEST_F(RunWindowTest, ResultsWindowIsLoadedHiddenWithItsToolbar) {
    ResultsWindow& results = window.results();
    EXPECT_FALSE(results.isVisible());
    EXPECT_EQ(results.windowTitle(), "Ornavex");
    // Shown, it has the design size, wider when the toolbar needs it; the
    // filter field above the list, the count line below it, both within the
    // design's margins.
    results.ShowResults(ResultsList{});
    const int width = std::max(608, results.toolbar()->sizeHint().width());
    EXPECT_EQ(results.size(), QSize(width, 296 + 24 + 28));
    const QRect list = results.list()->geometry();
    EXPECT_EQ(list.left(), 8);
    EXPECT_EQ(list.width(), width - 16);
    EXPECT_GE(list.top(), results.toolbar()->geometry().bottom());
    EXPECT_LT(results.filterField()->geometry().bottom(), list.top());
    EXPECT_GT(results.findChild<QLabel*>("statusLine")->geometry().top(), list.bottom());
    results.hide();
    EXPECT_EQ(results.list()->model()->headerData(0, Qt::Horizontal), "Results");
    QStringList captions;
    QList<int> ids;
    for (QAction* action : results.toolbar()->actions()) {
        captions.append(action->text());
        ids.append(action->data().toInt());
    }
    EXPECT_EQ(captions, (QStringList{"Back", "Save Results", "Save Results With Commas",
                                     "Save Results To Clipboard", "Save As CSV...", "Clean List"}));
    EXPECT_EQ(ids, (QList<int>{1000, 1001, 1002, 1003, 1004, 1005}));
    // Only the address column shows at start.
    for (int column = 1; column < results.list()->model()->columnCount(); ++column)
        EXPECT_TRUE(results.list()->horizontalHeader()->isSectionHidden(column)) << column;
    for (QAction* action : results.toolbar()->actions())
        EXPECT_FALSE(action->icon().pixmap(48, 48).isNull()) << action->text().toStdString();
}

TEST_F(RunWindowTest, RunShowsResultsThenBackAllowsASecondRun) {
    window.files().Append({Q(dir / "one.txt"), Q(dir / "two.txt")});
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    const QStringList expected{"Ann@Example.org", "bob@x.com", "carol@y.net", "dave@z.io"};
    EXPECT_EQ(ResultRows(), expected);
    EXPECT_TRUE(window.results().isVisible());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.results().statusText(), "4 unique addresses found, 2 duplicates removed.");
    EXPECT_TRUE(prompts.messages.empty());

    window.results().CommandBars_Execute(1000);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.results().isVisible());
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_EQ(window.files().paths().size(), 2u);

    window.results().CommandBars_Execute(4711); // ignored
    window.CommandBars_Execute(1002);
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    EXPECT_EQ(ResultRows(), expected);
}

TEST_F(RunWindowTest, MissingFileGivesExactlyOneReportAndTheRunGoesOn) {
    window.files().Append({Q(dir / "one.txt"), Q(dir / "gone.txt"), Q(dir / "two.txt")});
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Application Error");
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::kWarning);
    EXPECT_EQ(prompts.messages[0].text,
              Q(dir / "gone.txt") +
                  ": No such file or directory\r\nin Kantrasel7/29/2014.Form1.Start at line 120\r\r"
                  "Please email screenshot of this message to support@velquarn.example");
    EXPECT_EQ(ResultRows().size(), 4);
    EXPECT_TRUE(window.results().isVisible());
}

TEST_F(RunWindowTest, EmptyListOnlySaysNoFilesAdded) {
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "No files added.");
    EXPECT_EQ(prompts.messages[0].title, "Ornavex");
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::kNone);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.results().isVisible());
}

TEST_F(RunWindowTest, FilesWithoutAddressesStillOpenTheResultsWindow) {
    WriteFile(dir / "none.txt", "no addresses at all.");
    window.files().Append(Q(dir / "none.txt"));
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    EXPECT_TRUE(window.results().isVisible());
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_EQ(window.results().statusText(), "0 unique addresses found, 0 duplicates removed.");
}

TEST_F(RunWindowTest, OptionsItemSwitchesReadingInsideFilesForTheNextRun) {
    WriteFile(dir / "page.html", "<!DOCTYPE html><p>ann&#64;example.com</p>");
    window.files().Append(Q(dir / "page.html"));
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    EXPECT_EQ(ResultRows(), QStringList{"ann@example.com"});
    EXPECT_EQ(window.results().statusText(),
              "1 unique address found, 0 duplicates removed, 1 part read inside files.");

    window.results().CommandBars_Execute(1000);
    QAction* readInside = window.findChild<QAction*>("readInside");
    ASSERT_NE(readInside, nullptr);
    readInside->trigger(); // off: the page is raw bytes again
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_EQ(window.results().statusText(), "0 unique addresses found, 0 duplicates removed.");
}

// With the mouse: Start Removing finds the sub-address; then Options >
// Classic Address Pattern, Back, Start Removing again, and it is left out.
TEST_F(RunWindowTest, ClassicPatternItemLeavesOutSubAddressesFromTheNextRun) {
    WriteFile(dir / "subs.txt", "ann+news@example.org \u201Cbob@x.com\u201D");
    window.files().Append(Q(dir / "subs.txt"));
    const auto clickCommand = [](QToolBar* bar, int id) {
        for (QAction* action : bar->actions())
            if (action->data().toInt() == id)
                QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
    };
    clickCommand(window.toolbar(), 1002);
    ASSERT_TRUE(WaitUntil([&] { return RunEnded() && window.results().isVisible(); }));
    EXPECT_EQ(ResultRows(), (QStringList{"ann+news@example.org", "bob@x.com"}));

    clickCommand(window.results().toolbar(), 1000); // Back
    ASSERT_TRUE(window.isVisible());
    QMenuBar* bar = window.menuBar();
    QAction* options = bar->actions()[1];
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(options).center());
    QMenu* menu = options->menu();
    ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }));
    QAction* classic = window.findChild<QAction*>("classicPattern");
    ASSERT_NE(classic, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(classic).center());
    EXPECT_TRUE(classic->isChecked());
    clickCommand(window.toolbar(), 1002);
    ASSERT_TRUE(WaitUntil([&] { return RunEnded() && window.results().isVisible(); }));
    EXPECT_EQ(ResultRows(), QStringList{"bob@x.com"});
}

TEST_F(RunWindowTest, WhileARunWaitsStartIsIgnoredAndEscCancelsIt) {
    // The report for the missing first file holds the run; meanwhile the user
    // presses Start again, clears the list and presses Esc.
    window.files().Append({Q(dir / "gone.txt"), Q(dir / "one.txt"), Q(dir / "two.txt")});
    prompts.whileMessageShows = [&] {
        EXPECT_TRUE(window.busy());
        window.Start();
        window.files().Clear();
        QTest::keyClick(window.list(), Qt::Key_Escape);
    };
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    EXPECT_EQ(prompts.messages.size(), 1u); // the second Start did not run
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.results().isVisible());
    EXPECT_TRUE(ResultRows().isEmpty());
}

TEST_F(RunWindowTest, ClosingDuringARunEndsCleanly) {
    QSignalSpy ended(&window, &MainWindow::programEndRequested);
    window.files().Append({Q(dir / "gone.txt"), Q(dir / "one.txt")});
    prompts.whileMessageShows = [&] { window.close(); };
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window.results().isVisible());
}

TEST_F(RunWindowTest, ClosingTheResultsWindowEndsTheProgram) {
    QSignalSpy ended(&window, &MainWindow::programEndRequested);
    window.files().Append(Q(dir / "one.txt"));
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return RunEnded(); }));
    window.results().close();
    EXPECT_EQ(ended.count(), 1);
}

} // namespace
} // namespace ornavex
