#include "run/reader_pool.h"

#include <algorithm>
#include <optional>

namespace ornavex {
namespace {

constexpr std::size_t kMaxSpareParcelText = 1 << 20;

} // namespace

ReaderPool::ReaderPool(const std::vector<Input>& inputs, const ReadSettings& settings,
                       std::size_t threads)
    : inputs_(inputs), settings_(settings) {
    const bool readsStandardInput =
        std::any_of(inputs.begin(), inputs.end(), [](const Input& in) { return in.standardInput; });
    const std::size_t count =
        readsStandardInput ? 1 : std::clamp<std::size_t>(inputs.size(), 1, threads);
    while (channels_.size() < count)
        channels_.emplace_back();
}

ReaderPool::~ReaderPool() {
    // Whatever way the run ends, the reading threads must end too.
    stop_.store(true);
    for (Channel& channel : channels_) {
        channel.queues.full.Close();
        channel.queues.spare.Close();
    }
    for (Channel& channel : channels_)
        if (channel.reader.joinable())
            channel.reader.join();
}

void ReaderPool::Start() {
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        Channel& channel = channels_[i];
        channel.reader = std::thread([this, &channel, i] {
            ReadInputs(inputs_, ReadShare{i, channels_.size()}, settings_, stop_, channel.queues);
        });
    }
}

ReaderPool::Next ReaderPool::NextEvent(std::size_t fileIndex) {
    Channel& channel = channels_[fileIndex % channels_.size()];
    while (channel.next == channel.parcel.events.size()) {
        std::optional<EventParcel> parcel = channel.queues.full.Pop();
        if (!parcel)
            return {};
        // The handled parcel goes back to be filled again, unless an
        // unusually long address left it holding much memory.
        if (channel.parcel.text.capacity() <= kMaxSpareParcelText) {
            channel.parcel.Clear();
            channel.queues.spare.TryPush(std::move(channel.parcel));
        }
        channel.parcel = std::move(*parcel);
        channel.next = 0;
    }
    return {&channel.parcel.events[channel.next++], &channel.parcel};
}

} // namespace ornavex
