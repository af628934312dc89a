#include "cli/cli_app.h"
#include "cli/heap_setup.h"

#include <cstdio>

int main(int argc, char** argv) {
    ornavex::SetUpHeapForRun();
    return ornavex::CliMain(argc, argv, stdout, stderr);
}
