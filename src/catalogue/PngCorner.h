#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>

#include <memory>

class QIODevice;

namespace kestrun {

// Whether `head` starts with the PNG signature.
bool isPngSignature(QByteArrayView head);

// Reads the top-left corner of a PNG through libpng, row by row: a
// non-interlaced picture is read only down to the last row the corner needs,
// and only the corner's rows are kept, however large the picture says it is.
// (An interlaced picture spreads every row over seven passes, so all of it
// is decoded, still keeping only the corner's rows.)
class PngCorner {
public:
    explicit PngCorner(QIODevice &device);
    ~PngCorner();
    PngCorner(const PngCorner &) = delete;
    PngCorner &operator=(const PngCorner &) = delete;

    // Reads the header; false when it is not a well-formed PNG header.
    bool readHeader();
    QSize size() const;
    // Pixels the decoder has to produce for a corner of `side` x `side`.
    qint64 decodingCost(int side) const;

    // The top-left `side` x `side` (or less, for a smaller picture) with the
    // picture's own pixel values: 8 or 16 bits per channel, with alpha where
    // the picture has transparency. A null image when the data is damaged.
    QImage readCorner(int side);

private:
    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
};

} // namespace kestrun
