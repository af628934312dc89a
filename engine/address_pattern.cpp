#include "engine/address_pattern.h"

#include "engine/character_classes.h"

namespace ornavex {
namespace {

bool Has(char c, unsigned classes) {
    return (ClassOf(c) & classes) != 0;
}

// Local part: "[a-zA-Z0-9_-][a-zA-Z0-9_.+-]*", or without the '+' for the
// classic pattern.
bool IsLocalPart(std::string_view local, AddressPattern pattern) {
    if (local.empty() || !Has(local[0], kLocalFirst))
        return false;
    const unsigned classes = LocalClasses(pattern);
    for (char c : local.substr(1))
        if (!Has(c, classes))
            return false;
    return true;
}

// A number from 0 to 255 written without leading zeros.
bool IsOctet(std::string_view s) {
    if (s.empty() || s.size() > 3)
        return false;
    int value = 0;
    for (char c : s) {
        if (!Has(c, kDigit))
            return false;
        value = value * 10 + (c - '0');
    }
    return (s.size() == 1 || s[0] != '0') && value <= 255;
}

// One domain label: "[a-zA-Z0-9-]+".
bool IsLabel(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!Has(c, kLabel))
            return false;
    return true;
}

// Domain tail: two or more letters, or an octet followed by "]".
bool IsDomainTail(std::string_view tail) {
    if (tail.size() >= 2 && tail.back() == ']')
        return IsOctet(tail.substr(0, tail.size() - 1));
    if (tail.size() < 2)
        return false;
    for (char c : tail)
        if (!Has(c, kLetter))
            return false;
    return true;
}

// Domain head "[" (octet ".")x3, returning what follows it; npos on failure.
std::size_t SkipBracketedHead(std::string_view domain) {
    std::size_t pos = 1; // past '['
    for (int i = 0; i < 3; ++i) {
        std::size_t dot = domain.find('.', pos);
        if (dot == std::string_view::npos || !IsOctet(domain.substr(pos, dot - pos)))
            return std::string_view::npos;
        pos = dot + 1;
    }
    return pos;
}

// Domain head (label ".")+, returning what follows it; npos on failure. Neither
// labels nor tails hold a period, so the head runs to the last period.
std::size_t SkipLabelHead(std::string_view domain) {
    std::size_t last = domain.rfind('.');
    if (last == std::string_view::npos)
        return std::string_view::npos;
    std::size_t pos = 0;
    while (pos <= last) {
        std::size_t dot = domain.find('.', pos);
        if (!IsLabel(domain.substr(pos, dot - pos)))
            return std::string_view::npos;
        pos = dot + 1;
    }
    return pos;
}

bool IsDomain(std::string_view domain) {
    if (domain.empty())
        return false;
    std::size_t tail = domain[0] == '[' ? SkipBracketedHead(domain) : SkipLabelHead(domain);
    return tail != std::string_view::npos && IsDomainTail(domain.substr(tail));
}

} // namespace

bool IsEmailAddress(std::string_view word, AddressPattern pattern) {
    std::size_t at = word.find('@');
    if (at == std::string_view::npos)
        return false;
    return IsLocalPart(word.substr(0, at), pattern) && IsDomain(word.substr(at + 1));
}

} // namespace ornavex
