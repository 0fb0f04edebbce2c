#pragma once

#include "FileResult.h"
#include "MapGrid.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

namespace kestrun {

// The map file is 726 bytes, little-endian: a 22-byte header, then the 704
// cell bytes of the grid in storage order. In the file the header's fields
// follow one another with no padding: Signature at offset 0, Version at 4,
// MaxX at 6, MaxY at 10, Reserved at 14. This struct holds their values, not
// the file's layout: in memory the compiler pads after Version, so MaxX sits
// at offset 8 and the struct is 24 bytes; it is read and written field by
// field, never as a block.
struct MapHeader {
    std::int32_t Signature = 0;
    std::int16_t Version = 0;
    std::int32_t MaxX = 0;
    std::int32_t MaxY = 0;
    std::array<std::uint8_t, 8> Reserved{};

    friend bool operator==(const MapHeader &, const MapHeader &) = default;
};

inline constexpr std::int32_t MapSignature = 0x12345678;
inline constexpr std::int16_t MapFileVersion = 2;
inline constexpr int MapHeaderSize = 22;
inline constexpr int MapFileSize = MapHeaderSize + MapGrid::ByteSize;

// The bytes of a QByteArray, for the decoders below.
std::span<const std::uint8_t> asByteSpan(const QByteArray &data);

// The header SaveMap writes: the signature, version 2, MaxX 15, MaxY 10.
MapHeader currentMapHeader();
std::array<std::uint8_t, MapHeaderSize> encodeMapHeader(const MapHeader &header);
// Bytes missing at the end of a short input leave their part of the header 0.
MapHeader decodeMapHeader(std::span<const std::uint8_t> data);

// The 726 bytes of a map file for `grid`.
QByteArray encodeMap(const MapGrid &grid);

enum class MapReadStatus { Loaded, NotValidMapFile, WrongVersion, Unreadable };

// Checks the header of a map file image and, when it is valid, reads the cells
// into `grid`. A valid image shorter than 726 bytes loads what it holds and
// leaves the remaining cell bytes 0; bytes after offset 726 are ignored.
// MaxX, MaxY, Reserved and the cell values are not checked. After
// NotValidMapFile or WrongVersion the grid is exactly as it was.
MapReadStatus decodeMap(std::span<const std::uint8_t> data, MapGrid &grid);

// The reason is set for Unreadable only.
using MapReadResult = FileResult<MapReadStatus>;

// Reads a map file. Never creates or changes a file, and opens nothing but a
// regular file: a missing path, a folder, a named pipe or a device is
// Unreadable, and the grid is then left as it was.
MapReadResult readMapFile(const QString &path, MapGrid &grid);

enum class MapWriteStatus { Saved, Failed };
using MapWriteResult = FileResult<MapWriteStatus>;

// Writes the map's 726 bytes over the start of the file at `path`, keeping
// whatever a longer file holds after them (see writeFileHead). Usually a
// temporary file is renamed over the map, which replaces it atomically: a
// failure or a crash leaves the old map. Where the map is written in place
// instead (a second hard link, a long tail, a folder closed to the
// temporary, a rename refused with EBUSY or EXDEV, an ACL or inode flags the
// temporary cannot be given), the 726 bytes go in one pwrite followed by an
// fsync: a reader sees the old or the new head, but a crash of the system
// during that write is not guarded against. Another user's symbolic link in
// a shared sticky folder is refused.
MapWriteResult writeMapFile(const QString &path, const MapGrid &grid);

} // namespace kestrun
