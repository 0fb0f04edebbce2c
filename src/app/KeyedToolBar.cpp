#include "KeyedToolBar.h"

#include "AccessibleRole.h"

#include <QAction>
#include <QActionEvent>
#include <QToolButton>

namespace kestrun {

KeyedToolBar::KeyedToolBar(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(Height);
    // A plain QWidget reads as a client area: assistive tools should hear a
    // toolbar, with its name.
    setAccessibleRole(staticMetaObject.className(), QAccessible::ToolBar);
    setAccessibleName(QStringLiteral("Панель инструментов"));
}

void KeyedToolBar::actionEvent(QActionEvent *event)
{
    QWidget::actionEvent(event);
    if (event->type() != QEvent::ActionAdded)
        return; // the toolbar's actions are added once and never removed
    QAction *action = event->action();
    auto *button = new QToolButton(this);
    button->setObjectName(keyOf(action));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAccessibleName(action->toolTip());
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(m_nextLeft, (Height - ButtonHeight) / 2, ButtonWidth, ButtonHeight);
    button->show();
    m_nextLeft += ButtonWidth;
    m_buttons.push_back(button);
}

void KeyedToolBar::addSeparator()
{
    m_nextLeft += SeparatorWidth;
}

QToolButton *KeyedToolBar::button(const QString &key) const
{
    for (QToolButton *b : m_buttons) {
        if (keyOf(b) == key)
            return b;
    }
    return nullptr;
}

QAction *KeyedToolBar::action(const QString &key) const
{
    QToolButton *b = button(key);
    return b ? b->defaultAction() : nullptr;
}

QString KeyedToolBar::keyOf(const QAction *action)
{
    return action->data().toString();
}

QString KeyedToolBar::keyOf(const QToolButton *button)
{
    return button->defaultAction() ? keyOf(button->defaultAction()) : QString();
}

} // namespace kestrun
