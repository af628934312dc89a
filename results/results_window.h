#pragma once

#include "output/export_formats.h"
#include "results/results_model.h"

#include <QCursor>
#include <QFutureWatcher>
#include <QWidget>
#include <cstdint>
#include <optional>

class QLabel;
class QToolBar;
class QTableView;

namespace ornavex {

class Prompts;

// Toolbar command ids of the results window.
inline constexpr int kBackId = 1000;
inline constexpr int kSaveResultsId = 1001;
inline constexpr int kSaveCommaId = 1002;
inline constexpr int kCopyToClipboardId = 1003;

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
    QString statusText() const;

    // Shows the window with the counts of the run that filled the list.
    // partsRead counts the members and parts read inside files; it is
    // named only when there were any.
    void ShowResults(std::uint64_t uniqueAddresses, std::uint64_t duplicatesRemoved,
                     std::uint64_t partsRead = 0);

    void CommandBars_Execute(int id);
    void Back();
    void SaveResults();
    void SaveComma();
    // Builds the clipboard text off the window's thread; the hint shows once
    // the text is on the clipboard.
    void CopyResultsToClipboard();
    bool copying() const { return copyPending_; }

signals:
    void backRequested();
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateStaticBar();
    // Asks for a file name and writes the list in format; the comma format
    // shows the busy pointer from before the overwrite question to the end.
    void SaveAs(ExportFormat format, const QString& filter, bool busyPointer);
    void CopyFinished();
    void ShowCopyHint();

    Prompts& prompts_;
    ResultsModel model_;
    QToolBar* toolbar_ = nullptr;
    QTableView* list_ = nullptr;
    QLabel* status_ = nullptr;
    std::optional<QCursor> customPointer_; // loaded when shipped; never switched to
    QFutureWatcher<QString> copying_;      // the clipboard text being built
    bool copyPending_ = false;             // until the text is on the clipboard
};

} // namespace ornavex
