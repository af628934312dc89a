#pragma once

#include "clean/list_cleaner.h"
#include "cli/cli_options.h"
#include "output/output_writer.h"
#include "run/input.h"
#include "run/record_log.h"
#include "run/removal_run.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// Whether the run must keep counts and sources, and count lines.
bool NeedsDetails(const CliOptions& options);
bool NeedsLines(const CliOptions& options);

// What cleaning the list did: the addresses each rule removed, and how
// many addresses were written.
struct ListOutcome {
    std::array<std::uint64_t, kCleaningRules> removed{};
    std::uint64_t written = 0;
};

// The whole list, gathered during the run when it is cleaned, sorted or
// written with counts or as CSV: all of that needs every address first.
// Its rows are kept in temporary data past a few megabytes, so a list of
// any length takes bounded memory; cleaning, sorting (an external merge
// sort, see RecordSorter) and writing read them back in turn. A short list
// never touches the disk.
class WholeList {
public:
    // memoryLimit: the run's; the rows take a small part of it.
    WholeList(const CliOptions& options, const std::filesystem::path& temporaryFolder,
              std::uint64_t memoryLimit);

    // The run's addresses in order, with their sources when the run gives
    // them along (see RunSink::TakesLateSources).
    void Append(std::string_view address);
    void Append(std::string_view address, const AddressOrigin& source);
    // The sources the run kept, of the addresses it gave first, and the
    // names of the members.
    void SetDetails(RunDetails&& details) { details_ = std::move(details); }

    std::uint64_t DiskBytes() const { return rows_.DiskBytes() + diskBytes_; }

    // Cleans the list by the options' rules, puts it in their order and
    // writes it in their format. Cleaning and sorting take what is left of
    // memoryBytes once the sources the run kept are held (64 KiB at least).
    // Throws TemporaryDataError when the disk cannot take what they need.
    ListOutcome Write(const DoNotMail& doNotMail, const std::vector<Input>& inputs,
                      OutputWriter& output, std::uint64_t memoryBytes);

private:
    struct Row;
    // Which rows a list on disk holds.
    std::vector<bool> MatchOnDisk(const DoNotMail& doNotMail);
    void WriteRow(const Row& row, const std::vector<Input>& inputs, OutputWriter& output);

    const CliOptions& options_;
    std::filesystem::path folder_;
    RecordLog rows_;
    RunDetails details_;
    std::string record_;          // reused for each row
    std::uint64_t diskBytes_ = 0; // of the sort and the match
};

// The --stats lines for the cleaning rules.
void PrintCleaningStats(std::FILE* err, const ListOutcome& outcome);

} // namespace ornavex
