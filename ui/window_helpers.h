#pragma once

#include <QIcon>
#include <QString>

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

// Gives the window the system's button-face background.
void SetFormColors(QWidget& window);

// Places the window's outer frame in the middle of the primary screen.
void CenterOnScreen(QWidget& window);

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
