#pragma once

#include <QByteArrayView>
#include <QString>

namespace kestrun {

// True when `bytes` is well-formed UTF-8: no stray continuation bytes, no
// truncated sequences, no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(QByteArrayView bytes);

// 8-bit Windows Cyrillic (code page 1251). Every byte maps to one character;
// 0x98, unassigned in the code page, maps to U+0098.
QString decodeWindows1251(QByteArrayView bytes);

// The text of a catalogue file: UTF-8 when the bytes are valid UTF-8 (a
// leading byte-order mark is dropped), Windows-1251 otherwise, which is what
// the game's own catalogues are written in.
QString decodeCatalogueText(QByteArrayView bytes);

} // namespace kestrun
