#include "ui/window_helpers.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace ornavex {
namespace {

// The window's frame: title bar and borders. Until the window has been
// shown the window system has not said, so room is kept for a usual title
// bar and border.
QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    if (frame == inner && !window.testAttribute(Qt::WA_WState_Created)) {
        const int border = 4;
        return {border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border,
                border};
    }
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

QColor Between(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// Keeps a window's background the button face of the desktop's palette.
class ButtonFace : public QObject {
public:
    explicit ButtonFace(QWidget& window) : QObject(&window), window_(window) {
        Apply();
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::ApplicationPaletteChange)
            Apply();
        return false;
    }

private:
    void Apply() {
        QPalette palette = window_.palette();
        const QPalette desktop = QApplication::palette(&window_);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::Window, desktop.color(group, QPalette::Button));
        window_.setPalette(palette);
    }

    QWidget& window_;
};

// Derives the application's placeholder colour again after every change of
// its palette; its own change is the last, as it derives the same again.
class PlaceholderColours : public QObject {
public:
    PlaceholderColours() : QObject(qApp) {
        Apply();
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
            Apply();
        return false;
    }

private:
    static void Apply() {
        QPalette palette = QApplication::palette();
        bool changed = false;
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QColor wanted =
                Between(palette.color(group, QPalette::Text), palette.color(group, QPalette::Base));
            if (palette.color(group, QPalette::PlaceholderText) != wanted) {
                palette.setColor(group, QPalette::PlaceholderText, wanted);
                changed = true;
            }
        }
        if (changed)
            QApplication::setPalette(palette);
    }
};

} // namespace

void SetFormColors(QWidget& window) {
    for (QObject* child : window.children())
        if (auto* old = dynamic_cast<ButtonFace*>(child))
            delete old;
    new ButtonFace(window);
    window.setAutoFillBackground(true);
}

void DerivePlaceholderColours() {
    for (QObject* child : qApp->children())
        if (dynamic_cast<PlaceholderColours*>(child) != nullptr)
            return;
    new PlaceholderColours;
}

void CenterOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins margins = FrameMargins(window);
    const QSize room(area.width() - margins.left() - margins.right(),
                     area.height() - margins.top() - margins.bottom());
    const QSize size = window.size().boundedTo(room).expandedTo(window.minimumSize());
    if (size != window.size())
        window.resize(size);
    const QSize outer = size.grownBy(margins);
    window.move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                area.y() + std::max(0, (area.height() - outer.height()) / 2));
}

void RefitWhenFramed(QWidget& window) {
    QTimer::singleShot(0, &window, [&window] {
        const QScreen* screen = window.screen();
        if (screen != nullptr && !screen->availableGeometry().contains(window.frameGeometry()))
            CenterOnScreen(window);
    });
}

QString ElideMiddle(const QString& text, qsizetype maxCharacters) {
    if (text.size() <= maxCharacters || maxCharacters < 3)
        return text;
    const qsizetype kept = maxCharacters - 1;
    const qsizetype tail = (kept + 1) / 2;
    return text.left(kept - tail) + QStringLiteral("…") + text.right(tail);
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
    QString beside = QDir(executableFolder).filePath(relativeName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir(executableFolder).filePath(QStringLiteral("../share/ornavex/") + relativeName);
    if (QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return beside;
}

} // namespace ornavex
