#include "test_support.h"

#include "engine/address_pattern.h"
#include "engine/character_classes.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <sstream>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ornavex::testing {
namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("ornavex-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
}

namespace {

#ifndef _WIN32
// Removes what folder holds, folder by folder through descriptors, so trees
// deeper than one path the system takes go too.
void RemoveContents(int folder) {
    DIR* listing = ::fdopendir(::dup(folder));
    if (listing == nullptr)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (::unlinkat(folder, name.c_str(), 0) == 0)
            continue;
        ::fchmodat(folder, name.c_str(), 0700, 0);
        const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (inner >= 0) {
            RemoveContents(inner);
            ::close(inner);
        }
        ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
    }
    ::closedir(listing);
}
#endif

} // namespace

TempDir::~TempDir() {
#ifndef _WIN32
    const int folder = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        RemoveContents(folder);
        ::close(folder);
    }
#endif
    std::error_code error;
    // Give back any permission a test took away, so everything can go.
    for (auto it = fs::recursive_directory_iterator(path_, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, error);
}

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool RegexMatchesAddress(const std::string& word, AddressPattern choice) {
    static const std::regex pattern(std::string(kAddressPattern), std::regex::ECMAScript);
    static const std::regex classic(std::string(kClassicAddressPattern), std::regex::ECMAScript);
    return std::regex_search(word, choice == AddressPattern::kClassic ? classic : pattern);
}

std::size_t ReferenceWideSeparatorLength(std::string_view text, std::size_t i) {
    // The well-formed byte sequences, as the Unicode standard tabulates
    // them: for each lead byte, the range of its second byte; the bytes
    // after that are 80..BF.
    struct Form {
        unsigned char leadFirst, leadLast, secondFirst, secondLast;
        std::size_t length;
    };
    static constexpr Form kForms[] = {{0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
                                      {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3},
                                      {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
                                      {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4}};
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    for (const Form& form : kForms) {
        if (byte(0) < form.leadFirst || byte(0) > form.leadLast)
            continue;
        if (text.size() - i < form.length || byte(1) < form.secondFirst ||
            byte(1) > form.secondLast)
            return 0;
        char32_t cp = byte(0) & (form.length == 2 ? 0x1F : form.length == 3 ? 0x0F : 0x07);
        for (std::size_t k = 1; k < form.length; ++k) {
            if (byte(k) < 0x80 || byte(k) > 0xBF)
                return 0;
            cp = cp << 6 | (byte(k) & 0x3F);
        }
        const auto range = std::lower_bound(
            std::begin(kWideSeparatorRanges), std::end(kWideSeparatorRanges), cp,
            [](const CodePointRange& r, char32_t value) { return r.last < value; });
        return range != std::end(kWideSeparatorRanges) && range->first <= cp ? form.length : 0;
    }
    return 0;
}

std::string& ReplaceNonEmailCharacters(std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kNonEmailCharacters.find(text[i]) != std::string_view::npos) {
            text[i] = ' ';
        } else if (const std::size_t wide = ReferenceWideSeparatorLength(text, i)) {
            text.replace(i, wide, wide, ' ');
            i += wide - 1;
        }
    }
    return text;
}

std::vector<std::string> ReferenceExtract(std::string text, std::set<std::string>& seen,
                                          AddressPattern pattern) {
    ReplaceNonEmailCharacters(text);
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    words.push_back(word);

    std::vector<std::string> found;
    for (std::string w : words) {
        if (w.find('@') == std::string::npos || w.find('.') == std::string::npos)
            continue;
        if (w.back() == '.')
            w.pop_back();
        if (w.find('@') == std::string::npos || w.find('.') == std::string::npos)
            continue;
        if (!RegexMatchesAddress(w, pattern))
            continue;
        std::string key = w;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
        if (seen.insert(key).second)
            found.push_back(w);
    }
    return found;
}

} // namespace ornavex::testing
