#include "results/results_window.h"

#include "ui/command_bar.h"
#include "ui/custom_pointer.h"
#include "ui/window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace ornavex {
namespace {

// Design measures in twips.
constexpr int kClientWidth = 9120;
constexpr int kClientHeight = 4440;
constexpr int kListLeft = 120;
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
    DerivePlaceholderColours();
    setWindowTitle(kApplicationTitle);
    setWindowIcon(ProgramIcon());
    customPointer_ = LoadCustomPointer(CustomPointerFile());

    CreateStaticBar();

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("filterField"));
    filter_->setPlaceholderText(QStringLiteral("Filter by address or domain"));
    filter_->setToolTip(WithKey(QStringLiteral("Filter by address or domain"),
                                {QKeySequence(Qt::CTRL | Qt::Key_F)}));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    connect(filter_, &QLineEdit::textChanged, this,
            [this](const QString& text) { model_.Filter(text); });

    CreateList();

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLine"));
    // Long counts wrap to a second line rather than being cut.
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LayOut();
    CreateKeys();

    connect(&model_, &ResultsModel::rowsChanged, this, &ResultsWindow::UpdateStatus);
    connect(&model_, &ResultsModel::busyChanged, this, &ResultsWindow::UpdatePointer);
    connect(&exportWatcher_, &QFutureWatcher<QString>::finished, this,
            &ResultsWindow::ExportFinished);
}

void ResultsWindow::CreateList() {
    // A table of one column under a header. Unlike a tree view it lays out
    // its rows without asking the model about each one, so a million rows
    // show at once.
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setModel(&model_);
    list_->verticalHeader()->hide();
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    // A long first file keeps its file name in view, as the input list does.
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setTabKeyNavigation(false); // Tab moves on to the next control
    list_->setToolTip(QStringLiteral("Double-click item to remove it. Move bar to right and out "
                                     "of window to reveal full names."));
    list_->setFont(ListFont());
    list_->installEventFilter(this);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupHeaderMenu(list_->mapToGlobal(at)); });
    list_->viewport()->installEventFilter(this); // a double-click takes its row out
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
            [this, header](const QPoint& at) { PopupHeaderMenu(header->mapToGlobal(at)); });
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 2);
}

// The toolbar across the top, then the filter field, the list (which takes
// whatever room the window has) and the count line, with the design's
// margins.
void ResultsWindow::LayOut() {
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(toolbar_);
    auto* body = new QVBoxLayout;
    const int margin = PixelsFromTwips(kListLeft);
    body->setContentsMargins(margin, 4, margin, 4);
    body->setSpacing(4);
    filter_->setMinimumHeight(kFilterHeightPixels - 4);
    body->addWidget(filter_);
    body->addWidget(list_, 1);
    status_->setMinimumHeight(kStatusHeightPixels - 4);
    body->addWidget(status_);
    window->addLayout(body, 1);
    setTabOrder(filter_, list_);
}

void ResultsWindow::CreateStaticBar() {
    toolbar_ = CreateCommandBar(
        this,
        {{kBackId, "Back", "back", {QKeySequence(Qt::ALT | Qt::Key_Left)}},
         {kSaveResultsId, "Save Results", "save", {QKeySequence(Qt::CTRL | Qt::Key_S)}},
         {kSaveCommaId,
          "Save Results With Commas",
          "save_commas",
          {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
         {kCopyToClipboardId,
          "Save Results To Clipboard",
          "clipboard",
          {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}},
         {kSaveCsvId, "Save As CSV...", "save_csv", {QKeySequence(Qt::CTRL | Qt::Key_E)}},
         {kCleanListId, "Clean List", "clean_list", {QKeySequence(Qt::CTRL | Qt::Key_L)}}},
        [this](int id) { CommandBars_Execute(id); });
}

// The keys of what has no button: the filter, and the header's menu from
// the list (the menu key, or Shift+F10, as for any context menu).
void ResultsWindow::CreateKeys() {
    auto* find = new QAction(this);
    find->setObjectName(QStringLiteral("findAction"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, [this] {
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });
    addAction(find);
}

void ResultsWindow::showEvent(QShowEvent* event) {
    if (!placed_) {
        // The design size, wide enough for every toolbar button in the style
        // they show in (a skin may have come since the window was made), then
        // made to fit the screen it opens on.
        placed_ = true;
        resize(std::max(PixelsFromTwips(kClientWidth), toolbar_->sizeHint().width()),
               PixelsFromTwips(kClientHeight) + kStatusHeightPixels + kFilterHeightPixels);
        CenterOnScreen(*this);
        RefitWhenFramed(*this);
    }
    QWidget::showEvent(event);
}

QString ResultsWindow::statusText() const {
    return status_->text();
}

void ResultsWindow::ShowResults(ResultsList list) {
    const RunSummary summary = list.summary;
    model_.Show(std::move(list));
    QString text =
        CountText(summary.uniqueAddresses, "unique address found", "unique addresses found") +
        ", " + CountText(summary.DuplicatesRemoved(), "duplicate removed", "duplicates removed");
    if (summary.partsRead > 0)
        text += ", " +
                CountText(summary.partsRead, "part read inside files", "parts read inside files");
    countText_ = text + ".";
    StartAfresh();
    UpdateStatus();
    show();
    raise();
    activateWindow();
    list_->setFocus(Qt::OtherFocusReason);
}

void ResultsWindow::StartAfresh() {
    filter_->clear(); // the list is new already: nothing to filter
    if (cleanChoices_.doNotMail && cleanChoices_.doNotMail->size() > 0)
        model_.Release(std::move(cleanChoices_.doNotMail));
    cleanChoices_ = CleanChoices();
    QHeaderView* header = list_->horizontalHeader();
    header->setSortIndicatorShown(false);
    sortColumn_ = -1;
    for (int column = ResultsModel::kCountColumn; column < ResultsModel::kColumns; ++column)
        header->hideSection(column);
    if (headerMenu_ != nullptr)
        for (QAction* action : headerMenu_->actions())
            if (action->isCheckable() && action->actionGroup() == nullptr)
                action->setChecked(false);
    MarkOrderInForce();
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

// The counts of the run; with a filter, cleaning or rows taken out, also
// what shows.
void ResultsWindow::UpdateStatus() {
    QString text = countText_;
    const RowView& view = model_.view();
    const bool narrowed =
        !model_.filterText().isEmpty() || model_.cleaned() || model_.removedRows() > 0;
    if (!countText_.isEmpty() && narrowed) {
        text += " " + CountText(view.size(), "row shown", "rows shown");
        if (model_.cleaned())
            text += ", " +
                    CountText(view.cleanedAway, "address cleaned away", "addresses cleaned away");
        if (model_.removedRows() > 0)
            text += ", " + CountText(model_.removedRows(), "row removed", "rows removed");
        text += ".";
    }
    status_->setText(text);
}

void ResultsWindow::UpdatePointer() {
    if (busy() || busyQuestion_)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void ResultsWindow::CleanList() {
    const std::shared_ptr<const AddressList> addresses = model_.list().addresses;
    auto* dialog = new CleanListDialog(
        prompts_, cleanChoices_,
        [addresses](const ListCleaner& cleaner) {
            return cleaner.Clean(addresses->size(), [&](std::size_t i) { return (*addresses)[i]; });
        },
        readInside_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { ApplyCleaning(dialog->choices()); });
    dialog->open();
}

void ResultsWindow::ApplyCleaning(const CleanChoices& choices) {
    if (cleanChoices_.doNotMail != choices.doNotMail && cleanChoices_.doNotMail &&
        cleanChoices_.doNotMail->size() > 0)
        model_.Release(std::move(cleanChoices_.doNotMail)); // the list it no longer uses
    cleanChoices_ = choices;
    if (choices.any())
        model_.Clean(std::make_shared<const ListCleaner>(choices.Rules()), choices.doNotMail);
    else
        model_.Clean(nullptr);
    UpdateStatus();
}

void ResultsWindow::RemoveRowsTaken() {
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
        rows.append(index.row());
    const QModelIndex current = list_->currentIndex();
    if (rows.isEmpty() && current.isValid())
        rows.append(current.row());
    if (rows.isEmpty())
        return;
    const int next = *std::min_element(rows.begin(), rows.end());
    model_.RemoveRows(rows);
    // The row that moved up into the place is the next one Delete takes.
    if (model_.rowCount() > 0)
        list_->setCurrentIndex(model_.index(std::min(next, model_.rowCount() - 1), 0));
}

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event) {
    // Lower-casing millions of rows for the filter is done as the field
    // gets the focus, before the first key.
    if (watched == filter_ && event->type() == QEvent::FocusIn)
        model_.PrepareFilter();
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const QModelIndex index =
            list_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (index.isValid())
            model_.RemoveRows({index.row()});
        return true;
    }
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            RemoveRowsTaken();
            return true;
        }
        // The list's context menu is the header's: orders and columns.
        if (key->key() == Qt::Key_Menu ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            const QModelIndex current = list_->currentIndex();
            const QRect cell = current.isValid() ? list_->visualRect(current) : QRect();
            PopupHeaderMenu(
                list_->viewport()->mapToGlobal(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0)));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ResultsWindow::Back() {
    model_.Clear();
    StartAfresh();
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
