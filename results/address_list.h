#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// A list of addresses kept back to back in large chunks that never move, so
// a million of them cost their bytes plus a view each: no allocation per
// address and no copying as the list grows.
class AddressList {
public:
    AddressList() = default;
    AddressList(std::initializer_list<std::string_view> addresses);
    explicit AddressList(const std::vector<std::string>& addresses);
    AddressList(AddressList&&) = default;
    AddressList& operator=(AddressList&&) = default;
    AddressList(const AddressList&) = delete; // the views point into the chunks
    AddressList& operator=(const AddressList&) = delete;

    void Append(std::string_view address);
    void Append(const AddressList& other);

    std::size_t size() const { return views_.size(); }
    bool empty() const { return views_.empty(); }
    std::string_view operator[](std::size_t i) const { return views_[i]; }

    void clear();

private:
    std::vector<std::string> chunks_; // each reserved once, never grown past that
    std::vector<std::string_view> views_;
};

} // namespace ornavex
