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

void ProgressBar::Update(const RunProgress& progress) {
    if (!enabled_)
        return;
    const auto now = Clock::now();
    if (now - start_ < kDelay || (shown_ && now - lastDraw_ < kRedrawInterval))
        return;
    lastDraw_ = now;
    shown_ = true;

    auto bar = [](std::uint64_t done, std::uint64_t total) {
        const double fraction = done >= total ? 1.0 : static_cast<double>(done) / total;
        const int filled = static_cast<int>(fraction * kBarWidth);
        return "[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] " +
               std::to_string(static_cast<int>(fraction * 100)) + "% ";
    };
    const std::string disk =
        progress.diskBytes == 0
            ? ""
            : "  using disk: " +
                  std::to_string(static_cast<long long>(Megabytes(progress.diskBytes))) + " MB";
    if (progress.partitions > 0) {
        std::fprintf(terminal_, "\r%sde-duplicating part %zu of %zu%s ",
                     bar(progress.partitionsDone, progress.partitions).c_str(),
                     progress.partitionsDone, progress.partitions, disk.c_str());
    } else {
        std::fprintf(terminal_, "\r%s%.1f MB  file %zu of %zu%s ",
                     totalBytes_ > 0 ? bar(progress.bytesDone, totalBytes_).c_str() : "",
                     Megabytes(progress.bytesDone), progress.fileIndex + 1, progress.fileCount,
                     disk.c_str());
    }
    std::fflush(terminal_);
}

void ProgressBar::Finish() {
    if (!shown_)
        return;
    std::fprintf(terminal_, "\r%*s\r", kBarWidth + 70, "");
    std::fflush(terminal_);
    shown_ = false;
}

} // namespace ornavex
