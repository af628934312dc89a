#include "ui/command_bar.h"

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QToolBar>

namespace ornavex {

QFont CommandBarFont() {
    QFont font(QStringLiteral("Calibri"));
    font.setPointSize(11);
    return font;
}

QToolBar* CreateCommandBar(QWidget* parent, std::initializer_list<CommandButton> buttons,
                           const std::function<void(int id)>& execute) {
    auto* toolbar = new QToolBar(QStringLiteral("Standard"), parent);
    toolbar->setObjectName(QStringLiteral("Standard"));
    toolbar->setIconSize(QSize(48, 48));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setMovable(false);
    toolbar->setFont(CommandBarFont());
    for (const CommandButton& button : buttons) {
        QAction* action =
            toolbar->addAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(button.icon)),
                               QString::fromLatin1(button.caption));
        action->setData(button.id);
        const int id = button.id;
        QObject::connect(action, &QAction::triggered, toolbar, [execute, id] { execute(id); });
    }
    return toolbar;
}

} // namespace ornavex
