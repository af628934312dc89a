// The results list's header: sorting by a click on a column, and the
// header's menu with the orders and the optional columns.
#include "results/results_window.h"
#include "ui/window_helpers.h"

#include <QAction>
#include <QActionGroup>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

namespace ornavex {

QMenu* ResultsWindow::HeaderMenu() {
    if (headerMenu_ != nullptr)
        return headerMenu_;
    headerMenu_ = new QMenu(this);
    headerMenu_->setObjectName(QStringLiteral("headerMenu"));
    orders_ = new QActionGroup(headerMenu_);
    orders_->setExclusive(true);
    const auto order = [this](const char* name, const char* caption, SortOrder sortOrder) {
        QAction* action = headerMenu_->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setData(static_cast<int>(sortOrder));
        orders_->addAction(action);
        connect(action, &QAction::triggered, this, [this, sortOrder] { SortByMenu(sortOrder); });
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
    MarkOrderInForce();
    return headerMenu_;
}

void ResultsWindow::PopupHeaderMenu(const QPoint& globalAt) {
    HeaderMenu()->popup(globalAt);
}

// The menu marks the order the list is in, whichever way it was asked for.
void ResultsWindow::MarkOrderInForce() {
    if (orders_ == nullptr)
        return;
    for (QAction* action : orders_->actions())
        action->setChecked(action->data().toInt() == static_cast<int>(model_.order()));
}

// A click sorts by the column; each further click on it turns the order
// round. Counts start with the most frequent, the rest from the first. The
// header has flipped its own indicator before it tells of the click, so the
// order is decided here and the indicator set to it.
void ResultsWindow::SortByHeader(int column) {
    Qt::SortOrder order =
        column == ResultsModel::kCountColumn ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (column == sortColumn_)
        order = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    sortColumn_ = column;
    sortOrder_ = order;
    QHeaderView* header = list_->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
    model_.sort(column, order);
    MarkOrderInForce();
}

// An order from the menu: the column it sorts by shows the indicator, so a
// click on it next turns the order round.
void ResultsWindow::SortByMenu(SortOrder order) {
    QHeaderView* header = list_->horizontalHeader();
    switch (order) {
    case SortOrder::kAddress:
        sortColumn_ = ResultsModel::kAddressColumn;
        sortOrder_ = Qt::AscendingOrder;
        break;
    case SortOrder::kCount:
        sortColumn_ = ResultsModel::kCountColumn;
        sortOrder_ = Qt::DescendingOrder;
        break;
    default:
        sortColumn_ = -1;
        break;
    }
    header->setSortIndicatorShown(sortColumn_ >= 0);
    if (sortColumn_ >= 0)
        header->setSortIndicator(sortColumn_, sortOrder_);
    model_.SortBy(order);
    MarkOrderInForce();
}

} // namespace ornavex
