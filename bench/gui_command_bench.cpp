// Times every command of the results window on a list of a million rows:
// for each, the longest pause of the window's event loop from the command
// until the window is idle again (no busy pointer anywhere) and a quarter of
// a second after that, so the repaint that follows counts too. The window
// repaints and answers input only between such pauses.
//   gui_command_bench [ROWS]     (QT_QPA_PLATFORM=offscreen by default)
#include "results/clean_list_dialog.h"
#include "results/results_window.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ornavex;

// Answers every save with a new file and every question with Yes; the Clean
// List dialog's open dialog with the do-not-mail list.
class BenchPrompts : public Prompts {
public:
    QString folder;
    QString doNotMail;
    int saved = 0;

    void ShowMessage(QWidget*, const QString&, const QString&, Icon) override {}
    bool AskYesNo(QWidget*, const QString&, const QString&) override { return true; }
    std::optional<QString> AskText(QWidget*, const QString&, const QString&,
                                   const QString&) override {
        return std::nullopt;
    }
    QStringList ChooseFilesToOpen(QWidget*, const QString&, const QString&) override {
        return {doNotMail};
    }
    QString ChooseFileToSave(QWidget*, const QString&, const QString&) override {
        return folder + QStringLiteral("/saved%1").arg(++saved);
    }
    QString ChooseFolder(QWidget*, const QString&) override { return {}; }
};

// A run's list: addresses over six domains, counts, a thousand long file
// names, line numbers.
ResultsList MakeList(std::size_t rows) {
    const char* domains[] = {"example.com", "Mail.Example.org", "shop.photography",
                             "x.co.uk",     "2x.png",           "lumen-press.de"};
    std::mt19937_64 random(1);
    auto addresses = std::make_shared<AddressList>();
    auto details = std::make_shared<RunDetails>();
    for (std::size_t i = 0; i < rows; ++i) {
        addresses->Append((i % 50 == 0 ? "noreply" : "user.") + std::to_string(i) + "." +
                          std::to_string(random() % 100000) + "@" + domains[random() % 6]);
        details->sources.push_back({static_cast<std::uint32_t>(1 + random() % 20),
                                    static_cast<std::uint32_t>(i % 1000), 0,
                                    1 + random() % 100000});
    }
    auto names = std::make_shared<std::vector<std::string>>();
    for (int i = 0; i < 1000; ++i)
        names->push_back("/home/user/exports/crm/2024/autumn/campaigns/newsletter-" +
                         std::to_string(i) + "/mailing-list-export.txt");
    ResultsList list{.addresses = addresses, .details = details, .fileNames = names, .summary = {}};
    list.summary.uniqueAddresses = rows;
    list.summary.addressesFound = 6 * rows; // 5 duplicates a row
    return list;
}

bool AnyBusyPointer() {
    if (QApplication::overrideCursor() != nullptr)
        return true;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->cursor().shape() == Qt::WaitCursor)
            return true;
    return false;
}

struct Step {
    const char* name;
    std::function<void()> action;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t rows = argc > 1 ? std::stoul(argv[1]) : 1000000;

    QTemporaryDir folder;
    BenchPrompts prompts;
    prompts.folder = folder.path();
    prompts.doNotMail = folder.filePath(QStringLiteral("do-not-mail.txt"));
    const ResultsList list = MakeList(rows);
    {
        // Every tenth address of the list and as many others.
        std::ofstream out(prompts.doNotMail.toStdString(), std::ios::binary);
        for (std::size_t i = 0; i < rows; ++i)
            out << (i % 10 == 0 ? std::string((*list.addresses)[i])
                                : "other." + std::to_string(i) + "@example.net")
                << "\n";
    }

    ResultsWindow window(prompts);
    window.resize(800, 560);
    QHeaderView* header = window.list()->horizontalHeader();
    const auto clickHeader = [&](int section) {
        const QPoint at(header->sectionViewportPosition(section) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    const auto menuItem = [&](const char* name) {
        window.HeaderMenu()->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    };
    const auto dialog = [&] { return window.findChild<CleanListDialog*>(); };
    const auto type = [&](Qt::Key key) { QTest::keyClick(window.filterField(), key); };

    const std::vector<Step> steps = {
        {"show the list", [&] { window.ShowResults(list); }},
        {"show Count, First File and Line columns",
         [&] {
             menuItem("showCount");
             menuItem("showFirstFile");
             menuItem("showLine");
         }},
        {"header click: Results (A to Z)", [&] { clickHeader(ResultsModel::kAddressColumn); }},
        {"header click: Results again (Z to A)",
         [&] { clickHeader(ResultsModel::kAddressColumn); }},
        {"header click: Count", [&] { clickHeader(ResultsModel::kCountColumn); }},
        {"header click: First File", [&] { clickHeader(ResultsModel::kFirstFileColumn); }},
        {"header menu: Domain Order", [&] { menuItem("domainOrder"); }},
        {"header menu: Count Order", [&] { menuItem("countOrder"); }},
        {"header menu: First Occurrence Order", [&] { menuItem("firstOccurrenceOrder"); }},
        {"filter: focus", [&] { window.filterField()->setFocus(Qt::OtherFocusReason); }},
        {"filter: type u", [&] { type(Qt::Key_U); }},
        {"filter: type s", [&] { type(Qt::Key_S); }},
        {"filter: type e", [&] { type(Qt::Key_E); }},
        {"filter: type r", [&] { type(Qt::Key_R); }},
        {"filter: type .", [&] { type(Qt::Key_Period); }},
        {"filter: type 1", [&] { type(Qt::Key_1); }},
        {"filter: Backspace", [&] { type(Qt::Key_Backspace); }},
        {"filter: clear", [&] { window.filterField()->clear(); }},
        {"Clean List: open (preview)", [&] { window.CommandBars_Execute(kCleanListId); }},
        {"Clean List: drop role accounts (preview)",
         [&] { QTest::mouseClick(dialog()->findChild<QCheckBox*>("dropRoles"), Qt::LeftButton); }},
        {"Clean List: add a do-not-mail list of a million lines",
         [&] {
             QTest::mouseClick(dialog()->findChild<QPushButton*>("addDoNotMail"), Qt::LeftButton);
         }},
        {"Clean List: Apply",
         [&] {
             QTest::mouseClick(dialog()->findChild<QPushButton*>("applyCleaning"), Qt::LeftButton);
         }},
        {"Delete a row",
         [&] {
             window.list()->setCurrentIndex(window.model().index(5, 0));
             QTest::keyClick(window.list(), Qt::Key_Delete);
         }},
        {"Save Results", [&] { window.CommandBars_Execute(kSaveResultsId); }},
        {"Save Results With Commas", [&] { window.CommandBars_Execute(kSaveCommaId); }},
        {"Save As CSV", [&] { window.CommandBars_Execute(kSaveCsvId); }},
        {"Save Results To Clipboard", [&] { window.CommandBars_Execute(kCopyToClipboardId); }},
        {"Back", [&] { window.CommandBars_Execute(kBackId); }},
    };

    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestPause = std::max(longestPause, sinceTick.restart()); });

    std::size_t next = 0;
    QElapsedTimer idleFor, sinceStart;
    QTimer poll;
    poll.setInterval(10);
    std::function<void()> runNext = [&] {
        if (next == steps.size()) {
            QApplication::quit();
            return;
        }
        longestPause = 0;
        sinceTick.start();
        sinceStart.start();
        idleFor.invalidate();
        QTimer::singleShot(0, steps[next].action);
        poll.start();
    };
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (AnyBusyPointer() || sinceStart.elapsed() < 50) {
            idleFor.invalidate();
            return;
        }
        if (!idleFor.isValid())
            idleFor.start();
        if (idleFor.elapsed() < 250)
            return;
        poll.stop();
        std::printf("%-55s %6lld ms   (%lld ms until idle; %d rows)\n", steps[next].name,
                    static_cast<long long>(longestPause),
                    static_cast<long long>(sinceStart.elapsed() - idleFor.elapsed()),
                    window.model().rowCount());
        std::fflush(stdout);
        ++next;
        runNext();
    });

    window.show();
    ticker.start();
    QTimer::singleShot(300, runNext);
    return QApplication::exec();
}
