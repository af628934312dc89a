#include "cli/cli_options.h"

#include "clean/list_cleaner.h"
#include "cli/size_option.h"
#include "run/removal_run.h"

#include <CLI/CLI.hpp>
#include <sstream>
#include <string_view>

namespace ornavex {

std::optional<int> ParseCliOptions(int argc, const char* const* argv, CliOptions& options,
                                   std::FILE* out, std::FILE* err) {
    CLI::App app{"Prints every distinct e-mail address found in the given files, once each,\n"
                 "in the order and letter case of its first occurrence.",
                 "ornavex-cli"};
    app.set_version_flag("--version", std::string("ornavex-cli ") + ORNAVEX_VERSION);
    // Windows-style /options would take paths from the root for options.
    app.allow_windows_style_options(false);
    app.add_option("PATH", options.paths,
                   "Files to read in this order; a folder is read with all its subfolders\n"
                   "(names starting with \"~\" skipped); \"-\" or no PATH reads standard input;\n"
                   "\"--\" ends the options");
    app.add_option("-o,--output", options.outputFile,
                   "Write the addresses to FILE (through a temporary file renamed into place);\n"
                   "\"-\" is standard output")
        ->check([](const std::string& value) {
            return value.empty() ? std::string("the output file name must not be empty")
                                 : std::string();
        });
    app.add_flag("--force", options.force, "Let -o replace an existing file");
    bool crlf = false;
    bool commas = false;
    app.add_flag("--crlf", crlf, "End lines with CR LF (the results file format)");
    app.add_flag("--commas", commas, "Write one line of addresses joined by commas");
    std::optional<std::string> extensions;
    app.add_option("--ext", extensions,
                   "In folders, read only files with these extensions: txt, .txt or *.txt,\n"
                   "several joined by commas (txt,csv), * for all");
    bool recursive = false;
    app.add_flag("-r,--recursive", recursive,
                 "Accepted, and nothing more: folders are always read with all their\n"
                 "subfolders");
    app.add_flag("--raw", options.raw,
                 "Read every file as raw bytes: no documents, archives, compressed files,\n"
                 "mail or web pages read inside");
    app.add_flag("--classic-pattern", options.classicPattern,
                 "Check words against the classic address pattern, which leaves out every\n"
                 "address with '+' in its local part (name+tag@example.com)");
    if (RealDomains::Available())
        app.add_flag("--check-domains", options.checkDomains,
                     "Drop addresses whose last label is no top-level domain of the public\n"
                     "suffix list (logo@2x.png); bracketed IP domains are kept");
    app.add_option("--exclude", options.excludeFiles,
                   "Drop the addresses of this do-not-mail FILE (one per line, or any file\n"
                   "the extractor reads), in any letter case; may be repeated")
        ->type_name("FILE")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--only-domain", options.onlyDomains,
                   "Keep only addresses at this domain or its subdomains; may be repeated")
        ->type_name("DOMAIN")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--drop-domain", options.dropDomains,
                   "Drop addresses at this domain or its subdomains; may be repeated")
        ->type_name("DOMAIN")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("--drop-roles", options.dropRoles,
                 "Drop role accounts (noreply, postmaster, abuse, webmaster, ...)");
    std::string sort = "first";
    app.add_option("--sort", sort,
                   "Order: first (first occurrence, the default), address, domain, or count\n"
                   "(most frequent first); letter case ignored, equals in first-occurrence order")
        ->check(CLI::IsMember({"first", "address", "domain", "count"}));
    app.add_flag("--counts", options.counts,
                 "Start each line with how often the address occurred and a TAB");
    app.add_flag("--csv", options.csv,
                 "Write CSV for spreadsheets: address,count,first_file,first_line");
    // A flag, so the path after it is never taken for its file: only
    // --report=FILE names one.
    std::string report;
    CLI::Option* reportOption =
        app.add_flag("--report{-}", report,
                     "Per input: addresses found, new addresses, read or failed; to standard\n"
                     "error, or with --report=FILE to FILE (\"-\": standard error)")
            ->type_name("[=FILE]");
    app.add_flag("--stats", options.stats,
                 "Print counts, speed, memory and what cleaning removed to standard error");
    app.add_flag("-q,--quiet", options.quiet, "No progress bar");
    app.add_option("--threads", options.threads,
                   "How many files to read and decode at once (default: one for each core,\n"
                   "at least 2 and at most " +
                       std::to_string(kMostReadingThreads) + ")")
        ->check(CLI::Range(std::size_t{1}, std::size_t{256}).description(""))
        ->type_name("N");
    std::optional<std::string> memoryLimit;
    app.add_option("--memory-limit", memoryLimit,
                   "Memory for the distinct addresses, such as 512M or 4G (default: half of\n"
                   "what this process may have: the machine's memory, or less in a container\n"
                   "or under ulimit -v); what does not fit is kept in TMPDIR")
        ->type_name("SIZE");

    std::ostringstream outText, errText;
    std::optional<int> status;
    try {
        app.parse(argc, argv);
        if (crlf && commas)
            throw CLI::ValidationError("--commas", "cannot be combined with --crlf");
        if (options.csv && (crlf || commas || options.counts))
            throw CLI::ValidationError("--csv",
                                       "has its own format: no --crlf, --commas or --counts");
        if (options.counts && commas)
            throw CLI::ValidationError("--counts", "cannot be combined with --commas");
        for (const auto* domains : {&options.onlyDomains, &options.dropDomains})
            for (const std::string& domain : *domains)
                if (NormalizedDomain(domain).find_first_not_of('.') == std::string::npos)
                    throw CLI::ValidationError(domains == &options.onlyDomains ? "--only-domain"
                                                                               : "--drop-domain",
                                               "no domain given");
        if (reportOption->count() > 0)
            options.reportFile = report;
        for (int i = 1; i + 1 < argc && std::string_view(argv[i]) != "--"; ++i)
            if (std::string_view(argv[i]) == "--report" && argv[i + 1][0] != '-')
                options.pathAfterReport = argv[i + 1];
        if (memoryLimit) {
            const std::optional<std::uint64_t> bytes = ParseSize(*memoryLimit);
            if (!bytes)
                throw CLI::ValidationError("--memory-limit", "\"" + *memoryLimit +
                                                                 "\" is not a size: give " +
                                                                 std::string(kSizeForms));
            options.memoryLimit = *bytes;
        }
        options.sort = *SortOrderNamed(sort);
        if (extensions) {
            options.filter = FileNameFilter::ForExtensions(*extensions);
            if (options.filter.empty())
                throw CLI::ValidationError("--ext", "no extension given");
        }
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, outText, errText);
        status = code == 0 ? kExitSuccess : kExitUsage;
    }
    std::fputs(outText.str().c_str(), out);
    std::fputs(errText.str().c_str(), err);
    if (status)
        return status;

    options.format = commas ? ExportFormat::kCommas
                     : crlf ? ExportFormat::kLines
                            : ExportFormat::kUnixLines;
    return std::nullopt;
}

} // namespace ornavex
