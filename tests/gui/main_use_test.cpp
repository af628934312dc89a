// The main window used as people use it: Start pressed while files are
// still being looked for, the Options menu, reports of files that fail, the
// keyboard, and both windows on small and scaled screens.
#include "filelist/file_list_view.h"
#include "gui_support.h"
#include "results/clean_list_dialog.h"
#include "results/results_window.h"
#include "shell/main_window.h"
#include "shell/progress_panel.h"
#include "test_support.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>
#include <zlib.h>

#if ORNAVEX_DOCUMENTS
#include "fixtures.h"
#endif

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::ButtonFor;
using testing::Click;
using testing::Q;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WaitIdle;
using testing::WaitUntil;
using testing::WriteFile;

// Drops files and folders on the list, as a file manager does.
void Drop(QWidget* target, const std::vector<fs::path>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const fs::path& path : paths)
        urls.append(QUrl::fromLocalFile(Q(path)));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
}

// The bytes as one gzip member.
std::string Gzip(const std::string& bytes) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, bytes.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

class MainUse : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "one.txt", "ann@example.org bob@example.org");
        fs::create_directories(dir / "tree/sub");
        WriteFile(dir / "tree/two.txt", "cid@example.org");
        WriteFile(dir / "tree/sub/three.txt", "dan@example.org");
        ASSERT_TRUE(testing::ShowActive(window));
    }
    QStringList ResultRows() { return testing::Texts(*window.results().model().list().addresses); }
    ProgressPanel* Panel() { return window.findChild<ProgressPanel*>("progressPanel"); }
    QWidget* Button(int id) { return ButtonFor(window.toolbar(), id); }
    bool RunShown() { return window.results().isVisible() && !window.busy(); }
    // Opens a menu of the menu bar and clicks one of its items.
    void ClickMenu(const char* title, const char* item) {
        QMenuBar* bar = window.menuBar();
        QAction* menu = window.findChild<QAction*>(QString::fromLatin1(title));
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu).center());
        ASSERT_TRUE(WaitUntil([&] { return menu->menu()->isVisible(); }));
        testing::ClickMenuItem(menu->menu(), item);
    }

    ScriptedPrompts prompts;
    MainWindow window{prompts};
    TempDir dir;
};

// Item 2: Start pressed while a dropped folder is still being looked
// through waits for all its files, with a file in the list or none.
TEST_F(MainUse, StartWaitsForTheFilesStillBeingLookedFor) {
    window.files().Append(Q(dir / "one.txt"));
    Drop(window.list()->viewport(), {dir / "tree"});
    Click(Button(1002));
    ASSERT_TRUE(WaitUntil([&] { return RunShown(); }));
    EXPECT_EQ(ResultRows(), (QStringList{"ann@example.org", "bob@example.org", "cid@example.org",
                                         "dan@example.org"}));
    EXPECT_TRUE(prompts.messages.empty());

    Click(ButtonFor(window.results().toolbar(), kBackId));
    Click(Button(1003));
    Drop(window.list()->viewport(), {dir / "tree"});
    Click(Button(1002));
    ASSERT_TRUE(WaitUntil([&] { return RunShown(); }));
    EXPECT_EQ(ResultRows(), (QStringList{"cid@example.org", "dan@example.org"}));
    EXPECT_TRUE(prompts.messages.empty()); // no "No files added."
}

// Item 3: with Options > Read Inside Documents and Archives off, a
// compressed do-not-mail list is read as it is, as the run's files are.
TEST_F(MainUse, DoNotMailListsAreReadAsTheOptionSays) {
    WriteFile(dir / "do-not-mail.gz", Gzip("bob@example.org\n"));
    window.files().Append(Q(dir / "one.txt"));
    const auto cleanedRows = [&] {
        Click(Button(1002));
        EXPECT_TRUE(WaitUntil([&] { return RunShown(); }));
        ResultsWindow& results = window.results();
        Click(ButtonFor(results.toolbar(), kCleanListId));
        auto* dialog = results.findChild<CleanListDialog*>();
        prompts.openAnswers.push_back({Q(dir / "do-not-mail.gz")});
        Click(dialog->findChild<QPushButton*>("addDoNotMail"));
        EXPECT_TRUE(WaitIdle());
        Click(dialog->findChild<QPushButton*>("applyCleaning"));
        EXPECT_TRUE(WaitIdle());
        QStringList rows;
        for (int row = 0; row < results.model().rowCount(); ++row)
            rows.append(results.model().index(row, 0).data().toString());
        Click(ButtonFor(results.toolbar(), kBackId));
        return rows;
    };
    EXPECT_EQ(cleanedRows(), QStringList{"ann@example.org"});
    ClickMenu("optionsMenu", "readInside");
    EXPECT_FALSE(window.findChild<QAction*>("readInside")->isChecked());
    EXPECT_EQ(cleanedRows(), (QStringList{"ann@example.org", "bob@example.org"}));
}

// Item 4: a folder dropped as a run ends is looked through while the
// results window is up; after Back no strip of it is left.
TEST_F(MainUse, NoStripIsLeftAfterBack) {
    window.files().Append({Q(dir / "gone.txt"), Q(dir / "one.txt")});
    bool answered = false;
    prompts.whileMessageShows = [&] {
        // The strip shows while the run waits for the report.
        EXPECT_TRUE(WaitUntil([&] { return Panel()->isVisible(); }));
        // Once the report is answered the run ends; before the window hears
        // of it, a folder is dropped.
        QTimer::singleShot(0, [&] {
            QThreadPool::globalInstance()->waitForDone();
            Drop(window.list()->viewport(), {dir / "tree"});
            answered = true;
        });
    };
    Click(Button(1002));
    ASSERT_TRUE(WaitUntil([&] { return answered && RunShown(); }));
    Click(ButtonFor(window.results().toolbar(), kBackId));
    ASSERT_TRUE(WaitUntil([&] { return window.isVisible(); }));
    EXPECT_TRUE(Panel()->isHidden());
    EXPECT_EQ(window.files().paths().size(), 4u); // the folder's files came
}

// Item 5: Start on an empty list says so, with no strip behind the message.
TEST_F(MainUse, StartOnAnEmptyListShowsNoStrip) {
    // The strip follows the work: no work under way while the message
    // shows, no strip comes up behind it.
    bool stripShown = false;
    prompts.whileMessageShows = [&] { stripShown = window.busy() || !Panel()->isHidden(); };
    Click(Button(1002));
    ASSERT_TRUE(WaitUntil([&] { return !prompts.messages.empty() && !window.busy(); }));
    EXPECT_EQ(prompts.messages[0].text, "No files added.");
    EXPECT_FALSE(stripShown);
    EXPECT_TRUE(Panel()->isHidden());
}

// Item 6: each report names the file, cut in the middle when long, and the
// member inside it; title, icon and wording are those always shown.
TEST_F(MainUse, ReportsNameTheFileAndTheMember) {
    const fs::path deep = dir / std::string(120, 'd') / "gone.txt";
    window.files().Append({Q(deep), Q(dir / "one.txt")});
#if ORNAVEX_DOCUMENTS
    WriteFile(dir / "bad.pdf", "%PDF-1.4\nnot really\n");
    window.files().Append(Q(dir / "bad.pdf"));
    const std::string zip = testing::MakeArchive(
        testing::ArchiveFormat::kZip, {{"a.txt", "ann@example.com"}, {"b.txt", "bob@example.org"}});
    WriteFile(dir / "cut.zip", zip.substr(0, zip.size() / 2));
    window.files().Append(Q(dir / "cut.zip"));
#endif
    Click(Button(1002));
    ASSERT_TRUE(WaitUntil([&] { return RunShown(); }));
    const QString tail =
        QStringLiteral("\r\nin Kantrasel7/29/2014.Form1.Start at line 120\r\r"
                       "Please email screenshot of this message to support@velquarn.example");
    ASSERT_GE(prompts.messages.size(), 1u);
    for (const auto& message : prompts.messages) {
        EXPECT_EQ(message.title, "Application Error");
        EXPECT_EQ(message.icon, Prompts::Icon::kWarning);
        EXPECT_TRUE(message.text.endsWith(tail)) << message.text.toStdString();
    }
    const QString first = prompts.messages[0].text;
    EXPECT_TRUE(first.startsWith(Q(dir.path()).left(10))) << first.toStdString();
    EXPECT_TRUE(first.contains("…")) << first.toStdString();
    EXPECT_TRUE(first.contains("/gone.txt: No such file or directory\r\n")) << first.toStdString();
    EXPECT_LE(first.indexOf("\r\n"), 100);
#if ORNAVEX_DOCUMENTS
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[1].text, Q(dir / "bad.pdf") + ": Damaged PDF" + tail);
    EXPECT_EQ(prompts.messages[2].text, Q(dir / "cut.zip") + ": b.txt: Damaged archive" + tail);
#endif
}

// Item 12: every command of the main window from the keyboard, the keys
// shown in the menus and the tool tips, and Tab through the toolbar.
TEST_F(MainUse, EveryCommandHasAKey) {
    for (QAction* action : window.toolbar()->actions())
        EXPECT_TRUE(action->toolTip().contains("Ctrl+") || action->toolTip().contains("F5"))
            << action->toolTip().toStdString();
    QAction* startItem = window.findChild<QAction*>("startItem");
    ASSERT_NE(startItem, nullptr);
    EXPECT_EQ(startItem->shortcut(), QKeySequence(Qt::Key_F5));

    prompts.openAnswers.push_back({Q(dir / "one.txt")});
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(window.files().texts(), QStringList{Q(dir / "one.txt")});
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(prompts.textPrompts.size(), 1); // the extension, cancelled
    QTest::keyClick(&window, Qt::Key_F1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("Questions?"));

    QTest::keyClick(&window, Qt::Key_F5);
    ASSERT_TRUE(WaitUntil([&] { return RunShown(); }));
    QTest::keyClick(&window.results(), Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(testing::ShowActive(window));
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([&] { return RunShown(); }));
    QTest::keyClick(&window.results(), Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(testing::ShowActive(window));

    // Tab goes round the toolbar's buttons and the list; Space presses one.
    window.list()->setFocus();
    QStringList reached;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (auto* button = qobject_cast<QToolButton*>(QApplication::focusWidget()))
            reached.append(button->text());
    }
    EXPECT_EQ(reached, (QStringList{"Add Files", "Add Folder", "Clear List", "Start Removing"}));
    QTest::keyClick(window.list(), Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return RunShown(); }));
    QTest::keyClick(&window.results(), Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(testing::ShowActive(window));

    window.files().Append(QStringList{"/x/a.txt", "/x/b.txt"});
    window.list()->selectionModel()->select(window.files().index(1), QItemSelectionModel::Select);
    QTest::keyClick(&window, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window.files().texts(), (QStringList{Q(dir / "one.txt"), "/x/b.txt"}));
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(window.files().texts().isEmpty());
    QSignalSpy ended(&window, &MainWindow::programEndRequested);
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(ended.count(), 1);
}

// Item 11: both windows open whole on the screen they open on, whatever its
// size and scale (the tests run again on an 800x600 screen and on a
// 1366x768 one at 200%); the results window grows and shrinks with its
// list, keeping every toolbar command within reach; the skin's font or its
// metric twin is used.
TEST(ScreenFit, BothWindowsOpenWholeAndTheResultsWindowResizes) {
    ScriptedPrompts prompts;
    MainWindow window(prompts);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.frameGeometry()))
        << window.frameGeometry().width() << "x" << window.frameGeometry().height() << " on "
        << area.width() << "x" << area.height();

    ResultsWindow& results = window.results();
    results.ShowResults(testing::RunList({"ann@example.org"}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&results));
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.contains(results.frameGeometry()))
        << results.frameGeometry().x() << "," << results.frameGeometry().y() << " "
        << results.frameGeometry().width() << "x" << results.frameGeometry().height();
    EXPECT_LE(std::abs(results.frameGeometry().center().x() - area.center().x()), 1);
    // Every toolbar command shows, or is behind the "»" button.
    auto* more = results.toolbar()->findChild<QToolButton*>("qt_toolbar_ext_button");
    ASSERT_NE(more, nullptr);
    EXPECT_LE(results.toolbar()->geometry().right(), results.rect().right());
    EXPECT_EQ(more->isVisible(), results.toolbar()->sizeHint().width() > results.width());

    const QSize before = results.size();
    const int listHeight = results.list()->height();
    results.resize(before.width(), before.height() - 30);
    QCoreApplication::processEvents();
    EXPECT_EQ(results.height(), before.height() - 30);
    EXPECT_EQ(results.list()->height(), listHeight - 30);
    results.resize(360, results.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(results.width(), 360);
    EXPECT_TRUE(more->isVisible());
    EXPECT_LE(results.toolbar()->width(), 360);

    if (QFontDatabase::families().contains("Carlito")) {
        for (QWidget* widget :
             {static_cast<QWidget*>(window.list()), static_cast<QWidget*>(results.list()),
              static_cast<QWidget*>(window.toolbar())}) {
            const QString family = QFontInfo(widget->font()).family();
            EXPECT_TRUE(family == "Calibri" || family == "Carlito") << family.toStdString();
        }
    }
}

} // namespace
} // namespace ornavex
