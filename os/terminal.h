#pragma once

#include <cstdio>

namespace ornavex {

// Whether the stream is an interactive terminal (a console on Windows). Each
// platform has its own file for this.
bool IsTerminal(std::FILE* stream);

} // namespace ornavex
