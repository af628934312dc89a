#include "results/results_model.h"

#include "run/shown_name.h"

#include <algorithm>

namespace ornavex {

bool ResultsList::HasDetails() const {
    return details && addresses && details->sources.size() == addresses->size();
}

std::uint64_t ResultsList::Count(std::size_t index) const {
    return HasDetails() ? details->sources[index].count : 0;
}

std::string ResultsList::FirstFile(std::size_t index) const {
    if (!HasDetails() || !fileNames)
        return {};
    const AddressOrigin& source = details->sources[index];
    std::string name =
        source.fileIndex < fileNames->size() ? (*fileNames)[source.fileIndex] : std::string();
    if (source.member != 0)
        name += ": " + details->members[source.member];
    return name;
}

std::uint64_t ResultsList::Line(std::size_t index) const {
    return HasDetails() ? details->sources[index].line : 0;
}

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {
    connect(&worker_, &RowsWorker::viewReady, this, &ResultsModel::Install);
    connect(&worker_, &RowsWorker::busyChanged, this, &ResultsModel::busyChanged);
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(view_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= view_.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const std::size_t at = view_.At(static_cast<std::size_t>(index.row()));
    switch (index.column()) {
    case kAddressColumn: {
        const std::string_view address = (*list_.addresses)[at];
        return QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()));
    }
    case kCountColumn:
        return list_.HasDetails() ? QVariant(static_cast<qulonglong>(list_.Count(at))) : QVariant();
    case kFirstFileColumn:
        return QString::fromStdString(ShownName(list_.FirstFile(at)));
    case kLineColumn:
        return list_.Line(at) > 0 ? QVariant(static_cast<qulonglong>(list_.Line(at))) : QVariant();
    default:
        return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kAddressColumn:
        return QStringLiteral("Results");
    case kCountColumn:
        return QStringLiteral("Count");
    case kFirstFileColumn:
        return QStringLiteral("First File");
    case kLineColumn:
        return QStringLiteral("Line");
    default:
        return {};
    }
}

void ResultsModel::sort(int column, Qt::SortOrder order) {
    const bool descending = order == Qt::DescendingOrder;
    switch (column) {
    case kAddressColumn:
        SortBy(SortOrder::kAddress, descending);
        break;
    case kCountColumn:
        SortBy(SortOrder::kCount, !descending); // most first when descending
        break;
    default:
        SortBy(SortOrder::kFirstOccurrence, descending);
        break;
    }
}

void ResultsModel::Show(ResultsList list) {
    beginResetModel();
    if (!list.addresses)
        list.addresses = std::make_shared<AddressList>();
    list_ = std::move(list);
    view_ = RowView{list_.addresses->size(), nullptr, 0};
    removed_.clear();
    removedCount_ = 0;
    order_ = SortOrder::kFirstOccurrence;
    cleaned_ = false;
    filter_.clear();
    worker_.Reset(list_.addresses, list_.details);
    endResetModel();
    emit rowsChanged();
}

void ResultsModel::Clear() {
    Show(ResultsList{}); // a copy or a save under way keeps the old list
}

void ResultsModel::Clean(std::shared_ptr<const ListCleaner> cleaner,
                         std::shared_ptr<const void> keep) {
    cleaned_ = cleaner != nullptr;
    worker_.Clean(std::move(cleaner), std::move(keep));
}

void ResultsModel::SortBy(SortOrder order, bool reverse) {
    order_ = order;
    worker_.Sort(order, reverse);
}

void ResultsModel::Filter(const QString& text) {
    if (text == filter_)
        return;
    filter_ = text;
    worker_.Filter(text.toStdString());
}

void ResultsModel::PrepareFilter() {
    worker_.Prepare();
}

void ResultsModel::Release(std::shared_ptr<const void> object) {
    worker_.Release(std::move(object));
}

void ResultsModel::Install(const RowView& view) {
    beginResetModel();
    view_ = WithoutRemoved(view);
    endResetModel();
    emit rowsChanged();
}

RowView ResultsModel::WithoutRemoved(RowView view) const {
    if (removedCount_ == 0)
        return view;
    auto rows = std::make_shared<std::vector<std::uint32_t>>();
    rows->reserve(view.size());
    for (std::size_t row = 0; row < view.size(); ++row) {
        const std::size_t at = view.At(row);
        if (!removed_[at])
            rows->push_back(static_cast<std::uint32_t>(at));
    }
    view.rows = std::move(rows);
    return view;
}

void ResultsModel::RemoveRows(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    while (!rows.isEmpty() && (rows.front() < 0))
        rows.pop_front();
    while (!rows.isEmpty() && static_cast<std::size_t>(rows.back()) >= view_.size())
        rows.pop_back();
    if (rows.isEmpty())
        return;
    if (removed_.empty())
        removed_.assign(list_.addresses->size(), false);
    for (const int row : rows) {
        removed_[view_.At(static_cast<std::size_t>(row))] = true;
        ++removedCount_;
    }
    // One run of rows keeps the list's place and selection; several reset it.
    const bool oneRun = rows.back() - rows.front() + 1 == rows.size();
    if (oneRun)
        beginRemoveRows({}, rows.front(), rows.back());
    else
        beginResetModel();
    view_ = WithoutRemoved(view_);
    if (oneRun)
        endRemoveRows();
    else
        endResetModel();
    emit rowsChanged();
}

} // namespace ornavex
