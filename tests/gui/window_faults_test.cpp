#include "filelist/file_list_view.h"
#include "gui_support.h"
#include "results/results_window.h"
#include "shell/command_line.h"
#include "shell/main_window.h"
#include "shell/progress_panel.h"
#include "test_support.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::Q;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WaitUntil;
using testing::WriteFile;

class WindowFaults : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    ProgressPanel* Panel() { return window.findChild<ProgressPanel*>("progressPanel"); }

    ScriptedPrompts prompts;
    MainWindow window{prompts};
    TempDir dir;
};

TEST(CommandLineOfTheWindow, QtSeesOnlyWhatComesBeforeTheDashes) {
    std::string words[] = {"ornavex", "a.txt", "--", "-platform", "-reverse"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(),
                    words[4].data()};
    EXPECT_EQ(QtOptionsEnd(5, argv), 2);
    EXPECT_EQ(QtOptionsEnd(2, argv), 2);
    // Qt left "a.txt" of its part; everything after "--" is a path.
    const auto paths = NamedPaths(2, argv, 2, 5);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0].filename(), "a.txt");
    EXPECT_EQ(paths[1].filename(), "-platform");
    EXPECT_EQ(paths[2].filename(), "-reverse");
    EXPECT_TRUE(paths[2].is_absolute());
}

// A file named like one of Qt's options, after "--", neither aborts the
// program nor changes how it starts.
TEST(CommandLineOfTheWindow, FilesNamedLikeQtOptionsAreFiles) {
    TempDir dir;
    const testing::ProcessResult run = testing::RunCommand(
        "cd " + testing::ShellQuote(dir.path()) + " && QT_QPA_PLATFORM=offscreen timeout 3 " +
        testing::ShellQuote(ORNAVEX_GUI_PATH) + " -- -platform nothing.txt");
    EXPECT_EQ(run.exitCode, 124) << run.err; // still running when the time was up
}

// --help and --version need no display; after "--" they are file names.
TEST(CommandLineOfTheWindow, HelpAndVersionAnswerWithoutAWindow) {
    const std::string program = "env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY timeout 3 " +
                                testing::ShellQuote(ORNAVEX_GUI_PATH);
    const testing::ProcessResult version = testing::RunCommand(program + " --version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "ornavex " ORNAVEX_VERSION "\n");
    const testing::ProcessResult help = testing::RunCommand(program + " --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: ornavex [QT OPTIONS] [--] [PATH...]"), std::string::npos);
}

// A dark desktop: the skin takes its colours from the palette, so the list,
// its header, the menus and the toolbar are all dark, and so is the text's
// opposite.
TEST(Skin, ReadsWellOnADarkDesktop) {
    const QPalette light = QApplication::palette();
    QPalette dark;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        dark.setColor(role, QColor(40, 40, 44));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(235, 235, 235));
    dark.setColor(QPalette::Light, QColor(70, 70, 74));
    dark.setColor(QPalette::Midlight, QColor(60, 60, 64));
    dark.setColor(QPalette::Mid, QColor(30, 30, 30));
    QApplication::setPalette(dark);
    {
        ScriptedPrompts prompts;
        MainWindow window(prompts);
        ASSERT_TRUE(window.skinned());
        window.show();
        const QImage shot = window.grab().toImage();
        auto lightness = [&](QWidget* widget, QPoint at) {
            return shot.pixelColor(widget->mapTo(&window, at)).lightnessF();
        };
        FileListView* list = window.list();
        EXPECT_LT(lightness(list->viewport(), list->viewport()->rect().center()), 0.3);
        EXPECT_LT(lightness(list->header(), QPoint(list->header()->width() - 3, 5)), 0.3);
        EXPECT_LT(lightness(window.menuBar(), QPoint(window.menuBar()->width() - 5, 5)), 0.3);
        EXPECT_LT(lightness(window.toolbar(), QPoint(window.toolbar()->width() - 5, 5)), 0.3);
        QWidget& results = window.results();
        results.show();
        const QImage resultsShot = results.grab().toImage();
        QWidget* viewport = window.results().list()->viewport();
        EXPECT_LT(resultsShot.pixelColor(viewport->mapTo(&results, viewport->rect().center()))
                      .lightnessF(),
                  0.3);
    }
    QApplication::setPalette(light);
}

// A narrow window still reaches every toolbar button through "»".
TEST_F(WindowFaults, ANarrowWindowKeepsTheToolbarOverflowButton) {
    ASSERT_TRUE(window.skinned());
    window.resize(340, window.height());
    ASSERT_TRUE(WaitUntil([&] { return window.toolbar()->width() <= 340; }));
    QCoreApplication::processEvents();
    auto* more = window.toolbar()->findChild<QToolButton*>("qt_toolbar_ext_button");
    ASSERT_NE(more, nullptr);
    EXPECT_TRUE(more->isVisible());
    // Its arrows are drawn: some pixels stand out from the most common one.
    const QImage image = more->grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QColor common(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                        })->first);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            ink += std::abs(pixel.alphaF() - common.alphaF()) > 0.5f ||
                   std::abs(pixel.lightnessF() - common.lightnessF()) > 0.2f;
        }
    EXPECT_GT(ink, 5);
}

TEST_F(WindowFaults, ARunStartsWithAFreshProgressStrip) {
    fs::create_directory(dir / "tree");
    WriteFile(dir / "tree/a.txt", "a@x.com");
    window.AddDroppedPaths({dir / "tree"});
    ASSERT_TRUE(WaitUntil([&] { return !window.busy(); }));
    window.files().Append(Q(dir / "missing.txt"));
    QString shown;
    prompts.whileMessageShows = [&] { shown = Panel()->text(); };
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return !window.busy(); }));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(shown, "Looking for files…");
}

TEST_F(WindowFaults, LongPathsKeepTheirFileNameInView) {
    EXPECT_EQ(window.list()->textElideMode(), Qt::ElideMiddle);
    const QString path = "/home/someone/" + QString(300, 'd') + "/mailing-list.txt";
    Panel()->setGeometry(0, 0, 700, 30);
    Panel()->show();
    QCoreApplication::processEvents();
    Panel()->ShowRun(1, 2, path);
    const QString shown = Panel()->findChild<QLabel*>()->text();
    EXPECT_TRUE(shown.startsWith("/home/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("mailing-list.txt")) << shown.toStdString();
    EXPECT_LT(shown.size(), path.size());
}

TEST_F(WindowFaults, FoldersThatCannotBeListedAreReportedAfterTheScan) {
    window.FilesFound({dir / "a.txt"}, {{dir / "locked", "Permission denied"}});
    EXPECT_EQ(window.files().texts(), QStringList{Q(dir / "a.txt")});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Application Error");
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::kWarning);
    EXPECT_TRUE(prompts.messages[0].text.contains(Q(dir / "locked") + ": Permission denied"));
}

// A run that could not finish (out of memory) was reported already: no part
// of a list is shown as if it were the result.
TEST_F(WindowFaults, AFailedRunShowsNoResults) {
    ResultsList result = testing::RunList({"part@x.com"});
    result.summary.failed = true;
    result.fileNames = std::make_shared<std::vector<std::string>>(1, "a.txt");
    window.RunFinished(result);
    EXPECT_FALSE(window.results().isVisible());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.results().model().rowCount(), 0);
}

// Copying a long list shows the busy pointer and leaves the window free
// while the text is built.
TEST_F(WindowFaults, CopyingALongListShowsTheBusyPointer) {
    std::vector<std::string> many;
    for (int i = 0; i < 300000; ++i)
        many.push_back("user" + std::to_string(i) + "@example.com");
    ResultsWindow& results = window.results();
    results.model().Show(testing::RunList(many));
    results.show();
    results.CopyResultsToClipboard();
    EXPECT_EQ(results.cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(prompts.messages.empty()); // the hint follows the text
    ASSERT_TRUE(WaitUntil([&] { return !results.copying(); }));
    EXPECT_EQ(results.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("user299999@example.com\r\n"));
}

// The Add Folder prompt breaks its lines where its text says.
TEST(QtPrompts, LineBreaksOfTheTextShowAsLineBreaks) {
    QtPrompts prompts;
    QString label;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr) {
            label = dialog->labelText();
            dialog->reject();
        }
    });
    prompts.AskText(nullptr, "one:\r\r(two)", "Ornavex", "txt");
    EXPECT_EQ(label, "one:\n\n(two)");
}

// A typed name of a file that does not exist is taken; the run reports it.
TEST(QtPrompts, AddFilesTakesNamesOfFilesThatDoNotExist) {
    TempDir dir;
    // A refusal would come as a message box: closed, so the test ends.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(500);
    FileOpenDialog dialog(nullptr, "Add", Q(dir.path()), "All Files (*)");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile("not-there.txt");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedFiles(), QStringList{Q(dir / "not-there.txt")});
}

} // namespace
} // namespace ornavex
