// Nameless temporary files on Windows: opened to be deleted when closed.
#include "os/temporary_file.h"
#include "os/windows_error.h"
#include "os/windows_paths.h"

#include <atomic>
#include <stdexcept>
#include <windows.h>

namespace ornavex {
namespace {

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

} // namespace

TemporaryFile::TemporaryFile(const std::filesystem::path& folder) : folder_(folder) {
    static std::atomic<unsigned> made{0};
    for (int attempt = 0;; ++attempt) {
        const std::filesystem::path path =
            folder / ("ornavex-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(made++) + ".tmp");
        const HANDLE handle =
            CreateFileW(LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(handle);
            name_ = path;
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 100)
            throw TemporaryDataError(Complaint(ErrnoFromWindows(error)));
    }
}

std::filesystem::path TemporaryFile::OpenPath() const {
    return name_;
}

TemporaryFile::~TemporaryFile() {
    CloseHandle(Handle(handle_));
}

std::uint64_t TemporaryFile::Append(const void* data, std::size_t size) {
    const std::uint64_t start = size_;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD part = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        OVERLAPPED at = At(size_);
        DWORD written = 0;
        if (!WriteFile(Handle(handle_), bytes, part, &written, &at) || written == 0)
            throw TemporaryDataError(Complaint(ErrnoFromWindows(GetLastError())));
        bytes += written;
        size -= written;
        size_ += written;
    }
    return start;
}

void TemporaryFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) const {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const DWORD part = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        OVERLAPPED at = At(offset);
        DWORD got = 0;
        if (!ReadFile(Handle(handle_), bytes, part, &got, &at) || got == 0)
            throw TemporaryDataError(Complaint(ErrnoFromWindows(GetLastError())));
        bytes += got;
        size -= got;
        offset += got;
    }
}

} // namespace ornavex
