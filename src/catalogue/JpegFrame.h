#pragma once

#include <QByteArrayView>

#include <optional>

namespace kestrun {

// Whether `head` starts as a JPEG does (the start-of-image marker).
bool isJpegSignature(QByteArrayView head);

// What a JPEG's markers tell before its pixels about how libjpeg decodes it.
struct JpegFrame {
    // A sequential frame whose first scan holds every component comes out
    // row by row: reading its first rows costs only them. Any other frame
    // (progressive, hierarchical or lossless, or components in scans of
    // their own) is taken in whole before the first row comes out, whatever
    // part of it is asked for.
    bool rowByRow = false;
    int components = 0;
};

// The frame of the JPEG that `head` begins, read from its markers up to the
// first scan; nothing when `head` is not a JPEG or ends before that scan.
std::optional<JpegFrame> readJpegFrame(QByteArrayView head);

// The scans of the JPEG that `bytes` hold, as libjpeg would meet them up to
// the end-of-image marker: segments are stepped over by their lengths and a
// scan's coded data up to the next marker. Whatever cannot be walked ends
// the count there.
qsizetype countJpegScans(QByteArrayView bytes);

} // namespace kestrun
