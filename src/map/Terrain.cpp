#include "Terrain.h"

namespace kestrun {
namespace {

const TerrainKind *kindOf(std::uint8_t code)
{
    for (const TerrainKind &kind : Terrains) {
        if (terrainByte(kind.code) == code)
            return &kind;
    }
    return nullptr;
}

} // namespace

QString TerrainName(std::uint8_t code)
{
    const TerrainKind *kind = kindOf(code);
    return kind ? QString::fromLatin1(kind->name) : QString();
}

QRgb terrainColor(std::uint8_t code)
{
    const TerrainKind *kind = kindOf(code);
    return kind ? kind->color : qRgb(0, 0, 0);
}

} // namespace kestrun
