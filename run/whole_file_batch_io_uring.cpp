// Batch reads through io_uring (Linux, liburing).
#include "os/posix_path_anchor.h"
#include "run/whole_file_batch.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <liburing.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ornavex {
namespace {

constexpr std::size_t kMaxBlockSize = 1 << 20;
constexpr unsigned kMaxFiles = WholeFileBatch::kMaxFiles;

} // namespace

// A batch is read in two steps: what each path names is looked up first;
// then the regular files among them are opened, read and closed through the
// ring, in one submission for all. Nothing but a regular file is opened or
// read.
struct WholeFileBatch::Ring {
    io_uring ring{};
    bool ready = false;
    std::uint64_t sizes[kMaxFiles]{}; // of the regular files to read
    int result[kMaxFiles]{};
    int folder = -1; // the folder last named, open for lookups only
    std::string folderPath;
    std::string names[kMaxFiles];     // each file's name from its folder
    int from[kMaxFiles]{};            // the folder descriptor each name is looked up from
    std::vector<int> replacedFolders; // closed once the batch has run

    Ring() {
        if (io_uring_queue_init(kMaxFiles * 3, &ring, 0) < 0)
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

    // Names the file at place k from its folder, which is opened once for
    // all its files: looking up every folder of a long path again for each
    // file costs more than reading a small file. False when its folder
    // cannot be opened; the usual read then says why.
    bool Name(unsigned k, const std::string& path) {
        const std::size_t slash = path.find_last_of('/');
        if (slash == std::string::npos || slash + 1 == path.size()) {
            from[k] = AT_FDCWD;
            names[k] = path;
            return path.size() < PATH_MAX;
        }
        from[k] = OpenFolder(std::string_view(path).substr(0, slash == 0 ? 1 : slash));
        names[k] = path.substr(slash + 1);
        return from[k] >= 0;
    }

    // A descriptor of the folder at path, kept until another folder is
    // needed; -1 when it cannot be opened.
    int OpenFolder(std::string_view path) {
        if (folder >= 0 && path == folderPath)
            return folder;
        if (folder >= 0)
            replacedFolders.push_back(folder); // queued lookups may still use it
        folderPath = path;
        int error = 0;
        const PathAnchor anchor(folderPath, error);
        folder = error != 0
                     ? -1
                     : ::openat(anchor.folder(), anchor.rest(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        return folder;
    }

    void CloseReplacedFolders() {
        for (int replaced : replacedFolders)
            ::close(replaced);
        replacedFolders.clear();
    }

    // Queues the operations of each place in places (prepare returns how
    // many), submits them and waits for all; the operation given the place
    // k as its data leaves its result in result[k]. False when the ring
    // failed and should not be used again.
    template <class Prepare> bool Round(const std::vector<unsigned>& places, Prepare&& prepare) {
        if (places.empty())
            return true;
        unsigned operations = 0;
        for (unsigned k : places) {
            result[k] = -ECANCELED;
            operations += prepare(k);
        }
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
            if (data < kMaxFiles)
                result[data] = cqe->res;
            io_uring_cqe_seen(&ring, cqe);
            ++done;
        }
        return static_cast<unsigned>(submitted) == operations; // else the rest never ran
    }

    io_uring_sqe* Next(std::uint64_t data) {
        io_uring_sqe* sqe = io_uring_get_sqe(&ring);
        io_uring_sqe_set_data64(sqe, data);
        return sqe;
    }
};

void WholeFileBatch::Load(std::span<const Input* const> sources) {
    std::fill(contents_.begin(), contents_.end(), std::nullopt);
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
    Ring& ring = *ring_;
    const unsigned size = static_cast<unsigned>(blockSize_);

    std::vector<unsigned> places;
    for (unsigned k = 0; k < count; ++k)
        if (!sources[k]->standardInput && ring.Name(k, sources[k]->path.native()))
            places.push_back(k);
    auto keep = [&](auto&& wanted) {
        std::vector<unsigned> kept;
        for (unsigned k : places)
            if (wanted(k))
                kept.push_back(k);
        places.swap(kept);
    };

    // What each path names; only regular files that fit a block go on. A
    // size of 0 says nothing of files like those of /proc: they are read
    // the usual way, until a read gives nothing. Looked up right here: the
    // ring would hand each look-up to a worker thread of its own.
    keep([&](unsigned k) {
        struct stat info;
        if (::fstatat(ring.from[k], ring.names[k].c_str(), &info, 0) != 0 ||
            !S_ISREG(info.st_mode) || info.st_size <= 0 ||
            static_cast<std::uint64_t>(info.st_size) >= size)
            return false;
        ring.sizes[k] = static_cast<std::uint64_t>(info.st_size);
        return true;
    });
    // Opened with O_NONBLOCK: a FIFO swapped in meanwhile does not wait for
    // a writer. The close is hard-linked: it follows even a failed read.
    const bool ran = ring.Round(places, [&](unsigned k) {
        io_uring_sqe* sqe = ring.Next(kMaxFiles + k);
        io_uring_prep_openat_direct(sqe, ring.from[k], ring.names[k].c_str(),
                                    O_RDONLY | O_NONBLOCK | O_NOCTTY, 0, k);
        sqe->flags |= IOSQE_IO_LINK;
        sqe = ring.Next(k);
        io_uring_prep_read(sqe, static_cast<int>(k), buffer_.get() + k * blockSize_, size, 0);
        sqe->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
        io_uring_prep_close_direct(ring.Next(2 * kMaxFiles + k), k);
        return 3u;
    });
    ring.CloseReplacedFolders();
    if (!ran) {
        ring_.reset();
        return;
    }
    for (unsigned k : places) {
        // A short read of a regular file ends it; a file that grew past its
        // size, or shrank below it, is read again the usual way.
        const int read = ring.result[k];
        if (read >= 0 && static_cast<std::uint64_t>(read) >= ring.sizes[k] &&
            static_cast<unsigned>(read) < size)
            contents_[k] =
                std::string_view(buffer_.get() + k * blockSize_, static_cast<std::size_t>(read));
    }
}

WholeFileBatch::WholeFileBatch(std::size_t blockSize)
    : blockSize_(blockSize), contents_(kMaxFiles) {}

WholeFileBatch::~WholeFileBatch() = default;

} // namespace ornavex
