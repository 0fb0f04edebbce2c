#pragma once

#include <QFrame>
#include <QString>

#include <array>

class QTimer;

namespace kestrun {

// One sunken panel of the status bar. Setting the same text again repaints
// nothing, and a new text repaints only the panel, never the bar's layout,
// so the cell readout stays cheap on every pointer move.
class StatusPanel : public QFrame {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget *parent = nullptr);
    QString text() const { return m_text; }
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};

// The status bar: panel 1 takes the width the others leave (at least 96),
// panel 2 shows the date in the system's short format, panel 3 the time as
// hours and minutes; both are kept current.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 18;
    static constexpr int MinimumPanelWidth = 96;

    explicit StatusBar(QWidget *parent = nullptr);

    // Panels are numbered 1 to 3, as the user counts them.
    StatusPanel *panel(int number) const { return m_panels.at(number - 1); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showClock();
    void layoutPanels();

    std::array<StatusPanel *, 3> m_panels{};
    QTimer *m_clock;
};

} // namespace kestrun
