#pragma once

#include <QIcon>
#include <QString>

class QPalette;
class QWidget;

namespace ornavex {

inline const QString kApplicationTitle = QStringLiteral("Ornavex");

// Window measures are kept in twips: 1440 to the inch, 15 to a pixel.
inline constexpr int kTwipsPerPixel = 15;
inline int PixelsFromTwips(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline int TwipsFromPixels(int pixels) {
    return pixels * kTwipsPerPixel;
}

// Gives the window the system's button-face background, and keeps it the
// button face when the desktop's colours change.
void SetFormColors(QWidget& window);

// Makes the placeholder text of every field (the grey hint in an empty
// field) halfway between the text and the field's background, in the
// application's palette, and keeps it so when the desktop's colours change.
// Many palettes, dark ones above all, leave it black. It goes in the
// application's palette because a style sheet gives each widget a copy of
// that, not of its window's.
void DerivePlaceholderColours();

// Places the window's outer frame in the middle of the available area of
// its screen (the screen less the task bars), first made smaller where it
// would not fit, so that it opens whole, title bar included.
void CenterOnScreen(QWidget& window);
// Called as the window is first shown: once the window system has framed
// it, a window whose title bar or border went off the screen is fitted
// again.
void RefitWhenFramed(QWidget& window);

// The text with its middle cut out and replaced by "…" when it is longer
// than maxCharacters: a path keeps its start and its file name.
QString ElideMiddle(const QString& text, qsizetype maxCharacters);

// The program's own icon, shown by both windows.
QIcon ProgramIcon();

// The folder that holds the program's executable.
QString ProgramFolder();
// A file shipped with the program: beside the executable in a build tree,
// or in share/ornavex next to the bin folder of an installed program.
QString ProgramFile(const QString& relativeName);
// The same for a given executable folder.
QString ShippedFile(const QString& executableFolder, const QString& relativeName);

} // namespace ornavex
