#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

#include <vector>

class QToolButton;

namespace kestrun {

// A toolbar of keyed push buttons laid out left to right at fixed places:
// buttons 23 x 22, separators 8 wide. A click reports the button's key.
class KeyedToolBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 28;
    static constexpr int ButtonWidth = 23;
    static constexpr int ButtonHeight = 22;
    static constexpr int SeparatorWidth = 8;

    explicit KeyedToolBar(QWidget *parent = nullptr);

    QToolButton *addButton(const QString &key, const QString &toolTip, const QIcon &icon);
    void addSeparator();

    // The buttons in their order, and one by key (nullptr when none has it).
    const std::vector<QToolButton *> &buttons() const { return m_buttons; }
    QToolButton *button(const QString &key) const;
    static QString keyOf(const QToolButton *button);

signals:
    void buttonClick(const QString &key);

private:
    std::vector<QToolButton *> m_buttons;
    int m_nextLeft = 0;
};

} // namespace kestrun
