#pragma once

namespace ornavex {

// Where the main window's list goes, in twips of the window's client area
// (menu bar and toolbar included, above the list).
struct ListLayout {
    int left = 120;
    int top = 1660;
    int width = 0;
    int height = 0;
    int columnWidth = 0;
};

// The list fills the client area with a margin of 120 left and right and 90
// at the bottom; its column is 500 narrower than the list. A size that would
// be negative keeps its previous value, as does the column when the list
// width could not change.
ListLayout LayoutList(int clientWidth, int clientHeight, const ListLayout& previous);

} // namespace ornavex
