#include "shell/main_window.h"
#include "shell/prompts.h"
#include "shell/window_helpers.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ornavex"));
    QApplication::setOrganizationName(QStringLiteral("Velquarn"));
    QApplication::setWindowIcon(ornavex::ProgramIcon());

    ornavex::QtPrompts prompts;
    ornavex::MainWindow window(prompts);
    // Files and folders named on the command line (an "Open with" from a file
    // manager) are added as if they had been dropped on the list.
    QStringList paths;
    for (const QString& argument : app.arguments().mid(1))
        paths.append(QFileInfo(argument).absoluteFilePath());
    if (!paths.isEmpty())
        window.AddDroppedPaths(paths);
    // Closing either window ends the program at once.
    QObject::connect(&window, &ornavex::MainWindow::programEndRequested, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}
