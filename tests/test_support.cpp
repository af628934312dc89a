#include "test_support.h"

#include "engine/address_pattern.h"
#include "engine/character_classes.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
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

TempDir::~TempDir() {
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

std::string ShellQuote(const fs::path& path) {
    std::string quoted = "'";
    for (char c : path.string()) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

ProcessResult RunCommand(const std::string& command, std::string_view stdinText) {
    TempDir io;
    WriteFile(io / "in", stdinText);
    const std::string full = "(" + command + ") <" + ShellQuote(io / "in") + " >" +
                             ShellQuote(io / "out") + " 2>" + ShellQuote(io / "err");
    const int status = std::system(full.c_str());
    ProcessResult result;
#ifndef _WIN32
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#else
    result.exitCode = status;
#endif
    result.out = ReadFile(io / "out");
    result.err = ReadFile(io / "err");
    return result;
}

} // namespace ornavex::testing
