#pragma once

#include "JpegFrame.h"
#include "FileResult.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

class QIODevice;

namespace kestrun {

// Limits no sprite of a real game comes near (its pictures are 40 x 40, and
// only the top-left 40 x 40 of any picture is ever drawn); files beyond them
// are taken for damaged or hostile ones and refused before they are decoded.
//
// A picture larger than this by either side, or by area:
inline constexpr int MaxPictureSide = 16384;
inline constexpr qint64 MaxPicturePixels = qint64(32) * 1024 * 1024;
// A picture that has to be decoded whole larger than this by area; the
// decoded image then stays under 64 MiB. Only a non-interlaced PNG and a
// sequential JPEG are read no further than their first 40 rows; a JPEG
// decoded whole (progressive, for one) weighs more than its area, as libjpeg
// holds two bytes a sample of each of its components (three pixels for two,
// in colour):
inline constexpr qint64 MaxWholeDecodePixels = qint64(16) * 1024 * 1024;
// The bytes read from one picture: room for the largest picture decoded
// whole, kept uncompressed at 32 bits a pixel, and its headers.
inline constexpr qint64 MaxPictureBytes = qint64(65) * 1024 * 1024;
// The scans of one JPEG: libjpeg passes over the whole picture once per scan
// of a progressive one. Its own progressive pictures have 10 (6 in grey).
inline constexpr qsizetype MaxJpegScans = 64;

// What one reader spends in all, over every picture it is asked for (a game
// folder's pictures are read by one reader); the pictures asked for after
// that are refused. The defaults give 4,096 ordinary sprites (40 x 40, a few
// kilobytes, 10 scans when progressive) sixteen times the room they take, and
// a few pictures larger than any sprite.
struct DecodingBudget {
    // The bytes read from picture files.
    qint64 bytes = qint64(256) * 1024 * 1024;
    // The pixels decoded, counted as above, or by the picture decoded where
    // that is larger than its file told.
    qint64 pixels = qint64(64) * 1024 * 1024;
    // The scans of every JPEG (a sequential one has one a component or one
    // for all).
    qint64 scans = 4096 * 16;
};
inline constexpr qint64 MaxDecodedPixels = DecodingBudget().pixels;

// Sets Qt's limit on what one decoding may allocate to room for the largest
// picture decoded whole; it guards the formats that tell their size only
// while decoding. The limit is process-wide and read by every decoding: set
// it on the main thread before any picture is decoded (the editor's main
// does, and the prefetch before its worker starts; so do the tests and
// tools that decode).
void applyPictureAllocationLimit();

// Whether a picture declaring `size` may be decoded. An unknown size (some
// formats only tell while decoding) is allowed; the reader's allocation limit
// stands guard then.
bool isAcceptablePictureSize(QSize size);

enum class PictureReadStatus { Loaded, Unreadable };
struct PictureReadResult : FileResult<PictureReadStatus> {
    QImage picture; // the top-left 40 x 40 (or less), null unless Loaded
};

// Decodes sprite pictures, keeping the top-left 40 x 40 (the only part ever
// drawn): PNG through libpng row by row, JPEG through Qt with a clip
// rectangle (libjpeg still decodes a progressive one whole), every other
// format Qt has in whole. Guards the sizes and caps above and spends its
// budget on what it reads and decodes.
class PictureReader {
public:
    explicit PictureReader(DecodingBudget budget = {})
        : m_left(budget)
    {
    }

    // The picture of a file; only a regular file is opened.
    PictureReadResult read(const QString &path);
    // The picture held by `device`, read from its start; `suffix` names the
    // format to try first (the content decides when it does not fit).
    PictureReadResult decode(QIODevice &device, const QString &suffix);

private:
    PictureReadResult decodeLimited(QIODevice &device, const QString &suffix);
    PictureReadResult decodeWithQt(QIODevice &device, const QString &suffix, const std::optional<JpegFrame> &jpegFrame);
    bool spend(qint64 pixels);

    DecodingBudget m_left;
};

// A missing, unreadable, corrupt or refused file gives Unreadable, with why.
PictureReadResult loadPictureFile(const QString &path);

} // namespace kestrun
