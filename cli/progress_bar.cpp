#include "cli/progress_bar.h"

#include <string>

namespace ornavex {
namespace {

constexpr auto kDelay = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

double Megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

} // namespace

ProgressBar::ProgressBar(std::FILE* terminal, std::uint64_t totalBytes, bool enabled)
    : terminal_(terminal), totalBytes_(totalBytes), enabled_(enabled), start_(Clock::now()) {}

void ProgressBar::Update(std::uint64_t bytesDone, std::size_t fileIndex, std::size_t fileCount) {
    if (!enabled_)
        return;
    const auto now = Clock::now();
    if (now - start_ < kDelay || (shown_ && now - lastDraw_ < kRedrawInterval))
        return;
    lastDraw_ = now;
    shown_ = true;

    std::string bar;
    if (totalBytes_ > 0) {
        const double fraction =
            bytesDone >= totalBytes_ ? 1.0 : static_cast<double>(bytesDone) / totalBytes_;
        const int filled = static_cast<int>(fraction * kBarWidth);
        bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] ";
        bar += std::to_string(static_cast<int>(fraction * 100)) + "% ";
    }
    std::fprintf(terminal_, "\r%s%.1f MB  file %zu of %zu ", bar.c_str(), Megabytes(bytesDone),
                 fileIndex + 1, fileCount);
    std::fflush(terminal_);
}

void ProgressBar::Finish() {
    if (!shown_)
        return;
    std::fprintf(terminal_, "\r%*s\r", kBarWidth + 50, "");
    std::fflush(terminal_);
    shown_ = false;
}

} // namespace ornavex
