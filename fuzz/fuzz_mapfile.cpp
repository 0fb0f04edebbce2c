// Feeds arbitrary bytes to the map reader: it must never crash, must leave
// the grid untouched when it rejects a file, and what it loads must survive a
// write and a second read unchanged.
#include "MapFile.h"

#include <cstdlib>
#include <cstring>

using namespace kestrun;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MapGrid grid;
    applyNewMapDefaults(grid);
    const MapGrid before = grid;
    const MapReadStatus status = decodeMap({data, size}, grid);
    if (status != MapReadStatus::Loaded) {
        if (!(grid == before))
            std::abort();
        return 0;
    }
    const QByteArray written = encodeMap(grid);
    MapGrid again;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(written.constData());
    if (decodeMap({bytes, std::size_t(written.size())}, again) != MapReadStatus::Loaded || !(again == grid))
        std::abort();
    // The cells are the input's bytes after the header, zero beyond its end.
    const std::size_t cells = size > MapHeaderSize ? std::min<std::size_t>(size - MapHeaderSize, MapGrid::ByteSize) : 0;
    if (cells && std::memcmp(grid.bytes().data(), data + MapHeaderSize, cells) != 0)
        std::abort();
    return 0;
}
