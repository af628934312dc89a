#include "ui/window_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace ornavex {

void SetFormColors(QWidget& window) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

void CenterOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    const QRect frame = window.frameGeometry();
    window.move(area.x() + (area.width() - frame.width()) / 2,
                area.y() + (area.height() - frame.height()) / 2);
}

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/icons/ornavex.svg"));
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

QString ProgramFile(const QString& relativeName) {
    return ShippedFile(ProgramFolder(), relativeName);
}

QString ShippedFile(const QString& executableFolder, const QString& relativeName) {
    const QString beside = QDir(executableFolder).filePath(relativeName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir(executableFolder).filePath(QStringLiteral("../share/ornavex/") + relativeName);
    if (QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return beside;
}

} // namespace ornavex
