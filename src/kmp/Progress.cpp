#include "Progress.h"

namespace kestrun::kmp {

Progress::Progress(QTextStream &err, qsizetype total, bool shown)
    : m_err(err)
    , m_total(total)
    , m_shown(shown && total > 0)
{
    draw();
}

Progress::~Progress()
{
    // The last count stays on its own line.
    if (m_drawn)
        m_err << '\n' << Qt::flush;
}

void Progress::advance()
{
    ++m_done;
    if (!m_shown)
        return;
    // Redrawn when the percentage moves, so a thousand maps cost a hundred
    // writes, not a thousand; the last map always shows.
    const int percent = int(m_done * 100 / m_total);
    if (percent != m_percentDrawn || m_done == m_total || !m_drawn)
        draw();
}

void Progress::clear()
{
    if (!m_drawn)
        return;
    m_err << "\r\x1b[K" << Qt::flush;
    m_drawn = false;
}

void Progress::draw()
{
    if (!m_shown)
        return;
    m_percentDrawn = int(m_done * 100 / m_total);
    m_err << '\r' << m_done << '/' << m_total << ", " << m_percentDrawn << "%\x1b[K" << Qt::flush;
    m_drawn = true;
}

} // namespace kestrun::kmp
