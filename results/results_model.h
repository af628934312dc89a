#pragma once

#include "run/address_list.h"

#include <QAbstractListModel>

namespace ornavex {

// The results list: one row per unique address, as first found. Addresses
// are kept as bytes (they are ASCII) and turned into text only for the rows
// on screen, so a million rows cost little more than their bytes.
class ResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Append(AddressList addresses);
    void Clear();

    const AddressList& addresses() const { return addresses_; }

private:
    AddressList addresses_;
};

} // namespace ornavex
