#include "catalogue/PictureFile.h"

#include "map/CellGeometry.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRect>

#include <algorithm>

namespace kestrun {
namespace {

constexpr int SpriteSide = CellSize; // only a cell's block of a picture is ever drawn
// Megabytes any single decode may allocate: room for the largest picture
// accepted above at 32 bits per pixel.
constexpr int AllocationLimitMB = int(MaxPicturePixels * 4 / (1024 * 1024));

void applyAllocationLimit()
{
    // The reader's limit is process-wide; set it once.
    static const bool applied = [] {
        QImageReader::setAllocationLimit(AllocationLimitMB);
        return true;
    }();
    (void)applied;
}

} // namespace

bool isAcceptablePictureSize(QSize size)
{
    if (!size.isValid())
        return true;
    return size.width() <= MaxPictureSide && size.height() <= MaxPictureSide
        && qint64(size.width()) * size.height() <= MaxPicturePixels;
}

QImage loadPictureFile(const QString &path)
{
    applyAllocationLimit();
    // The reader gets an open file, not the name: given a name it would also
    // try the name with each known extension appended, and "a" would load
    // "a.bmp". The extension is tried first (the quick way to the right
    // decoder); when the content does not fit it, the content decides.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Without auto-detection the extension's decoder is asked alone; with it,
    // Qt would load every image-format plugin just to ask each about the
    // extension, which costs milliseconds at start-up.
    QImageReader reader(&file, QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead()) {
        if (!file.seek(0))
            return {};
        reader.setDevice(&file);
        reader.setFormat(QByteArray());
        reader.setAutoDetectImageFormat(true);
    }
    const QSize size = reader.size();
    if (!isAcceptablePictureSize(size))
        return {};
    if (size.isValid() && (size.width() > SpriteSide || size.height() > SpriteSide)
        && reader.supportsOption(QImageIOHandler::ClipRect)) {
        reader.setClipRect(QRect(0, 0, std::min(size.width(), SpriteSide),
                                 std::min(size.height(), SpriteSide)));
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {};
    // Drawn pixel for pixel: the reader takes a "@2x" in the file's name for a
    // high-density picture, which means nothing here.
    image.setDevicePixelRatio(1.0);
    if (image.width() > SpriteSide || image.height() > SpriteSide)
        image = image.copy(0, 0, std::min(image.width(), SpriteSide), std::min(image.height(), SpriteSide));
    return image;
}

} // namespace kestrun
