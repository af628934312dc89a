#include "os/free_memory.h"

namespace ornavex {

void ReturnFreeMemory() {}

} // namespace ornavex
