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
    err.flush();
    return status;
}
