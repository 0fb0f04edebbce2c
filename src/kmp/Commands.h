#pragma once

#include "Console.h"

#include <QStringList>

namespace kestrun::kmp {

// The subcommands. Each takes its own arguments (without "kmp" and its name)
// and returns the process's exit status.
int runInfo(const QStringList &arguments, Console &io);
int runCheck(const QStringList &arguments, Console &io);
int runUsage(const QStringList &arguments, Console &io);
int runGallery(const QStringList &arguments, Console &io);
int runRender(const QStringList &arguments, Console &io);
int runDump(const QStringList &arguments, Console &io);
int runUndump(const QStringList &arguments, Console &io);
int runDiff(const QStringList &arguments, Console &io);
int runNew(const QStringList &arguments, Console &io);
int runSet(const QStringList &arguments, Console &io);
int runReplace(const QStringList &arguments, Console &io);
int runExport(const QStringList &arguments, Console &io);
int runImport(const QStringList &arguments, Console &io);

// The whole tool: `arguments` without the program's name.
int runKmp(const QStringList &arguments, Console &io);

} // namespace kestrun::kmp
