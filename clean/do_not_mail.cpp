#include "clean/do_not_mail.h"

#include "clean/address_parts.h"
#include "engine/address_set.h"
#include "os/free_memory.h"
#include "run/removal_run.h"

namespace ornavex {
namespace {

// Keeps every address the run gives, split by hash: should the run leave its
// set behind (past its memory limit), they are the list on disk. When the
// disk takes no more, it keeps why, which matters only then.
class Collector : public RunSink {
public:
    Collector(const DoNotMail& list, PartitionedRecords& addresses,
              std::vector<std::string>& failures)
        : list_(list), addresses_(addresses), failures_(failures) {}
    void Address(std::string_view address) override {
        if (!lost.empty())
            return;
        try {
            addresses_.Add(PartitionedRecords::PartitionOf(list_.Hash(address)), address);
        } catch (const TemporaryDataError& error) {
            lost = error.what();
        }
    }
    void Error(const ErrorReport& report) override {
        failures_.push_back(report.path.empty() ? report.description
                                                : report.path + ": " + report.description);
    }
    void Notice(std::string_view) override {}
    bool Progress(const RunProgress&) override { return true; }

    std::string lost; // why the addresses could not all be kept

private:
    const DoNotMail& list_;
    PartitionedRecords& addresses_;
    std::vector<std::string>& failures_;
};

} // namespace

DoNotMail::DoNotMail() = default;
DoNotMail::~DoNotMail() = default;

void DoNotMail::Load(const std::vector<Input>& files, bool readInside,
                     std::vector<std::string>& failures, std::uint64_t memoryLimit,
                     const std::filesystem::path& temporaryFolder) {
    set_.reset();
    onDisk_.reset();
    size_ = diskBytes_ = 0;
    if (files.empty())
        return;
    seed_ = ChooseHashSeed();
    const std::filesystem::path folder =
        temporaryFolder.empty() ? TemporaryFolder() : temporaryFolder;
    const std::uint64_t limit = memoryLimit != 0 ? memoryLimit : DefaultMemoryLimit();
    auto addresses = std::make_unique<PartitionedRecords>(folder);
    Collector collector(*this, *addresses, failures);
    RunOptions options;
    options.readInside = readInside;
    options.memoryLimit = limit;
    options.temporaryFolder = folder;
    options.keepSet = &set_;
    const std::size_t failedBefore = failures.size();
    const RunSummary summary = RunRemoval(files, collector, options);
    diskBytes_ = summary.diskBytes + addresses->DiskBytes();
    if (failures.size() != failedBefore) {
        set_.reset(); // the list is not whole: it is not used
        return;
    }
    size_ = summary.uniqueAddresses;
    if (set_ && set_->MemoryBytes() <= limit / 2)
        return;
    if (set_) {
        // Too large to keep beside the run: its keys (lower-cased already)
        // go to disk instead of what the run gave; with no room there, the
        // list stays in memory, within the limit still.
        try {
            addresses = std::make_unique<PartitionedRecords>(folder);
            set_->ForEachKey([&](AddressSet::KeyReference reference) {
                const std::string_view key = set_->Key(reference);
                addresses->Add(PartitionedRecords::PartitionOf(Hash(key)), key);
            });
        } catch (const TemporaryDataError&) {
            return;
        }
        set_.reset();
        diskBytes_ += addresses->DiskBytes();
    } else if (!collector.lost.empty()) {
        failures.push_back(collector.lost);
        return;
    }
    onDisk_ = std::move(addresses);
    ReturnFreeMemory(); // what the run freed is not kept for the run that follows
}

std::uint64_t DoNotMail::Hash(std::string_view address) const {
    return AddressSet::Hash(address, seed_);
}

void DoNotMail::ForEachOnDisk(std::size_t partition,
                              const std::function<void(std::string_view)>& onAddress) const {
    if (onDisk_)
        onDisk_->ForEach(partition, onAddress);
}

bool DoNotMail::Contains(std::string_view address) const {
    if (set_)
        return set_->size() != 0 && set_->Contains(address, set_->Hash(address));
    if (!onDisk_ || size_ == 0)
        return false;
    // A partition read for each address asked: fine for a few.
    bool found = false;
    onDisk_->ForEach(PartitionedRecords::PartitionOf(Hash(address)), [&](std::string_view listed) {
        found = found || EqualsIgnoringCase(listed, address);
    });
    return found;
}

std::uint64_t DoNotMail::MemoryBytes() const {
    return set_ ? set_->MemoryBytes() : 0;
}

} // namespace ornavex
