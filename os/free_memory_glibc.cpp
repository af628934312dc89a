#include "os/free_memory.h"

#include <malloc.h>

namespace ornavex {

void ReturnFreeMemory() {
    malloc_trim(0);
}

} // namespace ornavex
