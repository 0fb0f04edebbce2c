#pragma once

#include "io/FileResult.h"

#include <QByteArray>
#include <QString>

namespace kestrun::kmp {

// The text form of a map file, lossless for every file, valid or not:
//
//   kmp-dump 1 size=726 signature=0x12345678 version=2 MaxX=15 MaxY=10 reserved=0000000000000000
//   row 0: 1.1.0.0 1.1.0.0 ... (16 cells)
//   ...
//   row 10: ...
//   tail 726: 0a0b0c... (only for bytes past 726: 32 bytes a line, hex)
//   tail 758: ...
//
// The header line gives the file's size and its header fields as the file
// holds them: the signature in hex, the version, MaxX and MaxY as signed
// decimals, the eight reserved bytes in hex. Each of the 11 rows holds its 16
// cells left to right, each cell terrain.sprite1.sprite2.sprite3 in decimal,
// so a change to one cell changes one line. A file shorter than 726 bytes
// shows zeros for what it lacks (its size says where it ends); one longer
// shows the rest in the tail lines, each led by its offset.
inline constexpr int DumpTailBytesPerLine = 32;

QString dumpMapFile(const QByteArray &file);

enum class UndumpStatus { Read, Malformed };
struct UndumpResult : FileResult<UndumpStatus> {
    QByteArray file; // the map file's bytes, when read
    int line = 0;    // the line at fault (1-based), or 0 for the text as a whole
};

// The file a dump describes, byte for byte; or the first fault in the text.
// Accepts CR LF line ends and blank lines at the end.
UndumpResult undumpMapFile(const QString &text);

} // namespace kestrun::kmp
