#include "cli/cli_app.h"
#include "cli/heap_setup.h"
#include "os/closed_pipe.h"
#include "os/program_arguments.h"
#include "os/standard_streams.h"
#include "os/temporary_paths.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard stream would otherwise
    // be taken by the first file opened.
    ornavex::OpenClosedStandardStreams();
    ornavex::RemoveTemporaryFilesOnInterruption();
    ornavex::ReportClosedPipesAsErrors();
    ornavex::SetUpHeapForRun();
    const std::vector<std::string> arguments = ornavex::ProgramArguments(argc, argv);
    std::vector<const char*> pointers;
    pointers.reserve(arguments.size());
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    const int status =
        ornavex::CliMain(static_cast<int>(pointers.size()), pointers.data(), stdout, stderr);
    if (status == ornavex::kExitClosedPipe)
        ornavex::EndForClosedPipe();
    return status;
}
