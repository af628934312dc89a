#include "decode/link_target.h"

#include <algorithm>
#include <cctype>

namespace ornavex {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool IsMailto(std::string_view target) {
    constexpr std::string_view kMailto = "mailto:";
    return target.size() >= kMailto.size() &&
           std::equal(kMailto.begin(), kMailto.end(), target.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

std::string DecodedLinkTarget(std::string_view target) {
    if (!IsMailto(target))
        return {};
    std::string decoded;
    decoded.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size() && HexValue(target[i + 1]) >= 0 &&
            HexValue(target[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(HexValue(target[i + 1]) * 16 + HexValue(target[i + 2])));
            i += 2;
        } else {
            decoded.push_back(target[i]);
        }
    }
    return decoded;
}

} // namespace ornavex
