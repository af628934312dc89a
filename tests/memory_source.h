#pragma once

#include "decode/byte_source.h"

#include <string>
#include <string_view>

namespace ornavex::testing {

// Bytes already in memory, given out in one piece, as a decoder's input.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    bool Next(std::string_view& bytes) override {
        bytes = bytes_;
        bytes_ = {};
        return true;
    }
    const std::string& error() const override { return error_; }

private:
    std::string_view bytes_;
    std::string error_;
};

} // namespace ornavex::testing
