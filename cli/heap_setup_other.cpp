// C libraries other than glibc: the heap is left as it is.
#include "cli/heap_setup.h"

namespace ornavex {

void SetUpHeapForRun() {}

} // namespace ornavex
