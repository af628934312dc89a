#include "filelist/file_list_view.h"
#include "gui_support.h"
#include "results/results_window.h"
#include "shell/main_window.h"
#include "test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::Q;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WaitUntil;
using testing::WriteFile;

QUrl UrlOf(const fs::path& path) {
    // Percent-encode the raw bytes, as a file manager does for any name.
    return QUrl(QStringLiteral("file://") +
                QString::fromLatin1(QByteArray(path.c_str()).toPercentEncoding("/")));
}

void Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
}

class StressTest : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    QStringList ResultRows() { return testing::Texts(*window.results().model().list().addresses); }

    ScriptedPrompts prompts;
    MainWindow window{prompts};
    TempDir dir;
};

TEST_F(StressTest, TenThousandDroppedFilesArriveInOrder) {
    QList<QUrl> urls;
    for (int i = 0; i < 10000; ++i)
        urls.append(QUrl::fromLocalFile(QStringLiteral("/data/f%1.txt").arg(i)));
    Drop(window.list()->viewport(), urls);
    ASSERT_TRUE(WaitUntil([&] { return window.files().paths().size() == 10000u; }, 60000));
    EXPECT_EQ(window.files().texts().first(), "/data/f0.txt");
    EXPECT_EQ(window.files().texts().last(), "/data/f9999.txt");
}

TEST_F(StressTest, DroppedNamesThatAreNotValidTextAreReadExactly) {
    const fs::path odd = dir / "bad-\xFF\xFE name's.txt";
    WriteFile(odd, "odd@x.com");
    WriteFile(dir / "plain.txt", "plain@x.com");
    Drop(window.list()->viewport(), {UrlOf(odd), UrlOf(dir / "plain.txt")});
    ASSERT_TRUE(WaitUntil([&] { return window.files().paths().size() == 2u; }));
    EXPECT_EQ(window.files().paths()[0], odd);
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return !window.busy(); }));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ResultRows(), (QStringList{"odd@x.com", "plain@x.com"}));
}

TEST_F(StressTest, FileDeletedAfterItWasAddedIsReportedOnce) {
    WriteFile(dir / "a.txt", "a@x.com");
    WriteFile(dir / "b.txt", "b@x.com");
    window.files().Append({Q(dir / "a.txt"), Q(dir / "b.txt")});
    fs::remove(dir / "a.txt");
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return !window.busy(); }));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(
        prompts.messages[0].text.startsWith(Q(dir / "a.txt") + ": No such file or directory\r\n"));
    EXPECT_EQ(ResultRows(), (QStringList{"b@x.com"}));
}

TEST_F(StressTest, AddFolderDuringARunDoesNotDisturbIt) {
    fs::create_directories(dir / "more");
    WriteFile(dir / "more/m.txt", "m@x.com");
    WriteFile(dir / "a.txt", "a@x.com");
    window.files().Append({Q(dir / "gone.txt"), Q(dir / "a.txt")});
    prompts.textAnswers.push_back(QStringLiteral("txt"));
    prompts.folderAnswers.push_back(Q(dir / "more"));
    prompts.whileMessageShows = [&] {
        window.AddFolder(); // while the run waits for the report
        prompts.whileMessageShows = nullptr;
    };
    window.Start();
    ASSERT_TRUE(WaitUntil([&] { return !window.busy(); }));
    EXPECT_EQ(ResultRows(), (QStringList{"a@x.com"}));
    EXPECT_EQ(window.files().texts(),
              (QStringList{Q(dir / "gone.txt"), Q(dir / "a.txt"), Q(dir / "more/m.txt")}));
}

TEST_F(StressTest, BackWhileTheCopyHintShowsKeepsTheClipboard) {
    std::vector<std::string> many;
    for (int i = 0; i < 200000; ++i)
        many.push_back("user" + std::to_string(i) + "@example.com");
    window.results().model().Show(testing::RunList(many));
    window.results().show();
    prompts.whileMessageShows = [&] { window.results().Back(); };
    window.results().CopyResultsToClipboard();
    ASSERT_TRUE(WaitUntil([&] { return !window.results().copying(); }));
    EXPECT_EQ(window.results().model().rowCount(), 0);
    EXPECT_TRUE(window.isVisible());
    const QString text = QApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("user0@example.com\r\nuser1@example.com\r\n"));
    EXPECT_TRUE(text.endsWith("user199999@example.com\r\n"));
}

TEST_F(StressTest, SaveIntoAFolderRemovedAfterTheDialogChangesNothing) {
    class RemovingPrompts : public ScriptedPrompts {
    public:
        fs::path folder;
        QString ChooseFileToSave(QWidget* parent, const QString& title,
                                 const QString& filter) override {
            const QString chosen = ScriptedPrompts::ChooseFileToSave(parent, title, filter);
            fs::remove_all(folder); // gone before the program writes
            return chosen;
        }
    } removing;
    removing.folder = dir / "target";
    fs::create_directories(removing.folder);
    ResultsWindow results(removing);
    results.model().Show(testing::RunList({"a@x.com"}));
    removing.saveAnswers = {Q(removing.folder / "out.txt")};
    results.SaveResults();
    ASSERT_TRUE(WaitUntil([&] { return !results.busy(); }));
    ASSERT_EQ(removing.messages.size(), 1u);
    EXPECT_TRUE(removing.messages[0].text.contains("No such file or directory"));
    EXPECT_FALSE(fs::exists(removing.folder));
}

} // namespace
} // namespace ornavex
