#include "results/results_model.h"

#include "run/shown_name.h"

#include <QLocale>

namespace ornavex {

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= shown_.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const std::size_t at = shown_.At(static_cast<std::size_t>(index.row()));
    switch (index.column()) {
    case kAddressColumn: {
        const std::string_view address = (*list_.addresses)[at];
        return QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()));
    }
    case kCountColumn:
        return hasDetails() ? QVariant(static_cast<qulonglong>(Count(at))) : QVariant();
    case kFirstFileColumn:
        return QString::fromStdString(ShownName(FirstFile(at)));
    case kLineColumn:
        return Line(at) > 0 ? QVariant(static_cast<qulonglong>(Line(at))) : QVariant();
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
    const AddressList* addresses = list_.addresses.get();
    shown_.Reset(
        addresses->size(), [addresses](std::size_t i) { return (*addresses)[i]; },
        [this](std::size_t i) { return Count(i); });
    endResetModel();
}

void ResultsModel::Show(std::shared_ptr<const AddressList> addresses) {
    Show(ResultsList{std::move(addresses), nullptr, nullptr});
}

void ResultsModel::Show(AddressList addresses) {
    Show(std::make_shared<const AddressList>(std::move(addresses)));
}

void ResultsModel::Clear() {
    Show(ResultsList{}); // a copy under way keeps the old list
}

CleaningOutcome ResultsModel::Clean(const ListCleaner* cleaner) {
    beginResetModel();
    CleaningOutcome outcome = shown_.Clean(cleaner);
    endResetModel();
    return outcome;
}

void ResultsModel::SortBy(SortOrder order, bool reverse) {
    beginResetModel();
    shown_.Sort(order, reverse);
    endResetModel();
}

void ResultsModel::Filter(const QString& text) {
    beginResetModel();
    shown_.Filter(text.toStdString());
    endResetModel();
}

std::vector<std::uint32_t> ResultsModel::ShownIndexes() const {
    std::vector<std::uint32_t> indexes;
    if (shown_.all())
        return indexes;
    indexes.reserve(shown_.size());
    for (std::size_t row = 0; row < shown_.size(); ++row)
        indexes.push_back(static_cast<std::uint32_t>(shown_.At(row)));
    return indexes;
}

bool ResultsModel::hasDetails() const {
    return list_.details && list_.details->sources.size() == list_.addresses->size();
}

std::uint64_t ResultsModel::Count(std::size_t index) const {
    return hasDetails() ? list_.details->sources[index].count : 0;
}

std::string ResultsModel::FirstFile(std::size_t index) const {
    if (!hasDetails() || !list_.fileNames)
        return {};
    const AddressSource& source = list_.details->sources[index];
    std::string name = source.fileIndex < list_.fileNames->size()
                           ? (*list_.fileNames)[source.fileIndex]
                           : std::string();
    if (source.member != 0)
        name += ": " + list_.details->members[source.member];
    return name;
}

std::uint64_t ResultsModel::Line(std::size_t index) const {
    return hasDetails() ? list_.details->sources[index].line : 0;
}

} // namespace ornavex
