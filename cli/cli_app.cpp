#include "cli/cli_app.h"

#include "cli/file_report.h"
#include "cli/output_writer.h"
#include "cli/peak_memory.h"
#include "cli/progress_bar.h"
#include "cli/whole_list.h"
#include "os/file_access.h"
#include "os/terminal.h"
#include "run/removal_run.h"
#include "scan/folder_scan.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <new>

namespace ornavex {
namespace fs = std::filesystem;
namespace {

constexpr const char* kProgramName = "ornavex-cli";

fs::path PathFromArgument(const std::string& argument) {
    return fs::path(std::u8string(argument.begin(), argument.end()));
}

void Complain(std::FILE* err, const std::string& subject, const std::string& reason) {
    std::fprintf(err, "%s: %s: %s\n", kProgramName, subject.c_str(), reason.c_str());
}

// The run's inputs: files in the order given, folders expanded in place,
// level by level. Folders that cannot be listed, and folders where nothing
// matched, are named on err; false when there was any.
bool CollectInputs(const CliOptions& options, std::vector<InputSource>& inputs, std::FILE* err) {
    if (options.paths.empty()) {
        inputs.push_back(InputSource::StandardInput());
        return true;
    }
    bool complete = true;
    for (const std::string& argument : options.paths) {
        if (argument == "-") {
            inputs.push_back(InputSource::StandardInput());
            continue;
        }
        ScanResult scan = ExpandPath(PathFromArgument(argument), options.filter);
        for (const FolderError& error : scan.errors)
            Complain(err, InputSource::File(error.folder).DisplayName(), error.reason);
        if (scan.folder && scan.files.empty() && scan.errors.empty())
            Complain(err, argument, "No files matched");
        complete = complete && scan.errors.empty() && !(scan.folder && scan.files.empty());
        for (fs::path& file : scan.files)
            inputs.push_back(InputSource::File(std::move(file)));
    }
    return complete;
}

// Whether the output would replace one of the inputs.
bool OutputIsAnInput(const fs::path& output, const std::vector<InputSource>& inputs) {
    FileStatus target;
    if (StatPath(output, target) != 0 || target.kind != FileStatus::Kind::kRegular)
        return false;
    for (const InputSource& input : inputs) {
        FileStatus status;
        const int error =
            input.standardInput ? StatStandardInput(status) : StatPath(input.path, status);
        if (error == 0 && status.SameFileAs(target))
            return true;
    }
    return false;
}

class CliSink : public RunSink {
public:
    // With a whole list, the addresses are gathered there instead of written.
    CliSink(OutputWriter& output, ProgressBar& progress, std::FILE* err, WholeList* whole)
        : output_(output), progress_(progress), err_(err), whole_(whole) {}

    void Address(std::string_view address) override {
        if (whole_ != nullptr)
            whole_->addresses.Append(address);
        else
            output_.Append(address);
    }
    void FileRead(const FileTally& tally) override { tallies.push_back(tally); }
    void Details(RunDetails&& details) override {
        if (whole_ != nullptr)
            whole_->details = std::move(details);
    }

    void Error(const ErrorReport& report) override {
        progress_.Finish();
        Complain(err_, report.path, report.description);
    }

    void Notice(std::string_view text) override {
        std::fprintf(err_, "%s: %.*s\n", kProgramName, static_cast<int>(text.size()), text.data());
    }

    bool Progress(const RunProgress& progress) override {
        progress_.Update(progress);
        return !output_.failed(); // no point reading on when the output is lost
    }

    std::vector<FileTally> tallies;

private:
    OutputWriter& output_;
    ProgressBar& progress_;
    std::FILE* err_;
    WholeList* whole_;
};

// The do-not-mail files, read before anything else: a list cleaned with
// one of them missing would mail those it should not.
bool LoadDoNotMail(const CliOptions& options, DoNotMail& doNotMail, std::FILE* err) {
    std::vector<InputSource> files;
    bool complete = true;
    for (const std::string& argument : options.excludeFiles) {
        ScanResult scan = ExpandPath(PathFromArgument(argument), FileNameFilter::AllFiles());
        for (const FolderError& error : scan.errors)
            Complain(err, InputSource::File(error.folder).DisplayName(), error.reason);
        complete = complete && scan.errors.empty();
        for (fs::path& file : scan.files)
            files.push_back(InputSource::File(std::move(file)));
    }
    std::vector<std::string> failures;
    doNotMail.Load(files, !options.raw, failures);
    for (const std::string& failure : failures)
        std::fprintf(err, "%s: %s (a do-not-mail list)\n", kProgramName, failure.c_str());
    return complete && failures.empty();
}

// Writes the report to standard error or its file; false when the file
// could not be written.
bool WriteReport(const CliOptions& options, const std::string& report, std::FILE* err) {
    if (options.reportFile->empty()) {
        std::fputs(report.c_str(), err);
        return true;
    }
    OutputWriter file(PathFromArgument(*options.reportFile), ExportFormat::kUnixLines,
                      options.force ? SafeFileWriter::Replace::kExisting
                                    : SafeFileWriter::Replace::kNever);
    if (file.Open()) {
        file.AppendText(report);
        if (file.Close())
            return true;
    }
    Complain(err, *options.reportFile,
             file.openErrorNumber() == EEXIST ? "file exists (use --force to replace it)"
                                              : file.error());
    return false;
}

void PrintStats(std::FILE* err, const RunSummary& summary, double seconds) {
    const double megabytes = static_cast<double>(summary.bytesRead) / 1e6;
    std::fprintf(
        err,
        "files read: %zu\n"
        "files failed: %zu\n"
        "parts read: %llu\n"
        "parts failed: %llu\n"
        "bytes read: %llu\n"
        "addresses found: %llu\n"
        "unique addresses: %llu\n"
        "duplicates removed: %llu\n"
        "seconds: %.3f\n"
        "MB/s: %.1f\n"
        "peak memory MB: %.1f\n"
        "temporary disk MB: %.1f\n",
        summary.filesRead, summary.filesFailed, static_cast<unsigned long long>(summary.partsRead),
        static_cast<unsigned long long>(summary.partsFailed),
        static_cast<unsigned long long>(summary.bytesRead),
        static_cast<unsigned long long>(summary.addressesFound),
        static_cast<unsigned long long>(summary.uniqueAddresses),
        static_cast<unsigned long long>(summary.DuplicatesRemoved()), seconds,
        seconds > 0 ? megabytes / seconds : 0.0, static_cast<double>(PeakMemoryBytes()) / (1 << 20),
        static_cast<double>(summary.diskBytes) / (1 << 20));
}

} // namespace

int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<InputSource> inputs;
    const bool inputsComplete = CollectInputs(options, inputs, err);

    if (options.reportFile && !options.reportFile->empty()) {
        const fs::path report = PathFromArgument(*options.reportFile);
        FileStatus status;
        const bool exists = StatPath(report, status) == 0;
        if (exists && (!options.force || OutputIsAnInput(report, inputs))) {
            Complain(err, *options.reportFile,
                     options.force ? "is also an input; it is not replaced"
                                   : "file exists (use --force to replace it)");
            return kExitUsage;
        }
    }
    std::unique_ptr<OutputWriter> output;
    const std::string outputName = options.outputFile.value_or("standard output");
    if (options.outputFile) {
        const fs::path target = PathFromArgument(*options.outputFile);
        if (options.force && OutputIsAnInput(target, inputs)) {
            Complain(err, outputName, "is also an input; it is not replaced");
            return kExitUsage;
        }
        output = std::make_unique<OutputWriter>(target, options.format,
                                                options.force ? SafeFileWriter::Replace::kExisting
                                                              : SafeFileWriter::Replace::kNever);
    } else {
        output = std::make_unique<OutputWriter>(out, options.format);
    }
    if (!output->Open()) {
        const int error = output->openErrorNumber();
        Complain(err, outputName,
                 error == EEXIST ? "file exists (use --force to replace it)" : output->error());
        return error == EEXIST || error == EISDIR ? kExitUsage : kExitFileFailed;
    }

    DoNotMail doNotMail;
    if (!LoadDoNotMail(options, doNotMail, err)) {
        output->Abandon();
        std::fprintf(err, "%s: nothing was written\n", kProgramName);
        return kExitFileFailed;
    }

    // Sizing every input costs a look-up per file: only for a visible bar.
    const bool showProgress = !options.quiet && IsTerminal(err);
    ProgressBar progress(err, showProgress ? TotalSize(inputs) : 0, showProgress);
    std::unique_ptr<WholeList> whole;
    if (options.WholeListFirst())
        whole = std::make_unique<WholeList>();
    CliSink sink(*output, progress, err, whole.get());
    RunOptions runOptions;
    runOptions.readInside = !options.raw;
    runOptions.classicPattern = options.classicPattern;
    runOptions.details = NeedsDetails(options);
    runOptions.lines = NeedsLines(options);
    runOptions.memoryLimit = options.memoryLimit;
    const RunSummary summary = RunRemoval(inputs, sink, runOptions);
    progress.Finish();

    if (summary.failed) {
        // What the run gave is not the whole result: no file is written.
        output->Abandon();
        std::fprintf(err, "%s: the run could not be finished; %s\n", kProgramName,
                     options.outputFile ? ("nothing was written to " + outputName).c_str()
                                        : "the addresses written are not all of them");
        return kExitFileFailed;
    }
    std::optional<CleaningOutcome> cleaning;
    if (whole)
        cleaning = WriteWholeList(options, doNotMail, inputs, *whole, *output);
    if (!output->Close()) {
        Complain(err, outputName, output->error());
        return kExitFileFailed;
    }
    const bool reported =
        !options.reportFile || WriteReport(options, FileReport(inputs, sink.tallies), err);
    if (options.stats) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        PrintStats(err, summary, elapsed.count());
        if (cleaning)
            PrintCleaningStats(err, *cleaning);
    }
    return summary.filesFailed > 0 || summary.partsFailed > 0 || !inputsComplete || !reported
               ? kExitFileFailed
               : kExitSuccess;
}

int CliMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    CliOptions options;
    if (const auto status = ParseCliOptions(argc, argv, options, out, err))
        return *status;
    try {
        return RunCli(options, out, err);
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s: Out of memory; nothing was written\n", kProgramName);
        return kExitFileFailed;
    }
}

} // namespace ornavex
