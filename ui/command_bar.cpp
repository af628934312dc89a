#include "ui/command_bar.h"

#include <QAction>
#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace ornavex {
namespace {

// The toolbar's "»" button, which reaches the buttons a narrow window cannot
// show, drawn in the text colour of the palette: the style's own picture is
// dark grey, which a dark desktop does not show.
class OverflowArrows : public QObject {
public:
    explicit OverflowArrows(QToolButton& button) : QObject(&button), button_(button) {
        button.installEventFilter(this);
        Draw();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::Show:
            if (watched == &button_ && !drawing_)
                Draw();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Draw() {
        drawing_ = true;
        const qreal ratio = button_.devicePixelRatioF();
        // The size of the style's own picture, so it is drawn as that is.
        const QSize size =
            button_.style()
                ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, nullptr, &button_)
                .actualSize(button_.iconSize());
        QPixmap picture(size * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(button_.palette().color(QPalette::ButtonText), 1.5));
        const QPointF middle(size.width() / 2.0, size.height() / 2.0);
        const qreal half =
            std::min(size.width(), size.height()) / 2.0 - 1.5; // of an arrow's height
        for (const qreal x : {-half, 0.2 * half}) {
            const QPointF arrow[] = {middle + QPointF(x, -half),
                                     middle + QPointF(x + 0.8 * half, 0),
                                     middle + QPointF(x, half)};
            painter.drawPolyline(arrow, 3);
        }
        painter.end();
        button_.setIcon(QIcon(picture));
        drawing_ = false;
    }

    QToolButton& button_;
    bool drawing_ = false;
};

} // namespace

QFont SkinFont(qreal pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Calibri"), QStringLiteral("Carlito")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont CommandBarFont() {
    return SkinFont(11);
}

QFont ListFont() {
    return SkinFont(11.25, true);
}

QString WithKey(const QString& caption, const QList<QKeySequence>& keys) {
    if (keys.isEmpty())
        return caption;
    return caption + " (" + keys.front().toString(QKeySequence::NativeText) + ")";
}

QToolBar* CreateCommandBar(QWidget* parent, std::initializer_list<CommandButton> buttons,
                           const std::function<void(int id)>& execute, ButtonKeys keys) {
    auto* toolbar = new QToolBar(QStringLiteral("Standard"), parent);
    toolbar->setObjectName(QStringLiteral("Standard"));
    toolbar->setIconSize(QSize(48, 48));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setMovable(false);
    toolbar->setFont(CommandBarFont());
    for (const CommandButton& button : buttons) {
        const QString caption = QString::fromLatin1(button.caption);
        QAction* action =
            toolbar->addAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(button.icon)), caption);
        action->setData(button.id);
        action->setToolTip(WithKey(caption, button.keys));
        if (keys == ButtonKeys::kOnButtons)
            action->setShortcuts(button.keys);
        const int id = button.id;
        QObject::connect(action, &QAction::triggered, toolbar, [execute, id] { execute(id); });
        // Toolbars leave their buttons out of the Tab order; these are in it.
        if (QWidget* widget = toolbar->widgetForAction(action))
            widget->setFocusPolicy(Qt::TabFocus);
    }
    if (auto* more = toolbar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        new OverflowArrows(*more);
    return toolbar;
}

} // namespace ornavex
