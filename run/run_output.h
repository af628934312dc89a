#pragma once

#include "run/removal_run.h"

#include <string_view>
#include <vector>

namespace ornavex {

// Where a run's results go: its sink, with the run's summary and progress
// counted on the way. Called on the run's own thread only.
class RunOutput {
public:
    RunOutput(const std::vector<Input>& inputs, RunSink& sink) : inputs_(inputs), sink_(sink) {
        progress_.fileCount = inputs.size();
    }

    // One new address; with its source when the sink takes late sources. A
    // sink that fails to take it is reported, and the run goes on.
    void Address(std::string_view address, const AddressOrigin* source = nullptr);
    void FileRead(const FileTally& tally) { sink_.FileRead(tally); }
    bool TakesLateSources() const { return sink_.TakesLateSources(); }
    // Tells the progress; false, and the run marked stopped, when the sink
    // asks to stop.
    bool Progress();
    // A failed step, on the file being read, or with no file when fileIndex
    // is past the inputs.
    void Error(RunStep step, const std::string& reason, std::size_t fileIndex);

    RunSummary& summary() { return summary_; }
    RunProgress& progress() { return progress_; }
    RunSink& sink() { return sink_; }

private:
    const std::vector<Input>& inputs_;
    RunSink& sink_;
    RunSummary summary_;
    RunProgress progress_;
};

} // namespace ornavex
