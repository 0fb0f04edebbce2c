#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace kestrun::kmp::tiled {

// A tile layer's data as Tiled stores it, turned into its tiles (global tile
// ids with their flip bits). Exactly `count` tiles are expected; anything
// else, or data that does not decode, is an error, found before more than
// count * 4 bytes are allocated for it.
struct LayerTiles {
    std::vector<std::uint32_t> gids;
    QString error; // set when the data is unusable
};

// "1,2,3,..." with any white space around the numbers.
LayerTiles tilesFromCsv(QByteArrayView text, int count);
// Base64 of little-endian 32-bit ids, uncompressed ("" compression) or
// compressed by "zlib", "gzip" or "zstd".
LayerTiles tilesFromBase64(QByteArrayView text, const QString &compression, int count);

} // namespace kestrun::kmp::tiled
