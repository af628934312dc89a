#pragma once

#include "os/file_access.h"
#include "run/input.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ornavex {

// What keeps the files a run reads safe from the files it writes.

// The files a run reads (its inputs, its do-not-mail lists), as the system
// tells one file from another (device and inode, links followed); those
// that cannot be looked up are left out, as they cannot be written over.
std::vector<FileStatus> IdentitiesOf(const std::vector<Input>& files);

// Whether writing target would replace one of the files: a regular file
// that is one of them, through links and hard links too.
bool IsOneOf(const std::filesystem::path& target, const std::vector<FileStatus>& files);

// Whether two targets name one file: as existing files by identity, as new
// ones by the folder they would be made in (links followed) and their name.
bool SameTarget(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace ornavex
