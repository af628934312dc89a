#include "os/temporary_paths.h"

#include <array>
#include <atomic>
#include <cstring>

namespace ornavex {
namespace {

constexpr std::size_t kPlaces = 64;
constexpr std::size_t kLongestPath = 4096;

enum State : int { kFree, kFilling, kRemembered };

struct Place {
    std::atomic<int> state{kFree};
    std::filesystem::path::value_type path[kLongestPath]{};
};

// Set up before the program runs (constant initialization, all zero bytes
// left untouched until used), so a signal handler never meets it half made
// and a start of the program costs no page of it.
constinit std::array<Place, kPlaces> places;

std::array<Place, kPlaces>& Places() {
    return places;
}

} // namespace

int TemporaryPaths::Remember(const std::filesystem::path& path) {
    const auto& text = path.native();
    if (text.size() >= kLongestPath)
        return -1;
    auto& places = Places();
    for (std::size_t i = 0; i < kPlaces; ++i) {
        int expected = kFree;
        if (!places[i].state.compare_exchange_strong(expected, kFilling))
            continue;
        std::memcpy(places[i].path, text.c_str(), (text.size() + 1) * sizeof(text[0]));
        places[i].state.store(kRemembered, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void TemporaryPaths::Forget(int ticket) {
    if (ticket >= 0 && static_cast<std::size_t>(ticket) < kPlaces)
        Places()[static_cast<std::size_t>(ticket)].state.store(kFree, std::memory_order_release);
}

void TemporaryPaths::RemoveAll() noexcept {
    for (Place& place : Places())
        if (place.state.load(std::memory_order_acquire) == kRemembered)
            temporary_paths_detail::RemoveFileNow(place.path);
}

} // namespace ornavex
