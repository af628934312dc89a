#pragma once

// What the decoder harnesses share: a sink that keeps the text, and limits
// small enough that a fuzzer's bombs end quickly.
#include "decode/decode_context.h"
#include "memory_source.h"

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
    limits.workFloor = 1 << 20;
    return limits;
}

// The row of the decoding table with this name.
inline const Kind& KindNamed(std::string_view name) {
    for (const Kind& kind : Kinds())
        if (kind.name == name)
            return kind;
    std::fprintf(stderr, "no kind %.*s\n", static_cast<int>(name.size()), name.data());
    std::abort();
}

// Decodes bytes as the kind, as a member of a container would be.
inline std::string Decode(std::string_view kind, std::string_view bytes) {
    testing::MemorySource source(bytes);
    TextCollector sink;
    DecodeContext context(
        sink, [&] { return bytes.size(); }, nullptr, SmallLimits());
    context.DecodeAs(KindNamed(kind), source, 1);
    return sink.all;
}

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace ornavex::fuzz
