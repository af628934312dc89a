#pragma once

namespace ornavex {

// Makes sure the standard input, output and error are open (to the null
// device when they were closed), before the program opens anything else:
// a file opened while one of them was closed would take its number, and
// whatever the program then writes to that stream would land in the file.
// A closed standard output stays one that cannot be written (POSIX: the
// null device open for reading), so output sent there fails as it should.
// On Windows the streams also carry bytes unchanged (binary mode) and the
// console shows UTF-8. Each platform has its own file for this.
void OpenClosedStandardStreams();

} // namespace ornavex
