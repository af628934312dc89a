#pragma once

namespace ornavex {

// Toolbar command ids of the main window.
inline constexpr int kAddFilesId = 1000;
inline constexpr int kAddFolderId = 1001;
inline constexpr int kStartId = 1002;
inline constexpr int kClearListId = 1003;

} // namespace ornavex
