#pragma once

#include <optional>
#include <string_view>

namespace ornavex {

// The UTF-8 text of an HTML named character reference: name as written after
// the "&", with its ";" ("commat;" gives "@"), or without one for the few old
// names a browser also reads so ("amp"). Nothing for a name HTML does not know.
std::optional<std::string_view> NamedCharacter(std::string_view name);

} // namespace ornavex
