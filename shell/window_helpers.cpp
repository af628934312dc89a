#include "shell/window_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ornavex {

void CenterOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    const QRect frame = window.frameGeometry();
    window.move(area.x() + (area.width() - frame.width()) / 2,
                area.y() + (area.height() - frame.height()) / 2);
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

QString ProgramFile(const QString& relativeName) {
    return QDir(ProgramFolder()).filePath(relativeName);
}

} // namespace ornavex
