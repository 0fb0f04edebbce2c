#pragma once

#include "GameCatalogue.h"
#include "Invocation.h"
#include "ParallelRun.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace kestrun::kmp {

// The catalogue of the game folder --game names, else of the one the editor
// remembers; nothing, after saying so, when no folder is known. A catalogue
// that lists nothing is returned too: the caller decides what that costs.
std::unique_ptr<GameCatalogue> chosenCatalogue(const QCommandLineParser &parser, const QCommandLineOption &game,
                                               const Invocation &invocation, Console &io);

// What a command that goes through many maps with the game's catalogue
// (check, usage) starts from.
struct MapBatch {
    QStringList paths;
    RunSettings settings;
    std::unique_ptr<GameCatalogue> catalogue;
};

// Parses such a command's line: MAP... (at least one, or `noMap` is the
// usage error; "-" once at most), the parallel options and --game. Returns
// the exit status when the command ends here (--help, a usage error, no game
// folder known); otherwise `batch` is filled.
std::optional<int> startMapBatch(Invocation &invocation, const QStringList &arguments, const ParallelOptions &parallel,
                                 const QCommandLineOption &game, const QString &noMap, Console &io, MapBatch &batch);

} // namespace kestrun::kmp
