#pragma once

#include "output/address_list.h"

#include <QAbstractListModel>
#include <memory>

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

    // Shows the list of a run; it is never changed, only replaced.
    void Show(std::shared_ptr<const AddressList> addresses);
    void Show(AddressList addresses);
    void Clear();

    const AddressList& addresses() const { return *addresses_; }
    // The list itself, for work off the window's thread: it stays whole
    // however the model changes meanwhile.
    std::shared_ptr<const AddressList> shared() const { return addresses_; }

private:
    std::shared_ptr<const AddressList> addresses_ = std::make_shared<AddressList>();
};

} // namespace ornavex
