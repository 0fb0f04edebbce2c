#include "map/Terrain.h"

namespace kestrun {

QString TerrainName(std::uint8_t code)
{
    switch (code) {
    case TerrainGround: return QStringLiteral("Ground");
    case TerrainBeton: return QStringLiteral("Beton");
    case TerrainBrick: return QStringLiteral("Brick");
    case TerrainIce: return QStringLiteral("Ice");
    case TerrainWater: return QStringLiteral("Water");
    default: return QString();
    }
}

} // namespace kestrun
