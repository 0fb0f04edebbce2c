#include "catalogue/PictureFile.h"

#include "catalogue/PngCorner.h"
#include "io/RegularFile.h"
#include "map/CellGeometry.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRect>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace kestrun {
namespace {

constexpr int SpriteSide = CellSize; // only a cell's block of a picture is ever drawn
// Megabytes any single decode by Qt may allocate: room for the largest
// picture decoded whole at 32 bits per pixel.
constexpr int AllocationLimitMB = int(MaxWholeDecodePixels * 4 / (1024 * 1024)) + 1;

void applyAllocationLimit()
{
    // The reader's limit is process-wide; set it once.
    static const bool applied = [] {
        QImageReader::setAllocationLimit(AllocationLimitMB);
        return true;
    }();
    (void)applied;
}

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
const QString NotAPicture = QStringLiteral("it is not a picture, or it is damaged");

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

bool isAcceptablePictureSize(QSize size)
{
    if (!size.isValid())
        return true;
    return size.width() <= MaxPictureSide && size.height() <= MaxPictureSide
        && qint64(size.width()) * size.height() <= MaxPicturePixels;
}

bool PictureReader::spend(qint64 pixels)
{
    if (pixels > m_budgetLeft)
        return false;
    m_budgetLeft -= pixels;
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

    applyAllocationLimit();
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
    if (size.isValid()) {
        const bool clipped = reader.supportsOption(QImageIOHandler::ClipRect);
        if (!clipped && qint64(size.width()) * size.height() > MaxWholeDecodePixels)
            return unreadable(TooLarge);
        if (clipped && (size.width() > SpriteSide || size.height() > SpriteSide))
            reader.setClipRect(QRect(0, 0, std::min(size.width(), SpriteSide), std::min(size.height(), SpriteSide)));
        if (!spend(qint64(size.width()) * (clipped ? std::min(size.height(), SpriteSide) : size.height())))
            return unreadable(BudgetSpent);
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return unreadable(NotAPicture);
    // A size learnt only while decoding is counted afterwards.
    if (!size.isValid() && !spend(qint64(image.width()) * image.height()))
        return unreadable(BudgetSpent);
    return loaded(image);
}

PictureReadResult loadPictureFile(const QString &path)
{
    return PictureReader().read(path);
}

} // namespace kestrun
