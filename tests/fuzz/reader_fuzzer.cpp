// Feeds the same bytes through the decoder and the block finder whole
// and cut into random blocks: the addresses must not depend on the cuts.
#include "decode/text_decoder.h"
#include "engine/block_finder.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Scan(std::string_view bytes, std::mt19937* cuts) {
    std::vector<std::string> found;
    const auto keep = [&](std::string_view address) { found.emplace_back(address); };
    ornavex::BlockFinder finder;
    ornavex::TextDecoder decoder;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t size = bytes.size() - at;
        if (cuts != nullptr)
            size = std::min<std::size_t>(size, 1 + (*cuts)() % 64);
        finder.Feed(decoder.Decode(bytes.substr(at, size)), keep);
        at += size;
    }
    finder.Feed(decoder.Finish(), keep);
    finder.Finish(keep);
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 1)
        return 0;
    std::mt19937 cuts(data[0]);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (Scan(bytes, nullptr) != Scan(bytes, &cuts)) {
        std::fprintf(stderr, "block cuts changed the addresses\n");
        std::abort();
    }
    return 0;
}
