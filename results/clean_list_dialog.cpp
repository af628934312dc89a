#include "results/clean_list_dialog.h"

#include "ui/prompts.h"
#include "ui/qt_paths.h"
#include "ui/window_helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPromise>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

namespace ornavex {
namespace {

std::vector<std::string> Domains(const QString& text) {
    std::vector<std::string> domains;
    for (const QString& part :
         text.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts))
        if (!NormalizedDomain(part.toStdString()).empty())
            domains.push_back(part.toStdString());
    return domains;
}

QString Number(std::uint64_t n) {
    return QLocale().toString(static_cast<qulonglong>(n));
}

// A path in a message keeps its start and its file name.
constexpr qsizetype kReportedPathCharacters = 90;

// Runs work on a thread started for it: a list chosen is read, and a
// preview counted, at once, never queued behind other work of the program's
// (a copy of a long list, say), and what the work is handed reaches it
// through the thread's start, which ThreadSanitizer sees (it does not see
// inside Qt's thread pools). A closed dialog's thread finishes on its own.
template <class Work> auto RunOnThreadOfItsOwn(Work work) {
    using Result = decltype(work());
    // Shared, not moved: the promise stays the one object the future was
    // made from.
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    QThread* thread = QThread::create([promise, work = std::move(work)]() mutable {
        promise->addResult(work());
        promise->finish();
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return future;
}

// Lets go of the object on a thread of its own: freeing a list of millions
// of strings takes long.
void ReleaseOffThread(std::shared_ptr<const DoNotMail> object) {
    if (object && object->size() > 0)
        RunOnThreadOfItsOwn([object = std::move(object)]() mutable {
            object.reset();
            return true;
        });
}

// The outcome of the work a watcher watches, once it is done: none when the
// watcher tells of an end whose outcome was taken already (it may tell of
// it twice) or of work still under way.
template <class T> std::optional<T> TakeOutcome(QFutureWatcher<T>& watcher) {
    QFuture<T> future = watcher.future();
    if (!future.isFinished() || !future.isValid() || future.resultCount() == 0)
        return std::nullopt;
    return future.takeResult();
}

} // namespace

bool CleanChoices::any() const {
    return Rules().any();
}

CleaningRules CleanChoices::Rules() const {
    CleaningRules rules;
    rules.realDomains = realDomains;
    rules.doNotMail = doNotMail.get();
    rules.onlyDomains = Domains(onlyDomains);
    rules.dropDomains = Domains(dropDomains);
    rules.dropRoles = dropRoles;
    return rules;
}

CleanListDialog::CleanListDialog(Prompts& prompts, CleanChoices choices, Preview preview,
                                 bool readInside, QWidget* parent)
    : QDialog(parent), prompts_(prompts), choices_(std::move(choices)),
      preview_(std::move(preview)), readInside_(readInside) {
    setObjectName(QStringLiteral("cleanListDialog"));
    setWindowTitle(QStringLiteral("Clean List"));
    setWindowModality(Qt::WindowModal);

    realDomains_ = new QCheckBox(QStringLiteral("Drop addresses without a real top-level domain "
                                                "(logo@2x.png)"),
                                 this);
    realDomains_->setObjectName(QStringLiteral("realDomains"));
    realDomains_->setChecked(choices_.realDomains && RealDomains::Available());
    realDomains_->setVisible(RealDomains::Available()); // a build without libpsl

    files_ = new QListWidget(this);
    files_->setObjectName(QStringLiteral("doNotMailFiles"));
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files_->addItems(choices_.doNotMailFiles);
    files_->setMaximumHeight(90);
    auto* add = new QPushButton(QStringLiteral("Add..."), this);
    add->setObjectName(QStringLiteral("addDoNotMail"));
    auto* remove = new QPushButton(QStringLiteral("Remove"), this);
    remove->setObjectName(QStringLiteral("removeDoNotMail"));
    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(add);
    fileButtons->addWidget(remove);
    fileButtons->addStretch();
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(files_);
    fileRow->addLayout(fileButtons);

    onlyDomains_ = new QLineEdit(choices_.onlyDomains, this);
    onlyDomains_->setObjectName(QStringLiteral("onlyDomains"));
    onlyDomains_->setPlaceholderText(QStringLiteral("all; or example.com, example.org"));
    dropDomains_ = new QLineEdit(choices_.dropDomains, this);
    dropDomains_->setObjectName(QStringLiteral("dropDomains"));
    dropDomains_->setPlaceholderText(QStringLiteral("none; or example.net"));
    dropRoles_ = new QCheckBox(
        QStringLiteral("Drop role accounts (noreply, postmaster, abuse, webmaster, ...)"), this);
    dropRoles_->setObjectName(QStringLiteral("dropRoles"));
    dropRoles_->setChecked(choices_.dropRoles);

    previewLabel_ = new QLabel(this);
    previewLabel_->setObjectName(QStringLiteral("cleanPreview"));
    previewLabel_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    apply_ = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    apply_->setObjectName(QStringLiteral("applyCleaning"));

    auto* form = new QFormLayout;
    form->addRow(realDomains_);
    form->addRow(QStringLiteral("Do-not-mail lists:"), fileRow);
    form->addRow(QStringLiteral("Keep only domains:"), onlyDomains_);
    form->addRow(QStringLiteral("Drop domains:"), dropDomains_);
    form->addRow(dropRoles_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(previewLabel_);
    layout->addWidget(buttons);

    // The preview runs over the whole list: once typing pauses.
    previewTimer_ = new QTimer(this);
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(150);
    connect(previewTimer_, &QTimer::timeout, this, &CleanListDialog::ShowPreview);
    connect(realDomains_, &QCheckBox::toggled, this, &CleanListDialog::Changed);
    connect(dropRoles_, &QCheckBox::toggled, this, &CleanListDialog::Changed);
    connect(onlyDomains_, &QLineEdit::textChanged, this, &CleanListDialog::Changed);
    connect(dropDomains_, &QLineEdit::textChanged, this, &CleanListDialog::Changed);
    connect(add, &QPushButton::clicked, this, &CleanListDialog::AddFiles);
    connect(remove, &QPushButton::clicked, this, &CleanListDialog::RemoveFiles);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&loading_, &QFutureWatcher<Loaded>::finished, this, &CleanListDialog::DoNotMailRead);
    connect(&counting_, &QFutureWatcher<CleaningOutcome>::finished, this,
            &CleanListDialog::PreviewCounted);
    ShowPreview();
}

void CleanListDialog::AddFiles() {
    const QStringList chosen = prompts_.ChooseFilesToOpen(this, QStringLiteral("Do-Not-Mail Lists"),
                                                          QStringLiteral("All Files (*)"));
    if (chosen.isEmpty())
        return;
    for (const QString& file : chosen)
        if (!choices_.doNotMailFiles.contains(file))
            choices_.doNotMailFiles.append(file);
    ReadDoNotMailFiles();
}

void CleanListDialog::RemoveFiles() {
    for (const QListWidgetItem* item : files_->selectedItems())
        choices_.doNotMailFiles.removeAll(item->text());
    ReadDoNotMailFiles();
}

// The files are read whole again, as the run reads any input: a whole run,
// off the window's thread. Apply waits until they have been read.
void CleanListDialog::ReadDoNotMailFiles() {
    files_->clear();
    files_->addItems(choices_.doNotMailFiles);
    if (loadingNow_) {
        loadAgain_ = true;
        return;
    }
    loadingNow_ = true;
    std::vector<Input> inputs;
    for (const QString& file : choices_.doNotMailFiles)
        inputs.push_back(Input::File(ToFsPath(file)));
    loading_.setFuture(RunOnThreadOfItsOwn([inputs = std::move(inputs), readInside = readInside_] {
        auto doNotMail = std::make_shared<DoNotMail>();
        Loaded loaded;
        doNotMail->Load(inputs, readInside, loaded.failures);
        loaded.doNotMail = std::move(doNotMail);
        return loaded;
    }));
    UpdateBusy();
}

void CleanListDialog::DoNotMailRead() {
    std::optional<Loaded> outcome = TakeOutcome(loading_);
    if (!outcome)
        return;
    Loaded loaded = std::move(*outcome);
    loadingNow_ = false;
    if (loadAgain_) {
        loadAgain_ = false;
        ReleaseOffThread(std::move(loaded.doNotMail));
        ReadDoNotMailFiles();
        return;
    }
    ReleaseOffThread(std::exchange(choices_.doNotMail, std::move(loaded.doNotMail)));
    UpdateBusy();
    if (!loaded.failures.empty()) {
        QString text = QStringLiteral("These do-not-mail lists could not be read; what they hold "
                                      "is not removed:\n");
        for (const std::string& failure : loaded.failures)
            text += "\n" + ElideMiddle(QString::fromStdString(failure), kReportedPathCharacters);
        prompts_.ShowMessage(this, text, kApplicationTitle, Prompts::Icon::kWarning);
    }
    ShowPreview();
}

void CleanListDialog::Changed() {
    choices_.realDomains = realDomains_->isChecked();
    choices_.onlyDomains = onlyDomains_->text();
    choices_.dropDomains = dropDomains_->text();
    choices_.dropRoles = dropRoles_->isChecked();
    previewTimer_->start();
}

// Counts what each rule would remove over the whole list, off the window's
// thread; choices made meanwhile are counted once it is done.
void CleanListDialog::ShowPreview() {
    previewTimer_->stop();
    if (countingNow_) {
        countAgain_ = true;
        return;
    }
    countingNow_ = true;
    counting_.setFuture(
        RunOnThreadOfItsOwn([preview = preview_, rules = choices_.Rules(),
                             keep = choices_.doNotMail] { return preview(ListCleaner(rules)); }));
    UpdateBusy();
}

void CleanListDialog::PreviewCounted() {
    const std::optional<CleaningOutcome> counted = TakeOutcome(counting_);
    if (!counted)
        return;
    const CleaningOutcome& outcome = *counted;
    countingNow_ = false;
    if (countAgain_) {
        countAgain_ = false;
        ShowPreview();
        return;
    }
    UpdateBusy();
    const auto removed = [&](CleaningRule rule) {
        return Number(outcome.removed[static_cast<std::size_t>(rule)]);
    };
    previewLabel_->setText(
        QStringLiteral("Would remove: %1 without a real domain, %2 on do-not-mail lists, %3 by "
                       "domain, %4 role accounts; %5 addresses stay.")
            .arg(removed(CleaningRule::kNotARealDomain), removed(CleaningRule::kDoNotMail),
                 removed(CleaningRule::kDomainFilter), removed(CleaningRule::kRoleAccount),
                 Number(outcome.kept.size())));
}

void CleanListDialog::UpdateBusy() {
    apply_->setEnabled(!loadingNow_);
    if (busy())
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

} // namespace ornavex
