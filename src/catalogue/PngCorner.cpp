#include "PngCorner.h"

#include <QIODevice>
#include <QSysInfo>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace kestrun {
namespace {

constexpr QByteArrayView PngSignature("\x89PNG\r\n\x1a\n", 8);
// No chunk libpng keeps in memory needs more than this, and no sprite has
// more ancillary chunks than this.
constexpr png_alloc_size_t MaxChunkBytes = 4 * 1024 * 1024;
constexpr png_uint_32 MaxAncillaryChunks = 64;

void readFromDevice(png_structp png, png_bytep out, size_t length)
{
    auto *device = static_cast<QIODevice *>(png_get_io_ptr(png));
    if (device->read(reinterpret_cast<char *>(out), qint64(length)) != qint64(length))
        png_error(png, "the file ends early");
}

// libpng's errors return to the setjmp of the call that met them; its
// warnings (an ancillary chunk it skips) change nothing.
[[noreturn]] void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

} // namespace

bool isPngSignature(QByteArrayView head)
{
    return head.startsWith(PngSignature);
}

struct PngCorner::Decoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    QSize size;
    bool interlaced = false;
    bool alpha = false;
    bool wide = false; // 16 bits per channel
    int passes = 1;

    // Sets the transforms that give every pixel as RGBA, 8 or 16 bits per
    // channel (16-bit samples in the machine's byte order, as QImage keeps
    // them). The only code between setjmp and its return touches libpng.
    bool readInfo()
    {
        if (setjmp(png_jmpbuf(png)))
            return false;
        png_read_info(png, info);
        const png_byte colorType = png_get_color_type(png, info);
        const png_byte depth = png_get_bit_depth(png, info);
        size = QSize(int(png_get_image_width(png, info)), int(png_get_image_height(png, info)));
        interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
        alpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
        wide = depth == 16;

        png_set_expand(png); // palette to RGB, small greys to 8 bits, tRNS to alpha
        if (!(colorType & PNG_COLOR_MASK_COLOR))
            png_set_gray_to_rgb(png);
        if (wide && QSysInfo::ByteOrder == QSysInfo::LittleEndian)
            png_set_swap(png);
        if (!alpha)
            png_set_filler(png, wide ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
        passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
        return true;
    }

    // Decodes rows into `rows` (one buffer per kept row) and `scratch` (for
    // rows past them, which an interlaced picture makes the decoder visit).
    bool readRows(png_bytep *rows, int kept, png_bytep scratch)
    {
        if (setjmp(png_jmpbuf(png)))
            return false;
        for (int pass = 0; pass < passes; ++pass) {
            // The last pass is the only one that may stop at the corner.
            const int last = pass + 1 == passes ? kept : size.height();
            for (int y = 0; y < last; ++y)
                png_read_row(png, y < kept ? rows[y] : scratch, nullptr);
        }
        return true;
    }
};

PngCorner::PngCorner(QIODevice &device)
    : m_decoder(std::make_unique<Decoder>())
{
    Decoder &d = *m_decoder;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (d.png)
        d.info = png_create_info_struct(d.png);
    if (d.info) {
        png_set_read_fn(d.png, &device, readFromDevice);
        // Every chunk but the header, palette, transparency, data and end
        // is passed over unread: its checksum is taken as it streams by,
        // nothing is inflated (a text or colour-profile chunk may inflate to
        // any size, a thousand times over) and nothing is kept.
        png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_chunk_malloc_max(d.png, MaxChunkBytes);
        png_set_chunk_cache_max(d.png, MaxAncillaryChunks);
    }
}

PngCorner::~PngCorner()
{
    png_destroy_read_struct(&m_decoder->png, &m_decoder->info, nullptr);
}

bool PngCorner::readHeader()
{
    return m_decoder->info && m_decoder->readInfo();
}

QSize PngCorner::size() const
{
    return m_decoder->size;
}

qint64 PngCorner::decodingCost(int side) const
{
    const QSize size = m_decoder->size;
    return qint64(size.width()) * (m_decoder->interlaced ? size.height() : std::min(size.height(), side));
}

QImage PngCorner::readCorner(int side)
{
    Decoder &d = *m_decoder;
    const int width = std::min(d.size.width(), side);
    const int kept = std::min(d.size.height(), side);
    const size_t rowBytes = png_get_rowbytes(d.png, d.info);
    std::vector<png_byte> buffer(rowBytes * size_t(kept + 1));
    std::vector<png_bytep> rows(static_cast<size_t>(kept));
    for (int y = 0; y < kept; ++y)
        rows[size_t(y)] = buffer.data() + rowBytes * size_t(y);
    if (!d.readRows(rows.data(), kept, buffer.data() + rowBytes * size_t(kept)))
        return {};

    const QImage::Format format = d.wide ? (d.alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
                                         : (d.alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    QImage corner(width, kept, format);
    if (corner.isNull())
        return {};
    const size_t pixelBytes = d.wide ? 8 : 4;
    for (int y = 0; y < kept; ++y)
        std::memcpy(corner.scanLine(y), rows[size_t(y)], pixelBytes * size_t(width));
    return corner;
}

} // namespace kestrun
