#include "results/results_window.h"

#include "ui/command_bar.h"
#include "ui/custom_pointer.h"
#include "ui/window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QTableView>
#include <QToolBar>

namespace ornavex {
namespace {

// Design measures in twips.
constexpr int kClientWidth = 9120;
constexpr int kClientHeight = 4440;
constexpr int kListLeft = 120;
constexpr int kListTop = 1260;
constexpr int kListHeight = 3135;
constexpr int kColumnWidth = 8000;
constexpr int kStatusHeightPixels = 24; // the status line below the design area
constexpr int kFilterHeightPixels = 28; // the filter field above the list

QString CountText(std::uint64_t count, const char* one, const char* many) {
    return QLocale().toString(static_cast<qulonglong>(count)) + " " + (count == 1 ? one : many);
}

} // namespace

ResultsWindow::ResultsWindow(Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), prompts_(prompts) {
    setObjectName(QStringLiteral("Form2"));
    SetFormColors(*this); // the button-face background, whatever the skin
    setWindowTitle(kApplicationTitle);
    setWindowIcon(ProgramIcon());
    customPointer_ = LoadCustomPointer(CustomPointerFile());

    CreateStaticBar();

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("filterField"));
    filter_->setPlaceholderText(QStringLiteral("Filter by address or domain"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.Filter(text);
        UpdateStatus();
    });

    // A table of one column under a header. Unlike a tree view it lays out
    // its rows without asking the model about each one, so a million rows
    // show at once.
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setModel(&model_);
    list_->verticalHeader()->hide();
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setToolTip(QStringLiteral("Double-click item to remove it. Move bar to right and out "
                                     "of window to reveal full names."));
    QFont listFont(QStringLiteral("Calibri"));
    listFont.setPointSizeF(11.25);
    listFont.setBold(true);
    list_->setFont(listFont);
    QHeaderView* header = list_->horizontalHeader();
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->resizeSection(ResultsModel::kAddressColumn, PixelsFromTwips(kColumnWidth));
    header->resizeSection(ResultsModel::kCountColumn, 70);
    header->resizeSection(ResultsModel::kFirstFileColumn, 260);
    header->resizeSection(ResultsModel::kLineColumn, 60);
    // Count, First File and Line show when asked for, from the header's menu.
    for (int column = ResultsModel::kCountColumn; column < ResultsModel::kColumns; ++column)
        header->hideSection(column);
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, &ResultsWindow::SortByHeader);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this, header](const QPoint& at) { HeaderMenu()->popup(header->mapToGlobal(at)); });
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 2);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLine"));
    LayOut();

    connect(&copying_, &QFutureWatcher<QString>::finished, this, &ResultsWindow::CopyFinished);
    CenterOnScreen(*this);
}

// The design's places, wide enough for every toolbar command in the style
// they show in (a skin may come later): the list grows with the window, and
// the filter field sits above it.
void ResultsWindow::LayOut() {
    const int width = std::max(PixelsFromTwips(kClientWidth), toolbar_->sizeHint().width());
    const int listWidth = width - 2 * PixelsFromTwips(kListLeft);
    setFixedSize(width, PixelsFromTwips(kClientHeight) + kStatusHeightPixels + kFilterHeightPixels);
    toolbar_->setGeometry(0, 0, width, PixelsFromTwips(kListTop) - 4);
    filter_->setGeometry(PixelsFromTwips(kListLeft), PixelsFromTwips(kListTop) - 2, listWidth,
                         kFilterHeightPixels - 4);
    list_->setGeometry(PixelsFromTwips(kListLeft), PixelsFromTwips(kListTop) + kFilterHeightPixels,
                       listWidth, PixelsFromTwips(kListHeight));
    status_->setGeometry(PixelsFromTwips(kListLeft),
                         PixelsFromTwips(kClientHeight) - 2 + kFilterHeightPixels, listWidth,
                         kStatusHeightPixels);
}

void ResultsWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange && status_ != nullptr)
        LayOut();
}

void ResultsWindow::CreateStaticBar() {
    toolbar_ = CreateCommandBar(this,
                                {{kBackId, "Back", "back"},
                                 {kSaveResultsId, "Save Results", "save"},
                                 {kSaveCommaId, "Save Results With Commas", "save_commas"},
                                 {kCopyToClipboardId, "Save Results To Clipboard", "clipboard"},
                                 {kSaveCsvId, "Save As CSV...", "save_csv"},
                                 {kCleanListId, "Clean List", "clean_list"}},
                                [this](int id) { CommandBars_Execute(id); });
}

QMenu* ResultsWindow::HeaderMenu() {
    if (headerMenu_ != nullptr)
        return headerMenu_;
    headerMenu_ = new QMenu(this);
    headerMenu_->setObjectName(QStringLiteral("headerMenu"));
    const auto order = [this](const char* name, const char* caption, SortOrder sortOrder) {
        QAction* action = headerMenu_->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, sortOrder] {
            list_->horizontalHeader()->setSortIndicatorShown(false);
            model_.SortBy(sortOrder);
        });
    };
    order("firstOccurrenceOrder", "First Occurrence Order", SortOrder::kFirstOccurrence);
    order("addressOrder", "Address Order", SortOrder::kAddress);
    order("domainOrder", "Domain Order", SortOrder::kDomain);
    order("countOrder", "Count Order", SortOrder::kCount);
    headerMenu_->addSeparator();
    const auto column = [this](const char* name, int section) {
        QAction* action = headerMenu_->addAction(
            model_.headerData(section, Qt::Horizontal, Qt::DisplayRole).toString());
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(!list_->horizontalHeader()->isSectionHidden(section));
        connect(action, &QAction::toggled, this, [this, section](bool shown) {
            list_->horizontalHeader()->setSectionHidden(section, !shown);
        });
    };
    column("showCount", ResultsModel::kCountColumn);
    column("showFirstFile", ResultsModel::kFirstFileColumn);
    column("showLine", ResultsModel::kLineColumn);
    return headerMenu_;
}

// A click sorts by the column; a second click on it turns the order round.
// Counts start with the most frequent, the rest from the first.
void ResultsWindow::SortByHeader(int column) {
    QHeaderView* header = list_->horizontalHeader();
    Qt::SortOrder order =
        column == ResultsModel::kCountColumn ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (header->isSortIndicatorShown() && header->sortIndicatorSection() == column)
        order = header->sortIndicatorOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                   : Qt::AscendingOrder;
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
    model_.sort(column, order);
}

QString ResultsWindow::statusText() const {
    return status_->text();
}

void ResultsWindow::ShowResults(std::uint64_t uniqueAddresses, std::uint64_t duplicatesRemoved,
                                std::uint64_t partsRead) {
    QString text = CountText(uniqueAddresses, "unique address found", "unique addresses found") +
                   ", " + CountText(duplicatesRemoved, "duplicate removed", "duplicates removed");
    if (partsRead > 0)
        text += ", " + CountText(partsRead, "part read inside files", "parts read inside files");
    countText_ = text + ".";
    // A new list starts as it comes: no filter, cleaning or order.
    filter_->blockSignals(true);
    filter_->clear();
    filter_->blockSignals(false);
    list_->horizontalHeader()->setSortIndicatorShown(false);
    cleanChoices_ = CleanChoices();
    cleaner_.reset();
    UpdateStatus();
    show();
    raise();
    activateWindow();
}

void ResultsWindow::CommandBars_Execute(int id) {
    switch (id) {
    case kBackId:
        Back();
        break;
    case kSaveResultsId:
        SaveResults();
        break;
    case kSaveCommaId:
        SaveComma();
        break;
    case kCopyToClipboardId:
        CopyResultsToClipboard();
        break;
    case kSaveCsvId:
        SaveCsv();
        break;
    case kCleanListId:
        CleanList();
        break;
    default:
        break; // any other id does nothing
    }
}

// The counts of the run; with a filter or cleaning, also what shows.
void ResultsWindow::UpdateStatus() {
    QString text = countText_;
    const ShownRows& shown = model_.shown();
    if (!countText_.isEmpty() && (!shown.filter().empty() || cleaner_)) {
        text += " " + CountText(shown.size(), "row shown", "rows shown");
        if (cleaner_)
            text += ", " + CountText(shown.cleanedAway(), "address cleaned away",
                                     "addresses cleaned away");
        text += ".";
    }
    status_->setText(text);
}

void ResultsWindow::CleanList() {
    auto* dialog = new CleanListDialog(
        prompts_, cleanChoices_,
        [this](const ListCleaner& cleaner) {
            const AddressList& addresses = model_.addresses();
            return cleaner.Clean(addresses.size(), [&](std::size_t i) { return addresses[i]; });
        },
        readInside_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { ApplyCleaning(dialog->choices()); });
    dialog->open();
}

void ResultsWindow::ApplyCleaning(const CleanChoices& choices) {
    cleanChoices_ = choices;
    cleaner_ = choices.any() ? std::make_unique<ListCleaner>(choices.Rules()) : nullptr;
    model_.Clean(cleaner_.get());
    UpdateStatus();
}

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event) {
    // Lower-casing millions of rows for the filter is done as the field
    // gets the focus, before the first key.
    if (watched == filter_ && event->type() == QEvent::FocusIn)
        model_.PrepareFilter();
    return QWidget::eventFilter(watched, event);
}

void ResultsWindow::Back() {
    model_.Clear();
    filter_->blockSignals(true);
    filter_->clear();
    filter_->blockSignals(false);
    cleanChoices_ = CleanChoices();
    cleaner_.reset();
    countText_.clear();
    status_->clear();
    emit backRequested();
    hide();
}

void ResultsWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit programEndRequested();
}

} // namespace ornavex
