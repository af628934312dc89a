#include "cli/whole_list.h"

#include "output/csv_rows.h"

#include <charconv>

namespace ornavex {

bool NeedsDetails(const CliOptions& options) {
    return options.counts || options.csv || options.sort == SortOrder::kCount;
}

bool NeedsLines(const CliOptions& options) {
    return options.csv;
}

CleaningOutcome WriteWholeList(const CliOptions& options, const DoNotMail& doNotMail,
                               const std::vector<InputSource>& inputs, const WholeList& list,
                               OutputWriter& output) {
    CleaningRules rules;
    rules.realDomains = options.checkDomains;
    rules.doNotMail = &doNotMail;
    rules.onlyDomains = options.onlyDomains;
    rules.dropDomains = options.dropDomains;
    rules.dropRoles = options.dropRoles;
    const auto address = [&](std::size_t i) { return list.addresses[i]; };
    CleaningOutcome outcome = ListCleaner(rules).Clean(list.addresses.size(), address);
    const auto count = [&](std::uint32_t i) -> std::uint64_t {
        return i < list.details.sources.size() ? list.details.sources[i].count : 0;
    };
    std::vector<std::uint32_t> rows = outcome.kept;
    SortIndexes(rows, options.sort, address, count);

    std::string text;
    if (options.csv) {
        AppendCsvHeader(text);
        output.AppendText(text);
    }
    std::string firstFile;
    for (const std::uint32_t i : rows) {
        text.clear();
        if (options.csv) {
            const AddressSource& source = list.details.sources[i];
            firstFile = inputs[source.fileIndex].DisplayName();
            if (source.member != 0)
                firstFile += ": " + list.details.members[source.member];
            AppendCsvRow(text, CsvRow{list.addresses[i], source.count, firstFile, source.line});
            output.AppendText(text);
        } else if (options.counts) {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, count(i)).ptr;
            text.assign(digits, end);
            text.push_back('\t');
            text.append(list.addresses[i]);
            output.Append(text);
        } else {
            output.Append(list.addresses[i]);
        }
    }
    return outcome;
}

void PrintCleaningStats(std::FILE* err, const CleaningOutcome& outcome) {
    const auto removed = [&](CleaningRule rule) {
        return static_cast<unsigned long long>(outcome.removed[static_cast<std::size_t>(rule)]);
    };
    std::fprintf(err,
                 "removed, no real domain: %llu\n"
                 "removed, do-not-mail: %llu\n"
                 "removed, domain filter: %llu\n"
                 "removed, role account: %llu\n"
                 "addresses written: %zu\n",
                 removed(CleaningRule::kNotARealDomain), removed(CleaningRule::kDoNotMail),
                 removed(CleaningRule::kDomainFilter), removed(CleaningRule::kRoleAccount),
                 outcome.kept.size());
}

} // namespace ornavex
