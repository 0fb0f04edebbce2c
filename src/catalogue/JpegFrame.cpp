#include "JpegFrame.h"

#include <algorithm>
#include <cstdint>

namespace kestrun {
namespace {

constexpr std::uint8_t MarkerPrefix = 0xFF;
constexpr std::uint8_t StartOfImage = 0xD8;
constexpr std::uint8_t EndOfImage = 0xD9;
constexpr std::uint8_t StartOfScan = 0xDA;

std::uint8_t byteAt(QByteArrayView bytes, qsizetype at)
{
    return static_cast<std::uint8_t>(bytes[at]);
}

// The start-of-frame markers are C0 to CF but for C4 (Huffman tables), C8
// (reserved) and CC (arithmetic coding conditions).
bool isStartOfFrame(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Baseline, extended sequential and arithmetic sequential: the frames
// libjpeg may decode row by row.
bool isSequential(std::uint8_t marker)
{
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC9;
}

// The markers that stand alone, without a length: libjpeg steps over them
// (TEM and the restart markers), so this reading does too.
bool standsAlone(std::uint8_t marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

} // namespace

bool isJpegSignature(QByteArrayView head)
{
    return head.size() >= 2 && byteAt(head, 0) == MarkerPrefix && byteAt(head, 1) == StartOfImage;
}

std::optional<JpegFrame> readJpegFrame(QByteArrayView head)
{
    if (!isJpegSignature(head))
        return std::nullopt;
    std::optional<JpegFrame> frame;
    bool sequential = false;
    qsizetype at = 2;
    // Whatever libjpeg might read otherwise (bytes between markers, a second
    // frame, an end before the first scan) gives nothing: the caller then
    // takes the frame for one decoded whole.
    for (;;) {
        // A marker: FF (any number of them, as fill) and its code, then its
        // segment's length (two bytes, counting themselves) and contents.
        if (at >= head.size() || byteAt(head, at) != MarkerPrefix)
            return std::nullopt;
        while (at < head.size() && byteAt(head, at) == MarkerPrefix)
            ++at;
        if (at >= head.size())
            return std::nullopt;
        const std::uint8_t marker = byteAt(head, at);
        if (marker == StartOfImage || marker == EndOfImage)
            return std::nullopt;
        if (standsAlone(marker)) {
            ++at;
            continue;
        }
        if (at + 2 >= head.size())
            return std::nullopt;
        const int length = byteAt(head, at + 1) << 8 | byteAt(head, at + 2);
        const qsizetype contents = at + 3;
        if (length < 2 || contents + length - 2 > head.size())
            return std::nullopt;
        if (isStartOfFrame(marker)) {
            if (frame || length < 8)
                return std::nullopt;
            // precision, height (2), width (2), component count
            frame = JpegFrame{false, byteAt(head, contents + 5)};
            sequential = isSequential(marker);
        } else if (marker == StartOfScan) {
            if (!frame || length < 3)
                return std::nullopt;
            frame->rowByRow = sequential && byteAt(head, contents) == frame->components;
            return frame;
        }
        at = contents + length - 2;
    }
}

qsizetype countJpegScans(QByteArrayView bytes)
{
    qsizetype scans = 0;
    qsizetype at = 2; // past the start of image
    while (at + 1 < bytes.size()) {
        // The next marker, as libjpeg finds it: bytes that are not one are
        // passed over (the coded data of a scan, or garbage it warns of),
        // and so are fill, stuffed zeros and the markers that stand alone.
        if (byteAt(bytes, at) != MarkerPrefix) {
            ++at;
            continue;
        }
        const std::uint8_t marker = byteAt(bytes, at + 1);
        if (marker == 0x00 || marker == MarkerPrefix || standsAlone(marker)) {
            at += marker == MarkerPrefix ? 1 : 2;
            continue;
        }
        if (marker == EndOfImage)
            break;
        if (marker == StartOfScan)
            ++scans;
        // A segment: stepped over by its length (a scan's header too, its
        // coded data then passed over as above).
        if (at + 3 >= bytes.size())
            break;
        const int length = byteAt(bytes, at + 2) << 8 | byteAt(bytes, at + 3);
        at += 2 + std::max(length, 2);
    }
    return scans;
}

} // namespace kestrun
