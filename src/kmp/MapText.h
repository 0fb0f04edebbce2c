#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace kestrun::kmp {

// A file's map image: its first 726 bytes, zeros for what a short file lacks
// (as the editor reads it).
QByteArray mapImageOf(const QByteArray &file);

// "00 00 00 00 00 00 00 00": the reserved bytes as a person reads them.
QString spacedHex(const std::array<std::uint8_t, 8> &bytes);
// "0x12345678": the signature as its bytes read little-endian.
QString signatureText(std::int32_t signature);
// "Ground", "Water", ... or "code 3" for a value that has no name.
QString terrainLabel(std::uint8_t code);

} // namespace kestrun::kmp
