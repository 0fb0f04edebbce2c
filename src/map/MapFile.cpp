#include "MapFile.h"

#include "FileHeadWrite.h"
#include "RegularFile.h"

#include <cstring>

namespace kestrun {
namespace {

template<typename T>
void putLittleEndian(std::uint8_t *out, T value)
{
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

template<typename T>
T getLittleEndian(const std::uint8_t *in)
{
    std::make_unsigned_t<T> bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits = static_cast<std::make_unsigned_t<T>>(bits | (std::make_unsigned_t<T>(in[i]) << (8 * i)));
    return static_cast<T>(bits);
}

} // namespace

std::span<const std::uint8_t> asByteSpan(const QByteArray &data)
{
    return {reinterpret_cast<const std::uint8_t *>(data.constData()), static_cast<std::size_t>(data.size())};
}

MapHeader currentMapHeader()
{
    MapHeader header;
    header.Signature = MapSignature;
    header.Version = MapFileVersion;
    header.MaxX = MapGrid::MaxX;
    header.MaxY = MapGrid::MaxY;
    return header;
}

std::array<std::uint8_t, MapHeaderSize> encodeMapHeader(const MapHeader &header)
{
    std::array<std::uint8_t, MapHeaderSize> out{};
    putLittleEndian(&out[0], header.Signature);
    putLittleEndian(&out[4], header.Version);
    putLittleEndian(&out[6], header.MaxX);
    putLittleEndian(&out[10], header.MaxY);
    std::memcpy(&out[14], header.Reserved.data(), header.Reserved.size());
    return out;
}

MapHeader decodeMapHeader(std::span<const std::uint8_t> data)
{
    std::array<std::uint8_t, MapHeaderSize> raw{};
    if (!data.empty()) // an empty span may have no data pointer at all
        std::memcpy(raw.data(), data.data(), std::min<std::size_t>(data.size(), raw.size()));
    MapHeader header;
    header.Signature = getLittleEndian<std::int32_t>(&raw[0]);
    header.Version = getLittleEndian<std::int16_t>(&raw[4]);
    header.MaxX = getLittleEndian<std::int32_t>(&raw[6]);
    header.MaxY = getLittleEndian<std::int32_t>(&raw[10]);
    std::memcpy(header.Reserved.data(), &raw[14], header.Reserved.size());
    return header;
}

QByteArray encodeMap(const MapGrid &grid)
{
    QByteArray out(MapFileSize, '\0');
    const auto header = encodeMapHeader(currentMapHeader());
    std::memcpy(out.data(), header.data(), header.size());
    std::memcpy(out.data() + MapHeaderSize, grid.bytes().data(), MapGrid::ByteSize);
    return out;
}

MapReadStatus decodeMap(std::span<const std::uint8_t> data, MapGrid &grid)
{
    const MapHeader header = decodeMapHeader(data);
    if (header.Signature != MapSignature)
        return MapReadStatus::NotValidMapFile;
    if (header.Version != MapFileVersion)
        return MapReadStatus::WrongVersion;
    grid.assignBytes(data.size() > MapHeaderSize ? data.subspan(MapHeaderSize) : std::span<const std::uint8_t>{});
    return MapReadStatus::Loaded;
}

MapReadResult readMapFile(const QString &path, MapGrid &grid)
{
    const ReadResult file = readRegularFile(path, MapFileSize);
    if (!file.ok())
        return {MapReadStatus::Unreadable, file.reason};
    return {decodeMap(asByteSpan(file.bytes), grid), QString()};
}

MapWriteResult writeMapFile(const QString &path, const MapGrid &grid)
{
    const WriteResult written = writeFileHead(path, encodeMap(grid));
    if (!written.ok())
        return {MapWriteStatus::Failed, written.reason};
    return {};
}

} // namespace kestrun
