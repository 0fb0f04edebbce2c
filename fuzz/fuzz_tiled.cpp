// Feeds arbitrary bytes to kmp import as a Tiled map (TMX or JSON), its
// external tilesets being the ones export writes: it must never crash, hang
// or allocate beyond its limits, and any map file it gives must come back
// the same through an export and a second import.
#include "TiledExport.h"
#include "TiledImport.h"

#include <cstdlib>

using namespace kestrun;
using namespace kestrun::kmp::tiled;

namespace {

struct Tilesets {
    Tileset terrain = terrainTileset();
    Tileset sprites = spriteTileset(SpriteTable());
};

TilesetSource load(const Tilesets &tilesets, const QString &source)
{
    if (source.contains(QStringLiteral("terrain")))
        return {tilesets.terrain.tsx, {}};
    if (source.contains(QStringLiteral("sprites")))
        return {tilesets.sprites.tsx, {}};
    return {{}, QStringLiteral("no such file")};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Tilesets tilesets;
    const auto loader = [](const QString &source) { return load(tilesets, source); };
    const ImportResult imported =
        importLevel(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), loader);
    if (!imported.ok())
        return 0;
    if (imported.file.size() > MapFileSize + MaxTailBytes)
        std::abort();
    const QByteArray tmx = exportTmx(levelOf(imported.file), tilesets.terrain.tsxFile, tilesets.sprites.tsxFile);
    const ImportResult again = importLevel(tmx, loader);
    if (!again.ok() || again.file != imported.file)
        std::abort();
    return 0;
}
