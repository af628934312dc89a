#include "shell/help_commands.h"

#include "filelist/file_list_model.h"
#include "scan/folder_scan.h"
#include "ui/prompts.h"
#include "ui/qt_paths.h"
#include "ui/window_helpers.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <chrono>
#include <memory>
#include <random>

namespace ornavex {
namespace {

void OpenWithDesktop(const QString& target, bool isUrl) {
    QDesktopServices::openUrl(isUrl ? QUrl(target) : QUrl::fromLocalFile(target));
}

TargetOpener& Opener() {
    static TargetOpener opener = OpenWithDesktop;
    return opener;
}

// The maker's web site, which the help commands open.
constexpr std::string_view kMakerWebAddress = "http://www.velquarn.example";

QString MakerAddress(const char* path) {
    return QString::fromLatin1(kMakerWebAddress.data(), kMakerWebAddress.size()) +
           QString::fromLatin1(path);
}

} // namespace

QString MainPageAddress() {
    return MakerAddress("/");
}

QString FaqPageAddress() {
    return MakerAddress("/question/");
}

QString ContactPageAddress() {
    return MakerAddress("/contact/");
}

void SetTargetOpener(TargetOpener opener) {
    Opener() = opener ? std::move(opener) : OpenWithDesktop;
}

void ShowContactMessage(QWidget& parent, Prompts& prompts) {
    prompts.ShowMessage(&parent,
                        QStringLiteral("Questions? Please contact Team Velquarn at ") +
                            ContactPageAddress(),
                        kApplicationTitle, Prompts::Icon::kNone);
}

void ShowAbout(QWidget& parent, Prompts& prompts) {
    prompts.ShowMessage(&parent,
                        QStringLiteral("Ornavex %1\n\nGives back every distinct e-mail address in "
                                       "your files, once each, in the order and letter case of "
                                       "its first occurrence.\n\n%2")
                            .arg(QStringLiteral(ORNAVEX_VERSION), MainPageAddress()),
                        QStringLiteral("About Ornavex"), Prompts::Icon::kNone);
}

void OpenFaqPage() {
    Opener()(FaqPageAddress(), true);
}

void OpenMainPage() {
    Opener()(MainPageAddress(), true);
}

void OpenDemoVideo() {
    const QString folder = ProgramFile(QStringLiteral("Video"));
    const QStringList videos =
        QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    Opener()(videos.isEmpty() ? folder + QDir::separator() : QDir(folder).filePath(videos.first()),
             false);
}

bool MainPageDraw(const std::function<double()>& uniform) {
    const int drawn = static_cast<int>(uniform() * 100) + 1;
    if (drawn != 7)
        return false;
    OpenMainPage();
    return true;
}

std::function<double()> ClockSeededUniform() {
    auto engine = std::make_shared<std::mt19937_64>(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    return [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

void LoadSampleFiles(QWidget& parent, Prompts& prompts, FileListModel& files) {
    const QString folder = ProgramFile(QStringLiteral("Samples"));
    const std::filesystem::path samples = ToFsPath(folder);
    std::vector<std::filesystem::path> paths;
    for (const NativeString& name : ListFolderFiles(samples, FileNameFilter::AllFiles()))
        paths.push_back(samples / name);
    files.Append(paths);
    const bool open = prompts.AskYesNo(
        &parent,
        QStringLiteral("Would you like this software to open the folder where these sample files "
                       "are stored (so that you can view them before working with them)?"),
        kApplicationTitle);
    if (open)
        Opener()(folder, false);
}

} // namespace ornavex
