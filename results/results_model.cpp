#include "results/results_model.h"

namespace ornavex {

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(addresses_->size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= addresses_->size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const std::string_view address = (*addresses_)[static_cast<std::size_t>(index.row())];
    return QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()));
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Results");
    return {};
}

void ResultsModel::Append(AddressList addresses) {
    if (addresses.empty())
        return;
    const int first = static_cast<int>(addresses_->size());
    beginInsertRows({}, first, first + static_cast<int>(addresses.size()) - 1);
    if (addresses_.use_count() > 1) { // read elsewhere: that reader keeps its own
        auto own = std::make_shared<AddressList>();
        own->Append(*addresses_);
        addresses_ = std::move(own);
    }
    if (addresses_->empty())
        *addresses_ = std::move(addresses);
    else
        addresses_->Append(addresses);
    endInsertRows();
}

void ResultsModel::Clear() {
    beginResetModel();
    addresses_ = std::make_shared<AddressList>(); // a copy under way keeps the old one
    endResetModel();
}

} // namespace ornavex
