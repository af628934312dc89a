#include "clean/shown_rows.h"

#include "clean/address_parts.h"

#include <algorithm>

namespace ornavex {

void ShownRows::Reset(std::size_t count, AddressAt address, CountAt occurrences) {
    *this = ShownRows();
    count_ = count;
    address_ = std::move(address);
    occurrences_ = std::move(occurrences);
}

CleaningOutcome ShownRows::Clean(const ListCleaner* cleaner) {
    CleaningOutcome outcome;
    cleaned_ = cleaner != nullptr;
    if (cleaned_) {
        outcome = cleaner->Clean(count_, address_);
        kept_ = outcome.kept;
    } else {
        kept_.clear();
    }
    Order();
    return outcome;
}

void ShownRows::Sort(SortOrder order, bool reverse) {
    order_ = order;
    reverse_ = reverse;
    sorted_ = order != SortOrder::kFirstOccurrence || reverse;
    Order();
}

void ShownRows::Order() {
    if (!cleaned_ && !sorted_) {
        ordered_.clear();
    } else {
        if (cleaned_) {
            ordered_ = kept_;
        } else {
            ordered_.resize(count_);
            for (std::uint32_t i = 0; i < count_; ++i)
                ordered_[i] = i;
        }
        if (sorted_) {
            const auto address = [&](std::uint32_t i) { return address_(i); };
            const auto count = [&](std::uint32_t i) {
                return occurrences_ ? occurrences_(i) : std::uint64_t{0};
            };
            if (order_ == SortOrder::kCount && reverse_) {
                // Fewest first: the counts turned around, equals kept in order.
                const auto fewest = [&](std::uint32_t i) { return UINT64_MAX - count(i); };
                SortIndexes(ordered_, order_, address, fewest);
            } else {
                SortIndexes(ordered_, order_, address, count);
                if (reverse_)
                    std::reverse(ordered_.begin(), ordered_.end());
            }
        }
    }
    Narrow(false);
}

void ShownRows::Filter(std::string_view text) {
    std::string lower = LowerCased(text);
    lower.erase(std::remove(lower.begin(), lower.end(), '\n'), lower.end());
    // A longer text can only narrow what the shorter one showed.
    const bool narrower = !filter_.empty() && lower.starts_with(filter_);
    filter_ = std::move(lower);
    Narrow(narrower);
}

void ShownRows::BuildText() {
    if (!starts_.empty() || count_ == 0)
        return;
    starts_.resize(count_ + 1);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        bytes += 1 + address_(i).size();
        starts_[i] = bytes - address_(i).size();
    }
    starts_[count_] = bytes + 1;
    textMemory_ = LargeBlock(bytes);
    char* const text = static_cast<char*>(textMemory_.data());
    text_ = std::string_view(text, bytes);
    for (std::size_t i = 0; i < count_; ++i) {
        const std::string_view address = address_(i);
        char* out = text + starts_[i];
        out[-1] = '\n';
        for (const char c : address)
            *out++ = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
}

void ShownRows::Narrow(bool withinShown) {
    if (filter_.empty()) {
        shown_ = ordered_;
        return;
    }
    BuildText();
    const std::string_view text = text_;
    const auto holds = [&](std::uint32_t i) {
        return text.substr(starts_[i], starts_[i + 1] - 1 - starts_[i]).find(filter_) !=
               std::string_view::npos;
    };
    if (withinShown) {
        std::erase_if(shown_, [&](std::uint32_t i) { return !holds(i); });
        return;
    }
    // One search through all the text marks the rows that hold the filter;
    // the rows then show in their order.
    std::vector<bool> marked(count_);
    std::size_t row = 0;
    for (std::size_t at = text.find(filter_); at != std::string_view::npos;) {
        while (starts_[row + 1] <= at)
            ++row;
        marked[row] = true;
        at = text.find(filter_, starts_[row + 1]);
    }
    shown_.clear();
    if (cleaned_ || sorted_) {
        for (const std::uint32_t i : ordered_)
            if (marked[i])
                shown_.push_back(i);
    } else {
        for (std::uint32_t i = 0; i < count_; ++i)
            if (marked[i])
                shown_.push_back(i);
    }
}

} // namespace ornavex
