#include "CatalogueRecords.h"

#include "CatalogueBlank.h"

namespace kestrun {
namespace {

constexpr QChar Quote = QLatin1Char('"');
constexpr QChar Comma = QLatin1Char(',');
constexpr QChar Cr = QLatin1Char('\r');
constexpr QChar Lf = QLatin1Char('\n');

bool endsField(QChar c)
{
    return c == Comma || c == Cr || c == Lf;
}

} // namespace

QStringList splitCatalogueRecords(QStringView text)
{
    QStringList records;
    const qsizetype n = text.size();
    qsizetype pos = 0;

    // Steps over the delimiter at `pos`, if any; true when it was a comma.
    auto consumeDelimiter = [&]() {
        if (pos >= n)
            return false;
        const QChar c = text[pos++];
        if (c == Cr && pos < n && text[pos] == Lf)
            ++pos;
        return c == Comma;
    };

    while (pos < n) {
        while (pos < n && isBlank(text[pos]))
            ++pos;
        if (pos >= n)
            break;

        if (text[pos] == Quote) {
            const qsizetype start = pos + 1;
            qsizetype close = text.indexOf(Quote, start);
            if (close < 0)
                close = n; // an unclosed quote runs to the end of the file
            records << text.sliced(start, close - start).toString();
            pos = close < n ? close + 1 : n;
            while (pos < n && !endsField(text[pos]))
                ++pos;
            consumeDelimiter();
            continue;
        }

        const qsizetype start = pos;
        while (pos < n && !endsField(text[pos]))
            ++pos;
        qsizetype end = pos;
        while (end > start && isBlank(text[end - 1]))
            --end;
        const bool endedByComma = consumeDelimiter();
        if (end > start || endedByComma)
            records << text.sliced(start, end - start).toString();
    }
    return records;
}

CatalogueRecord splitCatalogueRecord(const QString &record)
{
    const qsizetype equals = record.indexOf(QLatin1Char('='));
    // Without "=" (equals == -1) the index text is empty and the whole
    // record is the file name.
    return {record.left(equals + 1), record.mid(equals + 1)};
}

} // namespace kestrun
