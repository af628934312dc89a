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
// the whole program; closing it ends the program.
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
    // Whether the next run reads inside files: so are the do-not-mail lists.
    void SetReadInside(bool readInside) { readInside_ = readInside; }

    // Shows the window with the counts of the run that filled the list.
    // partsRead counts the members and parts read inside files; it is
    // named only when there were any.
    void ShowResults(std::uint64_t uniqueAddresses, std::uint64_t duplicatesRemoved,
                     std::uint64_t partsRead = 0);

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
    bool copying() const { return copyPending_; }

signals:
    void backRequested();
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateStaticBar();
    void LayOut();
    // Asks for a file name and writes the list in format; the comma format
    // shows the busy pointer from before the overwrite question to the end.
    void SaveAs(ExportFormat format, const QString& filter, bool busyPointer);
    void CopyFinished();
    void ShowCopyHint();
    void ApplyCleaning(const CleanChoices& choices);
    void SortByHeader(int column);
    void UpdateStatus();
    // The address of shown row i, for the exports.
    std::string_view ShownAddress(std::size_t row) const;

    Prompts& prompts_;
    ResultsModel model_;
    QToolBar* toolbar_ = nullptr;
    QTableView* list_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QMenu* headerMenu_ = nullptr;
    QString countText_; // the run's counts, as the status line starts
    CleanChoices cleanChoices_;
    std::unique_ptr<ListCleaner> cleaner_;
    bool readInside_ = true;
    std::optional<QCursor> customPointer_; // loaded when shipped; never switched to
    QFutureWatcher<QString> copying_;      // the clipboard text being built
    bool copyPending_ = false;             // until the text is on the clipboard
};

} // namespace ornavex
