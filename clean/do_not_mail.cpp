#include "clean/do_not_mail.h"

#include "clean/address_parts.h"
#include "engine/address_set.h"
#include "os/free_memory.h"
#include "run/record_log.h"
#include "run/record_sorter.h"
#include "run/removal_run.h"

namespace ornavex {
namespace {

// Memory for the addresses a run gives before it is known whether its set
// will be kept, a thirty-second of the limit at most: past it they go to
// temporary data.
constexpr std::uint64_t kMostLogBytes = 4 << 20;

// Keeps every address the run gives: should the run leave its set behind
// (past its memory limit), they are the list.
class Collector : public RunSink {
public:
    Collector(RecordLog& addresses, std::vector<std::string>& failures)
        : addresses_(addresses), failures_(failures) {}
    void Address(std::string_view address) override { addresses_.Append(address); }
    void Error(const ErrorReport& report) override {
        failures_.push_back(report.path.empty() ? report.description
                                                : report.path + ": " + report.description);
    }
    void Notice(std::string_view) override {}
    bool Progress(const RunProgress&) override { return true; }

private:
    RecordLog& addresses_;
    std::vector<std::string>& failures_;
};

} // namespace

DoNotMail::DoNotMail() = default;
DoNotMail::~DoNotMail() = default;

void DoNotMail::Load(const std::vector<InputSource>& files, bool readInside,
                     std::vector<std::string>& failures, std::uint64_t memoryLimit,
                     const std::filesystem::path& temporaryFolder) {
    set_.reset();
    sorted_.reset();
    if (files.empty())
        return;
    const std::filesystem::path folder =
        temporaryFolder.empty() ? TemporaryFolder() : temporaryFolder;
    const std::uint64_t limit = memoryLimit != 0 ? memoryLimit : DefaultMemoryLimit();
    RecordLog addresses(folder, static_cast<std::size_t>(std::min(limit / 32, kMostLogBytes)));
    Collector collector(addresses, failures);
    RunOptions options;
    options.readInside = readInside;
    options.memoryLimit = limit;
    options.temporaryFolder = folder;
    options.keepSet = &set_;
    const std::size_t failedBefore = failures.size();
    diskBytes_ = RunRemoval(files, collector, options).diskBytes;
    ReturnFreeMemory(); // what the run freed is not kept for the sort
    if (failures.size() != failedBefore) {
        set_.reset(); // the list is not whole: it is not used
        return;
    }
    if (set_ && set_->MemoryBytes() <= limit / 2)
        return;
    if (set_) {
        MoveToDisk(folder, limit);
    } else {
        // The run kept its addresses on disk: those it gave are the list,
        // sorted in three quarters of the limit (see WholeList::Write).
        RecordSorter sorter(
            folder, static_cast<std::size_t>(std::min<std::uint64_t>(limit / 4 * 3, SIZE_MAX)));
        RecordLog::Reader reader = addresses.Read();
        for (std::string_view address; reader.Next(address);)
            sorter.Add(LowerCased(address), {});
        diskBytes_ += addresses.DiskBytes();
        KeepSorted(sorter, folder);
    }
    ReturnFreeMemory(); // the sort's memory is not kept for the run that follows
}

void DoNotMail::KeepSorted(RecordSorter& sorter, const std::filesystem::path& folder) {
    sorted_ = std::make_unique<SortedKeys>(folder);
    std::string_view key, nothing;
    while (sorter.Next(key, nothing))
        sorted_->Add(key);
    sorted_->Finish();
    diskBytes_ += sorter.DiskBytes() + sorted_->DiskBytes();
}

void DoNotMail::MoveToDisk(const std::filesystem::path& folder, std::uint64_t memoryLimit) {
    // The set's keys are lower-cased already; the sort takes what the set
    // leaves of the limit.
    constexpr std::uint64_t kLeastSortBytes = 16 << 20;
    const std::uint64_t room =
        memoryLimit > set_->MemoryBytes() ? (memoryLimit - set_->MemoryBytes()) / 4 * 3 : 0;
    RecordSorter sorter(folder, static_cast<std::size_t>(std::max(room, kLeastSortBytes)));
    set_->ForEachKey([&](AddressSet::KeyReference key) { sorter.Add(set_->Key(key), {}); });
    set_.reset();
    KeepSorted(sorter, folder);
}

bool DoNotMail::Contains(std::string_view address) const {
    if (set_)
        return set_->size() != 0 && set_->Contains(address, set_->Hash(address));
    return sorted_ && sorted_->size() != 0 && sorted_->Contains(LowerCased(address));
}

std::uint64_t DoNotMail::size() const {
    return set_ ? set_->size() : sorted_ ? sorted_->size() : 0;
}

std::uint64_t DoNotMail::MemoryBytes() const {
    return set_ ? set_->MemoryBytes() : 0;
}

FramedReader DoNotMail::Sorted() const {
    return sorted_ ? sorted_->Read() : FramedReader();
}

} // namespace ornavex
