#include "run/whole_file_batch.h"

#include <algorithm>

#if ORNAVEX_HAVE_IO_URING
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <liburing.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace ornavex {

#if ORNAVEX_HAVE_IO_URING

namespace {

// The operations queued for each file, in this order; a completion's user
// data holds the file's place in the batch and the step.
enum Step : unsigned { kStat, kOpen, kRead, kClose, kSteps };

constexpr std::size_t kMaxBlockSize = 1 << 20;

} // namespace

struct WholeFileBatch::Ring {
    io_uring ring{};
    bool ready = false;
    struct statx info[kMaxFiles] {};
    int result[kMaxFiles][kSteps]{};
    int folder = -1; // the folder last named, open for lookups only
    std::string folderPath;
    std::vector<int> replacedFolders; // closed once the batch has run

    Ring() {
        if (io_uring_queue_init(kMaxFiles * kSteps, &ring, 0) < 0)
            return;
        // Files open into the ring's own table, so a read can follow its
        // open within the same submission.
        if (io_uring_register_files_sparse(&ring, kMaxFiles) < 0) {
            io_uring_queue_exit(&ring);
            return;
        }
        ready = true;
    }
    ~Ring() {
        if (ready)
            io_uring_queue_exit(&ring);
        CloseReplacedFolders();
        if (folder >= 0)
            ::close(folder);
    }
    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;

    // Queues the steps for the file at place k, the stat only when check is
    // set; returns how many were queued, 0 when the queue is full.
    unsigned Queue(unsigned k, const std::string& path, bool check, char* buffer, unsigned size) {
        if (io_uring_sq_space_left(&ring) < kSteps)
            return 0;
        // Named from its folder, which is opened once for all its files:
        // looking up every folder of a long path again for each file costs
        // more than reading a small file.
        const std::size_t slash = path.find_last_of('/');
        int from = AT_FDCWD;
        const char* name = path.c_str();
        if (slash != std::string::npos && slash + 1 < path.size()) {
            const int opened = OpenFolder(std::string_view(path).substr(0, slash == 0 ? 1 : slash));
            if (opened >= 0) {
                from = opened;
                name += slash + 1;
            }
        }

        io_uring_sqe* sqe = nullptr;
        if (check) {
            sqe = io_uring_get_sqe(&ring);
            io_uring_prep_statx(sqe, from, name, 0, STATX_TYPE | STATX_SIZE, &info[k]);
            io_uring_sqe_set_data64(sqe, k * kSteps + kStat);
        }

        // O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
        sqe = io_uring_get_sqe(&ring);
        io_uring_prep_openat_direct(sqe, from, name, O_RDONLY | O_NONBLOCK | O_NOCTTY, 0, k);
        sqe->flags |= IOSQE_IO_LINK;
        io_uring_sqe_set_data64(sqe, k * kSteps + kOpen);

        // A hard link: the file is closed even when the read fails.
        sqe = io_uring_get_sqe(&ring);
        io_uring_prep_read(sqe, static_cast<int>(k), buffer, size, 0);
        sqe->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
        io_uring_sqe_set_data64(sqe, k * kSteps + kRead);

        sqe = io_uring_get_sqe(&ring);
        io_uring_prep_close_direct(sqe, k);
        io_uring_sqe_set_data64(sqe, k * kSteps + kClose);
        return check ? kSteps : kSteps - 1;
    }

    // A descriptor of the folder at path, kept until another folder is
    // needed; -1 when it cannot be opened.
    int OpenFolder(std::string_view path) {
        if (folder >= 0 && path == folderPath)
            return folder;
        if (folder >= 0)
            replacedFolders.push_back(folder); // queued lookups may still use it
        folderPath = path;
        folder = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        return folder;
    }

    void CloseReplacedFolders() {
        for (int replaced : replacedFolders)
            ::close(replaced);
        replacedFolders.clear();
    }

    // Submits what is queued and waits for every completion; false when the
    // ring failed and should not be used again.
    bool Run(unsigned operations) {
        const int submitted = io_uring_submit(&ring);
        if (submitted < 0)
            return false;
        for (int done = 0; done < submitted;) {
            io_uring_cqe* cqe = nullptr;
            const int waited = io_uring_wait_cqe(&ring, &cqe);
            if (waited == -EINTR)
                continue;
            if (waited < 0)
                return false;
            const std::uint64_t data = io_uring_cqe_get_data64(cqe);
            result[data / kSteps][data % kSteps] = cqe->res;
            io_uring_cqe_seen(&ring, cqe);
            ++done;
        }
        return static_cast<unsigned>(submitted) == operations; // else the rest never ran
    }
};

void WholeFileBatch::Load(std::span<const InputSource* const> sources) {
    std::fill(contents_.begin(), contents_.end(), std::nullopt);
    batched_ = false;
    const std::size_t count = std::min(sources.size(), kMaxFiles);
    // A single file is read the usual way; a batch would gain nothing. Nor
    // would it with blocks so large that few files fit in one.
    if (count < 2 || blockSize_ > kMaxBlockSize)
        return;
    if (!ring_ && !ringTried_) {
        ringTried_ = true;
        auto ring = std::make_unique<Ring>();
        if (ring->ready) {
            ring_ = std::move(ring);
            buffer_ = std::make_unique_for_overwrite<char[]>(kMaxFiles * blockSize_);
        }
    }
    if (!ring_)
        return;

    const auto size = static_cast<unsigned>(blockSize_);
    unsigned operations = 0;
    for (unsigned k = 0; k < count; ++k) {
        std::fill(std::begin(ring_->result[k]), std::end(ring_->result[k]), -ECANCELED);
        const InputSource& source = *sources[k];
        if (source.standardInput)
            continue;
        const unsigned queued = ring_->Queue(k, source.path.native(), !source.listedRegular,
                                             buffer_.get() + k * blockSize_, size);
        if (queued == 0)
            break;
        operations += queued;
    }
    if (operations == 0)
        return;
    const bool ran = ring_->Run(operations);
    ring_->CloseReplacedFolders();
    if (!ran) {
        ring_.reset();
        return;
    }

    for (unsigned k = 0; k < count; ++k) {
        const int* result = ring_->result[k];
        // A kernel without direct opens says so on every file.
        if (result[kOpen] == -EINVAL || result[kOpen] == -EOPNOTSUPP) {
            ring_.reset();
            std::fill(contents_.begin(), contents_.end(), std::nullopt);
            return;
        }
        const int got = result[kRead];
        if (result[kOpen] != 0 || got < 0 || static_cast<unsigned>(got) >= size)
            continue; // read again the usual way, which also tells why it failed
        // A short read of a regular file that has reached its size is the
        // whole file; a file the listing showed as regular was not looked at
        // again, and a short read ends it.
        const struct statx& info = ring_->info[k];
        if (sources[k]->listedRegular || (result[kStat] == 0 && S_ISREG(info.stx_mode) &&
                                          static_cast<std::uint64_t>(got) >= info.stx_size))
            contents_[k] =
                std::string_view(buffer_.get() + k * blockSize_, static_cast<std::size_t>(got));
    }
    batched_ = true;
}

#else

struct WholeFileBatch::Ring {};

void WholeFileBatch::Load(std::span<const InputSource* const> sources) {
    (void)sources;
    std::fill(contents_.begin(), contents_.end(), std::nullopt);
}

#endif

WholeFileBatch::WholeFileBatch(std::size_t blockSize)
    : blockSize_(blockSize), contents_(kMaxFiles) {}

WholeFileBatch::~WholeFileBatch() = default;

std::optional<std::string_view> WholeFileBatch::Contents(std::size_t k) const {
    return k < contents_.size() ? contents_[k] : std::nullopt;
}

} // namespace ornavex
