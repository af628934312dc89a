#include "run/removal_run.h"

#include "engine/streaming_extractor.h"
#include "run/file_reader.h"
#include "run/text_decoder.h"

#include <exception>

namespace ornavex {
namespace {

class Run {
public:
    Run(const std::vector<InputSource>& inputs, RunHooks& hooks, std::size_t blockSize)
        : inputs_(inputs), hooks_(hooks), blockSize_(blockSize) {
        progress_.fileCount = inputs.size();
    }

    RunSummary Execute() {
        if (inputs_.empty()) {
            hooks_.ShowMessage(kNoFilesMessage);
            return summary_;
        }
        for (std::size_t i = 0; i < inputs_.size() && !summary_.stopped; ++i) {
            progress_.fileIndex = i;
            progress_.current = &inputs_[i];
            if (!hooks_.Yield(progress_)) {
                summary_.stopped = true;
                break;
            }
            ReadOne(inputs_[i]);
        }
        summary_.addressesFound = counts_.addressesFound;
        summary_.uniqueAddresses = counts_.uniqueAddresses;
        return summary_;
    }

private:
    void Report(int statement, std::string description, const InputSource& source) {
        hooks_.ShowErrorReport(ErrorReport{std::string(kStartLocation), statement,
                                           std::move(description), source.DisplayName()});
    }

    void Append(std::string_view address, const InputSource& source) {
        try {
            hooks_.AppendAddress(address);
        } catch (const std::exception& e) {
            Report(kAppendResultStatement, e.what(), source);
        }
    }

    void ReadOne(const InputSource& source) {
        StreamingExtractor extractor(seen_, counts_,
                                     [&](std::string_view address) { Append(address, source); });
        TextDecoder decoder;
        ReadOutcome outcome;
        try {
            outcome = ReadFileBlocks(source, blockSize_, [&](std::string_view block) {
                extractor.Feed(decoder.Decode(block));
                progress_.bytesDone += block.size();
                return hooks_.Yield(progress_);
            });
            if (outcome.ok) {
                extractor.Feed(decoder.Finish());
                extractor.Finish();
            }
        } catch (const std::exception& e) {
            outcome.ok = false;
            outcome.error = e.what();
        }
        summary_.bytesRead += outcome.bytesRead;
        if (outcome.stopped) summary_.stopped = true;
        if (outcome.ok) {
            ++summary_.filesRead;
        } else {
            ++summary_.filesFailed;
            Report(kReadFileStatement, outcome.error, source);
        }
    }

    const std::vector<InputSource>& inputs_;
    RunHooks& hooks_;
    std::size_t blockSize_;
    AddressSet seen_;
    ExtractionCounts counts_;
    RunSummary summary_;
    RunProgress progress_;
};

} // namespace

RunSummary RunRemoval(const std::vector<InputSource>& inputs, RunHooks& hooks,
                      std::size_t blockSize) {
    return Run(inputs, hooks, blockSize == 0 ? kReadBlockSize : blockSize).Execute();
}

} // namespace ornavex
