#include "shell/main_window.h"

#include "filelist/file_list_view.h"
#include "results/results_window.h"
#include "run/removal_run.h"
#include "scan/folder_scan.h"
#include "shell/command_ids.h"
#include "shell/error_report.h"
#include "shell/help_commands.h"
#include "shell/progress_panel.h"
#include "shell/settings_store.h"
#include "shell/skin.h"
#include "ui/command_bar.h"
#include "ui/custom_pointer.h"
#include "ui/prompts.h"
#include "ui/qt_paths.h"
#include "ui/window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QToolBar>

namespace ornavex {
namespace {

constexpr int kDesignClientWidth = 8925; // twips
constexpr int kDesignClientHeight = 6885;
constexpr int kInitialColumnWidth = 6000;
constexpr auto kProgressDelay = std::chrono::milliseconds(300);

const QString kAddFilesTitle = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
const QString kTextFilesFilter = QStringLiteral("Text Files (*.txt);;All Files (*)");
const QString kExtensionPrompt =
    QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt files, doc "
                   "for all doc files, etc.)");

constexpr std::size_t kFolderErrorsShown = 20;

// The error report for folders a scan could not list: each folder with the
// system's reason, then the request for a screenshot.
QString FormatFolderErrors(const std::vector<FolderError>& errors) {
    QString text = QStringLiteral("These folders could not be read, so their files were not "
                                  "added:");
    for (std::size_t i = 0; i < errors.size() && i < kFolderErrorsShown; ++i)
        text +=
            "\r\n" + ToQString(errors[i].folder) + ": " + QString::fromStdString(errors[i].reason);
    if (errors.size() > kFolderErrorsShown)
        text += QStringLiteral("\r\n… and %1 more.").arg(errors.size() - kFolderErrorsShown);
    text +=
        QStringLiteral("\r\rPlease email screenshot of this message to ") +
        QString::fromUtf8(kSupportAddress.data(), static_cast<qsizetype>(kSupportAddress.size()));
    return text;
}

} // namespace

MainWindow::MainWindow(Prompts& prompts)
    : prompts_(prompts), run_(prompts, this), folderScan_(this) {
    setObjectName(QStringLiteral("Form1"));
    // The load steps, in order: skin, custom pointer, the start-up draw,
    // caption and icon, then the lists, the results window and the toolbar.
    DerivePlaceholderColours(); // readable on any desktop, skinned or not
    skinned_ = ApplySkin(*this, SkinFile());
    customPointer_ = LoadCustomPointer(CustomPointerFile());
    MainPageDraw(ClockSeededUniform());
    setWindowTitle(kApplicationTitle);
    setWindowIcon(ProgramIcon());

    auto* client = new QWidget(this);
    setCentralWidget(client);
    list_ = new FileListView(client);
    list_->setModel(&files_);
    progress_ = new ProgressPanel(client);
    progress_->hide();
    progressDelay_ = new QTimer(this);
    progressDelay_->setSingleShot(true);
    progressDelay_->setInterval(kProgressDelay);
    connect(progressDelay_, &QTimer::timeout, this, [this] {
        if (busy() || startPending_) {
            progress_->show();
            ApplyListLayout();
        }
    });

    CreateMenus();
    results_ = std::make_unique<ResultsWindow>(prompts_);
    // Do-not-mail lists are read as the run's files are.
    results_->SetReadInside(readInside_->isChecked());
    connect(readInside_, &QAction::toggled, results_.get(), &ResultsWindow::SetReadInside);
    if (skinned_) // both windows dressed alike
        ApplySkin(*results_, SkinFile());
    list_->header()->resizeSection(0, PixelsFromTwips(kInitialColumnWidth));
    CreateStaticBar();

    connect(list_, &FileListView::removeCurrentRequested, this, &MainWindow::RemoveCurrentEntry);
    connect(list_, &FileListView::pathsDropped, this, &MainWindow::AddDroppedPaths);
    connect(&folderScan_, &FolderScanJob::filesFound, this, &MainWindow::FilesFound);
    connect(&folderScan_, &FolderScanJob::busyChanged, this, [this] { UpdateBusyState(); });
    connect(&run_, &RunController::progressed, progress_, &ProgressPanel::ShowRun);
    connect(&run_, &RunController::finished, this, &MainWindow::RunFinished);
    connect(progress_, &ProgressPanel::cancelRequested, this, &MainWindow::CancelWork);
    connect(results_.get(), &ResultsWindow::backRequested, this, [this] { show(); });
    connect(results_.get(), &ResultsWindow::programEndRequested, this,
            &MainWindow::programEndRequested);

    // The design size is that of the client area, bars included.
    resize(PixelsFromTwips(kDesignClientWidth), PixelsFromTwips(kDesignClientHeight));
    CenterOnScreen(*this);
}

MainWindow::~MainWindow() {
    CancelWork();
}

void MainWindow::CreateStaticBar() {
    // Left to right; "Clear List" (1003) stands before "Start Removing" (1002).
    // The keys belong to the menu items of the same commands.
    toolbar_ = CreateCommandBar(
        this,
        {{kAddFilesId, "Add Files", "add_files", AddFilesKeys()},
         {kAddFolderId, "Add Folder", "add_folder", AddFolderKeys()},
         {kClearListId, "Clear List", "clear_list", ClearListKeys()},
         {kStartId, "Start Removing", "start_removing", StartKeys()}},
        [this](int id) { CommandBars_Execute(id); }, ButtonKeys::kOnMenuItems);
    addToolBar(toolbar_);
    // Tab goes from the toolbar's buttons to the list.
    QWidget* previous = nullptr;
    for (QAction* action : toolbar_->actions()) {
        QWidget* button = toolbar_->widgetForAction(action);
        if (previous != nullptr && button != nullptr)
            setTabOrder(previous, button);
        previous = button != nullptr ? button : previous;
    }
    if (previous != nullptr)
        setTabOrder(previous, list_);
}

void MainWindow::CommandBars_Execute(int id) {
    switch (id) {
    case kAddFilesId:
        AddFiles();
        break;
    case kAddFolderId:
        AddFolder();
        break;
    case kStartId:
        Start();
        break;
    case kClearListId:
        ClearList();
        break;
    default:
        break; // any other id does nothing
    }
}

void MainWindow::AddFiles() {
    files_.Append(prompts_.ChooseFilesToOpen(this, kAddFilesTitle, kTextFilesFilter));
}

void MainWindow::AddFolder() {
    const std::optional<QString> extension =
        prompts_.AskText(this, kExtensionPrompt, kApplicationTitle, QStringLiteral("txt"));
    if (!extension || extension->isEmpty())
        return;
    SettingsStore::Write(QStringLiteral("Extension"), *extension);
    const QString folder = prompts_.ChooseFolder(this, QStringLiteral("Please select folder:"));
    if (folder.isEmpty())
        return;
    folderScan_.Scan({ToFsPath(folder)}, FileNameFilter::ForExtensions(extension->toStdString()));
}

void MainWindow::AddDroppedPaths(const std::vector<std::filesystem::path>& paths) {
    folderScan_.Scan(paths, FileNameFilter::AllFiles());
}

void MainWindow::FilesFound(const std::vector<std::filesystem::path>& files,
                            const std::vector<FolderError>& errors) {
    files_.Append(files);
    if (!errors.empty())
        prompts_.ShowMessage(this, FormatFolderErrors(errors),
                             QString::fromUtf8(kErrorReportTitle.data(), kErrorReportTitle.size()),
                             Prompts::Icon::kWarning);
}

void MainWindow::ClearList() {
    files_.Clear();
}

void MainWindow::ClearSelectedFiles() {
    files_.RemoveRows(list_->SelectedRows());
}

void MainWindow::RemoveCurrentEntry() {
    const QModelIndex current = list_->currentIndex();
    if (current.isValid())
        files_.RemoveAt(current.row());
}

void MainWindow::Start() {
    if (run_.running() || startPending_)
        return; // a second Start while a run goes on is ignored
    if (folderScan_.busy()) {
        // Files are still being looked for: the run waits for all of them,
        // rather than reading a part of the list.
        startPending_ = true;
        UpdateBusyState();
        return;
    }
    if (files_.paths().empty()) {
        setCursor(Qt::WaitCursor);
        prompts_.ShowMessage(this,
                             QString::fromUtf8(kNoFilesMessage.data(), kNoFilesMessage.size()),
                             kApplicationTitle, Prompts::Icon::kNone);
        UpdateBusyState();
        return;
    }
    progress_->ShowRunStarting();
    RunOptions options;
    options.readInside = readInside_->isChecked();
    options.classicPattern = classicPattern_->isChecked();
    // For the results window's Count, First File and Line columns.
    options.details = options.lines = true;
    run_.Start(files_.Snapshot(), options);
    UpdateBusyState();
}

void MainWindow::RunFinished(const ResultsList& result) {
    UpdateBusyState();
    // Cancelled, or failed (out of memory, reported already): no partial
    // list is shown as if it were the result; the main window stays.
    if (result.summary.stopped || result.summary.failed || !result.fileNames ||
        result.fileNames->empty())
        return;
    results_->ShowResults(result);
    hide();
}

void MainWindow::CancelWork() {
    startPending_ = false;
    run_.Cancel();
    folderScan_.Cancel();
}

// The busy pointer and the progress strip follow the work. The strip is
// asked whether it is hidden, not whether it shows: while the results
// window is up this window is hidden, and so would the strip seem to be.
void MainWindow::UpdateBusyState() {
    if (startPending_ && !folderScan_.busy()) {
        startPending_ = false;
        Start(); // the scan is done and its files are in the list
        return;
    }
    if (busy()) {
        setCursor(Qt::WaitCursor);
        if (!run_.running())
            progress_->ShowScanning();
        if (progress_->isHidden() && !progressDelay_->isActive())
            progressDelay_->start();
        return;
    }
    unsetCursor();
    progressDelay_->stop();
    if (!progress_->isHidden()) {
        progress_->hide();
        ApplyListLayout();
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && busy()) {
        CancelWork();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    RefitWhenFramed(*this);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyListLayout();
}

void MainWindow::ApplyListLayout() {
    if (isMinimized())
        return;
    // Client measures in twips; the list's own widget lives below the bars.
    const QWidget* client = centralWidget();
    layout_ = LayoutList(TwipsFromPixels(width()), TwipsFromPixels(height()), layout_);
    const int barsBottom = client->y();
    int top = PixelsFromTwips(layout_.top) - barsBottom;
    int height = PixelsFromTwips(layout_.height);
    if (top < 0) { // taller bars than designed: keep the list clear of them
        height += top;
        top = 0;
    }
    if (!progress_->isHidden()) {
        const int panelHeight = progress_->sizeHint().height();
        height -= panelHeight;
        progress_->setGeometry(0, client->height() - panelHeight, client->width(), panelHeight);
    }
    list_->setGeometry(PixelsFromTwips(layout_.left), top, PixelsFromTwips(layout_.width),
                       std::max(height, 0));
    list_->header()->resizeSection(0, PixelsFromTwips(layout_.columnWidth));
}

void MainWindow::SaveWindowPlacement() {
    const QRect frame = frameGeometry();
    const std::pair<const char*, int> placement[] = {{"Left", frame.x()},
                                                     {"Top", frame.y()},
                                                     {"Width", frame.width()},
                                                     {"Height", frame.height()}};
    for (const auto& [key, pixels] : placement) {
        if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
            continue;
        SettingsStore::Write(QString::fromLatin1(key), QString::number(TwipsFromPixels(pixels)));
    }
}

void MainWindow::Exit() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    CancelWork();
    SaveWindowPlacement();
    event->accept();
    emit programEndRequested();
}

} // namespace ornavex
