#pragma once

#include "engine/address_pattern.h"
#include "engine/address_set.h"
#include "run/removal_run.h"

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex::testing {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& path);

// Inserts the lower-case form of address with the set's own hash.
inline bool InsertLowerCased(AddressSet& set, std::string_view address) {
    return set.InsertLowerCased(address, set.Hash(address));
}

// Records everything a run reports.
class RecordingSink : public RunSink {
public:
    void Address(std::string_view address) override { addresses.emplace_back(address); }
    void Error(const ErrorReport& report) override { reports.push_back(report); }
    void Notice(std::string_view text) override { messages.emplace_back(text); }
    bool Progress(const RunProgress& progress) override {
        ++progressCalls;
        lastProgress = progress;
        return progressCalls < stopAfterProgress;
    }
    void FileRead(const FileTally& tally) override { tallies.push_back(tally); }
    void Details(RunDetails&& given) override { details = std::move(given); }

    std::vector<std::string> addresses;
    std::vector<ErrorReport> reports;
    std::vector<std::string> messages;
    int progressCalls = 0;
    int stopAfterProgress = 1 << 30;
    RunProgress lastProgress;
    std::vector<FileTally> tallies;
    RunDetails details;
};

// A plain, obviously correct extraction to compare the engine with: replace
// the punctuation (each byte of a wide separator too), cut at every
// separator, drop one trailing period, test the pattern with std::regex, and
// de-duplicate on the lower-case form.
std::vector<std::string> ReferenceExtract(std::string text, std::set<std::string>& seen,
                                          AddressPattern pattern = AddressPattern::kSubAddresses);

// True when std::regex (ECMAScript) matches the whole word with the pattern.
bool RegexMatchesAddress(const std::string& word,
                         AddressPattern pattern = AddressPattern::kSubAddresses);

// Turns every non-email punctuation character of text into a space, in
// place, and every byte of a wide separator too, and returns the text. Its
// length never changes.
std::string& ReplaceNonEmailCharacters(std::string& text);

// The length of the wide separator that starts at text[i] by the plain
// rule: a well-formed UTF-8 sequence, checked byte by byte against the
// standard's table, of a code point in kWideSeparatorRanges; 0 when none does.
std::size_t ReferenceWideSeparatorLength(std::string_view text, std::size_t i);

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Hides a file or folder as the system's listings tell it: on Windows the
// hidden attribute; elsewhere a dot name already is hidden, and this does
// nothing.
void MarkHidden(const std::filesystem::path& path);

// POSIX only (test_support_posix.cpp): processes through the shell, deep
// trees and dropped rights.

// Runs a shell command with standard input from stdinText and captures both
// output streams.
ProcessResult RunCommand(const std::string& command, std::string_view stdinText = {});

// Quotes a path for the shell.
std::string ShellQuote(const std::filesystem::path& path);

// Makes levels nested folders named name below root, deeper than one path
// the system takes, with bottom.txt holding text in the deepest.
bool MakeDeepTree(const std::filesystem::path& root, const std::string& name, int levels,
                  std::string_view text);

// Runs work without the rights that let any file be read: as root, in a
// child process that has given them up (user nobody); otherwise as it is.
// Returns what work returned.
std::string Unprivileged(const std::function<std::string()>& work);

// The command prefix that runs a command the same way.
std::string UnprivilegedPrefix();

// Whether the tests were built with AddressSanitizer or ThreadSanitizer,
// whose shadow memory counts in the process's own.
constexpr bool UnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

} // namespace ornavex::testing
