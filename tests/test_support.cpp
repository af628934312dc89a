#include "test_support.h"

#include "engine/address_pattern.h"
#include "engine/character_classes.h"

#include <algorithm>
#include <atomic>
#include <fstream>
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

bool RegexMatchesAddress(const std::string& word) {
    static const std::regex pattern(std::string(kAddressPattern), std::regex::ECMAScript);
    return std::regex_search(word, pattern);
}

std::vector<std::string> ReferenceExtract(std::string text, std::set<std::string>& seen) {
    for (char& c : text)
        if (kNonEmailCharacters.find(c) != std::string_view::npos)
            c = ' ';
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
        if (!RegexMatchesAddress(w))
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
