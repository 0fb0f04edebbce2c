#include "app/KeyedToolBar.h"

#include <QToolButton>

namespace kestrun {
namespace {
const char *const KeyProperty = "Key";
}

KeyedToolBar::KeyedToolBar(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(Height);
}

QToolButton *KeyedToolBar::addButton(const QString &key, const QString &toolTip, const QIcon &icon)
{
    auto *button = new QToolButton(this);
    button->setObjectName(key);
    button->setProperty(KeyProperty, key);
    button->setToolTip(toolTip);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(m_nextLeft, (Height - ButtonHeight) / 2, ButtonWidth, ButtonHeight);
    m_nextLeft += ButtonWidth;
    connect(button, &QToolButton::clicked, this, [this, key] { emit buttonClick(key); });
    m_buttons.push_back(button);
    return button;
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

QString KeyedToolBar::keyOf(const QToolButton *button)
{
    return button->property(KeyProperty).toString();
}

} // namespace kestrun
