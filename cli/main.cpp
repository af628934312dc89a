#include "cli/cli_app.h"
#include "cli/heap_setup.h"
#include "os/standard_streams.h"
#include "os/temporary_files.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard stream would otherwise
    // be taken by the first file opened.
    ornavex::OpenClosedStandardStreams();
    ornavex::RemoveTemporaryFilesOnInterruption();
    ornavex::SetUpHeapForRun();
    return ornavex::CliMain(argc, argv, stdout, stderr);
}
