#pragma once

#include "Catalogue.h"
#include "SpriteTable.h"

#include <QCommandLineOption>
#include <QString>

#include <memory>

namespace kestrun::kmp {

// --game DIR, shared by check and render.
QCommandLineOption gameFolderOption();

// The game folder to use: DIR from --game, with a trailing separator added
// when it has none (the editor uses the folder as a plain prefix); else the
// folder the editor remembers, exactly as stored; else the empty string.
QString chooseGameFolder(const QString &gameOption, bool gameOptionGiven);

// A game's sprite catalogue, loaded exactly as the editor loads it.
struct GameCatalogue {
    QString folder;
    QString cataloguePath;
    SpriteTable sprites;
    CatalogueLoadResult load;
    QStringList picturePaths; // every picture the catalogue named, as opened
};

std::unique_ptr<GameCatalogue> loadGameCatalogue(const QString &folder);

// Why the game's sprites cannot be used at all (no folder known, a settings
// file that is not a regular file, or a catalogue that lists nothing
// loadable), or the empty string. A catalogue that stopped part-way still
// gives the sprites before the failing record, as in the editor.
QString unusableReason(const QString &folder, const GameCatalogue *catalogue);

} // namespace kestrun::kmp
