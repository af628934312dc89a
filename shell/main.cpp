#include "shell/main_window.h"
#include "shell/prompts.h"
#include "shell/window_helpers.h"

#include <QApplication>
#include <filesystem>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ornavex"));
    QApplication::setOrganizationName(QStringLiteral("Velquarn"));
    QApplication::setWindowIcon(ornavex::ProgramIcon());

    ornavex::QtPrompts prompts;
    ornavex::MainWindow window(prompts);
    // Files and folders named on the command line (an "Open with" from a file
    // manager) are added as if they had been dropped on the list.
    std::vector<std::filesystem::path> paths;
    for (int i = 1; i < argc; ++i) {
#ifdef _WIN32
        const std::filesystem::path path(app.arguments().value(i).toStdWString());
#else
        const std::filesystem::path path(argv[i]); // the bytes as given
#endif
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        paths.push_back(error ? path : absolute);
    }
    if (!paths.empty())
        window.AddDroppedPaths(paths);
    // Closing either window ends the program at once.
    QObject::connect(&window, &ornavex::MainWindow::programEndRequested, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}
