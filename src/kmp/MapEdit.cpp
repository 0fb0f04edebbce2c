#include "MapEdit.h"

#include "MapFile.h"
#include "Terrain.h"

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

std::optional<QString> readMapToEdit(const QString &path, MapGrid &grid)
{
    const MapReadResult read = readMapFile(path, grid);
    switch (read.status) {
    case MapReadStatus::Loaded: return std::nullopt;
    case MapReadStatus::NotValidMapFile: return u"Not valid map file"_s;
    case MapReadStatus::WrongVersion: return u"Wrong version"_s;
    case MapReadStatus::Unreadable: break;
    }
    return read.reason;
}

QString valueWarning(int layer, int value, const SpriteTable *sprites)
{
    if (layer == 0) {
        if (!TerrainName(std::uint8_t(value)).isEmpty())
            return {};
        return u"terrain code %1 is none of Ground 1, Beton 2, Brick 4, Ice 8, Water 16; the editor draws it "
               u"black"_s.arg(value);
    }
    if (value == 0 || !sprites)
        return {};
    const SpriteEntry &entry = (*sprites)[std::uint8_t(value)];
    if (entry.FileName.isEmpty())
        return u"sprite %1 is not in the game's catalogue"_s.arg(value);
    if (entry.Picture.isNull())
        return u"sprite %1 (%2): its picture does not load"_s.arg(value).arg(entry.FileName);
    return {};
}

} // namespace kestrun::kmp
