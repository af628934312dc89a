// The results window's three exports: lines, commas and the clipboard.
#include "filelist/qt_paths.h"
#include "results/results_window.h"
#include "shell/prompts.h"
#include "shell/window_helpers.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>

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
    const std::string error =
        WriteAddressesFile(ToFsPath(fileName), model_.addresses(), format, exists);
    if (!error.empty())
        prompts_.ShowMessage(this,
                             "Could not save " + fileName + ":\n" + QString::fromStdString(error) +
                                 "\n\nNo file was changed.",
                             kApplicationTitle, Prompts::Icon::kWarning);
}

void ResultsWindow::CopyResultsToClipboard() {
    const AddressList& addresses = model_.addresses();
    if (!addresses.empty()) {
        const std::string text = BuildClipboardText(
            addresses.size(), 1, [&](std::size_t row, std::size_t) { return addresses[row]; });
        QApplication::clipboard()->setText(
            QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    }
    prompts_.ShowMessage(
        this,
        QStringLiteral("Results have been copied to the clipboard.\r\rClick a text "
                       "area where you normally type and press Ctrl+V to paste "
                       "the clipboard."),
        kApplicationTitle, Prompts::Icon::kNone);
}

} // namespace ornavex
