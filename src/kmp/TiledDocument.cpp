#include "TiledDocument.h"

namespace kestrun::kmp::tiled {
namespace {

bool startsAsJson(QByteArrayView data)
{
    for (const char c : data) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            return c == '{' || c == '['; // a JSON array is told it is no Tiled map, not an XML error
    }
    return false;
}

} // namespace

TiledDocument readTiledDocument(QByteArrayView data, int expectedTiles)
{
    return startsAsJson(data) ? readTiledJson(data, expectedTiles) : readTmx(data, expectedTiles);
}

TilesetFile readTilesetFile(QByteArrayView data)
{
    return startsAsJson(data) ? readTilesetJson(data) : readTsx(data);
}

} // namespace kestrun::kmp::tiled
