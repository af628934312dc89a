// Times the engine's stages one by one on a file held in memory: finding the
// addresses, hashing them, and de-duplicating them through the address set.
//
//   engine_bench FILE [STAGE]
//
// With a STAGE (find, hash or dedupe) that stage runs ten times and the others
// once, so a profiler attached to the run sees mostly that stage.
#include "engine/address_finder.h"
#include "engine/address_set.h"
#include "engine/insert_new_in_order.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* profiledStage = "";

template <class Step> double BestSeconds(const char* stage, Step&& step) {
    const int runs = profiledStage == std::string_view(stage) ? 10 : *profiledStage ? 1 : 3;
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        step();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - t0;
        best = std::min(best, elapsed.count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: engine_bench FILE [find|hash|dedupe]\n");
        return 2;
    }
    if (argc == 3)
        profiledStage = argv[2];
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::vector<ornavex::HashedAddress> found;
    found.reserve(text.size() / 16);
    const double find = BestSeconds("find", [&] {
        found.clear();
        ornavex::FindAddresses(text, [&](std::string_view a) { found.push_back({a, 0}); });
    });
    const double hash = BestSeconds("hash", [&] {
        for (ornavex::HashedAddress& item : found)
            item.hash = ornavex::AddressSet::Hash(item.address, 0);
    });
    std::size_t unique = 0;
    const double dedupe = BestSeconds("dedupe", [&] {
        ornavex::AddressSet seen;
        unique = ornavex::InsertNewInOrder(seen, found, [](std::size_t) {});
    });

    const double mb = static_cast<double>(text.size()) / 1e6;
    const double n = static_cast<double>(found.size());
    std::printf("bytes: %zu\naddresses: %zu\nunique: %zu\n", text.size(), found.size(), unique);
    std::printf("find:   %7.1f ms  %7.1f MB/s\n", find * 1e3, mb / find);
    std::printf("hash:   %7.1f ms  %7.1f ns/address\n", hash * 1e3, hash * 1e9 / n);
    std::printf("dedupe: %7.1f ms  %7.1f ns/address\n", dedupe * 1e3, dedupe * 1e9 / n);
    return 0;
}
