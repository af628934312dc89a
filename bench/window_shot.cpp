// Saves pictures of both windows, to look at them: the main window with a
// few paths (one long), the results window with a few addresses.
//
//   window_shot PREFIX [light|dark] [WIDTH]
//
// writes PREFIX-main.png, PREFIX-results.png, PREFIX-clean.png (the
// Clean List dialog) and PREFIX-progress.png (the progress strip of a run
// using the disk, while reading and after); dark gives the application
// a dark palette, as a dark desktop theme does; WIDTH narrows the main
// window. Run with QT_QPA_PLATFORM=offscreen, or under xvfb-run.
#include "results/results_window.h"
#include "shell/main_window.h"
#include "shell/progress_panel.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QPalette>
#include <QStyleFactory>
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
    palette.setColor(QPalette::Window, QColor(45, 45, 48));
    palette.setColor(QPalette::Base, QColor(30, 30, 30));
    palette.setColor(QPalette::AlternateBase, QColor(50, 50, 50));
    palette.setColor(QPalette::Button, QColor(55, 55, 58));
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
    palette.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    palette.setColor(QPalette::Light, QColor(80, 80, 80));
    palette.setColor(QPalette::Midlight, QColor(65, 65, 65));
    palette.setColor(QPalette::Mid, QColor(40, 40, 40));
    palette.setColor(QPalette::Dark, QColor(25, 25, 25));
    palette.setColor(QPalette::Shadow, Qt::black);
    return palette;
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
    ornavex::QtPrompts prompts;
    ornavex::MainWindow window(prompts);
    window.files().Append(
        QStringList{QStringLiteral("/home/user/exports/crm/2024/autumn/campaigns/newsletter/"
                                   "mailing-list-export-2024.txt"),
                    QStringLiteral("/tmp/b.txt")});
    if (argc > 3)
        window.resize(std::atoi(argv[3]), window.height());
    window.show();
    window.results().model().Show(
        ornavex::AddressList{"ann@example.org", "bob@x.com", "carol@y.net"});
    window.results().ShowResults(3, 2);
    window.results().CommandBars_Execute(ornavex::kCleanListId);
    ornavex::ProgressPanel reading, sorting;
    const QString path = QStringLiteral("/home/user/exports/crm/2024/mailing-list-export.txt");
    reading.ShowRun(700'000'000, 1'500'000'000, path, 600'000'000);
    sorting.ShowRun(1'500'000'000, 1'500'000'000, path, 1'400'000'000, 44);
    for (ornavex::ProgressPanel* panel : {&reading, &sorting}) {
        panel->resize(argc > 3 ? std::atoi(argv[3]) : 640, panel->sizeHint().height());
        panel->show();
    }
    QTimer::singleShot(500, [&] {
        window.grab().save(prefix + "-main.png");
        window.results().grab().save(prefix + "-results.png");
        if (auto* dialog = window.results().findChild<QDialog*>(QStringLiteral("cleanListDialog")))
            dialog->grab().save(prefix + "-clean.png");
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
