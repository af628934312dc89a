#include "candidate_words.h"
#include "engine/block_finder.h"
#include "extract_emails.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>

namespace ornavex {
namespace {

using Strings = std::vector<std::string>;

Strings Extract(std::string_view text) {
    AddressSet seen;
    return ExtractEmailToArray(text, seen);
}

TEST(Normalisation, ReplacesExactlyTheNonEmailPunctuation) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    std::string normalised = all;
    ReplaceNonEmailCharacters(normalised);
    ASSERT_EQ(normalised.size(), all.size());
    int replaced = 0;
    for (int c = 0; c < 256; ++c) {
        if (normalised[c] != all[c]) {
            ++replaced;
            EXPECT_EQ(normalised[c], ' ');
            EXPECT_NE(kNonEmailCharacters.find(static_cast<char>(c)), std::string_view::npos);
        }
    }
    EXPECT_EQ(replaced, 27);
    std::string plain("abc@def.gh-_+\t\r\n\0\xE2\x80\x9C", 20);
    std::string copy = plain;
    EXPECT_EQ(ReplaceNonEmailCharacters(copy), plain);
}

TEST(CandidateWords, KeepsWordsWithAtAndPeriodInTextOrder) {
    const std::string text = "x@y no.at @. first@a.b\tsecond@c.d\r\nthird.@e\r";
    const auto words = ExtractAtPeriodWords(text);
    EXPECT_EQ(words, (std::vector<std::string_view>{"@.", "first@a.b", "second@c.d", "third.@e"}));
    EXPECT_TRUE(ExtractAtPeriodWords("no address here. none.").empty());
    EXPECT_TRUE(ExtractAtPeriodWords("").empty());
}

TEST(Extraction, FindsAddressesInPunctuation) {
    EXPECT_EQ(Extract("<a@x.com> (b@x.com) 'c@x.com' \"d@x.com\" e@x.com, f@x.com; g@x.com: "
                      "h@x.com? i@x.com! [j@x.com] {k@x.com} l@x.com|m@x.com"),
              (Strings{"a@x.com", "b@x.com", "c@x.com", "d@x.com", "e@x.com", "f@x.com", "g@x.com",
                       "h@x.com", "i@x.com", "j@x.com", "k@x.com", "l@x.com", "m@x.com"}));
    EXPECT_EQ(Extract("mailto:someone@example.org"), (Strings{"someone@example.org"}));
    EXPECT_EQ(Extract("From: \"Ann\" <ann@example.org>\r\n"), (Strings{"ann@example.org"}));
}

TEST(Extraction, RemovesExactlyOneTrailingPeriod) {
    EXPECT_EQ(Extract("Write to ann@example.org."), (Strings{"ann@example.org"}));
    EXPECT_TRUE(Extract("Write to ann@example.org..").empty());
    EXPECT_EQ(Extract("ann.@example.org"), (Strings{"ann.@example.org"}));
    EXPECT_TRUE(Extract("x@y.").empty()); // no period left after trimming
}

TEST(Extraction, KeepsFirstSpellingAndDropsRepeats) {
    EXPECT_EQ(Extract("Ann@Example.org b@x.com ann@example.ORG ANN@EXAMPLE.ORG b@x.com"),
              (Strings{"Ann@Example.org", "b@x.com"}));
    AddressSet seen;
    EXPECT_EQ(ExtractEmailToArray("First@X.com", seen), (Strings{"First@X.com"}));
    EXPECT_TRUE(ExtractEmailToArray("first@x.com FIRST@x.COM", seen).empty());
    EXPECT_EQ(seen.size(), 1u);
}

TEST(Extraction, TextWithoutAddressesLeavesTheSetAlone) {
    AddressSet seen;
    EXPECT_TRUE(ExtractEmailToArray("no at sign here. None at all.", seen).empty());
    EXPECT_TRUE(ExtractEmailToArray("a@b nor@this", seen).empty());
    EXPECT_EQ(seen.size(), 0u);
}

TEST(Extraction, KeepsCharactersThatAreNotSeparatorsInsideWords) {
    EXPECT_TRUE(Extract("a+b@x.com").empty());
    EXPECT_TRUE(Extract("\xE2\x80\x9C"
                        "a@x.com"
                        "\xE2\x80\x9D")
                    .empty());                                 // typographic quotes
    EXPECT_TRUE(Extract("a@x.com\xC2\xA0").empty());           // no-break space
    EXPECT_TRUE(Extract(std::string("a@x.com\0", 8)).empty()); // NUL stays attached
    EXPECT_EQ(Extract("\xC2\xA0 a@x.com"), (Strings{"a@x.com"}));
}

TEST(Extraction, EveryLineEndAndBlankSeparatesAlike) {
    const Strings expected{"a@x.com", "b@y.org", "c@z.net"};
    EXPECT_EQ(Extract("a@x.com\r\nb@y.org\r\nc@z.net"), expected);
    EXPECT_EQ(Extract("a@x.com\rb@y.org\rc@z.net"), expected);
    EXPECT_EQ(Extract("a@x.com\nb@y.org\nc@z.net"), expected);
    EXPECT_EQ(Extract("a@x.com  \t b@y.org\t\tc@z.net"), expected);
    EXPECT_EQ(Extract("a@x.com\n\r\r\n\nb@y.org \r\n c@z.net\n"), expected);
}

TEST(Extraction, EndOfTextEndsTheLastWord) {
    EXPECT_EQ(Extract("last@address.com"), (Strings{"last@address.com"}));
}

TEST(Extraction, AgreesWithReferenceOnRandomText) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"ann@example.org",
                                             "Ann@Example.ORG",
                                             "b.c@d-e.co.uk",
                                             "x@y",
                                             ".",
                                             "..",
                                             " ",
                                             "\t",
                                             "\r",
                                             "\n",
                                             "\r\n",
                                             "<",
                                             ">",
                                             ",",
                                             ";",
                                             ":",
                                             "\"",
                                             "+",
                                             "@",
                                             "word",
                                             "\xC2\xA0",
                                             "z@q.c",
                                             "q@[1.2.3.4]",
                                             "(",
                                             "!",
                                             "mail",
                                             "-",
                                             "_",
                                             "9",
                                             std::string(1, '\0')};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int n = 0; n < 40; ++n)
            text += pieces[pick(random)];
        AddressSet seen;
        std::set<std::string> referenceSeen;
        ASSERT_EQ(ExtractEmailToArray(text, seen), testing::ReferenceExtract(text, referenceSeen))
            << "text: " << text;
    }
}

// Scans text cut at the given offsets and keeps the first of each address.
Strings ExtractInBlocks(std::string_view text, const std::vector<std::size_t>& cuts) {
    AddressSet seen;
    Strings found;
    BlockFinder scanner([&](std::string_view address) {
        if (seen.InsertLowerCased(address))
            found.emplace_back(address);
    });
    std::size_t start = 0;
    for (std::size_t cut : cuts) {
        scanner.Feed(text.substr(start, cut - start));
        start = cut;
    }
    scanner.Feed(text.substr(start));
    scanner.Finish();
    return found;
}

TEST(StreamingExtraction, ResultsDoNotDependOnWhereBlocksEnd) {
    const std::string text = "Dear ann@example.org, please reply to Bob.Smith@mail.example.com.\r\n"
                             "cc: <carol@x.io>; ann@EXAMPLE.org\nbad+one@x.com "
                             "\xE2\x80\x9Cq@x.com\xE2\x80\x9D end@z.net";
    const Strings expected = Extract(text);
    ASSERT_EQ(expected.size(), 4u);
    for (std::size_t cut = 0; cut <= text.size(); ++cut)
        ASSERT_EQ(ExtractInBlocks(text, {cut}), expected) << "cut at " << cut;
    for (std::size_t size = 1; size < 9; ++size) {
        std::vector<std::size_t> cuts;
        for (std::size_t at = size; at < text.size(); at += size)
            cuts.push_back(at);
        ASSERT_EQ(ExtractInBlocks(text, cuts), expected) << "blocks of " << size;
    }
}

// Random near-miss text cut at random places: every word that crosses a cut
// is judged piece by piece, and must be judged as the whole text judges it.
TEST(StreamingExtraction, RandomCutsOfRandomTextAgreeWithTheWholeText) {
    const std::vector<std::string> pieces = {"a",    "B.", ".",  "..", "@",  "x@y.zz",  "-",
                                             "_",    "9",  " ",  "\n", "co", "@a.b.cd", "+",
                                             "\x80", "[",  "Q.", "ab", "@@", ".com",    "\0"};
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = 0; n < 24; ++n)
            text += pieces[random() % pieces.size()];
        std::vector<std::size_t> cuts;
        for (std::size_t at = 1 + random() % 5; at < text.size(); at += 1 + random() % 5)
            cuts.push_back(at);
        ASSERT_EQ(ExtractInBlocks(text, cuts), Extract(text)) << "text: " << text;
    }
}

TEST(StreamingExtraction, DropsTheTextOfAHopelessLongWord) {
    // A long word with a byte no address holds keeps nothing in memory, and
    // the words around it are still found.
    Strings found;
    BlockFinder scanner([&](std::string_view address) { found.emplace_back(address); });
    scanner.Feed("before@x.com \x01");
    for (int i = 0; i < 1000; ++i)
        scanner.Feed(std::string(1000, 'a') + "@b.com");
    scanner.Feed(" after@x.com");
    scanner.Finish();
    EXPECT_EQ(found, (Strings{"before@x.com", "after@x.com"}));
}

TEST(Extraction, CountsRepeatsAndUniques) {
    AddressSet seen;
    ExtractionCounts counts;
    ExtractEmailToArray("a@x.com A@X.COM b@x.com a@x.com x@y", seen, &counts);
    ExtractEmailToArray("B@x.com c@x.com", seen, &counts);
    EXPECT_EQ(counts.addressesFound, 6u);
    EXPECT_EQ(counts.uniqueAddresses, 3u);
}

} // namespace
} // namespace ornavex
