#include "StatusBar.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>

namespace kestrun {
namespace {

// The system's short time format without its seconds, if it shows them.
QString hoursAndMinutesFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[:.]?s+")));
    return format;
}

// A panel's accessible name is its text (a label without a name of its own
// announces each new text); the description says what the panel shows.
QLabel *sunkenPanel(const QString &description, QWidget *parent)
{
    auto *panel = new QLabel(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setIndent(2);
    // An opaque panel repaints alone, without the bar beneath it.
    panel->setAutoFillBackground(true);
    panel->setAccessibleDescription(description);
    return panel;
}

} // namespace

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent)
    , m_clock(new QTimer(this))
{
    setFixedHeight(Height);
    setSizeGripEnabled(false); // the window has a fixed size
    setAccessibleName(QStringLiteral("Строка состояния"));
    m_panels = {sunkenPanel(QStringLiteral("Состояние"), this), sunkenPanel(QStringLiteral("Дата"), this),
                sunkenPanel(QStringLiteral("Время"), this)};
    m_panels[0]->setText(QStringLiteral("Status"));
    m_clock->setSingleShot(true);
    connect(m_clock, &QTimer::timeout, this, &StatusBar::showClock);
    showClock();
}

void StatusBar::showClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    m_panels[1]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[2]->setText(locale.toString(now.time(), hoursAndMinutesFormat(locale)));
    layoutPanels();
    // Wake at the start of the next minute.
    const int msToNextMinute = 60000 - (now.time().second() * 1000 + now.time().msec());
    m_clock->start(msToNextMinute + 50);
}

void StatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    layoutPanels();
}

void StatusBar::layoutPanels()
{
    auto widthFor = [this](const QLabel *panel) {
        return std::max(MinimumPanelWidth, fontMetrics().horizontalAdvance(panel->text()) + 12);
    };
    const int timeWidth = widthFor(m_panels[2]);
    const int dateWidth = widthFor(m_panels[1]);
    const int textWidth = std::max(MinimumPanelWidth, width() - dateWidth - timeWidth);
    const int lefts[] = {0, textWidth, textWidth + dateWidth};
    const int widths[] = {textWidth, dateWidth, timeWidth};
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i]->setFixedSize(widths[i], height());
        m_panels[i]->move(lefts[i], 0);
    }
}

} // namespace kestrun
