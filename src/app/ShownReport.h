#pragma once

// Start-up timing. With KESTRUN_REPORT_SHOWN set in the environment, a
// program that calls reportWhenShown(window) after showing its main window
// prints one line on standard output once that window is on screen and has
// painted for the first time:
//
//     shown <nanoseconds since the epoch, CLOCK_REALTIME>
//
// so that whoever started the process can take the time from its own clock
// at launch. With KESTRUN_REPORT_SHOWN=quit the program then quits. Without
// the variable nothing is watched and nothing printed.
//
// Header-only, so the bare reference window of bench/startup uses the very
// same measurement without linking the editor.

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>

namespace kestrun {
namespace detail {

class ShownReporter final : public QObject {
public:
    ShownReporter(QWindow *window, bool quitAfter)
        : QObject(window)
        , m_quitAfter(quitAfter)
    {
        if (window->isExposed())
            reportSoon();
        else
            window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            reportSoon();
        }
        return false;
    }

private:
    // The window paints while its expose event is handled: report when that
    // handling is over.
    void reportSoon()
    {
        QTimer::singleShot(0, this, [this] { report(); });
    }

    void report()
    {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::printf("shown %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        if (m_quitAfter)
            QCoreApplication::quit();
    }

    bool m_quitAfter;
};

} // namespace detail

// Call once the window has been shown.
inline void reportWhenShown(QWidget *window)
{
    const QByteArray mode = qgetenv("KESTRUN_REPORT_SHOWN");
    if (mode.isEmpty() || !window || !window->windowHandle())
        return;
    new detail::ShownReporter(window->windowHandle(), mode == "quit");
}

} // namespace kestrun
