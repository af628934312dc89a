#include "os/loadable_module.h"
#include "os/system_reason.h"
#include "os/windows_error.h"

#include <windows.h>

namespace ornavex {

bool LoadableModule::Load(const std::filesystem::path& path, std::string& error) {
    handle_ = LoadLibraryW(path.c_str());
    if (handle_ == nullptr) {
        error = SystemReason(ErrnoFromWindows(GetLastError()));
        return false;
    }
    return true;
}

void* LoadableModule::Symbol(const char* name) const {
    return handle_ != nullptr
               ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name))
               : nullptr;
}

std::filesystem::path ProgramFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

} // namespace ornavex
