#include "kmp/DumpFormat.h"

#include "kmp/MapSource.h"
#include "kmp/MapText.h"
#include "map/MapFile.h"

#include <QList>
#include <QStringView>

#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

const QString Magic = u"kmp-dump"_s;
const QString FormatVersion = u"1"_s;
constexpr int CellBytes = 4;
constexpr int RowBytes = MapGrid::Width * CellBytes;

QString rowLine(const QByteArray &image, int y)
{
    QString line = u"row %1:"_s.arg(y);
    const auto *row = reinterpret_cast<const std::uint8_t *>(image.constData()) + MapHeaderSize + y * RowBytes;
    for (int x = 0; x < MapGrid::Width; ++x) {
        const std::uint8_t *cell = row + x * CellBytes;
        line += u' ' + QString::number(cell[0]) + u'.' + QString::number(cell[1]) + u'.' + QString::number(cell[2])
              + u'.' + QString::number(cell[3]);
    }
    return line;
}

UndumpResult fault(int line, QString reason)
{
    UndumpResult result;
    result.status = UndumpStatus::Malformed;
    result.line = line;
    result.reason = std::move(reason);
    return result;
}

std::optional<qint64> decimal(QStringView text, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// Hex digits, two per byte, and nothing else.
std::optional<QByteArray> hexBytes(QStringView text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    for (const QChar c : text) {
        if (!isHexDigit(c))
            return std::nullopt;
    }
    return QByteArray::fromHex(text.toLatin1());
}

struct HeaderFields {
    qint64 size = 0;
    MapHeader header;
};

// "kmp-dump 1 size=... signature=0x... version=... MaxX=... MaxY=... reserved=..."
std::optional<QString> parseHeaderLine(QStringView line, HeaderFields &fields)
{
    const QList<QStringView> tokens = line.split(u' ', Qt::SkipEmptyParts);
    if (tokens.size() < 2 || tokens[0] != Magic)
        return u"this is not a map dump: it must begin with \"%1 %2\""_s.arg(Magic, FormatVersion);
    if (tokens[1] != FormatVersion)
        return u"dump format %1 is not known; this kmp reads format %2"_s.arg(tokens[1], FormatVersion);

    const QStringList keys{u"size"_s, u"signature"_s, u"version"_s, u"MaxX"_s, u"MaxY"_s, u"reserved"_s};
    QList<bool> seen(keys.size(), false);
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        const qsizetype equals = tokens[i].indexOf(u'=');
        const QStringView key = equals < 0 ? tokens[i] : tokens[i].left(equals);
        const QStringView value = equals < 0 ? QStringView() : tokens[i].mid(equals + 1);
        const qsizetype which = keys.indexOf(key.toString());
        if (which < 0 || equals < 0)
            return u"\"%1\" is not a header field (size, signature, version, MaxX, MaxY, reserved)"_s.arg(tokens[i]);
        if (seen[which])
            return u"%1 is given twice"_s.arg(key);
        seen[which] = true;
        std::optional<qint64> number;
        switch (which) {
        case 0:
            number = decimal(value, 0, MaxWholeFileBytes);
            if (number)
                fields.size = *number;
            break;
        case 1:
            if (value.startsWith(u"0x"_s) && value.size() > 2 && value.size() <= 10) {
                bool ok = false;
                fields.header.Signature = std::int32_t(value.mid(2).toUInt(&ok, 16));
                if (ok)
                    number = 0;
            }
            break;
        case 2:
            number = decimal(value, INT16_MIN, INT16_MAX);
            if (number)
                fields.header.Version = std::int16_t(*number);
            break;
        case 3:
        case 4:
            number = decimal(value, INT32_MIN, INT32_MAX);
            if (number)
                (which == 3 ? fields.header.MaxX : fields.header.MaxY) = std::int32_t(*number);
            break;
        default:
            if (const auto bytes = hexBytes(value); bytes && bytes->size() == 8) {
                std::memcpy(fields.header.Reserved.data(), bytes->constData(), 8);
                number = 0;
            }
            break;
        }
        if (!number)
            return u"%1 has the value \"%2\", which it cannot hold"_s.arg(key, value);
    }
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (!seen[i])
            return u"the header line lacks %1="_s.arg(keys[i]);
    }
    return std::nullopt;
}

// "row Y: t.s.s.s ..." into the cell block of `image`.
std::optional<QString> parseRowLine(QStringView line, int y, QByteArray &image)
{
    const QString label = u"row %1:"_s.arg(y);
    if (!line.startsWith(label))
        return u"expected the line \"%1 ...\" (a dump has rows 0 to %2, in order)"_s.arg(label).arg(MapGrid::MaxY);
    const QList<QStringView> cells = line.mid(label.size()).split(u' ', Qt::SkipEmptyParts);
    if (cells.size() != MapGrid::Width)
        return u"row %1 has %2 cells; a row has %3"_s.arg(y).arg(cells.size()).arg(MapGrid::Width);
    for (int x = 0; x < MapGrid::Width; ++x) {
        const QList<QStringView> values = cells[x].split(u'.');
        if (values.size() != CellBytes)
            return u"cell (%1, %2) is \"%3\"; a cell is terrain.sprite1.sprite2.sprite3"_s.arg(x).arg(y).arg(cells[x]);
        for (int b = 0; b < CellBytes; ++b) {
            const auto value = decimal(values[b], 0, 255);
            if (!value)
                return u"cell (%1, %2) holds \"%3\"; each value is 0 to 255"_s.arg(x).arg(y).arg(values[b]);
            image[MapHeaderSize + y * RowBytes + x * CellBytes + b] = char(*value);
        }
    }
    return std::nullopt;
}

// "tail OFFSET: hex" appended to `tail`, whose bytes start at offset 726.
std::optional<QString> parseTailLine(QStringView line, QByteArray &tail)
{
    const QString label = u"tail %1:"_s.arg(MapFileSize + tail.size());
    if (!line.startsWith(label))
        return u"expected the line \"%1 ...\" (tail lines follow the rows, in order)"_s.arg(label);
    const auto bytes = hexBytes(line.mid(label.size()).trimmed());
    if (!bytes || bytes->isEmpty())
        return u"a tail line holds bytes in hex, two digits each"_s;
    tail += *bytes;
    return std::nullopt;
}

} // namespace

QString dumpMapFile(const QByteArray &file)
{
    const QByteArray image = mapImageOf(file);
    const MapHeader header = decodeMapHeader(asByteSpan(image));
    const QByteArray reserved(reinterpret_cast<const char *>(header.Reserved.data()), qsizetype(header.Reserved.size()));

    QString text = u"%1 %2 size=%3 signature=%4 version=%5 MaxX=%6 MaxY=%7 reserved=%8\n"_s.arg(Magic, FormatVersion)
                       .arg(file.size())
                       .arg(signatureText(header.Signature))
                       .arg(header.Version)
                       .arg(header.MaxX)
                       .arg(header.MaxY)
                       .arg(QString::fromLatin1(reserved.toHex()));
    for (int y = 0; y <= MapGrid::MaxY; ++y)
        text += rowLine(image, y) + u'\n';
    for (qsizetype offset = MapFileSize; offset < file.size(); offset += DumpTailBytesPerLine) {
        text += u"tail %1: "_s.arg(offset)
              + QString::fromLatin1(file.mid(offset, DumpTailBytesPerLine).toHex()) + u'\n';
    }
    return text;
}

UndumpResult undumpMapFile(const QString &text)
{
    QList<QStringView> lines = QStringView(text).split(u'\n');
    for (QStringView &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return fault(0, u"the text is empty"_s);

    HeaderFields fields;
    if (const auto problem = parseHeaderLine(lines[0], fields))
        return fault(1, *problem);
    QByteArray image(MapFileSize, '\0');
    const auto header = encodeMapHeader(fields.header);
    std::memcpy(image.data(), header.data(), header.size());
    for (int y = 0; y <= MapGrid::MaxY; ++y) {
        const int number = y + 2;
        if (number > lines.size())
            return fault(number, u"the dump ends before row %1"_s.arg(y));
        if (const auto problem = parseRowLine(lines[number - 1], y, image))
            return fault(number, *problem);
    }
    QByteArray tail;
    for (qsizetype i = MapGrid::Height + 1; i < lines.size(); ++i) {
        if (const auto problem = parseTailLine(lines[i], tail))
            return fault(int(i + 1), *problem);
    }

    if (fields.size < MapFileSize) {
        if (!tail.isEmpty())
            return fault(0, u"size=%1 leaves no room for tail lines"_s.arg(fields.size));
        for (qsizetype offset = fields.size; offset < MapFileSize; ++offset) {
            if (image[offset] != 0) {
                return fault(0, u"size=%1, yet byte %2 is not 0: a file that short holds nothing there "
                                u"(raise size= to keep it)"_s.arg(fields.size).arg(offset));
            }
        }
        image.truncate(fields.size);
    } else if (MapFileSize + tail.size() != fields.size) {
        return fault(0, u"size=%1, but the rows and tail lines hold %2 bytes"_s.arg(fields.size)
                            .arg(MapFileSize + tail.size()));
    }
    UndumpResult result;
    result.file = image + tail;
    return result;
}

} // namespace kestrun::kmp
