#include "engine/address_scanner.h"

#include "engine/extract_emails.h"

#include <array>

namespace ornavex {
namespace {

// Bytes that can stand in a word that may still become an address: the
// address alphabet. Any other byte dooms the word.
constexpr std::array<bool, 256> kAddressBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = true;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = true;
    for (unsigned char c : {'@', '.', '-', '_'})
        table[c] = true;
    return table;
}();

bool HoldsOnlyAddressBytes(std::string_view text) {
    for (char c : text)
        if (!kAddressBytes[static_cast<unsigned char>(c)])
            return false;
    return true;
}

std::size_t FindFirstSeparator(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsSeparator(static_cast<unsigned char>(text[i])))
            return i;
    return std::string_view::npos;
}

// Length of the prefix of text that ends with its last separator.
std::size_t WholeWordsLength(std::string_view text) {
    std::size_t i = text.size();
    while (i > 0 && !IsSeparator(static_cast<unsigned char>(text[i - 1])))
        --i;
    return i;
}

} // namespace

AddressScanner::AddressScanner(AddressCallback onAddress) : onAddress_(std::move(onAddress)) {}

void AddressScanner::Scan(std::string_view wholeWords) {
    ForEachValidAddress(wholeWords, onAddress_);
}

void AddressScanner::Carry(std::string_view partialWord) {
    if (carryHopeless_)
        return;
    if (!HoldsOnlyAddressBytes(partialWord)) {
        // The word can never validate; keep no text of it, however long it grows.
        carryHopeless_ = true;
        carry_.clear();
        return;
    }
    carry_.append(partialWord);
}

void AddressScanner::Feed(std::string_view block) {
    if (!carry_.empty() || carryHopeless_) {
        const std::size_t end = FindFirstSeparator(block);
        if (end == std::string_view::npos) {
            Carry(block);
            return;
        }
        Carry(block.substr(0, end));
        if (!carryHopeless_)
            Scan(carry_);
        carry_.clear();
        carryHopeless_ = false;
        block.remove_prefix(end);
    }
    const std::size_t whole = WholeWordsLength(block);
    Scan(block.substr(0, whole));
    Carry(block.substr(whole));
}

void AddressScanner::Finish() {
    if (!carryHopeless_)
        Scan(carry_);
    carry_.clear();
    carryHopeless_ = false;
}

} // namespace ornavex
