// Arbitrary bytes as a sprite picture: the guarded decoding of the top-left
// 40 x 40 must never crash, hang or allocate without bound, and what it
// loads must be a picture of at most 40 x 40. The first byte picks the file
// name's extension, so the reader starts from each format's decoder in turn
// and falls back on the content. The reader's budget is small (256 x 256
// pixels), so that a file declaring a large picture is refused before it is
// allocated: the guards are what is fuzzed, not the speed of a memset.
#include "PictureFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>

#include <array>
#include <cstdlib>

using namespace kestrun;

namespace {

constexpr int FuzzAllocationLimitMB = 16;

void check(bool promise)
{
    if (!promise)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The image-format plugins (GIF, ICO, JPEG) are found through the application.
    static QCoreApplication app(*argc, *argv);
    // Qt's limit on one decoding, scaled down as the budget is: under the
    // -malloc_limit_mb the fuzzer runs with, so that a large allocation is
    // one that no guard saw (libjpeg's own buffers, say) and a finding.
    QImageReader::setAllocationLimit(FuzzAllocationLimitMB);
    // The decoders' complaints about broken files are expected by the million.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const std::array<QString, 6> Extensions = {QStringLiteral("png"), QStringLiteral("bmp"),
                                                      QStringLiteral("jpg"), QStringLiteral("gif"),
                                                      QStringLiteral("ico"), QString()};
    const QString &suffix = Extensions[data[0] % Extensions.size()];
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);

    PictureReader reader({.pixels = 256 * 256});
    const PictureReadResult result = reader.decode(device, suffix);
    if (result.ok()) {
        check(!result.picture.isNull());
        check(result.picture.width() <= 40 && result.picture.height() <= 40);
    } else {
        check(result.picture.isNull() && !result.reason.isEmpty());
    }
    return 0;
}
