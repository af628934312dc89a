#pragma once

#include "run/error_report.h"
#include "run/input_source.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace ornavex {

inline constexpr std::string_view kNoFilesMessage = "No files added.";

// Where a run stands, for progress displays.
struct RunProgress {
    std::size_t fileIndex = 0; // 0-based index of the file being read
    std::size_t fileCount = 0;
    std::uint64_t bytesDone = 0; // raw bytes read so far in the run
    const InputSource* current = nullptr;
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
};

struct RunSummary {
    std::size_t filesRead = 0;
    std::size_t filesFailed = 0;
    std::uint64_t bytesRead = 0;
    std::uint64_t addressesFound = 0;
    std::uint64_t uniqueAddresses = 0;
    std::uint64_t partsRead = 0; // members of archives, parts of mail, pages of PDF
    bool stopped = false;        // Progress asked to stop before the end
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
};

// A fresh seed for each run, so nobody can prepare addresses that collide;
// ORNAVEX_HASH_SEED in the environment fixes it, for repeatable measurements.
std::uint64_t ChooseHashSeed();

// The removal run: reads every input in list order with one fresh address set
// and appends each distinct address (ignoring ASCII letter case) once, at its
// first occurrence. A file that cannot be read, even one that fails part-way,
// is reported and contributes nothing: its new addresses are held back until
// it has been read to its end.
RunSummary RunRemoval(const std::vector<InputSource>& inputs, RunSink& sink,
                      const RunOptions& options = {});

} // namespace ornavex
