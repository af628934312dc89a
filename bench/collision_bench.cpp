// The address set's worst case: COUNT distinct addresses that all share one
// hash, as crafted addresses would against an unseeded hash.
//
//   collision_bench [COUNT]   (default 20000)
#include "engine/address_set.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i)
        keys.push_back("flood" + std::to_string(i) + "@example.org");
    constexpr std::uint64_t kSameHash = 0x5bd1e9955bd1e995ULL;
    const auto start = std::chrono::steady_clock::now();
    ornavex::AddressSet set;
    std::size_t added = 0;
    for (const std::string& key : keys)
        added += set.InsertLowerCased(key, kSameHash);
    for (const std::string& key : keys) // every one found again
        added -= !set.InsertLowerCased(key, kSameHash);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("keys: %d\nleft after lookups: %zu\nseconds: %.3f\nns per key: %.0f\n", count,
                added, seconds.count(), seconds.count() * 1e9 / (2.0 * count));
    return added == 0 ? 0 : 1;
}
