#include "filelist/file_list_view.h"
#include "gui_support.h"
#include "results/results_window.h"
#include "shell/list_layout.h"
#include "shell/main_window.h"
#include "test_support.h"

#include <QAction>
#include <QHeaderView>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

using testing::Q;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WaitUntil;
using testing::WriteFile;

// A stored value of the "Ornavex" section; empty when the key was never written.
QVariant Stored(const char* key) {
    QSettings settings(QSettings::UserScope, QStringLiteral("Velquarn"),
                       QStringLiteral("Velquarn"));
    settings.beginGroup(QStringLiteral("Ornavex"));
    return settings.value(QString::fromLatin1(key));
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(QSettings::UserScope, QStringLiteral("Velquarn"), QStringLiteral("Velquarn"))
            .clear();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void AddRows(int count) {
        for (int i = 1; i <= count; ++i)
            window.files().Append(QStringLiteral("/data/file%1.txt").arg(i));
    }
    QStringList Rows() const { return const_cast<MainWindow&>(window).files().texts(); }
    void SelectRows(std::initializer_list<int> rows) {
        window.list()->clearSelection();
        for (int row : rows)
            window.list()->selectionModel()->select(window.files().index(row),
                                                    QItemSelectionModel::Select);
    }
    void SetCurrent(int row) {
        window.list()->selectionModel()->setCurrentIndex(window.files().index(row),
                                                         QItemSelectionModel::NoUpdate);
    }
    QAction* MenuItem(const char* name) {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }

    ScriptedPrompts prompts;
    MainWindow window{prompts};
    TempDir dir;
};

TEST_F(MainWindowTest, ToolbarHasTheFourButtonsInOrderWithTheirIds) {
    QStringList captions;
    QList<int> ids;
    for (QAction* action : window.toolbar()->actions()) {
        captions.append(action->text());
        ids.append(action->data().toInt());
    }
    EXPECT_EQ(captions, (QStringList{"Add Files", "Add Folder", "Clear List", "Start Removing"}));
    EXPECT_EQ(ids, (QList<int>{1000, 1001, 1003, 1002}));
    EXPECT_EQ(window.toolbar()->windowTitle(), "Standard");
    EXPECT_EQ(window.toolbar()->iconSize(), QSize(48, 48));
    // Every picture draws at toolbar size and at half of it.
    for (QAction* action : window.toolbar()->actions()) {
        for (int size : {48, 24}) {
            const QImage image = action->icon().pixmap(size, size).toImage();
            ASSERT_FALSE(image.isNull()) << action->text().toStdString();
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 128;
            EXPECT_GT(opaque, size * size / 5) << action->text().toStdString() << " at " << size;
        }
    }
    EXPECT_FALSE(window.windowIcon().isNull());
}

TEST_F(MainWindowTest, LoadsTheShippedSkinPointerAndHiddenResultsWindow) {
    // The build puts the shipped files beside the test program too.
    EXPECT_TRUE(window.skinned());
    EXPECT_FALSE(window.styleSheet().isEmpty());
    EXPECT_TRUE(window.customPointer().has_value());
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor); // nothing switches to it
    EXPECT_EQ(window.windowTitle(), "Ornavex");
    EXPECT_FALSE(window.results().isVisible());
}

TEST_F(MainWindowTest, CommandIdsDispatchAndOthersAreIgnored) {
    prompts.openAnswers.push_back({"/a.txt", "/b.txt"});
    window.CommandBars_Execute(1000);
    EXPECT_EQ(Rows(), (QStringList{"/a.txt", "/b.txt"}));
    window.CommandBars_Execute(999);
    window.CommandBars_Execute(1004);
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_TRUE(prompts.messages.empty());
    window.CommandBars_Execute(1003);
    EXPECT_TRUE(Rows().isEmpty());
    window.CommandBars_Execute(1001); // the extension box, cancelled
    EXPECT_EQ(prompts.textPrompts.size(), 1);
    window.CommandBars_Execute(1002); // an empty list
    ASSERT_TRUE(WaitUntil([&] { return !prompts.messages.empty() && !window.busy(); }));
    EXPECT_EQ(prompts.messages[0].text, "No files added.");
}

TEST_F(MainWindowTest, MenusHaveEveryItemWithItsName) {
    const std::vector<std::pair<const char*, const char*>> items = {
        {"m1", "&File"},
        {"m2", "A&dd Files"},
        {"m3", "Add &Folder"},
        {"m5", "Clear Selected Files"},
        {"m6", "Clear All Files"},
        {"m8", "&Exit"},
        {"m15", "&Help"},
        {"m16", "Help"},
        {"m17", "Load Sample/Example Files"},
        {"m18", "Watch Old Demo Video"},
        {"m20", "FAQ"},
        {"m21", "Visit Velquarn Main Page"}};
    for (const auto& [name, caption] : items) {
        QAction* action = MenuItem(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), caption) << name;
    }
    for (const char* name : {"m4", "m7", "m19"}) {
        ASSERT_NE(MenuItem(name), nullptr) << name;
        EXPECT_TRUE(MenuItem(name)->isSeparator()) << name;
    }
    // Options sits between File and Help: reading inside on at start, the
    // classic pattern off.
    const QList<QAction*> titles = window.menuBar()->actions();
    ASSERT_EQ(titles.size(), 3);
    EXPECT_EQ(titles[0]->menu()->actions().size(), 7);
    EXPECT_EQ(titles[1]->text(), "&Options");
    ASSERT_EQ(titles[1]->menu()->actions().size(), 2);
    QAction* readInside = titles[1]->menu()->actions()[0];
    EXPECT_EQ(readInside->text(), "Read Inside Documents and Archives");
    EXPECT_TRUE(readInside->isCheckable() && readInside->isChecked());
    QAction* classic = titles[1]->menu()->actions()[1];
    EXPECT_EQ(classic->objectName(), "classicPattern");
    EXPECT_EQ(classic->text(), "Classic Address Pattern");
    EXPECT_TRUE(classic->isCheckable() && !classic->isChecked());
    // Help keeps its items first; About comes after them, with the version.
    const QList<QAction*> help = titles[2]->menu()->actions();
    ASSERT_EQ(help.size(), 8);
    EXPECT_EQ(help[5]->objectName(), "m21");
    EXPECT_TRUE(help[6]->isSeparator());
    EXPECT_EQ(help[7]->text(), "About Ornavex");
    help[7]->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("Ornavex " ORNAVEX_VERSION "\n"));
}

TEST_F(MainWindowTest, MenuItemsDoWhatTheToolbarDoes) {
    prompts.openAnswers.push_back({"/x.txt"});
    MenuItem("m2")->trigger();
    EXPECT_EQ(Rows(), (QStringList{"/x.txt"}));
    MenuItem("m6")->trigger();
    EXPECT_TRUE(Rows().isEmpty());
    MenuItem("m16")->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "Questions? Please contact Team Velquarn at http://www.velquarn.example/contact/");
    EXPECT_EQ(prompts.messages[0].title, "Ornavex");
}

TEST_F(MainWindowTest, DeleteWithAnyModifierAndDoubleClickRemoveTheCurrentEntry) {
    AddRows(6);
    SetCurrent(1);
    QTest::keyClick(window.list(), Qt::Key_Delete);
    SetCurrent(1);
    QTest::keyClick(window.list(), Qt::Key_Delete, Qt::ShiftModifier);
    SetCurrent(1);
    QTest::keyClick(window.list(), Qt::Key_Delete, Qt::ControlModifier);
    SetCurrent(0);
    QTest::keyClick(window.list(), Qt::Key_Delete, Qt::AltModifier);
    EXPECT_EQ(Rows(), (QStringList{"/data/file5.txt", "/data/file6.txt"}));
    QTest::keyClick(window.list(), Qt::Key_A); // other keys do nothing
    EXPECT_EQ(Rows().size(), 2);

    SetCurrent(1);
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
    EXPECT_EQ(Rows(), (QStringList{"/data/file5.txt"}));
}

TEST_F(MainWindowTest, RemovingFromAnEmptyListDoesNothing) {
    QTest::keyClick(window.list(), Qt::Key_Delete);
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowTest, ClearSelectedRemovesEverySelectedEntry) {
    AddRows(5);
    SelectRows({1, 3});
    SetCurrent(1);
    MenuItem("m5")->trigger();
    EXPECT_EQ(Rows(), (QStringList{"/data/file1.txt", "/data/file3.txt", "/data/file5.txt"}));

    window.ClearList();
    AddRows(5);
    SelectRows({0, 1, 3, 4});
    MenuItem("m5")->trigger();
    EXPECT_EQ(Rows(), (QStringList{"/data/file3.txt"}));
}

TEST_F(MainWindowTest, ClearSelectedHandlesLargeSelections) {
    QStringList many;
    for (int i = 0; i < 100000; ++i)
        many.append(QString::number(i));
    window.files().Append(many);
    window.list()->selectAll();
    window.list()->selectionModel()->select(window.files().index(500),
                                            QItemSelectionModel::Deselect);
    window.ClearSelectedFiles();
    EXPECT_EQ(Rows(), (QStringList{"500"}));
}

TEST_F(MainWindowTest, AddFilesAppendsEveryChosenFileInOrder) {
    prompts.openAnswers.push_back({"/d/b.txt", "/d/a.txt", "/d/b.txt"});
    window.AddFiles();
    prompts.openAnswers.push_back({});
    window.AddFiles(); // cancelled
    EXPECT_EQ(Rows(), (QStringList{"/d/b.txt", "/d/a.txt", "/d/b.txt"}));
    EXPECT_EQ(prompts.dialogTitles[0], "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_TRUE(prompts.dialogFilters[0].startsWith("Text Files (*.txt)"));
}

TEST_F(MainWindowTest, AddFolderStoresTheExtensionAndScansLevelByLevel) {
    std::filesystem::create_directories(dir / "F/A/C");
    std::filesystem::create_directories(dir / "F/B");
    for (const char* name :
         {"F/f1.txt", "F/A/a1.txt", "F/B/b1.txt", "F/A/C/c1.txt", "F/f.doc", "F/~tmp.txt"})
        WriteFile(dir / name, "");

    prompts.textAnswers.push_back(QStringLiteral("doc"));
    prompts.folderAnswers.push_back(QString()); // chooser cancelled
    window.AddFolder();
    EXPECT_EQ(Stored("Extension").toString(), "doc");
    EXPECT_TRUE(Rows().isEmpty());

    prompts.textAnswers.push_back(QStringLiteral("txt"));
    prompts.folderAnswers.push_back(Q(dir / "F"));
    window.AddFolder();
    ASSERT_TRUE(WaitUntil([&] { return !window.busy(); }));
    EXPECT_EQ(Rows(), (QStringList{Q(dir / "F/f1.txt"), Q(dir / "F/A/a1.txt"),
                                   Q(dir / "F/B/b1.txt"), Q(dir / "F/A/C/c1.txt")}));
    EXPECT_EQ(Stored("Extension").toString(), "txt");
    EXPECT_EQ(prompts.proposedTexts, (QStringList{"txt", "txt"}));
    EXPECT_EQ(prompts.dialogTitles.last(), "Please select folder:");
    EXPECT_TRUE(prompts.textPrompts[0].startsWith("Enter file extension to load:\r\r(* for all"));

    prompts.textAnswers.push_back(QString()); // OK on an empty field
    window.AddFolder();
    EXPECT_EQ(Stored("Extension").toString(), "txt");
}

TEST_F(MainWindowTest, DroppedFilesAndFoldersAreAddedInDropOrder) {
    std::filesystem::create_directories(dir / "G/sub");
    WriteFile(dir / "G/g.csv", "");
    WriteFile(dir / "G/~skip.txt", "");
    WriteFile(dir / "G/sub/s.txt", "");
    WriteFile(dir / "~mine.txt", "");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(dir / "~mine.txt")), QUrl::fromLocalFile(Q(dir / "G")),
                  QUrl::fromLocalFile(Q(dir / "missing.txt"))});
    QWidget* target = window.list()->viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
    ASSERT_TRUE(WaitUntil([&] { return Rows().size() == 4; }));
    EXPECT_EQ(Rows(), (QStringList{Q(dir / "~mine.txt"), Q(dir / "G/g.csv"), Q(dir / "G/sub/s.txt"),
                                   Q(dir / "missing.txt")}));
}

TEST_F(MainWindowTest, DataWithoutAFileListIsRefused) {
    QMimeData text;
    text.setText(QStringLiteral("just text"));
    QWidget* target = window.list()->viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Rows().isEmpty());
}

TEST(ListLayout, FollowsTheClientSize) {
    const ListLayout design = LayoutList(8925, 6885, {});
    EXPECT_EQ(design.left, 120);
    EXPECT_EQ(design.top, 1660);
    EXPECT_EQ(design.width, 8685);
    EXPECT_EQ(design.height, 5135);
    EXPECT_EQ(design.columnWidth, 8185);
    // Too small: each dimension that would go negative keeps its old value.
    const ListLayout narrow = LayoutList(200, 1000, design);
    EXPECT_EQ(narrow.width, 8685);
    EXPECT_EQ(narrow.height, 5135);
    EXPECT_EQ(narrow.columnWidth, 8185);
    const ListLayout thin = LayoutList(600, 8000, design);
    EXPECT_EQ(thin.width, 360);
    EXPECT_EQ(thin.height, 6250);
    EXPECT_EQ(thin.columnWidth, 8185); // 360 - 500 is negative
}

TEST_F(MainWindowTest, ListFillsTheDesignSizeBelowTheBars) {
    EXPECT_EQ(window.size(), QSize(595, 459)); // 8925 x 6885 twips
    const QRect list(window.list()->mapTo(&window, QPoint(0, 0)), window.list()->size());
    EXPECT_EQ(list.left(), 8);
    EXPECT_EQ(list.width(), 579);                                 // 8685 twips
    EXPECT_EQ(list.top() + list.height(), 459 - 6);               // bottom margin of 90 twips
    EXPECT_GE(list.top(), window.toolbar()->geometry().bottom()); // clear of the bars
    EXPECT_EQ(window.list()->header()->sectionSize(0), 546);      // 8185 twips
    EXPECT_EQ(window.list()->model()->headerData(0, Qt::Horizontal), "Text Files");

    window.resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.list()->width(), 900 - 16);
    EXPECT_EQ(window.list()->header()->sectionSize(0), 900 - 16 - 33);
}

TEST_F(MainWindowTest, PlacementIsWrittenOnlyInTheNormalState) {
    window.showMaximized();
    QCoreApplication::processEvents();
    window.close();
    EXPECT_FALSE(Stored("Left").isValid());

    MainWindow second(prompts);
    second.show();
    second.move(150, 90);
    QCoreApplication::processEvents();
    const QRect frame = second.frameGeometry();
    second.Exit();
    EXPECT_EQ(Stored("Left").toString(), QString::number(frame.x() * 15));
    EXPECT_EQ(Stored("Top").toString(), QString::number(frame.y() * 15));
    EXPECT_EQ(Stored("Width").toString(), QString::number(frame.width() * 15));
    EXPECT_EQ(Stored("Height").toString(), QString::number(frame.height() * 15));
}

} // namespace
} // namespace ornavex
