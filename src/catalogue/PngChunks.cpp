#include "catalogue/PngChunks.h"

#include <QByteArrayView>
#include <QtEndian>

#include <zlib.h>

namespace kestrun {
namespace {

constexpr QByteArrayView Signature("\x89PNG\r\n\x1a\n", 8);
// Ancillary (lower-case first letter), private (lower-case second letter):
// no reader knows it, so none inflates it.
constexpr QByteArrayView Disarmed("kesT", 4);

bool inflates(QByteArrayView kind)
{
    return kind == "zTXt" || kind == "iTXt" || kind == "iCCP";
}

// Walks the chunks of the PNG whose signature is at `at`, as far as they are
// whole, renaming those that would be inflated.
void disarmPng(QByteArray &bytes, qsizetype at)
{
    qsizetype chunk = at + Signature.size();
    while (chunk + 12 <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + chunk);
        if (length > quint32(bytes.size() - chunk - 12))
            return;
        const QByteArrayView kind(bytes.constData() + chunk + 4, 4);
        if (kind == "IEND")
            return;
        if (inflates(kind)) {
            char *const data = bytes.data() + chunk + 4;
            std::copy(Disarmed.begin(), Disarmed.end(), data);
            const uLong crc = ::crc32(0, reinterpret_cast<const Bytef *>(data), uInt(4 + length));
            qToBigEndian(quint32(crc), data + 4 + length);
        }
        chunk += 12 + qsizetype(length);
    }
}

} // namespace

void disarmInflatingChunks(QByteArray &bytes)
{
    for (qsizetype at = bytes.indexOf(Signature); at >= 0; at = bytes.indexOf(Signature, at + 1))
        disarmPng(bytes, at);
}

} // namespace kestrun
