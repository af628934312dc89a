#include "engine/address_finder.h"
#include "engine/address_pattern.h"
#include "engine/character_classes.h"
#include "engine/wide_separators.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {
namespace {

using testing::RegexMatchesAddress;

constexpr AddressPattern kBothPatterns[] = {AddressPattern::kSubAddresses,
                                            AddressPattern::kClassic};

TEST(AddressPattern, AcceptsOrdinaryAddresses) {
    for (const AddressPattern pattern : kBothPatterns)
        for (const char* word :
             {"john@example.com", "JOHN.SMITH@EXAMPLE.COM", "a_b-c@sub.do-main.org", "x@a.bc",
              "-x@-a-.bc", "first.@x.com", "a..b@x.com", "9@9.co", "a@b.c.d.museum", "u@[1.2.3.com",
              "u@x.y.255]", "u@[10.0.255.1]"})
            EXPECT_TRUE(IsEmailAddress(word, pattern)) << word;
}

// '+' stands in the local part anywhere but first, unless the classic
// pattern is asked for; never in the domain.
TEST(AddressPattern, SubAddressesUnlessClassic) {
    for (const char* word : {"a+b@x.com", "12345+name@users.noreply.github.com", "a+@x.com",
                             "a.+b++c@x.com", "_+@x.co", "-+x@[1.2.3.4]"}) {
        EXPECT_TRUE(IsEmailAddress(word)) << word;
        EXPECT_FALSE(IsEmailAddress(word, AddressPattern::kClassic)) << word;
    }
    for (const AddressPattern pattern : kBothPatterns)
        for (const char* word : {"+a@x.com", "+@x.com", "a@x+y.com", "a@x.com+", "a@+x.com"})
            EXPECT_FALSE(IsEmailAddress(word, pattern)) << word;
}

TEST(AddressPattern, RejectsNearMisses) {
    for (const char* word : {"",
                             "@",
                             "a@",
                             "@a.com",
                             ".a@x.com",
                             "a@x.c",
                             "a@x.c1",
                             "a@x.1c",
                             "a@xcom",
                             "a@.com",
                             "a@x..com",
                             "a@x.com.",
                             "a%b@x.com",
                             "a!b@x.com",
                             "a@b@x.com",
                             "a@x_y.com",
                             "caf\xC3\xA9@x.com",
                             "a@x.com\n",
                             "\na@x.com",
                             "a@[256.1.1.1]",
                             "a@[01.1.1.1]",
                             "a@[1.1.1]",
                             "a@[1.1.1.1",
                             "a@1.1.1.01]",
                             "a@x.com]",
                             "a b@x.com",
                             "a@x.c-m",
                             "a@x.com ",
                             "a@[1.2.3.x]"})
        EXPECT_FALSE(IsEmailAddress(word)) << word;
    EXPECT_FALSE(IsEmailAddress(std::string("a@x.com\0", 8)));
    EXPECT_FALSE(IsEmailAddress(std::string("a\0@x.com", 8)));
}

TEST(AddressPattern, LetterCaseDoesNotMatter) {
    EXPECT_EQ(IsEmailAddress("Mixed.Case@Example.Org"), IsEmailAddress("mixed.case@example.org"));
    EXPECT_EQ(IsEmailAddress("A@B.C"), IsEmailAddress("a@b.c"));
}

// Words built from the pattern's own pieces and the characters that most
// often make it fail, so that many are near misses.
std::string GenerateWord(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "a", "Z", "q",  "0",        "7",   "-",   "_",  ".",       "..",  "@",   "@",
        "[", "]", "25", "255",      "256", "199", "01", "1",       "com", "Org", "x",
        "+", "%", "!",  "\xC3\xA9", "\n",  " ",   "1.", "[1.2.3.", ".uk", "c9",  "b-"};
    std::uniform_int_distribution<int> length(0, 9);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string word;
    for (int n = length(random); n > 0; --n)
        word += pieces[pick(random)];
    return word;
}

// Mutations of valid addresses: every small change is a candidate near miss.
std::string MutateAddress(std::mt19937& random) {
    static const std::vector<std::string> seeds = {"john.doe@mail.example.com",
                                                   "x@a.bc",
                                                   "u@[10.0.255.1]",
                                                   "u@x.y.255]",
                                                   "a-b_c@d-e.fg",
                                                   "a+b@x.com"};
    static const std::string alphabet = "aZ09-_.@[]+%!1 \n\x80";
    std::uniform_int_distribution<std::size_t> pickSeed(0, seeds.size() - 1);
    std::string word = seeds[pickSeed(random)];
    std::uniform_int_distribution<int> edits(1, 3);
    for (int n = edits(random); n > 0 && !word.empty(); --n) {
        std::uniform_int_distribution<std::size_t> position(0, word.size() - 1);
        std::uniform_int_distribution<std::size_t> pickChar(0, alphabet.size() - 1);
        const std::size_t at = position(random);
        switch (random() % 3) {
        case 0:
            word[at] = alphabet[pickChar(random)];
            break;
        case 1:
            word.erase(at, 1);
            break;
        default:
            word.insert(at, 1, alphabet[pickChar(random)]);
            break;
        }
    }
    return word;
}

TEST(AddressPattern, AgreesWithStdRegexOnGeneratedWords) {
    for (const AddressPattern pattern : kBothPatterns) {
        std::mt19937 random(20261207);
        int accepted = 0;
        int plus = 0; // accepted words with a '+'
        for (int i = 0; i < 60000; ++i) {
            const std::string word = i % 2 ? GenerateWord(random) : MutateAddress(random);
            const bool expected = RegexMatchesAddress(word, pattern);
            accepted += expected;
            plus += expected && word.find('+') != std::string::npos;
            ASSERT_EQ(IsEmailAddress(word, pattern), expected) << "word: \"" << word << "\"";
        }
        // The generators must reach both answers often, or the comparison says little.
        EXPECT_GT(accepted, 3000);
        EXPECT_LT(accepted, 57000);
        EXPECT_EQ(plus > 500, pattern == AddressPattern::kSubAddresses) << plus;
    }
}

// The finder checks words in the pass that cuts them; on every single word
// it must find exactly what dropping one trailing period and asking
// IsEmailAddress finds.
TEST(AddressFinder, AgreesWithIsEmailAddressOnGeneratedWords) {
    for (const AddressPattern pattern : kBothPatterns) {
        std::mt19937 random(4711);
        int found = 0;
        for (int i = 0; i < 100000; ++i) {
            const std::string word = i % 2 ? GenerateWord(random) : MutateAddress(random);
            if (std::any_of(word.begin(), word.end(),
                            [](char c) { return (ClassOf(c) & kSeparator) != 0; }))
                continue;
            std::string_view trimmed = word;
            if (!trimmed.empty() && trimmed.back() == '.')
                trimmed.remove_suffix(1);
            std::vector<std::string_view> expected;
            if (IsEmailAddress(trimmed, pattern))
                expected.push_back(trimmed);
            std::vector<std::string_view> actual;
            FindAddresses(
                word, [&](std::string_view address) { actual.push_back(address); },
                WordCheck::kFastest, pattern);
            ASSERT_EQ(actual, expected) << "word: \"" << word << "\"";
            found += !actual.empty();
        }
        EXPECT_GT(found, 3000);
    }
}

// What FindAddresses must find in a text: its words, cut at separators (the
// reference's, wide ones included), that match the pattern once one
// trailing period is dropped.
std::vector<std::string_view>
AddressesWordByWord(std::string_view text, AddressPattern pattern = AddressPattern::kSubAddresses) {
    std::string cut(text);
    testing::ReplaceNonEmailCharacters(cut);
    std::vector<std::string_view> addresses;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= cut.size(); ++i) {
        if (i < cut.size() && (ClassOf(cut[i]) & kSeparator) == 0)
            continue;
        std::string_view word = text.substr(start, i - start);
        if (!word.empty() && word.back() == '.')
            word.remove_suffix(1);
        if (IsEmailAddress(word, pattern))
            addresses.push_back(word);
        start = i + 1;
    }
    return addresses;
}

std::vector<std::string_view> FoundAddresses(std::string_view text,
                                             AddressPattern pattern = AddressPattern::kSubAddresses,
                                             WordCheck check = WordCheck::kFastest) {
    std::vector<std::string_view> found;
    FindAddresses(
        text, [&](std::string_view address) { found.push_back(address); }, check, pattern);
    return found;
}

// Separators of every width, and bytes outside ASCII that are none: parts of
// wide separators, malformed and overlong sequences, letters.
const std::vector<std::string> kWideAndBrokenBytes = {
    "\xE2\x80\x9C", "\xE2\x80\x9D", "\xC2\xA0",    "\xE3\x80\x80",     "\xEF\xBC\x88",
    "\xE2\x80\xA6", "\xE2\x80\x94", "\xC2\xAB",    "\xF0\x91\x81\x87", "\xE2\x80",
    "\x9C",         "\xAB",         "\xC3\xA9",    "\xE0\x82\xA0",     "\xF0\x91\x81",
    "\xE2\x80\x8B", "\xE2\x80\xA8", "\xEF\xBC\xA0"};

// An address whose parts have the given lengths, for words that reach past
// whatever the finder examines at once.
std::string AddressOfLengths(std::size_t local, std::size_t domain) {
    std::string word(local, 'l');
    word += '@';
    std::string host(domain < 4 ? 1 : domain - 3, 'd');
    for (std::size_t i = 4; i < host.size(); i += 5)
        host[i] = '.';
    return word + host + ".co";
}

TEST(AddressFinder, AgreesWordByWordInsideLongText) {
    std::mt19937 random(31337);
    std::uniform_int_distribution<std::size_t> partLength(1, 45);
    std::uniform_int_distribution<std::size_t> separatorCount(1, 3);
    std::vector<std::string> separators = kWideAndBrokenBytes;
    for (char c : std::string(kNonEmailCharacters) + " \t\r\n")
        separators.emplace_back(1, c);
    std::uniform_int_distribution<std::size_t> pickSeparator(0, separators.size() - 1);
    std::string text;
    for (int i = 0; i < 30000; ++i) {
        switch (i % 3) {
        case 0:
            text += GenerateWord(random);
            break;
        case 1:
            text += MutateAddress(random);
            break;
        default: {
            std::string word = AddressOfLengths(partLength(random), partLength(random));
            if (random() % 4 == 0) // a near miss somewhere in a long word
                word[random() % word.size()] = "+.@-_9"[random() % 6];
            text += word;
        }
        }
        for (std::size_t n = separatorCount(random); n > 0; --n)
            text += separators[pickSeparator(random)];
    }
    for (const AddressPattern pattern : kBothPatterns) {
        const std::vector<std::string_view> expected = AddressesWordByWord(text, pattern);
        EXPECT_GT(expected.size(), 5000u);
        EXPECT_EQ(FoundAddresses(text, pattern), expected);
        EXPECT_EQ(FoundAddresses(text, pattern, WordCheck::kScalar), expected);
    }
}

TEST(AddressFinder, WordsOfEveryLengthAtEveryDistanceFromTheEnds) {
    for (std::size_t local = 1; local <= 40; ++local) {
        for (std::size_t domain = 4; domain <= 40; ++domain) {
            const std::string address = AddressOfLengths(local, domain);
            for (const std::string& word :
                 {address, address + ".", address + "..", "." + address, address + "9",
                  "+" + address, std::string(address).insert(local + 1, "."),
                  std::string(address).insert(local, "+")}) {
                for (std::size_t pad : {0, 1, 15, 16, 31, 32, 33}) {
                    const std::string before(pad, ' ');
                    for (const std::string& text :
                         {before + word, word + before, before + word + before,
                          "x@y.zz" + before + word + ",a@b.cd"}) {
                        ASSERT_EQ(FoundAddresses(text), AddressesWordByWord(text))
                            << "text: \"" << text << "\"";
                    }
                }
            }
        }
    }
}

// A wide separator, or a byte outside ASCII that is none, right before or
// after the word, with the word at every distance from the ends of the text
// (where the finder looks at 32 bytes at once).
TEST(AddressFinder, WideSeparatorsAtEveryDistanceFromTheEnds) {
    for (std::size_t local = 1; local <= 34; local += 3) {
        for (std::size_t domain = 4; domain <= 34; domain += 3) {
            const std::string address = AddressOfLengths(local, domain);
            for (const std::string& edge : kWideAndBrokenBytes) {
                for (std::size_t pad = 0; pad <= 34; ++pad) {
                    const std::string before(pad, 'x');
                    for (const std::string& text :
                         {before + " " + edge + address, address + edge + " " + before,
                          edge + address + "." + edge + before, before + edge + address + edge,
                          "x@y.zz" + edge + before + edge + address + edge + ",a@b.cd"}) {
                        ASSERT_EQ(FoundAddresses(text), AddressesWordByWord(text))
                            << "text: \"" << text << "\"";
                    }
                }
            }
        }
    }
}

TEST(AddressPattern, AgreesWithStdRegexOnEveryOctet) {
    for (int n = -1; n <= 1000; ++n) {
        for (const std::string& text : {std::to_string(n), "0" + std::to_string(n)}) {
            const std::string bracketed = "u@[" + text + ".1.1.com";
            const std::string tail = "u@x." + text + "]";
            ASSERT_EQ(IsEmailAddress(bracketed), RegexMatchesAddress(bracketed)) << bracketed;
            ASSERT_EQ(IsEmailAddress(tail), RegexMatchesAddress(tail)) << tail;
        }
    }
}

} // namespace
} // namespace ornavex
