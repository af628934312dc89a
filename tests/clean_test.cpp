#include "clean/list_cleaner.h"
#include "clean/role_accounts.h"
#include "clean/shown_rows.h"
#include "clean/sort_order.h"
#include "clean/top_level_labels.h"
#include "output/csv_rows.h"
#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace ornavex {
namespace {

std::vector<std::string> Kept(const ListCleaner& cleaner, const std::vector<std::string>& list) {
    const CleaningOutcome outcome =
        cleaner.Clean(list.size(), [&](std::size_t i) { return std::string_view(list[i]); });
    std::vector<std::string> kept;
    for (const std::uint32_t i : outcome.kept)
        kept.push_back(list[i]);
    EXPECT_EQ(std::accumulate(outcome.removed.begin(), outcome.removed.end(), kept.size()),
              list.size());
    return kept;
}

TEST(CleanList, RealDomainsAreThoseOfThePublicSuffixList) {
    if (!RealDomains::Available())
        GTEST_SKIP() << "built without libpsl";
    CleaningRules rules;
    rules.realDomains = true;
    const ListCleaner cleaner(rules);
    // Valid by the pattern, but file names and versions, not addresses.
    for (const char* fake : {"logo@2x.png", "jquery@3.6.0.min.js", "icon@3x.webp", "a@b.localhost",
                             "user@host.invalid", "x@mail.example", "style@1.2.scss"})
        EXPECT_EQ(cleaner.RuleAgainst(fake), CleaningRule::kNotARealDomain) << fake;
    for (const char* real :
         {"ann@example.com", "Ann@EXAMPLE.COM", "eve@bund.de", "a@studio.photography", "b@x.co.uk",
          "c@shop.berlin", "d@kunst.museum", "e@x.io", "f@[10.0.0.1]", "bmerry@ska.ac.za",
          "dwayne@translate.org.ZA", "g@x.ck"})
        EXPECT_EQ(cleaner.RuleAgainst(real), std::nullopt) << real;
}

// Every top-level label that a rule of the list's ICANN section ends in is
// real, whether a rule names it alone ("com"), only a wildcard does ("*.ck")
// or only longer rules do ("ac.za"), international ones in their ASCII form.
TEST(CleanList, EveryTopLevelLabelTheListImpliesIsReal) {
    std::ifstream list("/usr/share/publicsuffix/public_suffix_list.dat");
    if (!RealDomains::Available() || !list)
        GTEST_SKIP() << "no public suffix list";
    std::set<std::string> labels;
    bool icann = false;
    for (std::string line; std::getline(list, line);) {
        if (line.starts_with("// ===BEGIN ICANN"))
            icann = true;
        if (line.starts_with("// ===END ICANN"))
            icann = false;
        if (icann && !line.empty() && !line.starts_with("//"))
            labels.insert(line.substr(line.rfind('.') + 1));
    }
    EXPECT_GT(labels.size(), 1000u);
    EXPECT_TRUE(labels.contains("za") && labels.contains("ck") && labels.contains("\u9999\u6e2f"));
    const RealDomains real;
    for (const std::string& label : labels)
        EXPECT_TRUE(real.Has("x@example." + AsciiLabel(label))) << label;
    for (const char* fake : {"x@a.zz", "x@a.png", "x@a.localhost", "x@a.xn--zz", "x@a."})
        EXPECT_FALSE(real.Has(fake)) << fake;
}

TEST(CleanList, InternationalLabelsInAscii) {
    EXPECT_EQ(AsciiLabel("com"), "com");
    // Top-level domains, and samples of the Punycode standard.
    EXPECT_EQ(AsciiLabel("\u9999\u6e2f"), "xn--j6w193g");
    EXPECT_EQ(AsciiLabel("\u0440\u0444"), "xn--p1ai");
    EXPECT_EQ(AsciiLabel("\ud55c\uad6d"), "xn--3e0b707e");
    EXPECT_EQ(AsciiLabel("\u05d9\u05e9\u05e8\u05d0\u05dc"), "xn--4dbrk0ce");
    EXPECT_EQ(AsciiLabel("\u4ed6\u4eec\u4e3a\u4ec0\u4e48\u4e0d\u8bf4\u4e2d\u6587"),
              "xn--ihqwcrb4cv8a8dqg056pqjye");
    EXPECT_EQ(AsciiLabel("3\u5e74B\u7d44\u91d1\u516b\u5148\u751f"), "xn--3B-ww4c5e180e575a65lsy2b");
    EXPECT_EQ(AsciiLabel("b\u00fccher"), "xn--bcher-kva");
    // Bytes past the last code point, from a damaged list, end too.
    EXPECT_EQ(AsciiLabel("a\xF7\xBF\xBF\xBF"), AsciiLabel("a\uFFFD"));
}

TEST(CleanList, DomainsMatchTheirSubdomainsAndRulesCountInOrder) {
    EXPECT_EQ(NormalizedDomain("@.Example.COM."), "example.com");
    EXPECT_TRUE(InDomain("a@example.com", "example.com"));
    EXPECT_TRUE(InDomain("a@Mail.EXAMPLE.com", "example.com"));
    EXPECT_FALSE(InDomain("a@badexample.com", "example.com"));
    EXPECT_FALSE(InDomain("a@example.com.au", "example.com"));

    DoNotMail doNotMail; // empty: the rule removes nothing
    CleaningRules rules;
    rules.doNotMail = &doNotMail;
    rules.onlyDomains = {"example.com", "@example.org"};
    rules.dropDomains = {"spam.example.com"};
    rules.dropRoles = true;
    const std::vector<std::string> list = {"ann@example.com",     "x@spam.example.com",
                                           "NoReply@example.org", "bob@sub.example.org",
                                           "carl@example.net",    "Postmaster@example.com"};
    const ListCleaner cleaner(rules);
    EXPECT_EQ(Kept(cleaner, list),
              (std::vector<std::string>{"ann@example.com", "bob@sub.example.org"}));
    const CleaningOutcome outcome =
        cleaner.Clean(list.size(), [&](std::size_t i) { return std::string_view(list[i]); });
    EXPECT_EQ(outcome.removed[static_cast<std::size_t>(CleaningRule::kDomainFilter)], 2u);
    EXPECT_EQ(outcome.removed[static_cast<std::size_t>(CleaningRule::kRoleAccount)], 2u);
    EXPECT_FALSE(IsRoleAccount("noreplyx@example.com"));
}

// Each order against a plain stable sort of the same rows by the same key.
TEST(CleanList, EverySortIgnoresCaseAndKeepsFirstOccurrenceOrderAmongEquals) {
    std::mt19937 random(3);
    std::vector<std::string> list;
    std::vector<std::uint64_t> counts;
    const std::vector<std::string> domains = {"b.com", "B.com.au", "a.org", "mail.a.org"};
    for (int i = 0; i < 500; ++i) {
        std::string local =
            std::string(1, static_cast<char>('a' + random() % 4)) + std::to_string(random() % 5);
        if (random() % 2)
            local[0] = static_cast<char>(std::toupper(local[0]));
        list.push_back(local + "@" + domains[random() % domains.size()]);
        counts.push_back(random() % 4);
    }
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), ::tolower);
        return text;
    };
    const auto domain = [&](std::uint32_t i) {
        return lower(list[i].substr(list[i].find('@') + 1));
    };
    const std::vector<std::pair<SortOrder, std::function<bool(std::uint32_t, std::uint32_t)>>>
        orders = {
            {SortOrder::kFirstOccurrence, [](std::uint32_t, std::uint32_t) { return false; }},
            {SortOrder::kAddress,
             [&](std::uint32_t a, std::uint32_t b) { return lower(list[a]) < lower(list[b]); }},
            {SortOrder::kDomain,
             [&](std::uint32_t a, std::uint32_t b) {
                 return std::make_pair(domain(a), lower(list[a])) <
                        std::make_pair(domain(b), lower(list[b]));
             }},
            {SortOrder::kCount,
             [&](std::uint32_t a, std::uint32_t b) { return counts[a] > counts[b]; }},
        };
    for (const auto& [order, less] : orders) {
        std::vector<std::uint32_t> expected(list.size());
        for (std::uint32_t i = 0; i < expected.size(); ++i)
            expected[i] = i;
        std::stable_sort(expected.begin(), expected.end(), less);
        std::vector<std::uint32_t> got = expected;
        std::shuffle(got.begin(), got.end(), random);
        SortIndexes(
            got, order, [&](std::uint32_t i) { return std::string_view(list[i]); },
            [&](std::uint32_t i) { return counts[i]; });
        EXPECT_EQ(got, expected) << static_cast<int>(order);
    }
}

// Cleaning, order and filter together against the plain way: clean, sort,
// keep the rows whose lower-cased address holds the text; while typing and
// deleting.
TEST(CleanList, ShownRowsAreTheCleanedSortedRowsThatHoldTheFilter) {
    std::mt19937 random(5);
    std::vector<std::string> list;
    std::vector<std::uint64_t> counts;
    for (int i = 0; i < 300; ++i) {
        list.push_back("Us" + std::to_string(random() % 1000) + "@" +
                       (random() % 3 ? "Mail.Example.com" : "other.org"));
        counts.push_back(random() % 3);
    }
    const auto address = [&](std::size_t i) { return std::string_view(list[i]); };
    CleaningRules rules;
    rules.dropDomains = {"other.org"};
    const ListCleaner cleaner(rules);
    ShownRows shown;
    shown.Reset(list.size(), address, [&](std::size_t i) { return counts[i]; });
    EXPECT_TRUE(shown.all());
    shown.Clean(&cleaner);
    shown.Sort(SortOrder::kCount, true);
    std::vector<std::uint32_t> ordered = cleaner.Clean(list.size(), address).kept;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return counts[a] < counts[b]; });
    for (const char* typed : {"u", "US1", "us12", "us1", "", "@mail", "xyz", "m"}) {
        shown.Filter(typed);
        std::string lower = typed;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        std::vector<std::uint32_t> expected;
        for (const std::uint32_t i : ordered) {
            std::string text = list[i];
            std::transform(text.begin(), text.end(), text.begin(), ::tolower);
            if (text.find(lower) != std::string::npos)
                expected.push_back(i);
        }
        std::vector<std::uint32_t> got;
        for (std::size_t row = 0; row < shown.size(); ++row)
            got.push_back(static_cast<std::uint32_t>(shown.At(row)));
        EXPECT_EQ(got, expected) << typed;
    }
    EXPECT_EQ(shown.cleanedAway(), list.size() - ordered.size());
}

TEST(CleanList, CsvQuotesOnlyWhatNeedsIt) {
    std::string out;
    AppendCsvHeader(out);
    AppendCsvRow(out, {"a@b.cd", 3, "plain.txt", 12});
    AppendCsvRow(out, {"x@y.zz", 1, "we, \"the\"\nfiles.txt: m.txt", 0});
    EXPECT_EQ(out, "address,count,first_file,first_line\r\n"
                   "a@b.cd,3,plain.txt,12\r\n"
                   "x@y.zz,1,\"we, \"\"the\"\"\nfiles.txt: m.txt\",\r\n");
}

// The list in the run's own set, and the same list on disk once it has no
// memory to take (the run keeps nothing in memory; the set takes more than
// half the limit), answer alike in any letter case and hold each address
// once, in the partition of its hash.
TEST(DoNotMail, OnDiskAnswersAsInMemory) {
    testing::TempDir dir;
    std::mt19937 random(17);
    std::set<std::string> listed;
    std::string text = "Do not write to:\n";
    for (int i = 0; i < 20000; ++i) {
        std::string address = "p" + std::to_string(random() % 30000) + "@list.example.org";
        listed.insert(address);
        if (i % 3 == 0)
            for (char& c : address)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        text += address + (i % 2 ? ", " : "\n");
    }
    testing::WriteFile(dir / "list.txt", text);
    const std::vector<Input> files{Input::File(dir / "list.txt")};
    for (const std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{6} << 20}) {
        DoNotMail list;
        std::vector<std::string> failures;
        list.Load(files, true, failures, limit, dir.path());
        EXPECT_TRUE(failures.empty());
        EXPECT_EQ(list.InMemory(), limit == 0) << limit;
        EXPECT_EQ(list.size(), listed.size()) << limit;
        for (int i = 0; i < 30000; i += 3) {
            const std::string address = "P" + std::to_string(i) + "@List.Example.org";
            const bool want = listed.count("p" + std::to_string(i) + "@list.example.org") == 1;
            ASSERT_EQ(list.Contains(address), want) << address << " " << limit;
        }
        if (list.InMemory())
            continue;
        // Every address in the partition its hash names, once.
        std::multiset<std::string> held;
        for (std::size_t partition = 0; partition < PartitionedRecords::kPartitions; ++partition)
            list.ForEachOnDisk(partition, [&](std::string_view address) {
                EXPECT_EQ(PartitionedRecords::PartitionOf(list.Hash(address)), partition);
                std::string lower(address);
                for (char& c : lower)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                held.insert(lower);
            });
        EXPECT_TRUE(std::equal(held.begin(), held.end(), listed.begin(), listed.end())) << limit;
    }
}

// Without a folder for temporary data, a long list that fits in memory
// still loads; one that cannot fit fails with the reason, and nothing throws.
TEST(DoNotMail, NeedsNoTemporaryFolderWhileItFitsInMemory) {
    testing::TempDir dir;
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "listed" + std::to_string(i) + "@list.example.org\n";
    testing::WriteFile(dir / "list.txt", text);
    const std::vector<Input> files{Input::File(dir / "list.txt")};
    for (const std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{1}}) {
        DoNotMail list;
        std::vector<std::string> failures;
        list.Load(files, true, failures, limit, dir / "missing");
        EXPECT_EQ(failures.empty(), limit == 0) << limit;
        EXPECT_EQ(list.InMemory(), limit == 0) << limit;
        if (limit == 0) {
            EXPECT_EQ(list.size(), 200000u);
            EXPECT_TRUE(list.Contains("LISTED199999@list.example.org"));
        } else {
            EXPECT_NE(failures.front().find("Cannot keep temporary data in"), std::string::npos)
                << failures.front();
        }
    }
}

} // namespace
} // namespace ornavex
