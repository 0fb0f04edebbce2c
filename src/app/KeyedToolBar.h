#pragma once

#include <QWidget>

#include <vector>

class QAction;
class QToolButton;

namespace kestrun {

// The toolbar: one push button per action added with addAction(), laid out
// left to right at fixed places (buttons 23 x 22, separators 8 wide). A
// button shows its action's image and tool tip, which is also its accessible
// name, and clicking it triggers the action. Each action carries its
// toolbar key in data().
class KeyedToolBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 28;
    static constexpr int ButtonWidth = 23;
    static constexpr int ButtonHeight = 22;
    static constexpr int SeparatorWidth = 8;

    explicit KeyedToolBar(QWidget *parent = nullptr);

    void addSeparator();

    // The buttons in their order, and one by key (nullptr when none has it).
    const std::vector<QToolButton *> &buttons() const { return m_buttons; }
    QToolButton *button(const QString &key) const;
    // The action with this key, compared exactly; nullptr when none has it.
    QAction *action(const QString &key) const;
    static QString keyOf(const QAction *action);
    static QString keyOf(const QToolButton *button);

protected:
    void actionEvent(QActionEvent *event) override;

private:
    std::vector<QToolButton *> m_buttons;
    int m_nextLeft = 0;
};

} // namespace kestrun
