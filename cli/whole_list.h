#pragma once

#include "clean/list_cleaner.h"
#include "cli/cli_options.h"
#include "cli/output_writer.h"
#include "output/address_list.h"
#include "run/input_source.h"
#include "run/removal_run.h"

#include <cstdio>
#include <string>
#include <vector>

namespace ornavex {

// The whole list, gathered during the run when it is cleaned, sorted or
// written with counts or as CSV: all of that needs every address first.
struct WholeList {
    AddressList addresses;
    RunDetails details; // when the counts or the sources are needed
};

// Whether the run must keep counts and sources, and count lines.
bool NeedsDetails(const CliOptions& options);
bool NeedsLines(const CliOptions& options);

// Cleans the list by the options' rules, puts it in their order and writes
// it in their format; returns what each rule removed.
CleaningOutcome WriteWholeList(const CliOptions& options, const DoNotMail& doNotMail,
                               const std::vector<InputSource>& inputs, const WholeList& list,
                               OutputWriter& output);

// The --stats lines for the cleaning rules.
void PrintCleaningStats(std::FILE* err, const CleaningOutcome& outcome);

} // namespace ornavex
