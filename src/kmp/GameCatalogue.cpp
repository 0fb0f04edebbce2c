#include "GameCatalogue.h"

#include "UserSettings.h"
#include "PictureFile.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

QCommandLineOption gameFolderOption()
{
    return {u"game"_s, u"The game folder holding tileset.dat. Without it, the folder the editor remembers."_s,
            u"DIR"_s};
}

QString chooseGameFolder(const QString &gameOption, bool gameOptionGiven)
{
    if (!gameOptionGiven)
        return rememberedGameFolder();
    if (gameOption.isEmpty() || gameOption.endsWith(u'/') || gameOption.endsWith(u'\\'))
        return gameOption;
    return gameOption + u'/';
}

std::unique_ptr<GameCatalogue> loadGameCatalogue(const QString &folder)
{
    auto game = std::make_unique<GameCatalogue>();
    game->folder = folder;
    game->cataloguePath = QDir::cleanPath(catalogueFilePath(folder));
    // One reader for the whole folder, as in the editor: its decoding budget
    // bounds what a hostile folder costs.
    PictureReader reader;
    game->load = loadCatalogue(folder, game->sprites, [&reader, &game](const QString &path) {
        game->picturePaths << path;
        return reader.read(path);
    });
    return game;
}

QString unusableReason(const QString &folder, const GameCatalogue *catalogue)
{
    if (folder.isEmpty()) {
        // A settings file that is not a regular file is never opened.
        const QString refusal = settingsStoreRefusal(AppTitle);
        return refusal.isEmpty()
            ? u"no game folder is known: give --game DIR, or choose the folder in the editor once"_s
            : refusal + u"; give --game DIR"_s;
    }
    if (catalogue && catalogue->load.listEntries.isEmpty())
        return u"game folder %1: %2"_s.arg(catalogue->folder, catalogue->load.reason);
    return {};
}

} // namespace kestrun::kmp
