#pragma once

namespace ornavex {

// Gives the memory the C heap holds free back to the system, between the
// steps of a long job, so what one step freed does not stay resident while
// the next takes memory of its own (glibc keeps up to tens of megabytes).
// Each platform has its own file; where the heap cannot say, nothing.
void ReturnFreeMemory();

} // namespace ornavex
