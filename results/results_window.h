#pragma once

#include "output/export_formats.h"
#include "results/clean_list_dialog.h"
#include "results/results_model.h"

#include <QCursor>
#include <QFutureWatcher>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QTableView;

namespace ornavex {

class Prompts;

// Toolbar command ids of the results window.
inline constexpr int kBackId = 1000;
inline constexpr int kSaveResultsId = 1001;
inline constexpr int kSaveCommaId = 1002;
inline constexpr int kCopyToClipboardId = 1003;
inline constexpr int kSaveCsvId = 1004;
inline constexpr int kCleanListId = 1005;

// The results window: the unique addresses of the last run, a status line
// with the counts, and the toolbar with Back and the exports. It exists for
// the whole program; closing it ends the program. Ordering, cleaning and
// filtering a long list, and the exports, run off the window's thread: the
// window shows the busy pointer meanwhile and keeps answering.
class ResultsWindow : public QWidget {
    Q_OBJECT
public:
    explicit ResultsWindow(Prompts& prompts, QWidget* parent = nullptr);

    ResultsModel& model() { return model_; }
    QTableView* list() const { return list_; }
    QToolBar* toolbar() const { return toolbar_; }
    QLineEdit* filterField() const { return filter_; }
    QString statusText() const;
    // The header's context menu: the orders and the optional columns.
    QMenu* HeaderMenu();
    // Whether the do-not-mail lists are read inside, as the run's files are.
    void SetReadInside(bool readInside) { readInside_ = readInside; }
    bool readInside() const { return readInside_; }
    // Until what was asked of the list shows, and any export is done.
    bool busy() const { return model_.busy() || exporting_; }

    // Shows the window with a run's list and its counts. The parts read
    // inside files are named only when there were any.
    void ShowResults(ResultsList list);

    void CommandBars_Execute(int id);
    void Back();
    void SaveResults();
    void SaveComma();
    // The rows shown as CSV: address, count, first file, first line.
    void SaveCsv();
    // Opens the Clean List dialog; its rules apply when it is accepted.
    void CleanList();
    // Builds the clipboard text off the window's thread; the hint shows once
    // the text is on the clipboard.
    void CopyResultsToClipboard();
    bool copying() const { return exporting_ && copyingNow_; }

signals:
    void backRequested();
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateStaticBar();
    void CreateList();
    void CreateKeys();
    void LayOut();
    // Leaves no filter, cleaning, order, taken-out rows or extra column of
    // the list shown before.
    void StartAfresh();
    // Asks for a file name and writes the rows shown in format, off the
    // window's thread; the comma format shows the busy pointer from before
    // the overwrite question to the end.
    void SaveAs(ExportFormat format, const QString& filter, bool busyPointer);
    // The file to write, once its overwrite question has been answered Yes
    // (with the busy pointer when busyQuestion); empty when cancelled.
    // exists tells whether it is there already.
    QString ChooseSaveFile(const QString& filter, bool busyQuestion, bool& exists);
    // work gives the clipboard's text, or for a file the reason it could not
    // be written (empty when it was).
    void Export(std::function<QString()> work, const QString& fileName);
    void ExportFinished();
    void ShowCopyHint();
    void ApplyCleaning(const CleanChoices& choices);
    void SortByHeader(int column);
    void SortByMenu(SortOrder order);
    void MarkOrderInForce();
    void PopupHeaderMenu(const QPoint& globalAt);
    void RemoveRowsTaken();
    void UpdateStatus();
    void UpdatePointer();

    Prompts& prompts_;
    ResultsModel model_;
    QToolBar* toolbar_ = nullptr;
    QTableView* list_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QMenu* headerMenu_ = nullptr;
    QActionGroup* orders_ = nullptr;
    QString countText_; // the run's counts, as the status line starts
    CleanChoices cleanChoices_;
    bool readInside_ = true;
    int sortColumn_ = -1; // the column a header click sorted by, if any
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool placed_ = false;                  // given its size and place on the screen
    std::optional<QCursor> customPointer_; // loaded when shipped; never switched to
    // An export under way: the clipboard text being built, or a file written.
    QFutureWatcher<QString> exportWatcher_;
    bool exporting_ = false;
    bool copyingNow_ = false;
    bool busyQuestion_ = false; // the comma save asks with the busy pointer
    QString exportFile_;        // the file being written
};

} // namespace ornavex
