// The results window used as people use it: clicks on the header and the
// toolbar, its menus, the keyboard, a dark desktop, and long lists.
#include "gui_support.h"
#include "results/clean_list_dialog.h"
#include "results/results_window.h"
#include "shell/main_window.h"
#include "test_support.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

using testing::AskContextMenu;
using testing::ButtonFor;
using testing::Click;
using testing::ClickHeader;
using testing::ClickMenuItem;
using testing::Q;
using testing::ReadFile;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WaitIdle;
using testing::WaitUntil;
using testing::WriteFile;

// A run's list with counts and first files: address i occurred count[i]
// times, first in file i of names.
ResultsList ListOf(const std::vector<std::string>& addresses,
                   const std::vector<std::uint32_t>& counts = {},
                   const std::vector<std::string>& names = {}) {
    auto details = std::make_shared<RunDetails>();
    for (std::size_t i = 0; i < addresses.size(); ++i)
        details->sources.push_back({i < counts.size() ? counts[i] : 1,
                                    static_cast<std::uint32_t>(i < names.size() ? i : 0), 0,
                                    i + 1});
    ResultsList list{.addresses = testing::Addresses(addresses),
                     .details = details,
                     .fileNames = std::make_shared<std::vector<std::string>>(
                         names.empty() ? std::vector<std::string>{"a.txt"} : names),
                     .summary = {}};
    list.summary.uniqueAddresses = list.summary.addressesFound = addresses.size();
    return list;
}

// Many addresses, in the reverse of their alphabetical order.
std::vector<std::string> Many(int count) {
    std::vector<std::string> many;
    for (int i = count - 1; i >= 0; --i)
        many.push_back("user" + std::to_string(1000000 + i) + "@example.com");
    return many;
}

class ResultsUse : public ::testing::Test {
protected:
    void Show(ResultsList list, std::uint64_t unique = 0, std::uint64_t duplicates = 0,
              std::uint64_t parts = 0) {
        if (unique != 0)
            list.summary.uniqueAddresses = unique;
        list.summary.addressesFound = list.summary.uniqueAddresses + duplicates;
        list.summary.partsRead = parts;
        results().ShowResults(std::move(list));
        ASSERT_TRUE(testing::ShowActive(results()));
    }
    ResultsWindow& results() { return window.results(); }
    QHeaderView* Header() { return results().list()->horizontalHeader(); }
    QStringList Column(int column = 0) {
        QStringList texts;
        for (int row = 0; row < results().model().rowCount(); ++row)
            texts.append(results().model().index(row, column).data().toString());
        return texts;
    }
    QMenu* OpenHeaderMenu() {
        AskContextMenu(Header()->viewport());
        QMenu* menu = results().HeaderMenu();
        EXPECT_TRUE(WaitUntil([&] { return menu->isVisible(); }));
        return menu;
    }
    // Closes the header's menu. (The offscreen platform leaves no window
    // active after a popup, where a desktop gives the activation back.)
    void CloseHeaderMenu() {
        results().HeaderMenu()->close();
        ASSERT_TRUE(testing::ShowActive(results()));
    }
    QStringList CheckedItems(QMenu* menu) {
        QStringList names;
        for (QAction* action : menu->actions())
            if (action->isChecked())
                names.append(action->objectName());
        return names;
    }
    void Press(int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : &results(), static_cast<Qt::Key>(key),
                        modifiers);
    }

    ScriptedPrompts prompts;
    MainWindow window{prompts};
    TempDir dir;
};

// Item 1: every click on a header turns its order round, and a click on
// another column starts that column's order afresh.
TEST_F(ResultsUse, HeaderClicksTurnTheOrderRoundEveryTime) {
    Show(ListOf({"bob@b.org", "ann@a.org", "cid@c.org"}, {1, 3, 2}));
    ClickMenuItem(OpenHeaderMenu(), "showCount");
    const QStringList az{"ann@a.org", "bob@b.org", "cid@c.org"};
    const QStringList za{"cid@c.org", "bob@b.org", "ann@a.org"};
    const auto click = [&](int column) {
        ClickHeader(Header(), column);
        EXPECT_TRUE(WaitIdle());
        return Column();
    };
    EXPECT_EQ(click(ResultsModel::kAddressColumn), az);
    EXPECT_EQ(Header()->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(click(ResultsModel::kAddressColumn), za);
    EXPECT_EQ(Header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(click(ResultsModel::kAddressColumn), az);
    // Count: most first, then fewest first, then most again.
    EXPECT_EQ(click(ResultsModel::kCountColumn),
              (QStringList{"ann@a.org", "cid@c.org", "bob@b.org"}));
    EXPECT_EQ(click(ResultsModel::kCountColumn),
              (QStringList{"bob@b.org", "cid@c.org", "ann@a.org"}));
    EXPECT_EQ(click(ResultsModel::kCountColumn),
              (QStringList{"ann@a.org", "cid@c.org", "bob@b.org"}));
    EXPECT_EQ(click(ResultsModel::kAddressColumn), az);
    EXPECT_EQ(click(ResultsModel::kAddressColumn), za);
}

// Item 7: the count line wraps and keeps every number, however narrow the
// window, with the counts of a million-row run, cleaning and a filter. (The
// list itself is smaller: the line's length is in its counts.)
TEST_F(ResultsUse, TheCountLineIsNeverCut) {
    std::vector<std::string> addresses;
    for (int i = 0; i < 40000; ++i)
        addresses.push_back("user" + std::to_string(i) + (i % 4 == 0 ? "@drop.org" : "@keep.org"));
    Show(ListOf(addresses), 1000000, 4567890, 1234);
    Click(ButtonFor(results().toolbar(), kCleanListId));
    auto* dialog = results().findChild<CleanListDialog*>();
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(dialog->findChild<QLineEdit*>("dropDomains"), "drop.org");
    ASSERT_TRUE(WaitIdle());
    Click(dialog->findChild<QPushButton*>("applyCleaning"));
    QTest::keyClicks(results().filterField(), "user1");
    ASSERT_TRUE(WaitIdle());
    const QString text = results().statusText();
    for (const char* number : {"1,000,000", "4,567,890", "1,234", "rows shown", "10,000"})
        EXPECT_TRUE(text.contains(number)) << text.toStdString();
    auto* status = results().findChild<QLabel*>("statusLine");
    for (int width : {results().width(), 420}) {
        results().resize(width, results().height());
        QCoreApplication::processEvents();
        EXPECT_EQ(results().width(), width); // the line does not hold the window wide
        const QRect room = status->contentsRect();
        const QRect needed = status->fontMetrics().boundingRect(
            room, static_cast<int>(status->alignment()) | Qt::TextWordWrap, text);
        EXPECT_LE(needed.height(), room.height()) << width;
        EXPECT_LE(needed.width(), room.width()) << width;
    }
}

// Item 8: a first file too long for its column is cut in the middle, so
// files in one folder still show apart.
TEST_F(ResultsUse, TheFirstFileColumnKeepsTheFileNameInView) {
    const std::string folder = "/home/user/exports/crm/2024/autumn/campaigns/newsletter/";
    Show(ListOf({"ann@a.org", "bob@b.org"}, {1, 1},
                {folder + "first-list.txt", folder + "other-list.txt"}));
    ClickMenuItem(OpenHeaderMenu(), "showFirstFile");
    Header()->resizeSection(ResultsModel::kFirstFileColumn, 160);
    QCoreApplication::processEvents();
    QTableView* list = results().list();
    const QImage shot = list->viewport()->grab().toImage();
    const auto cell = [&](int row) {
        return shot.copy(list->visualRect(results().model().index(row, 2)).adjusted(0, 0, -1, -1));
    };
    EXPECT_NE(cell(0), cell(1));
}

// Item 9: a dark desktop whose palette says nothing of placeholder text:
// the placeholders and the header menu's marks read on their background.
TEST(ResultsOnADarkDesktop, PlaceholdersAndMenuMarksRead) {
    const QPalette light = QApplication::palette();
    QPalette dark;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        dark.setColor(role, QColor(35, 38, 41));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(235, 235, 235));
    QApplication::setPalette(dark);
    {
        ScriptedPrompts prompts;
        MainWindow window(prompts);
        ResultsWindow& results = window.results();
        results.ShowResults(ListOf({"ann@a.org"}));
        ASSERT_TRUE(testing::ShowActive(results));
        const auto placeholderInk = [](QLineEdit* field) {
            EXPECT_TRUE(field->text().isEmpty());
            return testing::Ink(field->grab().toImage(), field->rect().adjusted(6, 5, -30, -5));
        };
        EXPECT_GT(placeholderInk(results.filterField()), 0.25);
        // The desktop's colours change while the program runs.
        QPalette other = dark;
        other.setColor(QPalette::Base, QColor(10, 20, 60));
        QApplication::setPalette(other);
        EXPECT_GT(placeholderInk(results.filterField()), 0.25);

        Click(ButtonFor(results.toolbar(), kCleanListId));
        auto* dialog = results.findChild<CleanListDialog*>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_GT(placeholderInk(dialog->findChild<QLineEdit*>("onlyDomains")), 0.25);
        EXPECT_GT(placeholderInk(dialog->findChild<QLineEdit*>("dropDomains")), 0.25);
        dialog->reject();

        AskContextMenu(results.list()->horizontalHeader()->viewport());
        QMenu* menu = results.HeaderMenu();
        ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }));
        ClickMenuItem(menu, "showLine");
        AskContextMenu(results.list()->horizontalHeader()->viewport());
        ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }));
        const QImage shot = menu->grab().toImage();
        for (const char* name : {"firstOccurrenceOrder", "showLine"}) {
            const QRect item = menu->actionGeometry(menu->findChild<QAction*>(name));
            EXPECT_GT(testing::Ink(shot, item.adjusted(0, 0, -item.width() + 24, 0)), 0.3) << name;
        }
        menu->close();

        // The toolbar's "»" button, in a window too narrow for the toolbar.
        results.resize(360, results.height());
        QCoreApplication::processEvents();
        auto* more = results.toolbar()->findChild<QToolButton*>("qt_toolbar_ext_button");
        ASSERT_TRUE(more != nullptr && more->isVisible());
        EXPECT_GT(testing::Ink(more->grab().toImage(), more->rect()), 0.3);
    }
    QApplication::setPalette(light);
}

// Item 10: the header menu marks the order in force; Back leaves no extra
// column and no clear button; double-click and Delete take rows out of the
// results, until Back.
TEST_F(ResultsUse, MenuMarksColumnsClearButtonAndTakingRowsOut) {
    Show(ListOf({"bob@b.org", "ann@a.org", "cid@c.org", "dan@d.org"}));
    EXPECT_EQ(CheckedItems(OpenHeaderMenu()), QStringList{"firstOccurrenceOrder"});
    ClickMenuItem(results().HeaderMenu(), "showCount");
    ClickHeader(Header(), ResultsModel::kAddressColumn);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(CheckedItems(OpenHeaderMenu()), (QStringList{"addressOrder", "showCount"}));
    ClickMenuItem(results().HeaderMenu(), "domainOrder");
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(CheckedItems(OpenHeaderMenu()), (QStringList{"domainOrder", "showCount"}));
    CloseHeaderMenu();
    EXPECT_EQ(Column(), (QStringList{"ann@a.org", "bob@b.org", "cid@c.org", "dan@d.org"}));

    // Double-click takes the row; Delete the selected ones.
    QTableView* list = results().list();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualRect(results().model().index(1, 0)).center());
    EXPECT_EQ(Column(), (QStringList{"ann@a.org", "cid@c.org", "dan@d.org"}));
    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(results().model().index(0, 0)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(results().model().index(2, 0)).center());
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(Column(), QStringList{"cid@c.org"});
    EXPECT_TRUE(results().statusText().endsWith(" 1 row shown, 3 rows removed."))
        << results().statusText().toStdString();
    // Taken out, they stay out whatever the order.
    ClickHeader(Header(), ResultsModel::kAddressColumn);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Column(), QStringList{"cid@c.org"});
    prompts.saveAnswers = {Q(dir / "out.txt")};
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(ReadFile(dir / "out.txt"), "cid@c.org\r\n");

    QTest::keyClicks(results().filterField(), "c");
    ASSERT_TRUE(WaitIdle());
    Click(ButtonFor(results().toolbar(), kBackId));
    ASSERT_TRUE(WaitUntil([&] { return window.isVisible(); }));
    Show(ListOf({"x@y.org", "z@y.org"}));
    EXPECT_EQ(Column(), (QStringList{"x@y.org", "z@y.org"}));
    EXPECT_TRUE(Header()->isSectionHidden(ResultsModel::kCountColumn));
    EXPECT_EQ(CheckedItems(OpenHeaderMenu()), QStringList{"firstOccurrenceOrder"});
    CloseHeaderMenu();
    // The clear button fades out; it must be gone once it has.
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (auto* button : results().filterField()->findChildren<QToolButton*>())
                if (button->isVisible())
                    return false;
            return true;
        },
        2000));
}

// Item 12: every command from the keyboard, the keys named in the tool tips,
// and Tab leaves the list.
TEST_F(ResultsUse, EveryCommandHasAKey) {
    Show(ListOf({"bob@b.org", "ann@a.org"}));
    for (QAction* action : results().toolbar()->actions())
        EXPECT_TRUE(action->toolTip().contains("Ctrl+") || action->toolTip().contains("Alt+"))
            << action->toolTip().toStdString();

    QTableView* list = results().list();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), list);

    Press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), results().filterField());
    QTest::keyClicks(results().filterField(), "ann");
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Column(), QStringList{"ann@a.org"});
    QTest::keyClick(results().filterField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(results().filterField(), Qt::Key_Backspace);
    ASSERT_TRUE(WaitIdle());

    // The header's menu from the list, with the menu key or Shift+F10.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Menu);
    EXPECT_TRUE(results().HeaderMenu()->isVisible());
    CloseHeaderMenu();
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(results().HeaderMenu()->isVisible());
    CloseHeaderMenu();

    prompts.saveAnswers = {Q(dir / "lines.txt"), Q(dir / "commas.txt"), Q(dir / "list.csv")};
    Press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitIdle());
    Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitIdle());
    Press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(WaitIdle());
    Press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(ReadFile(dir / "lines.txt"), "bob@b.org\r\nann@a.org\r\n");
    EXPECT_EQ(ReadFile(dir / "commas.txt"), "bob@b.org,ann@a.org");
    EXPECT_TRUE(ReadFile(dir / "list.csv").starts_with("address,count"));
    EXPECT_EQ(QApplication::clipboard()->text(), "bob@b.org\r\nann@a.org\r\n");

    Press(Qt::Key_L, Qt::ControlModifier);
    auto* dialog = results().findChild<CleanListDialog*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitIdle());
    dialog->reject();
    ASSERT_TRUE(testing::ShowActive(results()));
    Press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_FALSE(results().isVisible());
    EXPECT_TRUE(window.isVisible());
}

// Item 13: a header click on a long list comes back at once: the window
// shows the busy pointer and the rows as they were until they are sorted.
// So do the filter and the Clean List dialog, which also reads its
// do-not-mail lists off the window's thread and waits for them to Apply.
TEST_F(ResultsUse, LongWorkLeavesTheWindowFree) {
    Show(ListOf(Many(20000)));
    const QString first = Column().front();
    ClickHeader(Header(), ResultsModel::kAddressColumn);
    EXPECT_EQ(results().cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(results().model().index(0, 0).data().toString(), first);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(results().model().index(0, 0).data().toString(), "user1000000@example.com");
    EXPECT_EQ(results().cursor().shape(), Qt::ArrowCursor);

    QTest::keyClicks(results().filterField(), "user10000");
    EXPECT_EQ(results().model().rowCount(), 20000);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(results().model().rowCount(), 100);
    results().filterField()->clear();

    std::string list;
    for (int i = 0; i < 20000; i += 2)
        list += "user" + std::to_string(1000000 + i) + "@example.com\n";
    WriteFile(dir / "do-not-mail.txt", list);
    Click(ButtonFor(results().toolbar(), kCleanListId));
    auto* dialog = results().findChild<CleanListDialog*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitIdle());
    prompts.openAnswers.push_back({Q(dir / "do-not-mail.txt")});
    Click(dialog->findChild<QPushButton*>("addDoNotMail"));
    auto* apply = dialog->findChild<QPushButton*>("applyCleaning");
    EXPECT_EQ(dialog->cursor().shape(), Qt::WaitCursor);
    EXPECT_FALSE(apply->isEnabled());
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(
        dialog->findChild<QLabel*>("cleanPreview")->text().contains("10,000 on do-not-mail"));
    Click(apply);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(results().model().rowCount(), 10000);
}

} // namespace
} // namespace ornavex
