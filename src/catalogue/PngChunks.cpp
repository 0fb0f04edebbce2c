#include "PngChunks.h"

#include <QByteArrayView>
#include <QChar>
#include <QtEndian>

#include <zlib.h>

namespace kestrun {
namespace {

constexpr QByteArrayView Signature("\x89PNG\r\n\x1a\n", 8);
// Ancillary (lower-case first letter), private (lower-case second letter):
// no reader knows it, so none inflates it.
constexpr QByteArrayView Disarmed("kesT", 4);

// Every ancillary chunk (lower-case first letter) but the transparency,
// the one that changes the pixels: as the editor's own PNG reader does, the
// rest are passed over unread. Qt's reader would otherwise inflate text and
// colour profiles, and set aside whatever length a text chunk claims.
bool passedOver(QByteArrayView kind)
{
    return QChar::isLower(char16_t(kind[0])) && kind != "tRNS";
}

// Walks the chunks of the PNG whose signature is at `at`, renaming those
// passed over; one that runs past the end is renamed too (its checksum then
// cannot be made, and the reader stops there at the end of the bytes).
void disarmPng(QByteArray &bytes, qsizetype at)
{
    qsizetype chunk = at + Signature.size();
    while (chunk + 8 <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + chunk);
        char *const kind = bytes.data() + chunk + 4;
        if (QByteArrayView(kind, 4) == "IEND")
            return;
        const bool whole = chunk + 12 <= bytes.size() && length <= quint64(bytes.size() - chunk - 12);
        if (passedOver(QByteArrayView(kind, 4))) {
            std::copy(Disarmed.begin(), Disarmed.end(), kind);
            if (whole)
                qToBigEndian(quint32(::crc32(0, reinterpret_cast<const Bytef *>(kind), uInt(4 + length))),
                             kind + 4 + length);
        }
        if (!whole)
            return;
        chunk += 12 + qsizetype(length);
    }
}

} // namespace

void disarmAncillaryChunks(QByteArray &bytes)
{
    for (qsizetype at = bytes.indexOf(Signature); at >= 0; at = bytes.indexOf(Signature, at + 1))
        disarmPng(bytes, at);
}

} // namespace kestrun
