#include "cli/size_option.h"

#include <cctype>
#include <string>

namespace ornavex {

std::optional<std::uint64_t> ParseSize(std::string_view text) {
    std::size_t digits = 0;
    std::uint64_t value = 0;
    for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        const std::uint64_t digit = static_cast<std::uint64_t>(text[digits] - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (digits == 0 || value == 0)
        return std::nullopt;
    std::string unit(text.substr(digits));
    for (char& c : unit)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    unsigned shift = 0;
    if (!unit.empty() && unit != "b") {
        const std::string_view letters = "kmgt";
        const std::size_t power = letters.find(unit[0]);
        const std::string_view rest = std::string_view(unit).substr(1);
        if (power == std::string_view::npos || !(rest.empty() || rest == "b" || rest == "ib"))
            return std::nullopt;
        shift = 10 * static_cast<unsigned>(power + 1);
    }
    if (shift != 0 && value > (UINT64_MAX >> shift))
        return std::nullopt;
    return value << shift;
}

} // namespace ornavex
