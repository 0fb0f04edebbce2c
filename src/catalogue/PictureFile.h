#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace kestrun {

// Sprite pictures larger than this, by either side or by area, are taken for
// damaged or hostile files and refused before anything is decoded.
inline constexpr int MaxPictureSide = 16384;
inline constexpr qint64 MaxPicturePixels = qint64(32) * 1024 * 1024;

// Whether a picture declaring `size` may be decoded. An unknown size (some
// formats only tell while decoding) is allowed; the reader's allocation limit
// stands guard then.
bool isAcceptablePictureSize(QSize size);

// Decodes a picture with Qt's image reader (every format it has), refusing
// absurd sizes, and keeps its top-left 40 x 40 (the only part ever drawn).
// A missing, unreadable, corrupt or refused file gives a null image.
QImage loadPictureFile(const QString &path);

} // namespace kestrun
