#pragma once

#include <filesystem>
#include <string>

namespace ornavex {

// A shared library of the program's own, loaded when first needed: a run
// that never needs it never pays for loading it and the libraries it
// brings. Each platform has its own implementation of this file
// (loadable_module_posix.cpp, loadable_module_windows.cpp). A module stays
// loaded until the program ends.
class LoadableModule {
public:
    // Loads the library at path, resolving all its symbols at once; false
    // with the system's reason in error.
    bool Load(const std::filesystem::path& path, std::string& error);
    // The address of a symbol the library exports, or nullptr.
    void* Symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

// The folder of the running program's file; empty when the system does not
// say.
std::filesystem::path ProgramFolder();

} // namespace ornavex
