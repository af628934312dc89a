#pragma once

namespace ornavex {

// Sets up the C heap for a run before anything big is allocated: it grows
// in large steps, keeps what it was given, and asks for transparent huge
// pages where the system offers them (glibc on Linux; elsewhere this does
// nothing). A run over many small files makes many small allocations (paths,
// event batches), and on some virtual machines every fresh 4 KiB page costs
// 5-10 us to fault in; a 2 MiB page costs one fault.
void SetUpHeapForRun();

} // namespace ornavex
