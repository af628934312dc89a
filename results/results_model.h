#pragma once

#include "clean/shown_rows.h"
#include "output/address_list.h"
#include "run/removal_run.h"

#include <QAbstractTableModel>
#include <memory>
#include <string>
#include <vector>

namespace ornavex {

// What the results window shows: a run's addresses, how often and where each
// first occurred (when the run kept that), and the names of its files.
struct ResultsList {
    std::shared_ptr<const AddressList> addresses;
    std::shared_ptr<const RunDetails> details;
    std::shared_ptr<const std::vector<std::string>> fileNames;
};

// The results list: one row per unique address, as first found, cleaned,
// ordered and filtered as asked. Addresses are kept as bytes (they are
// ASCII) and turned into text only for the rows on screen, so a million rows
// cost little more than their bytes.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kAddressColumn, kCountColumn, kFirstFileColumn, kLineColumn, kColumns };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A header click: the address, the count (most first) or the first
    // occurrence; descending turns it around.
    void sort(int column, Qt::SortOrder order) override;

    // Shows the list of a run; it is never changed, only replaced.
    void Show(ResultsList list);
    void Show(std::shared_ptr<const AddressList> addresses);
    void Show(AddressList addresses);
    void Clear();

    // The rows shown: cleaned (none: all), in order, holding the filter.
    CleaningOutcome Clean(const ListCleaner* cleaner);
    void SortBy(SortOrder order, bool reverse = false);
    void Filter(const QString& text);
    void PrepareFilter() { shown_.Prepare(); }
    const ShownRows& shown() const { return shown_; }

    const AddressList& addresses() const { return *list_.addresses; }
    // The list itself, for work off the window's thread: it stays whole
    // however the model changes meanwhile.
    std::shared_ptr<const AddressList> shared() const { return list_.addresses; }
    // The list indexes of the rows shown, in order (none: every row).
    std::vector<std::uint32_t> ShownIndexes() const;
    // Whether counts and first occurrences are known.
    bool hasDetails() const;
    std::uint64_t Count(std::size_t index) const;
    std::string FirstFile(std::size_t index) const;
    std::uint64_t Line(std::size_t index) const;

private:
    void Reset();

    ResultsList list_{std::make_shared<AddressList>(), nullptr, nullptr};
    ShownRows shown_;
};

} // namespace ornavex
