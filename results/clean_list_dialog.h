#pragma once

#include "clean/list_cleaner.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
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
// choices() are the ones to apply.
class CleanListDialog : public QDialog {
    Q_OBJECT
public:
    using Preview = std::function<CleaningOutcome(const ListCleaner&)>;

    CleanListDialog(Prompts& prompts, CleanChoices choices, Preview preview, bool readInside,
                    QWidget* parent);

    const CleanChoices& choices() const { return choices_; }

private:
    void AddFiles();
    void RemoveFiles();
    void ReadDoNotMailFiles();
    void Changed();
    void ShowPreview();

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
    QTimer* previewTimer_ = nullptr;
};

} // namespace ornavex
