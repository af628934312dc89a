#pragma once

#include "clean/list_cleaner.h"
#include "clean/sort_order.h"
#include "output/address_list.h"
#include "results/rows_worker.h"
#include "run/removal_run.h"

#include <QAbstractTableModel>
#include <memory>
#include <string>
#include <vector>

namespace ornavex {

// All a run hands to the results window when it ends, and what the window
// shows: the addresses, how often and where each first occurred (when the
// run kept that), the names of its files, and the run's figures. It never
// changes, so any thread may read it.
struct ResultsList {
    std::shared_ptr<const AddressList> addresses;              // every new address, in order
    std::shared_ptr<const RunDetails> details;                 // when the run kept them
    std::shared_ptr<const std::vector<std::string>> fileNames; // of the inputs
    RunSummary summary;

    // Whether counts and first occurrences are known.
    bool HasDetails() const;
    std::uint64_t Count(std::size_t index) const;
    // The file, and the member inside it, where the address first occurred.
    std::string FirstFile(std::size_t index) const;
    std::uint64_t Line(std::size_t index) const;
};

// The rows shown and the list they come from, as an export writes them.
struct ShownList {
    ResultsList list;
    RowView rows;

    std::size_t size() const { return rows.size(); }
    std::string_view Address(std::size_t row) const { return (*list.addresses)[rows.At(row)]; }
};

// The results list: one row per unique address, as first found, cleaned,
// ordered and filtered as asked. Addresses are kept as bytes (they are
// ASCII) and turned into text only for the rows on screen, so a million rows
// cost little more than their bytes. Cleaning, ordering and filtering are
// done off the window's thread: until they are done, the rows show as they
// were.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kAddressColumn, kCountColumn, kFirstFileColumn, kLineColumn, kColumns };

    explicit ResultsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A header click: the address, the count (most first) or the first
    // occurrence; descending turns it around.
    void sort(int column, Qt::SortOrder order) override;

    // Shows the list of a run: every row, in the order found.
    void Show(ResultsList list);
    void Clear();

    // Cleans with the cleaner (none: the whole list); keep holds what its
    // rules point to.
    void Clean(std::shared_ptr<const ListCleaner> cleaner, std::shared_ptr<const void> keep = {});
    void SortBy(SortOrder order, bool reverse = false);
    void Filter(const QString& text);
    void PrepareFilter();
    // Lets go of the object off the window's thread.
    void Release(std::shared_ptr<const void> object);
    // Takes the rows at these positions out of what shows, until the next
    // list; whatever is asked of the list after that leaves them out too.
    void RemoveRows(QList<int> rows);

    // The order asked for last, and whether it is turned around.
    SortOrder order() const { return order_; }
    const QString& filterText() const { return filter_; }
    bool cleaned() const { return cleaned_; }
    // Until what was asked of the list shows.
    bool busy() const { return worker_.busy(); }

    const RowView& view() const { return view_; }
    std::size_t removedRows() const { return removedCount_; }
    ShownList Shown() const { return {list_, view_}; }
    const ResultsList& list() const { return list_; }

signals:
    // The rows shown changed: ordered, cleaned, filtered or taken out.
    void rowsChanged();
    void busyChanged(bool busy);

private:
    void Install(const RowView& view);
    // The view without the rows taken out by hand.
    RowView WithoutRemoved(RowView view) const;

    ResultsList list_{std::make_shared<AddressList>(), nullptr, nullptr, {}};
    RowView view_;
    std::vector<bool> removed_; // by list index, once a row was taken out
    std::size_t removedCount_ = 0;
    SortOrder order_ = SortOrder::kFirstOccurrence;
    bool cleaned_ = false;
    QString filter_;
    RowsWorker worker_;
};

} // namespace ornavex
