#include "ui/prompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace ornavex {
namespace {

// The program's texts end lines with CR LF or a lone CR, as message boxes
// once did; Qt's dialogs break lines only at LF.
QString OnScreen(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void FileOpenDialog::accept() {
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && QFileInfo(chosen.front()).isDir()) {
        setDirectory(chosen.front()); // a typed folder is entered, as usual
        return;
    }
    // Names of files that do not exist are taken too: the run reports them,
    // so QFileDialog's own accept, which refuses them, is passed over.
    QDialog::accept(); // NOLINT(bugprone-parent-virtual-call)
}

void QtPrompts::ShowMessage(QWidget* parent, const QString& text, const QString& title, Icon icon) {
    QMessageBox box(icon == Icon::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    OnScreen(text), QMessageBox::Ok, parent);
    box.exec();
}

bool QtPrompts::AskYesNo(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, OnScreen(text), QMessageBox::Yes | QMessageBox::No,
                    parent);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::AskText(QWidget* parent, const QString& prompt,
                                          const QString& title, const QString& proposed) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, OnScreen(prompt), QLineEdit::Normal, proposed, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QStringList QtPrompts::ChooseFilesToOpen(QWidget* parent, const QString& title,
                                         const QString& filter) {
    FileOpenDialog dialog(parent, title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // Qt's own dialog everywhere: the platforms' dialogs refuse names of
    // files that do not exist.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString QtPrompts::ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter) {
    // The program asks its own overwrite question before it writes.
    return QFileDialog::getSaveFileName(parent, title, QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtPrompts::ChooseFolder(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
}

} // namespace ornavex
