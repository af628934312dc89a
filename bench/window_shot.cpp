// Saves pictures of both windows, to look at them: the main window with a
// few paths (one long), the results window with a few addresses, cleaned
// and filtered, with its optional columns.
//
//   window_shot PREFIX [light|dark] [WIDTH]
//
// writes PREFIX-main.png, PREFIX-results.png, PREFIX-clean.png (the Clean
// List dialog), PREFIX-menu.png (the header's menu), PREFIX-progress.png
// (the progress strip of a run using the disk, while reading and after),
// and PREFIX-screen-main.png and PREFIX-screen-results.png (the whole
// screen with each window as it opens on it). dark gives the application a
// dark palette that, like many, says nothing of placeholder text; WIDTH
// narrows the main window. Run under xvfb-run (QT_SCALE_FACTOR=2 for a
// screen at 200%), or with QT_QPA_PLATFORM=offscreen.
#include "results/results_window.h"
#include "shell/main_window.h"
#include "shell/progress_panel.h"
#include "ui/prompts.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>
#include <QTableView>
#include <QTimer>
#include <cstdlib>
#include <cstring>

namespace {

QPalette DarkPalette() {
    QPalette palette;
    const QColor text(230, 230, 230);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                      QPalette::BrightText, QPalette::ToolTipText})
        palette.setColor(role, text);
    palette.setColor(QPalette::Window, QColor(35, 38, 41));
    palette.setColor(QPalette::Base, QColor(27, 30, 32));
    palette.setColor(QPalette::AlternateBase, QColor(50, 50, 50));
    palette.setColor(QPalette::Button, QColor(49, 54, 59));
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
    palette.setColor(QPalette::Light, QColor(80, 80, 80));
    palette.setColor(QPalette::Midlight, QColor(65, 65, 65));
    palette.setColor(QPalette::Mid, QColor(40, 40, 40));
    palette.setColor(QPalette::Dark, QColor(25, 25, 25));
    palette.setColor(QPalette::Shadow, Qt::black);
    return palette;
}

ornavex::ResultsList Rows() {
    auto details = std::make_shared<ornavex::RunDetails>();
    details->members.push_back("report.zip: 2024/list.docx");
    details->sources = {{4, 0, 0, 12}, {1, 1, 0, 3}, {2, 1, 1, 40}, {7, 0, 0, 99}};
    auto addresses = std::make_shared<ornavex::AddressList>();
    for (const char* address :
         {"ann@example.org", "bob@x.com", "carol@y.net", "noreply@example.org"})
        addresses->Append(address);
    ornavex::ResultsList list{
        .addresses = addresses,
        .details = details,
        .fileNames = std::make_shared<std::vector<std::string>>(std::vector<std::string>{
            "/home/user/exports/crm/2024/autumn/campaigns/newsletter/mailing-list.txt",
            "/home/user/exports/crm/2024/autumn/campaigns/newsletter/other-list.zip"}),
        .summary = {}};
    list.summary.uniqueAddresses = 4;
    list.summary.addressesFound = 4 + 1234567;
    list.summary.partsRead = 12;
    return list;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_shot PREFIX [light|dark] [WIDTH]\n");
        return 2;
    }
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    if (argc > 2 && std::strcmp(argv[2], "dark") == 0) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkPalette());
    }
    const auto screen = [&](const char* name) {
        QApplication::primaryScreen()->grabWindow(0).save(prefix + "-screen-" + name + ".png");
    };
    ornavex::QtPrompts prompts;
    ornavex::MainWindow window(prompts);
    window.files().Append(
        QStringList{QStringLiteral("/home/user/exports/crm/2024/autumn/campaigns/newsletter/"
                                   "mailing-list-export-2024.txt"),
                    QStringLiteral("/tmp/b.txt")});
    if (argc > 3)
        window.resize(std::atoi(argv[3]), window.height());
    window.show();
    ornavex::ResultsWindow& results = window.results();
    ornavex::ProgressPanel reading, sorting;
    const QString path = QStringLiteral("/home/user/exports/crm/2024/mailing-list-export.txt");
    reading.ShowRun(700'000'000, 1'500'000'000, path, 600'000'000);
    sorting.ShowRun(1'500'000'000, 1'500'000'000, path, 1'400'000'000, 44);
    QTimer::singleShot(500, [&] {
        screen("main");
        window.grab().save(prefix + "-main.png");
        // As a run ends: the results window opens and the main window goes.
        results.ShowResults(Rows());
        window.hide();
        QMenu* menu = results.HeaderMenu();
        for (const char* column : {"showCount", "showFirstFile"})
            menu->findChild<QAction*>(column)->setChecked(true);
        results.list()->horizontalHeader()->resizeSection(ornavex::ResultsModel::kAddressColumn,
                                                          200);
        results.CommandBars_Execute(ornavex::kCleanListId);
    });
    QTimer::singleShot(1200, [&] {
        if (auto* dialog = results.findChild<QDialog*>(QStringLiteral("cleanListDialog"))) {
            dialog->grab().save(prefix + "-clean.png");
            dialog->findChild<QLineEdit*>(QStringLiteral("dropDomains"))->setText("x.com");
            dialog->accept();
        }
        results.filterField()->setText(QStringLiteral("e"));
    });
    QTimer::singleShot(1800, [&] {
        screen("results");
        results.grab().save(prefix + "-results.png");
        QMenu* menu = results.HeaderMenu();
        menu->popup(results.mapToGlobal(QPoint(40, 120)));
    });
    QTimer::singleShot(2200, [&] {
        results.HeaderMenu()->grab().save(prefix + "-menu.png");
        results.HeaderMenu()->close();
        for (ornavex::ProgressPanel* panel : {&reading, &sorting}) {
            panel->resize(argc > 3 ? std::atoi(argv[3]) : 640, panel->sizeHint().height());
            panel->show();
        }
    });
    QTimer::singleShot(2600, [&] {
        QImage both(reading.width(), reading.height() + sorting.height(), QImage::Format_ARGB32);
        QPainter painter(&both);
        painter.drawPixmap(0, 0, reading.grab());
        painter.drawPixmap(0, reading.height(), sorting.grab());
        painter.end();
        both.save(prefix + "-progress.png");
        QApplication::quit();
    });
    return QApplication::exec();
}
