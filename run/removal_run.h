#pragma once

#include "run/error_report.h"
#include "run/input.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

class AddressSet;

inline constexpr std::string_view kNoFilesMessage = "No files added.";

// Where a run stands, for progress displays.
struct RunProgress {
    std::size_t fileIndex = 0; // 0-based index of the file being read
    std::size_t fileCount = 0;
    std::uint64_t bytesDone = 0; // raw bytes read so far in the run
    const Input* current = nullptr;
    // When the address set took no more: the temporary data on disk so
    // far, and after the last file, how far the addresses it did not take
    // have been de-duplicated (parts done of all parts).
    std::uint64_t diskBytes = 0;
    std::size_t partitionsDone = 0;
    std::size_t partitions = 0;
};

// One input's share of a run, told when it has been read.
struct FileTally {
    std::size_t fileIndex = 0;
    std::uint64_t found = 0; // valid addresses, repeats included
    std::uint64_t added = 0; // addresses new to the run
    bool failed = false;     // then it added nothing
    // The parts of it that failed and gave nothing (members, attachments;
    // "" for the file's own text after its members), each reported.
    std::vector<std::string> failedParts;
};

// Where an address first occurred, and how often it occurred in all.
struct AddressOrigin {
    std::uint64_t count = 0;     // every spelling
    std::uint32_t fileIndex = 0; // into the run's inputs
    std::uint32_t member = 0;    // into RunDetails::members; 0: the file itself
    std::uint64_t line = 0;      // counted from 1 in its file or member; 0: not counted
};

// The sources of a run's addresses, in the order the addresses were given.
struct RunDetails {
    std::vector<AddressOrigin> sources;
    std::vector<std::string> members{""}; // paths of members inside files
};

// What a run reports to the program that drives it: the desktop window, the
// command line and the tests each supply one.
class RunSink {
public:
    virtual ~RunSink() = default;
    // One new address, spelled as first found.
    virtual void Address(std::string_view address) = 0;
    // A failed step; the run goes on when this returns.
    virtual void Error(const ErrorReport& report) = 0;
    // A plain notice, such as the one for an empty file list.
    virtual void Notice(std::string_view text) = 0;
    // Called before each file and after each block; false stops the run.
    virtual bool Progress(const RunProgress& progress) = 0;
    // After each input.
    virtual void FileRead(const FileTally& tally) { (void)tally; }
    // At the end of a run that asked for details and was not stopped.
    virtual void Details(RunDetails&& details) { (void)details; }
    // With details: true has the addresses a run gives once its address set
    // took no more (past the memory limit) come with their sources through
    // AddressWithOrigin, the sources final, and Details then holds the
    // sources of the addresses given before them only. A sink that keeps its
    // list out of memory takes them so; by default they come through Address
    // and Details holds every source.
    virtual bool TakesLateSources() const { return false; }
    virtual void AddressWithOrigin(std::string_view address, const AddressOrigin& source) {
        (void)source;
        Address(address);
    }
};

struct RunSummary {
    std::size_t filesRead = 0;
    std::size_t filesFailed = 0;
    std::uint64_t bytesRead = 0;
    std::uint64_t addressesFound = 0;
    std::uint64_t uniqueAddresses = 0;
    std::uint64_t partsRead = 0;   // members of archives, parts of mail, pages of PDF
    std::uint64_t partsFailed = 0; // parts of files read that failed alone
    bool stopped = false;          // Progress asked to stop before the end
    std::uint64_t diskBytes = 0;   // temporary data the run kept on disk
    // The run could not go on (out of memory): what it gave is not the whole
    // result. It was reported through Error.
    bool failed = false;

    std::uint64_t DuplicatesRemoved() const { return addressesFound - uniqueAddresses; }
};

struct RunOptions {
    std::size_t blockSize = 0; // 0: kReadBlockSize
    // The address set's hash seed; none: ChooseHashSeed().
    std::optional<std::uint64_t> hashSeed;
    bool batchReads = true; // read small files in batches where the system can
    // Read inside documents, archives, compressed files, mail and web pages;
    // false reads every file as raw bytes.
    bool readInside = true;
    // Check words against the classic address pattern, without '+' in the
    // local part.
    bool classicPattern = false;
    // Keep each address's count and first file and member (Details), and
    // with lines the line it was first found on.
    bool details = false;
    bool lines = false;
    // The memory the address set may take (0: DefaultMemoryLimit()). A set
    // that would pass it, or grow past a few hundred megabytes, takes no
    // more addresses: the others are de-duplicated in partitions kept in a
    // temporary file in temporaryFolder (empty: TemporaryFolder()), with the
    // same results.
    std::uint64_t memoryLimit = 0;
    std::filesystem::path temporaryFolder;
    // How many files are read and decoded at once (0: ReadingThreads()).
    std::size_t readingThreads = 0;
    // When given, and the set took every address (the run stayed within the
    // limit) and did not fail, the run's address set goes here at the end:
    // its keys are the run's distinct addresses, lower-cased, under its own
    // seed, for a caller that asks afterwards which addresses were found.
    std::unique_ptr<AddressSet>* keepSet = nullptr;
};

// The reading threads a run takes by default: one for each core, at least
// two (one reads while the other waits on the disk) and at most
// kMostReadingThreads, past which the one de-duplicating thread is the limit
// and each thread's queued text only costs memory.
constexpr std::size_t kMostReadingThreads = 8;
std::size_t ReadingThreads();

// Half of the most memory the process can have: of the machine's physical
// memory, or less where a container (its memory control group) or an
// address-space limit allows less (MemoryCeilingBytes); no limit when the
// system tells none of them. The other half is room for the rest of the
// program and, in a container, the system's cache of its temporary data.
std::uint64_t DefaultMemoryLimit();
// Below this no default limit goes: a machine or container with less than
// twice as much has no room for the program anyway.
inline constexpr std::uint64_t kLeastDefaultLimit = std::uint64_t{16} << 20;

// A fresh seed for each run, so nobody can prepare addresses that collide;
// ORNAVEX_HASH_SEED in the environment fixes it, for repeatable measurements.
std::uint64_t ChooseHashSeed();

// The removal run: reads every input in list order with one fresh address set
// and appends each distinct address (ignoring ASCII letter case) once, at its
// first occurrence. A file that cannot be read, even one that fails part-way,
// is reported and contributes nothing: its new addresses are held back until
// it has been read to its end. A part of a file that fails (a member, an
// attachment) is reported and contributes nothing, and the rest of the file
// is read.
RunSummary RunRemoval(const std::vector<Input>& inputs, RunSink& sink,
                      const RunOptions& options = {});

} // namespace ornavex
