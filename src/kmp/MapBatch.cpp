#include "MapBatch.h"

#include "MapSource.h"

namespace kestrun::kmp {

std::unique_ptr<GameCatalogue> chosenCatalogue(const QCommandLineParser &parser, const QCommandLineOption &game,
                                               const Invocation &invocation, Console &io)
{
    const QString folder = chooseGameFolder(parser.value(game), parser.isSet(game));
    if (folder.isEmpty()) {
        reportFailure(io, invocation.command(), unusableReason(folder, nullptr));
        return nullptr;
    }
    return loadGameCatalogue(folder);
}

std::optional<int> startMapBatch(Invocation &invocation, const QStringList &arguments, const ParallelOptions &parallel,
                                 const QCommandLineOption &game, const QString &noMap, Console &io, MapBatch &batch)
{
    if (const auto done = invocation.parse(arguments, io))
        return *done;
    const QCommandLineParser &parser = invocation.parser();
    batch.paths = parser.positionalArguments();
    if (batch.paths.isEmpty())
        return invocation.usageError(io, noMap);
    if (batch.paths.count(StandardStream) > 1)
        return invocation.usageError(io, StandardInputTwice);
    const std::optional<RunSettings> settings = parallel.read(parser, invocation, io);
    if (!settings)
        return ExitUsage;
    batch.settings = *settings;
    batch.catalogue = chosenCatalogue(parser, game, invocation, io);
    if (!batch.catalogue)
        return ExitFailure;
    return std::nullopt;
}

} // namespace kestrun::kmp
