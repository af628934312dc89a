#include "run/run_output.h"

#include <exception>
#include <new>

namespace ornavex {

void RunOutput::Address(std::string_view address, const AddressOrigin* source) {
    try {
        if (source != nullptr)
            sink_.AddressWithOrigin(address, *source);
        else
            sink_.Address(address);
    } catch (const std::bad_alloc&) {
        throw; // the run cannot go on
    } catch (const std::exception& e) {
        sink_.Error(
            ErrorReport{RunStep::kAppendResult, e.what(), progress_.current->DisplayName()});
    }
}

bool RunOutput::Progress() {
    if (!sink_.Progress(progress_))
        summary_.stopped = true;
    return !summary_.stopped;
}

void RunOutput::Error(RunStep step, const std::string& reason, std::size_t fileIndex) {
    sink_.Error(
        ErrorReport{step, reason,
                    fileIndex < inputs_.size() ? inputs_[fileIndex].DisplayName() : std::string()});
}

} // namespace ornavex
