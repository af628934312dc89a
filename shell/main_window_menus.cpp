#include "shell/help_commands.h"
#include "shell/main_window.h"
#include "ui/command_bar.h"

#include <QMenuBar>

namespace ornavex {

// The File, Options and Help menus. Items carry their historical object names m1 to
// m21 (some numbers were never used).
void MainWindow::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setFont(CommandBarFont());

    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->menuAction()->setObjectName(QStringLiteral("m1"));
    item(file, "m2", QStringLiteral("A&dd Files"), [this] { AddFiles(); });
    item(file, "m3", QStringLiteral("Add &Folder"), [this] { AddFolder(); });
    separator(file, "m4");
    item(file, "m5", QStringLiteral("Clear Selected Files"), [this] { ClearSelectedFiles(); });
    item(file, "m6", QStringLiteral("Clear All Files"), [this] { ClearList(); });
    separator(file, "m7");
    item(file, "m8", QStringLiteral("&Exit"), [this] { Exit(); });

    // Whether files are read inside, and whether the classic address pattern
    // (no '+' in the local part) is used: as at each start, never stored.
    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    options->menuAction()->setObjectName(QStringLiteral("optionsMenu"));
    readInside_ = options->addAction(QStringLiteral("Read Inside Documents and Archives"));
    readInside_->setObjectName(QStringLiteral("readInside"));
    readInside_->setCheckable(true);
    readInside_->setChecked(true);
    classicPattern_ = options->addAction(QStringLiteral("Classic Address Pattern"));
    classicPattern_->setObjectName(QStringLiteral("classicPattern"));
    classicPattern_->setCheckable(true);
    classicPattern_->setChecked(false);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->menuAction()->setObjectName(QStringLiteral("m15"));
    item(help, "m16", QStringLiteral("Help"), [this] { Help(); });
    item(help, "m17", QStringLiteral("Load Sample/Example Files"),
         [this] { LoadSampleFiles(*this, prompts_, files_); });
    item(help, "m18", QStringLiteral("Watch Old Demo Video"), [] { OpenDemoVideo(); });
    separator(help, "m19");
    item(help, "m20", QStringLiteral("FAQ"), [] { OpenFaqPage(); });
    item(help, "m21", QStringLiteral("Visit Velquarn Main Page"), [] { OpenMainPage(); });
    separator(help, "aboutSeparator");
    item(help, "aboutItem", QStringLiteral("About Ornavex"),
         [this] { ShowAbout(*this, prompts_); });
}

void MainWindow::Help() {
    ShowContactMessage(*this, prompts_);
}

} // namespace ornavex
