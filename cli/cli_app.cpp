#include "cli/cli_app.h"

#include "cli/output_writer.h"
#include "cli/progress_bar.h"
#include "filelist/folder_scan.h"
#include "run/removal_run.h"

#include <chrono>
#include <filesystem>
#include <system_error>

namespace ornavex {
namespace fs = std::filesystem;
namespace {

constexpr const char* kProgramName = "ornavex-cli";

fs::path PathFromArgument(const std::string& argument) {
    return fs::path(std::u8string(argument.begin(), argument.end()));
}

// Files in the order given; folders expanded in place, level by level.
std::vector<InputSource> CollectInputs(const CliOptions& options) {
    if (options.paths.empty())
        return {InputSource::StandardInput()};
    const NativeString pattern =
        options.extension ? PatternForExtension(*options.extension) : kAllFilesPattern;
    std::vector<InputSource> inputs;
    for (const std::string& argument : options.paths) {
        if (argument == "-") {
            inputs.push_back(InputSource::StandardInput());
            continue;
        }
        std::vector<ScannedFile> files = ExpandPathFiles(PathFromArgument(argument), pattern);
        inputs.reserve(inputs.size() + files.size());
        for (ScannedFile& file : files)
            inputs.push_back(file.regular ? InputSource::ListedRegularFile(std::move(file.path))
                                          : InputSource::File(std::move(file.path)));
    }
    return inputs;
}

std::uint64_t KnownInputBytes(const std::vector<InputSource>& inputs) {
    std::uint64_t total = 0;
    for (const InputSource& input : inputs) {
        std::error_code error;
        if (!input.standardInput && fs::is_regular_file(input.path, error)) {
            const auto size = fs::file_size(input.path, error);
            if (!error)
                total += size;
        }
    }
    return total;
}

class CliHooks : public RunHooks {
public:
    CliHooks(OutputWriter& output, ProgressBar& progress, std::FILE* err)
        : output_(output), progress_(progress), err_(err) {}

    void AppendAddress(std::string_view address) override { output_.Append(address); }

    void ShowErrorReport(const ErrorReport& report) override {
        progress_.Finish();
        std::fprintf(err_, "%s: %s: %s\n", kProgramName, report.path.c_str(),
                     report.description.c_str());
    }

    void ShowMessage(std::string_view text) override {
        std::fprintf(err_, "%s: %.*s\n", kProgramName, static_cast<int>(text.size()), text.data());
    }

    bool Yield(const RunProgress& progress) override {
        progress_.Update(progress.bytesDone, progress.fileIndex, progress.fileCount);
        return !output_.failed(); // no point reading on when the output is lost
    }

private:
    OutputWriter& output_;
    ProgressBar& progress_;
    std::FILE* err_;
};

void PrintStats(std::FILE* err, const RunSummary& summary, double seconds) {
    const double megabytes = static_cast<double>(summary.bytesRead) / 1e6;
    std::fprintf(err,
                 "files read: %zu\n"
                 "files failed: %zu\n"
                 "bytes read: %llu\n"
                 "addresses found: %llu\n"
                 "unique addresses: %llu\n"
                 "duplicates removed: %llu\n"
                 "seconds: %.3f\n"
                 "MB/s: %.1f\n",
                 summary.filesRead, summary.filesFailed,
                 static_cast<unsigned long long>(summary.bytesRead),
                 static_cast<unsigned long long>(summary.addressesFound),
                 static_cast<unsigned long long>(summary.uniqueAddresses),
                 static_cast<unsigned long long>(summary.DuplicatesRemoved()), seconds,
                 seconds > 0 ? megabytes / seconds : 0.0);
}

} // namespace

int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err) {
    const auto started = std::chrono::steady_clock::now();
    const auto replace =
        options.force ? SafeFileWriter::Replace::kExisting : SafeFileWriter::Replace::kNever;

    std::unique_ptr<OutputWriter> output;
    if (options.outputFile) {
        const fs::path target = PathFromArgument(*options.outputFile);
        std::error_code error;
        if (!options.force && fs::exists(fs::symlink_status(target, error))) {
            std::fprintf(err, "%s: %s: file exists (use --force to replace it)\n", kProgramName,
                         options.outputFile->c_str());
            return kExitUsage;
        }
        output = std::make_unique<OutputWriter>(target, options.format);
    } else {
        output = std::make_unique<OutputWriter>(out, options.format);
    }
    const std::string outputName = options.outputFile.value_or("standard output");
    if (!output->Open()) {
        std::fprintf(err, "%s: %s: %s\n", kProgramName, outputName.c_str(),
                     output->error().c_str());
        return kExitFileFailed;
    }

    const std::vector<InputSource> inputs = CollectInputs(options);
    // Sizing every input costs a look-up per file: only for a visible bar.
    const bool showProgress = !options.quiet && IsTerminal(err);
    ProgressBar progress(err, showProgress ? KnownInputBytes(inputs) : 0, showProgress);
    CliHooks hooks(*output, progress, err);
    const RunSummary summary = RunRemoval(inputs, hooks);
    progress.Finish();

    if (!output->Close(replace)) {
        std::fprintf(err, "%s: %s: %s\n", kProgramName, outputName.c_str(),
                     output->error().c_str());
        return kExitFileFailed;
    }
    if (options.stats) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        PrintStats(err, summary, elapsed.count());
    }
    return summary.filesFailed > 0 ? kExitFileFailed : kExitSuccess;
}

int CliMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    CliOptions options;
    if (const auto status = ParseCliOptions(argc, argv, options, out, err))
        return *status;
    return RunCli(options, out, err);
}

} // namespace ornavex
