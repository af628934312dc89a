#pragma once

#include <string>
#include <vector>

namespace ornavex {

// The program's arguments as UTF-8, the program's name first. On Windows
// they are taken from the wide command line, so names in any script arrive
// whole whatever the console's code page; elsewhere they are argv as given.
// Each platform has its own file for this.
std::vector<std::string> ProgramArguments(int argc, char** argv);

} // namespace ornavex
