#include "shell/skin.h"

#include "ui/window_helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace ornavex {

bool ApplySkin(QWidget& window, const QString& skinFile) {
    const QFileInfo info(skinFile);
    if (!info.isFile() || info.isHidden())
        return false;
    QFile file(skinFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    SetFormColors(window);
    window.setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

QString SkinFile() {
    return ProgramFile(QStringLiteral("x/o.cjs"));
}

} // namespace ornavex
