#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <initializer_list>

class QFont;
class QToolBar;
class QWidget;

namespace ornavex {

// One toolbar button: its command id, caption, picture (a name among the
// built-in icons) and keys, the first of which its tool tip names.
struct CommandButton {
    int id;
    const char* caption;
    const char* icon;
    QList<QKeySequence> keys = {};
};

// Where a toolbar's keys work: on the buttons themselves, or on menu items
// of the same commands (the buttons then only name them).
enum class ButtonKeys { kOnButtons, kOnMenuItems };

// The "Standard" toolbar both windows use: 48-pixel pictures with captions
// below, Calibri 11, buttons that report their command id to execute. Tab
// reaches every button and Space presses it; what does not fit the width
// stays reachable through the toolbar's "»" button.
QToolBar* CreateCommandBar(QWidget* parent, std::initializer_list<CommandButton> buttons,
                           const std::function<void(int id)>& execute,
                           ButtonKeys keys = ButtonKeys::kOnButtons);

// "Caption (Key)", as tool tips name a command's key.
QString WithKey(const QString& caption, const QList<QKeySequence>& keys);

// The skin's font: Calibri, or where it is missing its metric twin Carlito,
// which has the same widths, so the windows keep the width they were laid
// out for.
QFont SkinFont(qreal pointSize, bool bold = false);
// Calibri at 11 points, the font of the menus and toolbars.
QFont CommandBarFont();
// Calibri at 11.25 points, bold: the text of both lists.
QFont ListFont();

} // namespace ornavex
