// The reader pool against the addresses each file was written with: any
// number of threads and any block size hand over every file's events in
// list order, each address with its hash, and a missing file as failed.
#include "engine/address_set.h"
#include "run/reader_pool.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <random>

namespace ornavex {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(ReaderPool, HandsOverEveryFilesAddressesInListOrder) {
    TempDir dir;
    std::mt19937 random(9);
    std::vector<Input> inputs;
    std::vector<std::vector<std::string>> written; // by file; empty for a missing one
    std::vector<std::uint64_t> sizes;
    for (std::size_t file = 0; file < 40; ++file) {
        const auto path = dir / ("f" + std::to_string(file) + ".txt");
        inputs.push_back(Input::File(path));
        written.emplace_back();
        sizes.push_back(0);
        if (file % 13 == 7)
            continue; // missing
        std::string text;
        for (std::size_t n = file % 5 == 0 ? 2000 : random() % 20; n > 0; --n) {
            written.back().push_back("User" + std::to_string(random() % 500) + "@host.example");
            text += written.back().back() + (random() % 2 ? " and a word, " : "\n");
        }
        WriteFile(path, text);
        sizes.back() = text.size();
    }
    for (const auto& [threads, blockSize] :
         {std::pair<std::size_t, std::size_t>{1, 30000}, {3, 7}, {8, 4096}}) {
        ReadSettings settings;
        settings.blockSize = blockSize;
        settings.hashSeed = 17;
        ReaderPool pool(inputs, settings, threads);
        EXPECT_EQ(pool.threads(), threads);
        pool.Start();
        for (std::size_t file = 0; file < inputs.size(); ++file) {
            const std::string context =
                std::to_string(threads) + " threads, file " + std::to_string(file);
            std::vector<std::string> found;
            std::uint64_t bytes = 0;
            ReaderPool::Next next = pool.NextEvent(file);
            ASSERT_NE(next.event, nullptr) << context;
            EXPECT_EQ(next.event->kind, ReadEvent::Kind::kFileStart) << context;
            for (;; next = pool.NextEvent(file)) {
                ASSERT_NE(next.event, nullptr) << context;
                const ReadEvent& event = *next.event;
                ASSERT_EQ(event.fileIndex, file) << context;
                bytes += event.bytes;
                for (std::size_t i = 0; i < event.entryCount; ++i) {
                    const FoundAddress& entry = next.parcel->entries[event.firstEntry + i];
                    found.emplace_back(next.parcel->Address(entry));
                    EXPECT_EQ(entry.hash, AddressSet::Hash(found.back(), 17)) << context;
                }
                if (event.kind == ReadEvent::Kind::kFileDone ||
                    event.kind == ReadEvent::Kind::kFileFailed) {
                    EXPECT_EQ(event.kind == ReadEvent::Kind::kFileFailed, file % 13 == 7)
                        << context;
                    break;
                }
            }
            EXPECT_EQ(found, written[file]) << context;
            EXPECT_EQ(bytes, sizes[file]) << context;
        }
    }
    // A pool left with its queues full ends its threads when it goes.
    ReadSettings settings;
    settings.blockSize = 1;
    ReaderPool pool(inputs, settings, 2);
    pool.Start();
    EXPECT_NE(pool.NextEvent(0).event, nullptr);
}

} // namespace
} // namespace ornavex
