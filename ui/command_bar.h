#pragma once

#include <functional>
#include <initializer_list>

class QFont;
class QToolBar;
class QWidget;

namespace ornavex {

// One toolbar button: its command id, caption and picture (a name among the
// built-in icons).
struct CommandButton {
    int id;
    const char* caption;
    const char* icon;
};

// The "Standard" toolbar both windows use: 48-pixel pictures with captions
// below, Calibri 11, buttons that report their command id to execute.
QToolBar* CreateCommandBar(QWidget* parent, std::initializer_list<CommandButton> buttons,
                           const std::function<void(int id)>& execute);

// Calibri at 11 points, the font of the menus and toolbars.
QFont CommandBarFont();

} // namespace ornavex
