// kmp: checks, renders, dumps and compares level files without a window. It
// needs no display: images are drawn and encoded by Qt Gui alone.
#include "kmp/Commands.h"

#include "Version.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kmp"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kestrun::VersionString));
    QTextStream out(stdout);
    QTextStream err(stderr);
    kestrun::kmp::Console io{out, err};
    const int status = kestrun::kmp::runKmp(QCoreApplication::arguments().mid(1), io);
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
