#pragma once

#include <QLabel>
#include <QStatusBar>

#include <array>

class QTimer;

namespace kestrun {

// The status bar: a QStatusBar with three sunken QLabel panels, so assistive
// technology sees a status bar whose panels each expose their current text.
// Panel 1 takes the width the others leave (at least 96); panel 2 shows the
// date in the system's short format, panel 3 the time as hours and minutes,
// both kept current and as wide as their text (at least 96).
//
// The panels fill the bar's full 18 pixels side by side, so the bar places
// them itself instead of with addWidget(): QStatusBar's layout pads its items
// by 5 pixels of height, which would cut their text. Each panel has a fixed
// size, so a new text repaints that panel alone and never lays out the bar:
// the cell readout changes on every pointer move.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int Height = 18;
    static constexpr int MinimumPanelWidth = 96;

    explicit StatusBar(QWidget *parent = nullptr);

    // Panels are numbered 1 to 3, as the user counts them.
    QLabel *panel(int number) const { return m_panels.at(number - 1); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showClock();
    void layoutPanels();

    std::array<QLabel *, 3> m_panels{};
    QTimer *m_clock;
};

} // namespace kestrun
