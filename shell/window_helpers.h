#pragma once

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

// Places the window's outer frame in the middle of the primary screen.
void CenterOnScreen(QWidget& window);

// The folder that holds the program's executable, and a file shipped in it.
QString ProgramFolder();
QString ProgramFile(const QString& relativeName);

} // namespace ornavex
