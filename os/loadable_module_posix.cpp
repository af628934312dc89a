#include "os/loadable_module.h"

#include <dlfcn.h>
#include <system_error>

namespace ornavex {

bool LoadableModule::Load(const std::filesystem::path& path, std::string& error) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "cannot load " + path.string();
        return false;
    }
    return true;
}

void* LoadableModule::Symbol(const char* name) const {
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

} // namespace ornavex
