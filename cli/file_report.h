#pragma once

#include "run/input.h"
#include "run/removal_run.h"

#include <string>
#include <vector>

namespace ornavex {

// What --report writes: a line per input read, TAB-separated, under a
// header: the addresses found (repeats included), those new to the run,
// "read" or "failed", and the input's name as ShownName shows it with its
// backslashes doubled (a TAB as \t, a line end as \n or \r, a backslash
// as \\); after an input's line, a line for each part of it that failed
// alone ("0 0 failed INPUT: MEMBER").
std::string FileReport(const std::vector<Input>& inputs, const std::vector<FileTally>& tallies);

} // namespace ornavex
