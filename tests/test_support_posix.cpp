#include "test_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ornavex::testing {
namespace fs = std::filesystem;

void MarkHidden(const fs::path&) {}

bool MakeDeepTree(const fs::path& root, const std::string& name, int levels,
                  std::string_view text) {
    int folder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; folder >= 0 && level < levels; ++level) {
        ::mkdirat(folder, name.c_str(), 0755);
        const int next = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = next;
    }
    if (folder < 0)
        return false;
    const int file = ::openat(folder, "bottom.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written =
        file >= 0 && ::write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(file);
    ::close(folder);
    return written;
}

std::string Unprivileged(const std::function<std::string()>& work) {
    if (::geteuid() != 0)
        return work();
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string result = "could not give up the rights";
        if (::setgid(65534) == 0 && ::setuid(65534) == 0)
            result = work();
        (void)::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return result;
}

std::string UnprivilegedPrefix() {
    return ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups -- " : "";
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
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(io / "out");
    result.err = ReadFile(io / "err");
    return result;
}

} // namespace ornavex::testing
