#include "TiledLayerData.h"

#include <QByteArray>

#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace kestrun::kmp::tiled {
namespace {

LayerTiles failed(const QString &error)
{
    LayerTiles tiles;
    tiles.error = error;
    return tiles;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

enum class Inflated { Done, TooLong, Broken, WindowTooLarge };

// The largest zstd window taken, 8 MiB: what zstd's levels up to 19 use when
// the data's size is not written in the frame (a stream's frames), while the
// decoder's own limit, 128 MiB, is refused.
constexpr int ZstdWindowLogMax = 23;

// Inflates zlib (`gzip` false) or gzip data into `out`, whose size is the
// most it may give; `out` is cut to what came.
Inflated inflateInto(QByteArrayView in, QByteArray &out, bool gzip)
{
    z_stream stream{};
    if (inflateInit2(&stream, gzip ? 16 + MAX_WBITS : MAX_WBITS) != Z_OK)
        return Inflated::Broken;
    const std::unique_ptr<z_stream, int (*)(z_stream *)> cleanup(&stream, inflateEnd);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.data()));
    stream.avail_in = uInt(in.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int status = inflate(&stream, Z_FINISH);
    out.truncate(out.size() - qsizetype(stream.avail_out));
    if (status == Z_STREAM_END)
        return Inflated::Done;
    return stream.avail_out == 0 ? Inflated::TooLong : Inflated::Broken;
}

Inflated zstdInto(QByteArrayView in, QByteArray &out)
{
    const std::unique_ptr<ZSTD_DCtx, size_t (*)(ZSTD_DCtx *)> context(ZSTD_createDCtx(), ZSTD_freeDCtx);
    // A frame states the window it needs, and the decoder allocates it (no
    // more than the data's size, where the frame gives that).
    if (!context || ZSTD_isError(ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, ZstdWindowLogMax)))
        return Inflated::Broken;
    ZSTD_inBuffer input{in.data(), std::size_t(in.size()), 0};
    ZSTD_outBuffer output{out.data(), std::size_t(out.size()), 0};
    std::size_t status = 0;
    for (;;) {
        const std::size_t inBefore = input.pos;
        const std::size_t outBefore = output.pos;
        status = ZSTD_decompressStream(context.get(), &output, &input);
        if (ZSTD_isError(status) || output.pos == output.size)
            break;
        if (status == 0 && input.pos == input.size)
            break;
        if (input.pos == inBefore && output.pos == outBefore) // cut short
            break;
    }
    out.truncate(qsizetype(output.pos));
    if (output.pos == output.size)
        return Inflated::TooLong;
    if (ZSTD_isError(status) && ZSTD_getErrorCode(status) == ZSTD_error_frameParameter_windowTooLarge)
        return Inflated::WindowTooLarge;
    return !ZSTD_isError(status) && status == 0 && input.pos == input.size ? Inflated::Done : Inflated::Broken;
}

} // namespace

LayerTiles tilesFromCsv(QByteArrayView text, int count)
{
    LayerTiles tiles;
    tiles.gids.reserve(std::size_t(count));
    qsizetype at = 0;
    const qsizetype end = text.size();
    while (true) {
        while (at < end && isSpace(text[at]))
            ++at;
        if (at == end)
            break;
        qsizetype digits = at;
        while (digits < end && text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        bool ok = digits > at && digits - at <= 10;
        const qulonglong gid = ok ? text.sliced(at, digits - at).toULongLong(&ok) : 0;
        if (!ok || gid > 0xFFFFFFFFull)
            return failed(
                u"the CSV data holds something other than a tile number after %1 tiles"_s.arg(tiles.gids.size()));
        if (int(tiles.gids.size()) == count)
            return failed(u"the layer holds more than %1 tiles"_s.arg(count));
        tiles.gids.push_back(std::uint32_t(gid));
        at = digits;
        while (at < end && isSpace(text[at]))
            ++at;
        if (at < end && text[at] == ',')
            ++at;
        else if (at < end)
            return failed(
                u"the CSV data holds something other than a tile number after %1 tiles"_s.arg(tiles.gids.size()));
    }
    if (int(tiles.gids.size()) != count)
        return failed(u"the layer holds %1 tiles, not %2"_s.arg(tiles.gids.size()).arg(count));
    return tiles;
}

LayerTiles tilesFromBase64(QByteArrayView text, const QString &compression, int count)
{
    const qsizetype expected = qsizetype(count) * 4;
    QByteArray compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (!isSpace(c))
            compact += c;
    }
    // Uncompressed data can be no longer than its tiles need.
    if (compression.isEmpty() && compact.size() > (expected + 2) / 3 * 4)
        return failed(u"the layer holds more than %1 tiles"_s.arg(count));
    const auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return failed(u"the layer's base64 data is malformed"_s);
    QByteArray raw;
    if (compression.isEmpty()) {
        raw = *decoded;
    } else {
        // One byte beyond what is expected tells data that is too long.
        raw = QByteArray(expected + 1, Qt::Uninitialized);
        Inflated result = Inflated::Broken;
        if (compression == u"zlib"_s || compression == u"gzip"_s)
            result = inflateInto(*decoded, raw, compression == u"gzip"_s);
        else if (compression == u"zstd"_s)
            result = zstdInto(*decoded, raw);
        else
            return failed(u"the layer is compressed by \"%1\", which kmp does not read"_s.arg(compression));
        if (result == Inflated::WindowTooLarge)
            return failed(
                u"the layer's zstd data asks for a window of more than %1 MiB"_s.arg(1 << (ZstdWindowLogMax - 20)));
        if (result == Inflated::Broken)
            return failed(u"the layer's %1 data is damaged"_s.arg(compression));
    }
    if (raw.size() != expected)
        return failed(raw.size() > expected ? u"the layer holds more than %1 tiles"_s.arg(count)
                                            : u"the layer holds %1 tiles, not %2"_s.arg(raw.size() / 4).arg(count));
    LayerTiles tiles;
    tiles.gids.resize(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(raw.constData()) + 4 * i;
        tiles.gids[std::size_t(i)] = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8
            | std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    }
    return tiles;
}

} // namespace kestrun::kmp::tiled
