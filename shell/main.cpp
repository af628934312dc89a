#include "os/standard_streams.h"
#include "os/temporary_paths.h"
#include "shell/command_line.h"
#include "shell/main_window.h"
#include "ui/prompts.h"
#include "ui/window_helpers.h"

#include <QApplication>
#include <vector>

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard stream would otherwise
    // be taken by the first file opened.
    ornavex::OpenClosedStandardStreams();
    ornavex::RemoveTemporaryFilesOnInterruption();

    // Qt sees only what stands before "--", and takes its own options out.
    const int optionsEnd = ornavex::QtOptionsEnd(argc, argv);
    if (ornavex::AnswerInformationOptions(optionsEnd, argv, stdout))
        return 0;
    int leftByQt = optionsEnd;
    QApplication app(leftByQt, argv);
    QApplication::setApplicationName(QStringLiteral("Ornavex"));
    QApplication::setOrganizationName(QStringLiteral("Velquarn"));
    QApplication::setWindowIcon(ornavex::ProgramIcon());

    ornavex::QtPrompts prompts;
    ornavex::MainWindow window(prompts);
    // Files and folders named on the command line (an "Open with" from a file
    // manager) are added as if they had been dropped on the list.
    const std::vector<std::filesystem::path> paths =
        ornavex::NamedPaths(leftByQt, argv, optionsEnd, argc);
    if (!paths.empty())
        window.AddDroppedPaths(paths);
    // Closing either window ends the program at once.
    QObject::connect(&window, &ornavex::MainWindow::programEndRequested, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}
