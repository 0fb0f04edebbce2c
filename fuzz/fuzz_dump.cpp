// Feeds arbitrary bytes to undump as the text of a map's dump: it must never
// crash, what it hands the writer must be exactly the file it reports, and a
// file it accepts must come back byte for byte through a dump and a second
// undump.
#include "DumpFormat.h"

#include <QBuffer>

#include <cstdlib>

using namespace kestrun;
using namespace kestrun::kmp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QBuffer input;
    input.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    input.open(QIODevice::ReadOnly);
    QByteArray written;
    const UndumpResult result = undumpMapStream(input, [&written](QByteArrayView bytes) {
        written += bytes;
        return true;
    });
    if (result.status == UndumpStatus::NotWritten || result.status == UndumpStatus::Unread)
        std::abort();
    if (!result.ok())
        return 0;
    const UndumpResult again = undumpMapFile(dumpMapFile(written));
    if (!again.ok() || again.file != written)
        std::abort();
    return 0;
}
