#pragma once

#include "clean/list_cleaner.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace ornavex {

class Prompts;

// What the Clean List dialog asks for; kept by the results window until
// Back, so the dialog opens again as it was left.
struct CleanChoices {
    bool realDomains = false;
    QStringList doNotMailFiles;
    QString onlyDomains; // separated by commas or spaces
    QString dropDomains;
    bool dropRoles = false;
    std::shared_ptr<const DoNotMail> doNotMail = std::make_shared<DoNotMail>();

    bool any() const;
    CleaningRules Rules() const;
};

// The rules that clean the results list, with how many addresses each would
// remove shown before they are applied. Opened window-modal; accepted, its
// choices() are the ones to apply. The do-not-mail lists are read, and the
// preview counted, off the window's thread: meanwhile the dialog shows the
// busy pointer, and Apply waits for the lists.
class CleanListDialog : public QDialog {
    Q_OBJECT
public:
    // Counts over the whole list; called off the window's thread.
    using Preview = std::function<CleaningOutcome(const ListCleaner&)>;

    CleanListDialog(Prompts& prompts, CleanChoices choices, Preview preview, bool readInside,
                    QWidget* parent);

    const CleanChoices& choices() const { return choices_; }
    // While lists are read or the preview counted.
    bool busy() const { return loadingNow_ || countingNow_; }

private:
    struct Loaded {
        std::shared_ptr<const DoNotMail> doNotMail;
        std::vector<std::string> failures;
    };

    void AddFiles();
    void RemoveFiles();
    void ReadDoNotMailFiles();
    void DoNotMailRead();
    void Changed();
    void ShowPreview();
    void PreviewCounted();
    void UpdateBusy();

    Prompts& prompts_;
    CleanChoices choices_;
    Preview preview_;
    bool readInside_;
    QCheckBox* realDomains_ = nullptr;
    QListWidget* files_ = nullptr;
    QLineEdit* onlyDomains_ = nullptr;
    QLineEdit* dropDomains_ = nullptr;
    QCheckBox* dropRoles_ = nullptr;
    QLabel* previewLabel_ = nullptr;
    QPushButton* apply_ = nullptr;
    QTimer* previewTimer_ = nullptr;
    // Until the outcome is back on the window's thread (the future itself
    // may have ended before).
    QFutureWatcher<Loaded> loading_;
    bool loadingNow_ = false;
    bool loadAgain_ = false; // the files changed while they were read
    QFutureWatcher<CleaningOutcome> counting_;
    bool countingNow_ = false;
    bool countAgain_ = false; // the choices changed while they were counted
};

} // namespace ornavex
