#include "CommandLine.h"
#include "Module1.h"
#include "QtPlatformServices.h"
#include "QtTranslation.h"
#include "ShownReport.h"
#include "frmMain.h"

#include "Version.h"

#include <QApplication>
#include <QLocale>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

// The arguments as the system gave them, without the program: a map's name
// need not be valid UTF-8.
QByteArrayList argumentBytes(int argc, char *argv[])
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // The help and the version are answered before the application object
    // exists: they need no display, and a terminal user reads them there.
    if (const kestrun::StartRequest request = kestrun::startRequest(argumentBytes(argc, argv));
        request != kestrun::StartRequest::Editor) {
        const QString text = request == kestrun::StartRequest::Help ? kestrun::helpText() : kestrun::versionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
    }

    // A save that hits the file-size limit must fail with an error the editor
    // reports, not end the process and lose the map. (The signal is POSIX's:
    // where there is none, a write past the limit fails plainly.)
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    QApplication app(argc, argv);
    // No application name is set: Qt names a window without a title (the
    // splash) after it, and only the editor's own windows are "Kestrunle".
    QApplication::setApplicationVersion(QString::fromLatin1(kestrun::VersionString));
    // The desktop entry's id: Wayland desktops match the window to the
    // entry (its name and icon) through it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KESTRUN_APP_ID));
    // The dialogs' buttons and titles in the desktop's language.
    kestrun::installQtTranslation(QLocale::system());

    kestrun::applyPictureAllocationLimit(); // on this thread, before any picture is decoded
    kestrun::QtPlatformServices platform;
    // Decoding the sprites overlaps with building the splash and the window.
    platform.prefetchRememberedCatalogue();
    // QApplication has taken its own options out of argv by now.
    const std::unique_ptr<kestrun::frmMain> mainWindow = kestrun::Module1::Main(platform, argumentBytes(argc, argv));
    kestrun::reportWhenShown(mainWindow.get()); // start-up timing, on request only
    return QApplication::exec();
}
