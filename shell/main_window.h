#pragma once

#include "filelist/file_list_model.h"
#include "filelist/folder_scan_job.h"
#include "shell/list_layout.h"
#include "shell/run_controller.h"

#include <QCursor>
#include <QMainWindow>
#include <memory>
#include <optional>

class QTimer;
class QToolBar;

namespace ornavex {

class FileListView;
class ProgressPanel;
class Prompts;
class ResultsWindow;

// The main window: the input file list, the menus and the "Standard"
// toolbar, and the run. Creating it loads the whole user interface, the
// hidden results window included.
//
// The object names of the original controls and menu items (Form1, Form2,
// ListView1, the "Standard" toolbar, m1 to m17) are those of the first
// version of the program, kept because users' scripts, accessibility tools
// and the tests find controls by them; the C++ members carry descriptive
// names, and controls added since have descriptive object names too.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Prompts& prompts);
    ~MainWindow() override;

    FileListModel& files() { return files_; }
    FileListView* list() const { return list_; }
    QToolBar* toolbar() const { return toolbar_; }
    ResultsWindow& results() { return *results_; }
    bool busy() const { return run_.running() || folderScan_.busy(); }
    bool skinned() const { return skinned_; }
    const std::optional<QCursor>& customPointer() const { return customPointer_; }

    void CommandBars_Execute(int id);
    void AddFiles();
    void AddFolder();
    void ClearList();
    void ClearSelectedFiles();
    void RemoveCurrentEntry();
    void Start();
    void AddDroppedPaths(const std::vector<std::filesystem::path>& paths);
    // A folder scan's files join the list; folders it could not list are
    // reported.
    void FilesFound(const std::vector<std::filesystem::path>& files,
                    const std::vector<FolderError>& errors);
    void Help();
    // Closes like the close box: writes the placement and ends the program.
    void Exit();
    // The run has ended: the results window shows what it found, unless it
    // was cancelled or could not finish.
    void RunFinished(const ResultsList& result);

signals:
    void programEndRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override; // Esc cancels a run or a scan
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateStaticBar();
    void CreateMenus();
    void ApplyListLayout();
    void SaveWindowPlacement();
    void CancelWork();
    void UpdateBusyState();

    Prompts& prompts_;
    FileListModel files_;
    FileListView* list_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction* readInside_ = nullptr;     // Options: read inside documents and archives
    QAction* classicPattern_ = nullptr; // Options: the address pattern without '+'
    ProgressPanel* progress_ = nullptr;
    QTimer* progressDelay_ = nullptr;
    std::unique_ptr<ResultsWindow> results_;
    RunController run_;
    FolderScanJob folderScan_;
    ListLayout layout_;
    bool skinned_ = false;
    // Start was pressed while a folder scan went on: the run starts once the
    // scan's files are in the list.
    bool startPending_ = false;
    bool placed_ = false; // checked to be whole on its screen once shown
    // Loaded when shipped, as the window's custom pointer picture; nothing
    // switches to it.
    std::optional<QCursor> customPointer_;
};

} // namespace ornavex
