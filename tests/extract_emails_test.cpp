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

using testing::InsertLowerCased;

using Strings = std::vector<std::string>;

Strings Extract(std::string_view text, AddressPattern pattern = AddressPattern::kSubAddresses) {
    AddressSet seen;
    return ExtractEmailToArray(text, seen, nullptr, pattern);
}

TEST(Normalisation, ReplacesExactlyTheNonEmailPunctuation) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    std::string normalised = all;
    testing::ReplaceNonEmailCharacters(normalised);
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
    // Each byte of a wide separator becomes a space; other bytes outside
    // ASCII, and broken sequences, stay.
    std::string plain("abc@def.gh-_+\t\r\n\0\xC3\xA9\xAB\xE2\x80 \x9C\xE0\x82\xA0", 27);
    std::string copy = plain;
    EXPECT_EQ(testing::ReplaceNonEmailCharacters(copy), plain);
    std::string quoted = "\xE2\x80\x9C\xE2\x80\xE2\x80\x9Dx\xC2\xA0";
    EXPECT_EQ(testing::ReplaceNonEmailCharacters(quoted), "   \xE2\x80   x  ");
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

TEST(Extraction, SubAddressesUnlessClassic) {
    const std::string text = "a+b@x.com +c@x.com d+@x.com 12345+name@users.noreply.github.com "
                             "e@x+y.com plain@x.com";
    EXPECT_EQ(Extract(text), (Strings{"a+b@x.com", "d+@x.com",
                                      "12345+name@users.noreply.github.com", "plain@x.com"}));
    EXPECT_EQ(Extract(text, AddressPattern::kClassic), (Strings{"plain@x.com"}));
}

// Typographic punctuation and Unicode spaces written in UTF-8 end words as
// ASCII punctuation does; other bytes outside ASCII, and sequences that are
// not well-formed UTF-8, stay inside their word.
TEST(Extraction, WidePunctuationSeparatesWords) {
    EXPECT_EQ(Extract("\u201Ca@x.com\u201D \u2018b@x.com\u2019 \u00ABc@x.com\u00BB "
                      "\u2039d@x.com\u203A \u300Ce@x.com\u300D \uFF08f@x.com\uFF09 g@x.com\u2026 "
                      "h@x.com\u2014i@x.com j@x.com.\u201D k@x.com\u00A0l@x.com\u3000m@x.com"
                      "\uFF0Cn@x.com \U00011047o@x.com"),
              (Strings{"a@x.com", "b@x.com", "c@x.com", "d@x.com", "e@x.com", "f@x.com", "g@x.com",
                       "h@x.com", "i@x.com", "j@x.com", "k@x.com", "l@x.com", "m@x.com", "n@x.com",
                       "o@x.com"}));
    for (const char* joined : {"a@x.com\xC3\xA9", // a letter
                               "\xAB"
                               "a@x.com\xBB",     // Latin-1 guillemets
                               "a@x.com\xE2\x80", // a quote cut short
                               "a@x.com\x9D",     // its last byte alone
                               "\xE0\x82\xA0"
                               "a@x.com",              // an overlong no-break space
                               "a@x.com\xE2\x80\x8B",  // a zero-width space, no space
                               "a@x.com\xE2\x80\xA8"}) // a line separator, no space either
        EXPECT_TRUE(Extract(joined).empty()) << joined;
    EXPECT_TRUE(Extract(std::string("a@x.com\0", 8)).empty()); // NUL stays attached
    // A stray lead byte does not hide the quote after it.
    EXPECT_EQ(Extract("\xE2\xE2\x80\x9C"
                      "a@x.com"),
              (Strings{"a@x.com"}));
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
                                             std::string(1, '\0'),
                                             "a+b@x.org",
                                             "\xE2\x80\x9C",
                                             "\xE2\x80",
                                             "\x9D",
                                             "\xE3\x80\x80",
                                             "\xF0\x91\x81\x87",
                                             "\xC3\xA9"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int n = 0; n < 40; ++n)
            text += pieces[pick(random)];
        for (const AddressPattern pattern :
             {AddressPattern::kSubAddresses, AddressPattern::kClassic}) {
            AddressSet seen;
            std::set<std::string> referenceSeen;
            ASSERT_EQ(ExtractEmailToArray(text, seen, nullptr, pattern),
                      testing::ReferenceExtract(text, referenceSeen, pattern))
                << "text: " << text;
        }
    }
}

// Scans text cut at the given offsets and keeps the first of each address.
Strings ExtractInBlocks(std::string_view text, const std::vector<std::size_t>& cuts) {
    AddressSet seen;
    Strings found;
    const auto keepFirst = [&](std::string_view address) {
        if (InsertLowerCased(seen, address))
            found.emplace_back(address);
    };
    BlockFinder scanner;
    std::size_t start = 0;
    for (std::size_t cut : cuts) {
        scanner.Feed(text.substr(start, cut - start), keepFirst);
        start = cut;
    }
    scanner.Feed(text.substr(start), keepFirst);
    scanner.Finish(keepFirst);
    return found;
}

TEST(StreamingExtraction, ResultsDoNotDependOnWhereBlocksEnd) {
    const std::string text = "Dear ann@example.org, please reply to Bob.Smith@mail.example.com.\r\n"
                             "cc: <carol@x.io>; ann@EXAMPLE.org\nsub+one@x.com "
                             "\xE2\x80\x9Cq@x.com\xE2\x80\x9D\xF0\x91\x81\x87r@x.com\xE2\x80"
                             "s@x.com\xC2\xA0"
                             "end@z.net";
    const Strings expected = Extract(text);
    ASSERT_EQ(expected.size(), 6u);
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
    const std::vector<std::string> pieces = {"a",
                                             "B.",
                                             ".",
                                             "..",
                                             "@",
                                             "x@y.zz",
                                             "-",
                                             "_",
                                             "9",
                                             " ",
                                             "\n",
                                             "co",
                                             "@a.b.cd",
                                             "+",
                                             "\x80",
                                             "[",
                                             "Q.",
                                             "ab",
                                             "@@",
                                             ".com",
                                             "\0",
                                             "\xE2\x80\x9C",
                                             "\xE2\x80",
                                             "\x9C",
                                             "\xF0\x91\x81\x87",
                                             "\xF0\x91",
                                             "\xC2\xA0"};
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
    const auto keep = [&](std::string_view address) { found.emplace_back(address); };
    BlockFinder scanner;
    scanner.Feed("before@x.com \x01", keep);
    for (int i = 0; i < 1000; ++i)
        scanner.Feed(std::string(1000, 'a') + "@b.com", keep);
    scanner.Feed(" after@x.com", keep);
    scanner.Finish(keep);
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
