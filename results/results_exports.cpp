// The results window's exports: lines, commas, the clipboard and CSV, each
// of the rows as shown.
#include "output/csv_rows.h"
#include "results/results_window.h"
#include "ui/prompts.h"
#include "ui/qt_paths.h"
#include "ui/window_helpers.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QToolBar>
#include <QtConcurrent/QtConcurrentRun>

namespace ornavex {
namespace {

const QString kSaveTitle = QStringLiteral("Save");
const QString kLinesFilter = QStringLiteral("Text Files (*.txt);;All Files (*)");
const QString kCommasFilter =
    QStringLiteral("Text Files (*.txt);;CSV Files (*.csv);;All Files (*)");

// Restores the window's pointer however the save ends.
class BusyPointer {
public:
    BusyPointer(QWidget& window, bool active) : window_(window), active_(active) {
        if (active_)
            window_.setCursor(Qt::WaitCursor);
    }
    ~BusyPointer() {
        if (active_)
            window_.unsetCursor();
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    QWidget& window_;
    bool active_;
};

} // namespace

void ResultsWindow::SaveResults() {
    SaveAs(ExportFormat::kLines, kLinesFilter, false);
}

void ResultsWindow::SaveComma() {
    SaveAs(ExportFormat::kCommas, kCommasFilter, true);
}

void ResultsWindow::SaveAs(ExportFormat format, const QString& filter, bool busyPointer) {
    const QString fileName = prompts_.ChooseFileToSave(this, kSaveTitle, filter);
    if (fileName.isEmpty())
        return;
    const BusyPointer busy(*this, busyPointer);
    const bool exists = QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink();
    if (exists && !prompts_.AskYesNo(this, "Are you sure you wish to overwrite " + fileName + " ?",
                                     kApplicationTitle))
        return;
    const std::string error = WriteAddressesFile(
        ToFsPath(fileName), model_.shown().size(),
        [this](std::size_t row) { return ShownAddress(row); }, format, exists);
    if (!error.empty())
        prompts_.ShowMessage(this,
                             "Could not save " + fileName + ":\n" + QString::fromStdString(error) +
                                 "\n\nNo file was changed.",
                             kApplicationTitle, Prompts::Icon::kWarning);
}

std::string_view ResultsWindow::ShownAddress(std::size_t row) const {
    return model_.addresses()[model_.shown().At(row)];
}

void ResultsWindow::SaveCsv() {
    const QString fileName = prompts_.ChooseFileToSave(
        this, kSaveTitle, QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    if (fileName.isEmpty())
        return;
    const bool exists = QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink();
    if (exists && !prompts_.AskYesNo(this, "Are you sure you wish to overwrite " + fileName + " ?",
                                     kApplicationTitle))
        return;
    const BusyPointer busy(*this, true);
    std::string firstFile;
    const std::string error =
        WriteExportFile(ToFsPath(fileName), exists, model_.shown().size() + 1,
                        [&](std::string& out, std::size_t item) {
                            if (item == 0) {
                                AppendCsvHeader(out);
                                return;
                            }
                            const std::size_t at = model_.shown().At(item - 1);
                            firstFile = model_.FirstFile(at);
                            AppendCsvRow(out, CsvRow{model_.addresses()[at], model_.Count(at),
                                                     firstFile, model_.Line(at)});
                        });
    if (!error.empty())
        prompts_.ShowMessage(this,
                             "Could not save " + fileName + ":\n" + QString::fromStdString(error) +
                                 "\n\nNo file was changed.",
                             kApplicationTitle, Prompts::Icon::kWarning);
}

void ResultsWindow::CopyResultsToClipboard() {
    if (copyPending_)
        return; // one copy at a time
    const std::shared_ptr<const AddressList> addresses = model_.shared();
    if (model_.shown().size() == 0) { // the clipboard keeps what it holds
        ShowCopyHint();
        return;
    }
    // The rows shown, by their indexes; none when every row shows.
    auto rows = std::make_shared<const std::vector<std::uint32_t>>(model_.ShownIndexes());
    // Millions of rows take seconds to join: that is done off the window's
    // thread, which meanwhile shows the busy pointer and keeps repainting.
    copyPending_ = true;
    setCursor(Qt::WaitCursor);
    toolbar_->setEnabled(false);
    copying_.setFuture(QtConcurrent::run([addresses, rows, all = model_.shown().all()] {
        const std::string text =
            all ? ClipboardLines(*addresses) : ClipboardLines(rows->size(), [&](std::size_t i) {
                return (*addresses)[(*rows)[i]];
            });
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }));
}

void ResultsWindow::CopyFinished() {
    // Taken out of the future, so its memory goes with the clipboard's copy.
    QApplication::clipboard()->setText(copying_.future().takeResult());
    copyPending_ = false;
    toolbar_->setEnabled(true);
    unsetCursor();
    ShowCopyHint();
}

void ResultsWindow::ShowCopyHint() {
    prompts_.ShowMessage(
        this,
        QStringLiteral("Results have been copied to the clipboard.\r\rClick a text "
                       "area where you normally type and press Ctrl+V to paste "
                       "the clipboard."),
        kApplicationTitle, Prompts::Icon::kNone);
}

} // namespace ornavex
