#include "shell/list_layout.h"

namespace ornavex {

ListLayout LayoutList(int clientWidth, int clientHeight, const ListLayout& previous) {
    ListLayout layout = previous;
    if (clientWidth - 240 >= 0)
        layout.width = clientWidth - 240;
    if (clientHeight - 1750 >= 0)
        layout.height = clientHeight - 1750;
    if (layout.width - 500 >= 0)
        layout.columnWidth = layout.width - 500;
    return layout;
}

} // namespace ornavex
