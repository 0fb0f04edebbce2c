// Arbitrary bytes as a tileset.dat: decoding, record splitting and the index
// rule must never crash, and must keep the promises checked below.
#include "CatalogueText.h"
#include "LeadingNumber.h"
#include "CatalogueRecords.h"

#include <QRegularExpression>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace kestrun;

namespace {

void check(bool promise)
{
    if (!promise)
        std::abort();
}

// For a short plain decimal (sign, up to six digits, point, up to six digits,
// "="), where binary floating point is exact enough, the slot the usual way.
std::optional<std::optional<int>> referenceIndex(const QString &indexText)
{
    static const QRegularExpression plain(QStringLiteral("^[+-]?[0-9]{0,6}(\\.[0-9]{0,6})?=$"));
    static const QRegularExpression digit(QStringLiteral("[0-9]"));
    if (!plain.match(indexText).hasMatch() || !indexText.contains(digit))
        return std::nullopt;
    const double value = QStringView(indexText).chopped(1).toDouble();
    const double rounded = std::nearbyint(value); // the default mode: halves to even
    if (rounded < 0 || rounded > 255)
        return std::optional<int>();
    return std::optional<int>(int(rounded));
}

QString withoutBlanks(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeCatalogueText(bytes);
    if (isValidUtf8(bytes)) {
        // Valid UTF-8 decodes without loss (a byte-order mark aside).
        QByteArray back = text.toUtf8();
        const QByteArrayView original = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
        check(back == original);
    } else {
        check(text.size() == qsizetype(size)); // one character per byte
    }

    const QStringList records = splitCatalogueRecords(text);
    for (const QString &record : records) {
        const CatalogueRecord parts = splitCatalogueRecord(record);
        check(parts.indexText + parts.fileName == record);
        check(parts.indexText.isEmpty() || parts.indexText.endsWith(QLatin1Char('=')));
        check(parts.indexText.count(QLatin1Char('=')) <= 1);

        const std::optional<int> index = spriteIndexOf(parts.indexText);
        check(!index || (*index >= 0 && *index <= 255));
        if (const auto reference = referenceIndex(parts.indexText))
            check(*reference == index);
        // Blanks and tabs mean nothing to the number, and it ends at "=".
        check(spriteIndexOf(withoutBlanks(parts.indexText)) == index);
        check(spriteIndexOf(parts.indexText + parts.fileName) == index || parts.indexText.isEmpty());
        // The whole record, read as an index text, never misbehaves either.
        const std::optional<int> whole = spriteIndexOf(record);
        check(!whole || (*whole >= 0 && *whole <= 255));
    }
    return 0;
}
