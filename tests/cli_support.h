#pragma once

#include "test_support.h"

#include <string>
#include <vector>

namespace ornavex::testing {

// Runs the command line in this process, its output and errors caught.
ProcessResult Cli(const std::vector<std::string>& arguments);

} // namespace ornavex::testing
