// kmp: checks, renders, dumps and compares level files without a window. It
// needs no display: images are drawn and encoded by Qt Gui alone.
#include "CommandLineNames.h"
#include "Commands.h"

#include "Version.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <unistd.h>

int main(int argc, char **argv)
{
    // A write past a file-size limit (ulimit -f) fails with EFBIG, which the
    // writers report and clean up after, as in the editor; the signal would
    // end kmp with no message and a temporary left behind.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kmp"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kestrun::VersionString));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The arguments as the system gave them: a file's name need not be valid
    // UTF-8.
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const kestrun::kmp::CommandLineNames names(arguments);
    for (const QString &name : names.unreachable()) {
        err << "kmp: " << name << ": no such file or folder, and kmp cannot make one of this name "
            << "(it is not valid UTF-8)" << Qt::endl;
    }
    if (!names.unreachable().isEmpty())
        return kestrun::kmp::ExitFailure;
    kestrun::kmp::Console io{out, err, &names, ::isatty(STDERR_FILENO) == 1};
    const int status = kestrun::kmp::runKmp(names.arguments(), io);
    out.flush();
    // A dump or report that did not reach its reader (a full disk, a closed
    // pipe's reader gone) is a failure, not a success.
    if (out.status() != QTextStream::Ok) {
        err << "kmp: the output could not be written" << Qt::endl;
        return kestrun::kmp::ExitFailure;
    }
    err.flush();
    return status;
}
