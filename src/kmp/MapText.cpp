#include "MapText.h"

#include "MapFile.h"
#include "Terrain.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

QByteArray mapImageOf(const QByteArray &file)
{
    QByteArray image = file.left(MapFileSize);
    image.append(MapFileSize - image.size(), '\0');
    return image;
}

QString spacedHex(const std::array<std::uint8_t, 8> &bytes)
{
    QStringList parts;
    for (const std::uint8_t byte : bytes)
        parts << u"%1"_s.arg(uint(byte), 2, 16, QChar(u'0'));
    return parts.join(u' ');
}

QString signatureText(std::int32_t signature)
{
    return u"0x%1"_s.arg(uint(static_cast<std::uint32_t>(signature)), 8, 16, QChar(u'0'));
}

QString terrainLabel(std::uint8_t code)
{
    const QString name = TerrainName(code);
    return name.isEmpty() ? u"code %1"_s.arg(code) : name;
}

} // namespace kestrun::kmp
