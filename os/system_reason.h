#pragma once

#include <string>
#include <system_error>

namespace ornavex {

// The operating system's description of an errno value, e.g. "No such file
// or directory".
inline std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

} // namespace ornavex
