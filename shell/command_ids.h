#pragma once

#include <QKeySequence>
#include <QList>

namespace ornavex {

// Toolbar command ids of the main window.
inline constexpr int kAddFilesId = 1000;
inline constexpr int kAddFolderId = 1001;
inline constexpr int kStartId = 1002;
inline constexpr int kClearListId = 1003;

// The keys of the main window's commands: they work through the menu items
// and show there and in the toolbar's tool tips. None is a Delete key, which
// the list keeps for removing its current entry.
inline QList<QKeySequence> AddFilesKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_O)};
}
inline QList<QKeySequence> AddFolderKeys() {
    return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)};
}
inline QList<QKeySequence> ClearSelectedKeys() {
    return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X)};
}
inline QList<QKeySequence> ClearListKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_N)};
}
inline QList<QKeySequence> StartKeys() {
    return {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)};
}
inline QList<QKeySequence> ExitKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_Q)};
}
inline QList<QKeySequence> HelpKeys() {
    return {QKeySequence(Qt::Key_F1)};
}

} // namespace ornavex
