#include "app/StatusBar.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
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

} // namespace

StatusPanel::StatusPanel(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void StatusPanel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    update(contentsRect());
}

void StatusPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawText(contentsRect().adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, m_text);
}

StatusBar::StatusBar(QWidget *parent)
    : QWidget(parent)
    , m_clock(new QTimer(this))
{
    setFixedHeight(Height);
    for (auto &panel : m_panels)
        panel = new StatusPanel(this);
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

void StatusBar::resizeEvent(QResizeEvent *)
{
    layoutPanels();
}

void StatusBar::layoutPanels()
{
    auto widthFor = [this](const StatusPanel *panel) {
        return std::max(MinimumPanelWidth, fontMetrics().horizontalAdvance(panel->text()) + 12);
    };
    const int timeWidth = widthFor(m_panels[2]);
    const int dateWidth = widthFor(m_panels[1]);
    const int textWidth = std::max(MinimumPanelWidth, width() - dateWidth - timeWidth);
    m_panels[0]->setGeometry(0, 0, textWidth, height());
    m_panels[1]->setGeometry(textWidth, 0, dateWidth, height());
    m_panels[2]->setGeometry(textWidth + dateWidth, 0, timeWidth, height());
}

} // namespace kestrun
