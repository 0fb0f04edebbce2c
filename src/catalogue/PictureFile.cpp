#include "PictureFile.h"

#include "JpegFrame.h"
#include "LimitedDevice.h"
#include "PngChunks.h"
#include "PngCorner.h"
#include "RegularFile.h"
#include "CellGeometry.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRect>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>

namespace kestrun {
namespace {

constexpr int SpriteSide = CellSize; // only a cell's block of a picture is ever drawn
// Megabytes any single decode by Qt may allocate: room for the largest
// picture decoded whole at 32 bits per pixel.
constexpr int AllocationLimitMB = int(MaxWholeDecodePixels * 4 / (1024 * 1024)) + 1;
// libjpeg reads no JPEG of more components than this.
constexpr int MaxJpegComponents = 10;

PictureReadResult unreadable(const QString &reason)
{
    PictureReadResult result;
    result.status = PictureReadStatus::Unreadable;
    result.reason = reason;
    return result;
}

PictureReadResult loaded(QImage picture)
{
    // Drawn pixel for pixel: the reader takes a "@2x" in the file's name for
    // a high-density picture, which means nothing here.
    picture.setDevicePixelRatio(1.0);
    if (picture.width() > SpriteSide || picture.height() > SpriteSide)
        picture = picture.copy(0, 0, std::min(picture.width(), SpriteSide), std::min(picture.height(), SpriteSide));
    PictureReadResult result;
    result.picture = picture;
    return result;
}

const QString TooLarge = QStringLiteral("the picture is too large to be a sprite");
const QString BudgetSpent = QStringLiteral("the game folder's pictures need more decoding than any game's");
const QString TooManyScans = QStringLiteral("the picture is made of too many scans to be a sprite");
const QString NotAPicture = QStringLiteral("it is not a picture, or it is damaged");

// What decoding a JPEG whole weighs, in pixels of 32 bits: libjpeg holds two
// bytes for each sample of each component of the whole picture before the
// first row comes out. A frame it could not read counts as the heaviest.
qint64 wholeJpegCost(qint64 area, const std::optional<JpegFrame> &frame)
{
    const int components = frame ? frame->components : MaxJpegComponents;
    return area * std::max(components, 2) / 2;
}

// Up to `limit` bytes of `device`, read in pieces: QIODevice::read() sets
// aside all it is asked for at once, however little the device holds.
QByteArray readAtMost(QIODevice &device, qint64 limit)
{
    constexpr qint64 PieceBytes = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() < limit) {
        const QByteArray piece = device.read(std::min(PieceBytes, limit - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    return bytes;
}

// Whether `head` starts as an icon or a cursor does (Qt reads both as icons):
// a reserved zero, then the kind, 1 or 2, little-endian.
bool isIconSignature(QByteArrayView head)
{
    return head.size() >= 4 && head[0] == 0 && head[1] == 0 && (head[2] == 1 || head[2] == 2) && head[3] == 0;
}

// The size a reader tells, sign aside: Qt gives a top-down BMP a negative
// height, which would otherwise pass for an unknown size and escape the
// guards. An unknown size stays unknown.
QSize declaredSize(QSize size)
{
    if (size == QSize())
        return size;
    const auto side = [](int value) { return value == INT_MIN ? INT_MAX : std::abs(value); };
    return {side(size.width()), side(size.height())};
}

} // namespace

void applyPictureAllocationLimit()
{
    // Written only when it differs: once set, a second call (a second
    // prefetch, say) only reads it, which is no race with a decoding elsewhere.
    if (QImageReader::allocationLimit() != AllocationLimitMB)
        QImageReader::setAllocationLimit(AllocationLimitMB);
}

bool isAcceptablePictureSize(QSize size)
{
    if (!size.isValid())
        return true;
    return size.width() <= MaxPictureSide && size.height() <= MaxPictureSide
        && qint64(size.width()) * size.height() <= MaxPicturePixels;
}

bool PictureReader::spend(qint64 pixels)
{
    if (pixels > m_left.pixels)
        return false;
    m_left.pixels -= pixels;
    return true;
}

PictureReadResult PictureReader::read(const QString &path)
{
    QFile file(path);
    if (const OpenResult opened = openRegularFile(file); !opened.ok())
        return unreadable(opened.reason);
    return decode(file, QFileInfo(path).suffix());
}

PictureReadResult PictureReader::decode(QIODevice &device, const QString &suffix)
{
    // Every decoder reads through the limit: the picture's own cap, or what
    // is left of the reader's bytes when that is less.
    const bool budgetBinds = m_left.bytes < MaxPictureBytes;
    LimitedDevice limited(device, budgetBinds ? m_left.bytes : MaxPictureBytes);
    PictureReadResult result = decodeLimited(limited, suffix);
    m_left.bytes -= limited.taken();
    if (limited.overran())
        return unreadable(budgetBinds ? BudgetSpent : TooLarge);
    return result;
}

PictureReadResult PictureReader::decodeLimited(QIODevice &device, const QString &suffix)
{
    if (isPngSignature(device.peek(8))) {
        PngCorner png(device);
        if (!png.readHeader())
            return unreadable(NotAPicture);
        if (!isAcceptablePictureSize(png.size()))
            return unreadable(TooLarge);
        if (!spend(png.decodingCost(SpriteSide)))
            return unreadable(BudgetSpent);
        const QImage corner = png.readCorner(SpriteSide);
        return corner.isNull() ? unreadable(NotAPicture) : loaded(corner);
    }
    const QByteArray head = device.peek(4);
    if (!isJpegSignature(head) && !isIconSignature(head))
        return decodeWithQt(device, suffix, std::nullopt);

    // A JPEG or an icon is read whole first, and decoded from memory.
    QByteArray bytes = readAtMost(device, MaxPictureBytes + 1);
    if (bytes.size() > MaxPictureBytes)
        return unreadable(TooLarge);
    std::optional<JpegFrame> jpegFrame;
    if (isJpegSignature(bytes)) {
        // libjpeg passes over a progressive picture once per scan: their
        // number is known before decoding.
        const qsizetype scans = countJpegScans(bytes);
        if (scans > MaxJpegScans)
            return unreadable(TooManyScans);
        if (scans > m_left.scans)
            return unreadable(BudgetSpent);
        m_left.scans -= scans;
        jpegFrame = readJpegFrame(bytes);
    } else {
        // An icon's pictures may be PNGs, which Qt's own PNG reader decodes:
        // it would inflate every text chunk and colour profile it meets, and
        // set aside whatever length a text chunk claims.
        disarmAncillaryChunks(bytes);
    }
    QBuffer held(&bytes);
    held.open(QIODevice::ReadOnly);
    return decodeWithQt(held, suffix, jpegFrame);
}

PictureReadResult PictureReader::decodeWithQt(QIODevice &device, const QString &suffix,
                                              const std::optional<JpegFrame> &jpegFrame)
{
    const bool jpeg = isJpegSignature(device.peek(2));
    // Without auto-detection the extension's decoder is asked alone; with it,
    // Qt would load every image-format plugin just to ask each about the
    // extension, which costs milliseconds at start-up. The extension is the
    // quick way to the right decoder; when the content does not fit it, the
    // content decides.
    const qint64 start = device.pos();
    QImageReader reader(&device, suffix.toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead()) {
        if (!device.seek(start))
            return unreadable(device.errorString());
        reader.setDevice(&device);
        reader.setFormat(QByteArray());
        reader.setAutoDetectImageFormat(true);
    }
    const QSize size = declaredSize(reader.size());
    if (!isAcceptablePictureSize(size))
        return unreadable(TooLarge);
    qint64 charged = 0;
    if (size.isValid()) {
        const qint64 area = qint64(size.width()) * size.height();
        const bool clipped = reader.supportsOption(QImageIOHandler::ClipRect);
        // A clip rectangle spares the rows below it, unless the decoder has
        // to take in the whole picture first, as libjpeg does with a
        // progressive JPEG.
        const bool firstRowsSuffice = clipped && (!jpeg || (jpegFrame && jpegFrame->rowByRow));
        const qint64 wholeCost = jpeg ? wholeJpegCost(area, jpegFrame) : area;
        if (!firstRowsSuffice && wholeCost > MaxWholeDecodePixels)
            return unreadable(TooLarge);
        if (clipped && (size.width() > SpriteSide || size.height() > SpriteSide))
            reader.setClipRect(QRect(0, 0, std::min(size.width(), SpriteSide), std::min(size.height(), SpriteSide)));
        charged = firstRowsSuffice ? qint64(size.width()) * std::min(size.height(), SpriteSide) : wholeCost;
        if (!spend(charged))
            return unreadable(BudgetSpent);
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return unreadable(NotAPicture);
    // What a header understated (an icon's directory tells at most 256 x 256,
    // whatever the picture inside holds) or did not tell is counted now, by
    // the picture decoded.
    if (!spend(std::max<qint64>(0, qint64(image.width()) * image.height() - charged)))
        return unreadable(BudgetSpent);
    return loaded(image);
}

PictureReadResult loadPictureFile(const QString &path)
{
    return PictureReader().read(path);
}

} // namespace kestrun
