#include "cli/cli_app.h"

#include "cli/file_report.h"
#include "cli/peak_memory.h"
#include "cli/progress_bar.h"
#include "cli/target_checks.h"
#include "cli/whole_list.h"
#include "os/closed_pipe.h"
#include "os/file_access.h"
#include "os/free_memory.h"
#include "os/temporary_file.h"
#include "os/terminal.h"
#include "output/output_writer.h"
#include "run/removal_run.h"
#include "run/shown_name.h"
#include "scan/folder_scan.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <new>
#include <system_error>

namespace ornavex {
namespace fs = std::filesystem;
namespace {

constexpr const char* kProgramName = "ornavex-cli";
// "-" as -o or --report: standard output, standard error.
constexpr std::string_view kStandardStream = "-";

fs::path PathFromArgument(const std::string& argument) {
    return fs::path(std::u8string(argument.begin(), argument.end()));
}

// "ornavex-cli: SUBJECT: REASON", or without a subject; names shown with
// their control bytes escaped.
void Complain(std::FILE* err, const std::string& subject, const std::string& reason) {
    if (subject.empty())
        std::fprintf(err, "%s: %s\n", kProgramName, ShownName(reason).c_str());
    else
        std::fprintf(err, "%s: %s: %s\n", kProgramName, ShownName(subject).c_str(),
                     ShownName(reason).c_str());
}

// The files of the paths given, folders expanded in place, level by level.
// Folders that cannot be listed, and those where nothing matched, are named
// on err (what follows the reason in a message is `about`); false when there
// was any.
bool CollectFiles(const std::vector<std::string>& paths, const FileNameFilter& filter,
                  const std::string& about, std::vector<Input>& files, std::FILE* err) {
    bool complete = true;
    for (const std::string& argument : paths) {
        if (argument == kStandardStream) {
            files.push_back(Input::StandardInput());
            continue;
        }
        ScanResult scan = ExpandPath(PathFromArgument(argument), filter);
        for (const FolderError& error : scan.errors)
            Complain(err, Input::File(error.folder).DisplayName(), error.reason + about);
        if (scan.folder && scan.files.empty() && scan.errors.empty())
            Complain(err, argument, "No files matched" + about);
        complete = complete && scan.errors.empty() && !(scan.folder && scan.files.empty());
        for (fs::path& file : scan.files)
            files.push_back(Input::File(std::move(file)));
    }
    return complete;
}

class CliSink : public RunSink {
public:
    // With a whole list, the addresses are gathered there instead of written.
    CliSink(OutputWriter& output, ProgressBar& progress, std::FILE* err, WholeList* whole)
        : output_(output), progress_(progress), err_(err), whole_(whole) {}

    void Address(std::string_view address) override {
        if (whole_ != nullptr)
            whole_->Append(address);
        else
            output_.Append(address);
    }
    bool TakesLateSources() const override { return whole_ != nullptr; }
    void AddressWithOrigin(std::string_view address, const AddressOrigin& source) override {
        whole_->Append(address, source);
    }
    void FileRead(const FileTally& tally) override { tallies.push_back(tally); }
    void Details(RunDetails&& details) override {
        if (whole_ != nullptr)
            whole_->SetDetails(std::move(details));
    }

    void Error(const ErrorReport& report) override {
        progress_.Finish();
        Complain(err_, report.path, report.description);
    }

    void Notice(std::string_view text) override { Complain(err_, "", std::string(text)); }

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

// The files the run writes, refused before anything is read when one would
// replace a file the run reads, or both are one file. The exit status of a
// refusal, or none.
std::optional<int> CheckTargets(const CliOptions& options, const std::vector<Input>& inputs,
                                const std::vector<Input>& doNotMailFiles, std::FILE* err) {
    const auto named = [](const std::optional<std::string>& target) {
        return target && *target != kStandardStream;
    };
    // Writing to the standard streams only: no input to look up again.
    if (!named(options.outputFile) && !named(options.reportFile))
        return std::nullopt;
    const std::vector<FileStatus> read = IdentitiesOf(inputs);
    const std::vector<FileStatus> lists = IdentitiesOf(doNotMailFiles);
    const auto refusal = [&](const std::string& target) -> const char* {
        if (IsOneOf(PathFromArgument(target), read))
            return "is also an input; it is not replaced";
        if (IsOneOf(PathFromArgument(target), lists))
            return "is a do-not-mail list of this run; it is not replaced";
        return nullptr;
    };
    if (named(options.outputFile))
        if (const char* reason = refusal(*options.outputFile)) {
            Complain(err, *options.outputFile, reason);
            return kExitUsage;
        }
    if (named(options.reportFile)) {
        const fs::path report = PathFromArgument(*options.reportFile);
        const char* reason = refusal(*options.reportFile);
        FileStatus status;
        if (reason == nullptr && named(options.outputFile) &&
            SameTarget(report, PathFromArgument(*options.outputFile)))
            reason = "is also the -o file; the report needs a file of its own";
        else if (reason == nullptr && !options.force && StatPath(report, status) == 0)
            reason = "the --report file exists (use --force to replace it)";
        if (reason != nullptr) {
            Complain(err, *options.reportFile, reason);
            return kExitUsage;
        }
    }
    return std::nullopt;
}

// Writes the report to standard error or its file; false when the file
// could not be written.
bool WriteReport(const CliOptions& options, const std::string& report, std::FILE* err) {
    if (*options.reportFile == kStandardStream) {
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
             file.errorNumber() == EEXIST ? "the --report file exists (use --force to replace it)"
                                          : file.error());
    return false;
}

void PrintStats(std::FILE* err, const RunSummary& summary, double seconds,
                std::uint64_t memoryLimit, std::uint64_t diskBytes) {
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
        "memory limit MB: %.1f\n"
        "peak memory MB: %.1f\n"
        "temporary disk MB: %.1f\n",
        summary.filesRead, summary.filesFailed, static_cast<unsigned long long>(summary.partsRead),
        static_cast<unsigned long long>(summary.partsFailed),
        static_cast<unsigned long long>(summary.bytesRead),
        static_cast<unsigned long long>(summary.addressesFound),
        static_cast<unsigned long long>(summary.uniqueAddresses),
        static_cast<unsigned long long>(summary.DuplicatesRemoved()), seconds,
        seconds > 0 ? megabytes / seconds : 0.0, static_cast<double>(memoryLimit) / (1 << 20),
        static_cast<double>(PeakMemoryBytes()) / (1 << 20),
        static_cast<double>(diskBytes) / (1 << 20));
}

// The status once the output could not be written: a pipe whose reader went
// away ends the program quietly, anything else is named.
int OutputFailed(const OutputWriter& output, const std::string& name, std::FILE* err) {
    if (IsClosedPipe(output.errorNumber()))
        return kExitClosedPipe;
    Complain(err, name, output.error());
    return kExitFileFailed;
}

} // namespace

int RunCli(const CliOptions& options, std::FILE* out, std::FILE* err) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<Input> inputs;
    bool inputsComplete = true;
    // Meant as the report's file, as --report FILE once named it: refused
    // before anything is read, with the form that names it.
    std::error_code missing;
    if (options.pathAfterReport &&
        fs::symlink_status(PathFromArgument(*options.pathAfterReport), missing).type() ==
            fs::file_type::not_found) {
        Complain(err, *options.pathAfterReport,
                 "no such input (a path after --report is read as an input; "
                 "--report=" +
                     *options.pathAfterReport + " names the report's file)");
        return kExitUsage;
    }
    if (options.paths.empty())
        inputs.push_back(Input::StandardInput());
    else
        inputsComplete = CollectFiles(options.paths, options.filter, "", inputs, err);
    // A do-not-mail list in which nothing could be read would leave those it
    // names on the list: the run stops as for a list that cannot be read.
    std::vector<Input> doNotMailFiles;
    const bool listsComplete = CollectFiles(options.excludeFiles, FileNameFilter::AllFiles(),
                                            " (a do-not-mail list)", doNotMailFiles, err);
    if (const std::optional<int> refused = CheckTargets(options, inputs, doNotMailFiles, err))
        return *refused;
    if (!listsComplete) {
        std::fprintf(err, "%s: nothing was written\n", kProgramName);
        return kExitFileFailed;
    }

    const bool toStandardOutput = !options.outputFile || *options.outputFile == kStandardStream;
    const std::string outputName = toStandardOutput ? "standard output" : *options.outputFile;
    std::unique_ptr<OutputWriter> output;
    if (toStandardOutput)
        output = std::make_unique<OutputWriter>(out, options.format);
    else
        output = std::make_unique<OutputWriter>(
            PathFromArgument(*options.outputFile), options.format,
            options.force ? SafeFileWriter::Replace::kExisting : SafeFileWriter::Replace::kNever);
    if (!output->Open()) {
        const int error = output->errorNumber();
        Complain(err, outputName,
                 error == EEXIST ? "file exists (use --force to replace it)" : output->error());
        return error == EEXIST || error == EISDIR ? kExitUsage : kExitFileFailed;
    }

    // The do-not-mail files, read before anything else: a list cleaned with
    // one of them missing would mail those it should not. The list takes
    // its memory out of the run's.
    // The run looks the default limit up only once its set grows; a list
    // or the statistics need it at once.
    const bool limitNow = !doNotMailFiles.empty() || options.WholeListFirst() || options.stats;
    const std::uint64_t memoryLimit = options.memoryLimit != 0 ? options.memoryLimit
                                      : limitNow               ? DefaultMemoryLimit()
                                                               : 0;
    const fs::path temporaryFolder = TemporaryFolder();
    DoNotMail doNotMail;
    std::vector<std::string> failures;
    doNotMail.Load(doNotMailFiles, !options.raw, failures, memoryLimit, temporaryFolder);
    for (const std::string& failure : failures)
        Complain(err, "", failure + " (a do-not-mail list)");
    if (!failures.empty()) {
        output->Abandon();
        std::fprintf(err, "%s: nothing was written\n", kProgramName);
        return kExitFileFailed;
    }

    // Sizing every input costs a look-up per file: only for a visible bar.
    const bool showProgress = !options.quiet && IsTerminal(err);
    ProgressBar progress(err, showProgress ? TotalSize(inputs) : 0, showProgress);
    std::unique_ptr<WholeList> whole;
    if (options.WholeListFirst())
        whole = std::make_unique<WholeList>(options, temporaryFolder, memoryLimit);
    CliSink sink(*output, progress, err, whole.get());
    RunOptions runOptions;
    runOptions.readInside = !options.raw;
    runOptions.classicPattern = options.classicPattern;
    runOptions.details = NeedsDetails(options);
    runOptions.lines = NeedsLines(options);
    runOptions.memoryLimit = memoryLimit - std::min(memoryLimit / 2, doNotMail.MemoryBytes());
    runOptions.temporaryFolder = temporaryFolder;
    runOptions.readingThreads = options.threads;
    const RunSummary summary = RunRemoval(inputs, sink, runOptions);
    progress.Finish();
    ReturnFreeMemory(); // what the run freed is not kept while the list is sorted

    if (output->failed())
        return OutputFailed(*output, outputName, err);
    if (summary.failed) {
        // What the run gave is not the whole result: no file is written.
        output->Abandon();
        std::fprintf(err, "%s: the run could not be finished; %s\n", kProgramName,
                     toStandardOutput
                         ? "the addresses written are not all of them"
                         : ("nothing was written to " + ShownName(outputName)).c_str());
        return kExitFileFailed;
    }
    std::optional<ListOutcome> cleaning;
    if (whole)
        cleaning = whole->Write(doNotMail, inputs, *output, runOptions.memoryLimit);
    if (!output->Close())
        return OutputFailed(*output, outputName, err);
    const bool reported =
        !options.reportFile || WriteReport(options, FileReport(inputs, sink.tallies), err);
    if (options.stats) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        PrintStats(err, summary, elapsed.count(), memoryLimit,
                   summary.diskBytes + doNotMail.DiskBytes() + (whole ? whole->DiskBytes() : 0));
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
    } catch (const TemporaryDataError& e) {
        Complain(err, "", std::string(e.what()) + "; nothing was written");
    }
    return kExitFileFailed;
}

} // namespace ornavex
