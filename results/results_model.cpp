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

void ResultsModel::Show(std::shared_ptr<const AddressList> addresses) {
    beginResetModel();
    addresses_ = addresses ? std::move(addresses) : std::make_shared<AddressList>();
    endResetModel();
}

void ResultsModel::Show(AddressList addresses) {
    Show(std::make_shared<const AddressList>(std::move(addresses)));
}

void ResultsModel::Clear() {
    beginResetModel();
    addresses_ = std::make_shared<AddressList>(); // a copy under way keeps the old one
    endResetModel();
}

} // namespace ornavex
