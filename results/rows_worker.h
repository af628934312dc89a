#pragma once

#include "clean/list_cleaner.h"
#include "clean/sort_order.h"
#include "output/address_list.h"
#include "run/removal_run.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ornavex {

class ShownRows;

// The rows a list shows, in order: every row as first found, or those
// listed (list indexes).
struct RowView {
    std::size_t count = 0;                                  // rows of the whole list
    std::shared_ptr<const std::vector<std::uint32_t>> rows; // none: every row
    std::uint64_t cleanedAway = 0;

    bool all() const { return rows == nullptr; }
    std::size_t size() const { return all() ? count : rows->size(); }
    std::size_t At(std::size_t row) const { return all() ? row : (*rows)[row]; }
};

// Cleans, orders and filters the rows of the results list on a thread of
// its own, one request after another, so the window keeps answering however
// long the list. When no request waits any more, the rows as the last one
// left them come back to the window's thread in viewReady.
class RowsWorker : public QObject {
    Q_OBJECT
public:
    explicit RowsWorker(QObject* parent = nullptr);
    ~RowsWorker() override; // waits for the request under way

    // A new list: the requests that follow work on it, and nothing more of
    // the old one comes back.
    void Reset(std::shared_ptr<const AddressList> addresses,
               std::shared_ptr<const RunDetails> details);
    // Cleans with the cleaner (none: the whole list). keep holds what the
    // cleaner's rules point to.
    void Clean(std::shared_ptr<const ListCleaner> cleaner, std::shared_ptr<const void> keep);
    void Sort(SortOrder order, bool reverse);
    void Filter(std::string text);
    // Makes what the filter searches, ahead of the first filter.
    void Prepare();
    // Lets go of the objects on the worker's thread: freeing millions of
    // strings takes long.
    void Release(std::shared_ptr<const void> object);

    // From a request that changes the rows shown until they have come back.
    bool busy() const { return answered_ < lastChange_; }

signals:
    void viewReady(const RowView& view);
    void busyChanged(bool busy);

private:
    struct State;

    // Runs work on the worker's thread; changes tells whether it changes
    // the rows shown.
    void Post(std::function<void(State&)> work, bool changes);
    void Answered(std::uint64_t request, std::uint64_t generation, const RowView* view);

    QThread thread_;
    QObject* worker_ = nullptr;
    std::shared_ptr<State> state_; // used on the worker's thread only
    std::uint64_t asked_ = 0;      // requests posted
    std::uint64_t answered_ = 0;   // requests whose outcome came back
    std::uint64_t lastChange_ = 0; // the last request that changes the rows
    std::uint64_t generation_ = 0; // lists shown
    std::shared_ptr<std::atomic<std::uint64_t>> latest_;
};

} // namespace ornavex
