#pragma once

#include "cli/cli_options.h"

#include <cstdio>

namespace ornavex {

// Runs one command-line call: builds the input list, runs the removal and
// writes the addresses. Returns the exit status.
int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err);

// Parses argv and runs it.
int CliMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

} // namespace ornavex
