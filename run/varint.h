#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ornavex {

// Numbers in records of temporary data: seven bits a byte, the lowest first,
// so small numbers take a byte.
inline void AppendVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

inline std::uint64_t TakeVarint(std::string_view& in) {
    std::uint64_t value = 0;
    for (unsigned shift = 0; !in.empty() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        value |= std::uint64_t{byte & 0x7fu} << shift;
        if (byte < 0x80)
            break;
    }
    return value;
}

// A record's frame: its length, then its bytes. Whether a whole record
// starts at in; if so it is taken off in.
inline bool TakeFramed(std::string_view& in, std::string_view& record) {
    std::string_view rest = in;
    std::uint64_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
        if (rest.empty() || shift >= 64)
            return false;
        const auto byte = static_cast<unsigned char>(rest.front());
        rest.remove_prefix(1);
        length |= std::uint64_t{byte & 0x7fu} << shift;
        if (byte < 0x80)
            break;
    }
    if (rest.size() < length)
        return false;
    record = rest.substr(0, static_cast<std::size_t>(length));
    in = rest.substr(static_cast<std::size_t>(length));
    return true;
}

} // namespace ornavex
