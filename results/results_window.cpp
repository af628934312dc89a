#include "results/results_window.h"

#include "ui/command_bar.h"
#include "ui/custom_pointer.h"
#include "ui/window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableView>
#include <QToolBar>

namespace ornavex {
namespace {

// Design measures in twips.
constexpr int kClientWidth = 9120;
constexpr int kClientHeight = 4440;
constexpr int kListLeft = 120;
constexpr int kListTop = 1260;
constexpr int kListWidth = 8880;
constexpr int kListHeight = 3135;
constexpr int kColumnWidth = 8000;
constexpr int kStatusHeightPixels = 24; // the status line below the design area

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
    setFixedSize(PixelsFromTwips(kClientWidth),
                 PixelsFromTwips(kClientHeight) + kStatusHeightPixels);

    CreateStaticBar();

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
    list_->setGeometry(PixelsFromTwips(kListLeft), PixelsFromTwips(kListTop),
                       PixelsFromTwips(kListWidth), PixelsFromTwips(kListHeight));
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->horizontalHeader()->resizeSection(0, PixelsFromTwips(kColumnWidth));
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 2);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLine"));
    status_->setGeometry(PixelsFromTwips(kListLeft), PixelsFromTwips(kClientHeight) - 2,
                         PixelsFromTwips(kListWidth), kStatusHeightPixels);

    connect(&copying_, &QFutureWatcher<QString>::finished, this, &ResultsWindow::CopyFinished);
    CenterOnScreen(*this);
}

void ResultsWindow::CreateStaticBar() {
    toolbar_ = CreateCommandBar(this,
                                {{kBackId, "Back", "back"},
                                 {kSaveResultsId, "Save Results", "save"},
                                 {kSaveCommaId, "Save Results With Commas", "save_commas"},
                                 {kCopyToClipboardId, "Save Results To Clipboard", "clipboard"}},
                                [this](int id) { CommandBars_Execute(id); });
    toolbar_->setGeometry(0, 0, PixelsFromTwips(kClientWidth), PixelsFromTwips(kListTop) - 4);
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
    status_->setText(text + ".");
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
    default:
        break; // any other id does nothing
    }
}

void ResultsWindow::Back() {
    model_.Clear();
    status_->clear();
    emit backRequested();
    hide();
}

void ResultsWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit programEndRequested();
}

} // namespace ornavex
