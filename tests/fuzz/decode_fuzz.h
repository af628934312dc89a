#pragma once

// What the decoder harnesses share: a sink that keeps the text, and limits
// small enough that a fuzzer's bombs end quickly.
#include "decode/decode.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace ornavex::fuzz {

struct TextCollector : TextSink {
    bool Text(std::string_view text) override {
        if (text.empty())
            return true;
        all.append(text);
        return true;
    }
    bool PartEnd() override {
        all += '\n';
        return true;
    }
    std::string all;
};

inline DecodeLimits SmallLimits() {
    DecodeLimits limits;
    limits.floor = 4 << 20;
    limits.most = 16 << 20;
    return limits;
}

// Decodes bytes as kind, as a member of a container would be.
inline std::string Decode(InputKind kind, std::string_view bytes) {
    MemorySource source(bytes);
    TextCollector sink;
    DecodeContext context([&] { return bytes.size(); }, std::nullopt, SmallLimits());
    DecodeKind(kind, source, sink, context, 1);
    return sink.all;
}

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace ornavex::fuzz
