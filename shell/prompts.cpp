#include "shell/prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace ornavex {

void QtPrompts::ShowMessage(QWidget* parent, const QString& text, const QString& title, Icon icon) {
    QMessageBox box(icon == Icon::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtPrompts::AskYesNo(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::AskText(QWidget* parent, const QString& prompt,
                                          const QString& title, const QString& proposed) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, proposed, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QStringList QtPrompts::ChooseFilesToOpen(QWidget* parent, const QString& title,
                                         const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
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
