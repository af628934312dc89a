#pragma once

#include <QString>

class QWidget;

namespace ornavex {

// The optional skin beside the program: a Qt style sheet. When the file is
// there and not hidden, the window gets the button-face background and the
// style sheet; otherwise it keeps the platform's style. Returns whether a
// skin was applied.
bool ApplySkin(QWidget& window, const QString& skinFile);

// Where the skin lives: "x/o.cjs" in the program's folder.
QString SkinFile();

} // namespace ornavex
