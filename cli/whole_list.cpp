#include "cli/whole_list.h"

#include "clean/address_parts.h"
#include "engine/address_set.h"
#include "output/csv_rows.h"
#include "run/partitioned_records.h"
#include "run/record_sorter.h"
#include "run/varint.h"

#include <algorithm>
#include <charconv>

namespace ornavex {
namespace {

// Rows the run gives are held in memory up to a thirty-second of the
// limit, and never more than this, then written out.
constexpr std::uint64_t kMostRowMemoryBytes = 4 << 20;
// The least memory a sort is given, however small the limit.
constexpr std::uint64_t kLeastSortBytes = 64 << 10;

// A row's record: 'S' and its source, or 'A'; then the address.
constexpr char kWithSource = 'S';
constexpr char kAddressOnly = 'A';

void AppendSource(std::string& out, const AddressOrigin& source) {
    AppendVarint(out, source.count);
    AppendVarint(out, source.fileIndex);
    AppendVarint(out, source.member);
    AppendVarint(out, source.line);
}

AddressOrigin TakeSource(std::string_view& in) {
    AddressOrigin source;
    source.count = TakeVarint(in);
    source.fileIndex = static_cast<std::uint32_t>(TakeVarint(in));
    source.member = static_cast<std::uint32_t>(TakeVarint(in));
    source.line = TakeVarint(in);
    return source;
}

void AppendBigEndian(std::string& out, std::uint64_t value) {
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(value >> shift));
}

void AppendLowerCased(std::string& out, std::string_view text) {
    for (const char c : text)
        out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c);
}

// The key that puts rows in the order, among equals in first-occurrence
// order (index). Compared as bytes: a zero byte ends each text, which comes
// before every character of an address, so a.com comes before a.com.au.
void AppendSortKey(std::string& key, SortOrder order, std::string_view address, std::uint64_t count,
                   std::uint64_t index) {
    switch (order) {
    case SortOrder::kDomain:
        AppendLowerCased(key, DomainOf(address));
        key.push_back('\0');
        [[fallthrough]];
    case SortOrder::kAddress:
        AppendLowerCased(key, address);
        key.push_back('\0');
        break;
    case SortOrder::kCount:
        AppendBigEndian(key, ~count); // the most first
        break;
    case SortOrder::kFirstOccurrence:
        break;
    }
    AppendBigEndian(key, index);
}

} // namespace

bool NeedsDetails(const CliOptions& options) {
    return options.counts || options.csv || options.sort == SortOrder::kCount;
}

bool NeedsLines(const CliOptions& options) {
    return options.csv;
}

struct WholeList::Row {
    std::string_view address;
    AddressOrigin source;
};

WholeList::WholeList(const CliOptions& options, const std::filesystem::path& temporaryFolder,
                     std::uint64_t memoryLimit)
    : options_(options), folder_(temporaryFolder),
      rows_(temporaryFolder,
            static_cast<std::size_t>(std::min(memoryLimit / 32, kMostRowMemoryBytes))) {}

void WholeList::Append(std::string_view address) {
    record_.assign(1, kAddressOnly);
    record_.append(address);
    rows_.Append(record_);
}

void WholeList::Append(std::string_view address, const AddressOrigin& source) {
    record_.assign(1, kWithSource);
    AppendSource(record_, source);
    record_.append(address);
    rows_.Append(record_);
}

std::vector<bool> WholeList::MatchOnDisk(const DoNotMail& doNotMail) {
    // The rows split by the list's own hash, then each partition of the
    // list held in a set of its own while the rows of that partition ask it.
    PartitionedRecords rows(folder_);
    RecordLog::Reader reader = rows_.Read();
    std::string record;
    std::uint64_t count = 0;
    for (std::string_view row; reader.Next(row); ++count) {
        const bool withSource = row.front() == kWithSource;
        row.remove_prefix(1);
        if (withSource)
            TakeSource(row);
        record.clear();
        AppendVarint(record, count);
        record.append(row);
        rows.Add(PartitionedRecords::PartitionOf(doNotMail.Hash(row)), record);
    }
    std::vector<bool> onList(count);
    constexpr std::size_t kChunkBytes = 1 << 20; // small sets, one after another
    for (std::size_t partition = 0; partition < PartitionedRecords::kPartitions; ++partition) {
        AddressSet listed(doNotMail.seed(), kChunkBytes);
        doNotMail.ForEachOnDisk(partition, [&](std::string_view address) {
            listed.InsertLowerCased(address, doNotMail.Hash(address));
        });
        if (listed.size() == 0)
            continue;
        rows.ForEach(partition, [&](std::string_view row) {
            const std::uint64_t index = TakeVarint(row);
            if (listed.Contains(row, doNotMail.Hash(row)))
                onList[index] = true;
        });
    }
    diskBytes_ += rows.DiskBytes();
    return onList;
}

ListOutcome WholeList::Write(const DoNotMail& doNotMail, const std::vector<Input>& inputs,
                             OutputWriter& output, std::uint64_t memoryBytes) {
    // What the sources held take is not the sorts'; of the rest a quarter
    // is left for what a sort takes beside its records (the chunk being
    // filled, the windows that read its runs back, the output's buffer).
    const std::uint64_t held = details_.sources.capacity() * sizeof(AddressOrigin);
    const std::size_t sortBytes = static_cast<std::size_t>(std::clamp<std::uint64_t>(
        memoryBytes > held ? (memoryBytes - held) / 4 * 3 : 0, kLeastSortBytes, SIZE_MAX));
    CleaningRules rules;
    rules.realDomains = options_.checkDomains;
    rules.doNotMail = doNotMail.InMemory() ? &doNotMail : nullptr;
    rules.onlyDomains = options_.onlyDomains;
    rules.dropDomains = options_.dropDomains;
    rules.dropRoles = options_.dropRoles;
    const ListCleaner cleaner(rules);
    // A list on disk is matched against all the rows at once.
    const std::vector<bool> onList = doNotMail.InMemory() || doNotMail.size() == 0
                                         ? std::vector<bool>()
                                         : MatchOnDisk(doNotMail);

    if (options_.csv) {
        std::string header;
        AppendCsvHeader(header);
        output.AppendText(header);
    }
    const bool sorting = options_.sort != SortOrder::kFirstOccurrence;
    RecordSorter sorter(folder_, sortBytes);
    ListOutcome outcome;
    std::string key, value;
    RecordLog::Reader reader = rows_.Read();
    std::uint64_t index = 0;
    for (std::string_view record; reader.Next(record); ++index) {
        Row row;
        const bool withSource = record.front() == kWithSource;
        record.remove_prefix(1);
        if (withSource)
            row.source = TakeSource(record);
        else if (index < details_.sources.size())
            row.source = details_.sources[index];
        row.address = record;
        const std::optional<CleaningRule> rule =
            onList.empty() ? cleaner.RuleAgainst(row.address)
                           : cleaner.RuleAgainst(row.address, onList[index]);
        if (rule) {
            ++outcome.removed[static_cast<std::size_t>(*rule)];
            continue;
        }
        ++outcome.written;
        if (!sorting) {
            WriteRow(row, inputs, output);
            continue;
        }
        key.clear();
        AppendSortKey(key, options_.sort, row.address, row.source.count, index);
        value.clear();
        AppendSource(value, row.source);
        value.append(row.address);
        sorter.Add(key, value);
    }
    for (std::string_view sortKey, sorted; sorter.Next(sortKey, sorted);) {
        Row row;
        row.source = TakeSource(sorted);
        row.address = sorted;
        WriteRow(row, inputs, output);
    }
    diskBytes_ += sorter.DiskBytes();
    return outcome;
}

void WholeList::WriteRow(const Row& row, const std::vector<Input>& inputs, OutputWriter& output) {
    record_.clear();
    if (options_.csv) {
        std::string firstFile = inputs[row.source.fileIndex].DisplayName();
        if (row.source.member != 0)
            firstFile += ": " + details_.members[row.source.member];
        AppendCsvRow(record_, CsvRow{row.address, row.source.count, firstFile, row.source.line});
        output.AppendText(record_);
    } else if (options_.counts) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, row.source.count).ptr;
        record_.assign(digits, end);
        record_.push_back('\t');
        record_.append(row.address);
        output.Append(record_);
    } else {
        output.Append(row.address);
    }
}

void PrintCleaningStats(std::FILE* err, const ListOutcome& outcome) {
    const auto removed = [&](CleaningRule rule) {
        return static_cast<unsigned long long>(outcome.removed[static_cast<std::size_t>(rule)]);
    };
    std::fprintf(err,
                 "removed, no real domain: %llu\n"
                 "removed, do-not-mail: %llu\n"
                 "removed, domain filter: %llu\n"
                 "removed, role account: %llu\n"
                 "addresses written: %llu\n",
                 removed(CleaningRule::kNotARealDomain), removed(CleaningRule::kDoNotMail),
                 removed(CleaningRule::kDomainFilter), removed(CleaningRule::kRoleAccount),
                 static_cast<unsigned long long>(outcome.written));
}

} // namespace ornavex
