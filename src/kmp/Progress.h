#pragma once

#include <QTextStream>

namespace kestrun::kmp {

// "N/TOTAL, P%" on one line of the error stream, redrawn in place as maps are
// done, for a person watching a terminal. A message written meanwhile first
// clears the line (clear()), so it never ends up behind the count.
class Progress {
public:
    Progress(QTextStream &err, qsizetype total, bool shown);
    ~Progress();

    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    // One more map done.
    void advance();
    // Removes the count from the line, before a message.
    void clear();

private:
    void draw();

    QTextStream &m_err;
    qsizetype m_total;
    qsizetype m_done = 0;
    bool m_shown;
    bool m_drawn = false;
    int m_percentDrawn = -1;
};

} // namespace kestrun::kmp
