#pragma once

#include "clean/list_cleaner.h"
#include "clean/sort_order.h"
#include "os/large_block.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// Which rows of a list show, and in what order: the list cleaned, then put
// in order, then narrowed to the rows holding a filter text. With none of
// that, every row shows in first-occurrence order and nothing is kept.
class ShownRows {
public:
    using AddressAt = std::function<std::string_view(std::size_t)>;
    using CountAt = std::function<std::uint64_t(std::size_t)>;

    void Reset(std::size_t count, AddressAt address, CountAt occurrences = {});

    // Cleans with the cleaner (none: the whole list) and tells what it removed.
    CleaningOutcome Clean(const ListCleaner* cleaner);
    // reverse turns the order around; for kCount, fewest first, equals
    // still in first-occurrence order.
    void Sort(SortOrder order, bool reverse = false);
    // Rows whose address holds the text, ignoring letter case; "" shows all.
    void Filter(std::string_view text);
    // Makes what the filter searches ahead of the first filter, which
    // otherwise makes it.
    void Prepare() { BuildText(); }

    // Every row in first-occurrence order: no cleaning, order or filter.
    bool all() const { return !cleaned_ && !sorted_ && filter_.empty(); }
    std::size_t size() const { return all() ? count_ : shown_.size(); }
    // The list index of shown row i.
    std::size_t At(std::size_t row) const { return all() ? row : shown_[row]; }
    std::uint64_t cleanedAway() const { return cleaned_ ? count_ - kept_.size() : 0; }
    SortOrder order() const { return order_; }
    const std::string& filter() const { return filter_; }

private:
    void Order();
    void Narrow(bool withinShown);
    void BuildText();

    std::size_t count_ = 0;
    AddressAt address_;
    CountAt occurrences_;
    bool cleaned_ = false;
    std::vector<std::uint32_t> kept_; // cleaned, when cleaned_
    bool sorted_ = false;
    SortOrder order_ = SortOrder::kFirstOccurrence;
    bool reverse_ = false;
    std::vector<std::uint32_t> ordered_; // kept_ in order
    std::string filter_;                 // lower-cased
    std::vector<std::uint32_t> shown_;
    // Every address lower-cased, each after a line end, with where each
    // starts: made at the first filter, searched at each.
    // In large pages: faulting in a hundred megabytes page by page costs more
    // than the search.
    LargeBlock textMemory_;
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

} // namespace ornavex
