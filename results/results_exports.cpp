// The results window's exports: lines, commas, the clipboard and CSV, each
// of the rows as shown. Millions of rows take a while to write or join, so
// that is done off the window's thread, one export at a time: meanwhile the
// window shows the busy pointer, keeps repainting, and its toolbar waits.
#include "output/csv_rows.h"
#include "output/output_writer.h"
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
const QString kCsvFilter = QStringLiteral("CSV Files (*.csv);;All Files (*)");

// Writes items to path with the writer the command line uses, write(writer,
// i) writing item i; a file that exists is replaced only when replace is
// set. The reason it could not be written, or nothing.
template <typename WriteItem>
QString SaveItems(const std::filesystem::path& path, ExportFormat format, bool replace,
                  std::size_t items, const WriteItem& write) {
    OutputWriter writer(path, format,
                        replace ? SafeFileWriter::Replace::kExisting
                                : SafeFileWriter::Replace::kNever);
    if (writer.Open()) {
        for (std::size_t i = 0; i < items && !writer.failed(); ++i)
            write(writer, i);
        writer.Close();
    }
    return QString::fromStdString(writer.error());
}

} // namespace

void ResultsWindow::SaveResults() {
    SaveAs(ExportFormat::kLines, kLinesFilter, false);
}

void ResultsWindow::SaveComma() {
    SaveAs(ExportFormat::kCommas, kCommasFilter, true);
}

QString ResultsWindow::ChooseSaveFile(const QString& filter, bool busyQuestion, bool& exists) {
    const QString fileName = prompts_.ChooseFileToSave(this, kSaveTitle, filter);
    if (fileName.isEmpty())
        return {};
    busyQuestion_ = busyQuestion;
    UpdatePointer();
    exists = QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink();
    const bool yes =
        !exists || prompts_.AskYesNo(this, "Are you sure you wish to overwrite " + fileName + " ?",
                                     kApplicationTitle);
    busyQuestion_ = false;
    UpdatePointer();
    return yes ? fileName : QString();
}

void ResultsWindow::SaveAs(ExportFormat format, const QString& filter, bool busyPointer) {
    if (exporting_)
        return; // one export at a time
    bool exists = false;
    const QString fileName = ChooseSaveFile(filter, busyPointer, exists);
    if (fileName.isEmpty())
        return;
    Export(
        [shown = model_.Shown(), path = ToFsPath(fileName), format, exists] {
            return SaveItems(
                path, format, exists, shown.size(),
                [&](OutputWriter& writer, std::size_t row) { writer.Append(shown.Address(row)); });
        },
        fileName);
}

void ResultsWindow::SaveCsv() {
    if (exporting_)
        return;
    bool exists = false;
    const QString fileName = ChooseSaveFile(kCsvFilter, false, exists);
    if (fileName.isEmpty())
        return;
    Export(
        [shown = model_.Shown(), path = ToFsPath(fileName), exists] {
            std::string text;
            const auto row = [&](OutputWriter& writer, std::size_t item) {
                text.clear();
                if (item == 0) {
                    AppendCsvHeader(text);
                } else {
                    const std::size_t at = shown.rows.At(item - 1);
                    AppendCsvRow(text, CsvRow{(*shown.list.addresses)[at], shown.list.Count(at),
                                              shown.list.FirstFile(at), shown.list.Line(at)});
                }
                writer.AppendText(text);
            };
            // The format does not matter: the rows are written as they are.
            return SaveItems(path, ExportFormat::kLines, exists, shown.size() + 1, row);
        },
        fileName);
}

void ResultsWindow::CopyResultsToClipboard() {
    if (exporting_)
        return;                      // one export at a time
    if (model_.view().size() == 0) { // the clipboard keeps what it holds
        ShowCopyHint();
        return;
    }
    Export(
        [shown = model_.Shown()] {
            const std::string text = shown.rows.all()
                                         ? ClipboardLines(*shown.list.addresses)
                                         : ClipboardLines(shown.size(), [&](std::size_t row) {
                                               return shown.Address(row);
                                           });
            return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        },
        QString());
}

// Runs the export off the window's thread; fileName is empty for the
// clipboard.
void ResultsWindow::Export(std::function<QString()> work, const QString& fileName) {
    exporting_ = true;
    copyingNow_ = fileName.isEmpty();
    exportFile_ = fileName;
    toolbar_->setEnabled(false);
    UpdatePointer();
    exportWatcher_.setFuture(QtConcurrent::run(std::move(work)));
}

void ResultsWindow::ExportFinished() {
    // Taken out of the future, so its memory goes with the clipboard's copy.
    QString outcome = exportWatcher_.future().takeResult();
    const bool copied = copyingNow_;
    exporting_ = false;
    copyingNow_ = false;
    toolbar_->setEnabled(true);
    UpdatePointer();
    if (copied) {
        QApplication::clipboard()->setText(std::exchange(outcome, QString()));
        ShowCopyHint();
    } else if (!outcome.isEmpty()) {
        prompts_.ShowMessage(
            this, "Could not save " + exportFile_ + ":\n" + outcome + "\n\nNo file was changed.",
            kApplicationTitle, Prompts::Icon::kWarning);
    }
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
