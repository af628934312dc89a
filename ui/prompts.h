#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <optional>

namespace ornavex {

// Every modal question the program asks goes through this interface, so
// tests can script the answers and run without a screen.
class Prompts {
public:
    enum class Icon { kNone, kWarning };

    virtual ~Prompts() = default;

    // A message with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text, const QString& title,
                             Icon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& text, const QString& title) = 0;
    // An input box proposing text; nothing when cancelled.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& prompt,
                                           const QString& title, const QString& proposed) = 0;
    // The open dialog with several files selectable; empty when cancelled.
    virtual QStringList ChooseFilesToOpen(QWidget* parent, const QString& title,
                                          const QString& filter) = 0;
    // The save dialog; empty when cancelled. No overwrite question of its own.
    virtual QString ChooseFileToSave(QWidget* parent, const QString& title,
                                     const QString& filter) = 0;
    // The folder chooser; empty when cancelled.
    virtual QString ChooseFolder(QWidget* parent, const QString& title) = 0;
};

// The open dialog of Add Files: several files can be chosen, and a typed
// name is taken whether or not such a file exists.
class FileOpenDialog : public QFileDialog {
    Q_OBJECT
public:
    using QFileDialog::QFileDialog;

    void accept() override;
};

// The platform's dialogs.
class QtPrompts : public Prompts {
public:
    void ShowMessage(QWidget* parent, const QString& text, const QString& title,
                     Icon icon) override;
    bool AskYesNo(QWidget* parent, const QString& text, const QString& title) override;
    std::optional<QString> AskText(QWidget* parent, const QString& prompt, const QString& title,
                                   const QString& proposed) override;
    QStringList ChooseFilesToOpen(QWidget* parent, const QString& title,
                                  const QString& filter) override;
    QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter) override;
    QString ChooseFolder(QWidget* parent, const QString& title) override;
};

} // namespace ornavex
