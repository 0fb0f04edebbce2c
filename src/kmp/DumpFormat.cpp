#include "DumpFormat.h"

#include "MapText.h"
#include "MapFile.h"

#include <QBuffer>
#include <QList>
#include <QStringView>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

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

using HeaderFields = DumpHeaderFields;

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
            number = decimal(value, 0, MaxDumpedFileBytes);
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

// "tail OFFSET: hex", the bytes at `offset`, into `bytes`.
std::optional<QString> parseTailLine(QStringView line, qint64 offset, QByteArray &bytes)
{
    const QString label = u"tail %1:"_s.arg(offset);
    if (!line.startsWith(label))
        return u"expected the line \"%1 ...\" (tail lines follow the rows, in order)"_s.arg(label);
    const auto hex = hexBytes(line.mid(label.size()).trimmed());
    if (!hex || hex->isEmpty())
        return u"a tail line holds bytes in hex, two digits each"_s;
    bytes = *hex;
    return std::nullopt;
}

QString headerLine(const QByteArray &image, qint64 size)
{
    const MapHeader header = decodeMapHeader(asByteSpan(image));
    const QByteArray reserved(reinterpret_cast<const char *>(header.Reserved.data()),
                              qsizetype(header.Reserved.size()));
    return u"%1 %2 size=%3 signature=%4 version=%5 MaxX=%6 MaxY=%7 reserved=%8\n"_s.arg(Magic, FormatVersion)
        .arg(size)
        .arg(signatureText(header.Signature))
        .arg(header.Version)
        .arg(header.MaxX)
        .arg(header.MaxY)
        .arg(QString::fromLatin1(reserved.toHex()));
}

int lineNumber(qint64 line)
{
    return int(std::min<qint64>(line, INT_MAX));
}

} // namespace

QString dumpMapStream(QIODevice &file, qint64 size, QTextStream &out)
{
    const QString changed = u"the file changed while it was read"_s;
    const QByteArray head = file.read(std::min<qint64>(size, MapFileSize));
    if (head.size() != std::min<qint64>(size, MapFileSize))
        return head.isEmpty() && !file.errorString().isEmpty() ? file.errorString() : changed;
    const QByteArray image = mapImageOf(head);
    out << headerLine(image, size);
    for (int y = 0; y <= MapGrid::MaxY; ++y)
        out << rowLine(image, y) << '\n';
    // The tail in pieces of whole lines, so memory does not grow with it.
    constexpr qint64 Piece = 2048 * DumpTailBytesPerLine;
    for (qint64 offset = MapFileSize; offset < size;) {
        const QByteArray piece = file.read(std::min(Piece, size - offset));
        if (piece.isEmpty())
            return changed;
        for (qsizetype at = 0; at < piece.size(); at += DumpTailBytesPerLine) {
            out << "tail " << (offset + at) << ": " << QLatin1StringView(piece.mid(at, DumpTailBytesPerLine).toHex())
                << '\n';
        }
        offset += piece.size();
    }
    return {};
}

QString dumpMapFile(const QByteArray &file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QString text;
    QTextStream out(&text);
    dumpMapStream(buffer, file.size(), out);
    out.flush();
    return text;
}

UndumpParser::UndumpParser(ByteSink sink)
    : m_sink(std::move(sink))
    , m_image(MapFileSize, '\0')
{
}

bool UndumpParser::fail(qint64 line, QString reason, UndumpStatus status)
{
    m_result.status = status;
    m_result.line = lineNumber(line);
    m_result.reason = std::move(reason);
    return false;
}

bool UndumpParser::addLine(QByteArrayView line)
{
    if (!m_result.ok())
        return false;
    ++m_lines;
    if (line.size() > MaxDumpLineBytes)
        return fail(m_lines, u"the line is longer than any line of a dump (%1 bytes at most)"_s.arg(MaxDumpLineBytes));
    if (line.endsWith('\r'))
        line.chop(1);
    // Blank lines may end a dump; one followed by text is the fault.
    if (line.trimmed().isEmpty()) {
        if (m_firstBlank == 0)
            m_firstBlank = m_lines;
        return true;
    }
    if (m_firstBlank != 0 && !parseLine(m_firstBlank, {}))
        return false;
    return parseLine(m_lines, QString::fromUtf8(line));
}

bool UndumpParser::parseLine(qint64 number, const QString &line)
{
    switch (m_stage) {
    case Stage::Header: {
        if (const auto problem = parseHeaderLine(line, m_fields))
            return fail(number, *problem);
        const auto header = encodeMapHeader(m_fields.header);
        std::memcpy(m_image.data(), header.data(), header.size());
        m_stage = Stage::Rows;
        return true;
    }
    case Stage::Rows:
        if (const auto problem = parseRowLine(line, m_row, m_image))
            return fail(number, *problem);
        if (++m_row > MapGrid::MaxY) {
            m_stage = Stage::Tail;
            return writeImage();
        }
        return true;
    case Stage::Tail: break;
    }
    if (m_fields.size < MapFileSize)
        return fail(0, u"size=%1 leaves no room for tail lines"_s.arg(m_fields.size));
    QByteArray bytes;
    if (const auto problem = parseTailLine(line, m_written, bytes))
        return fail(number, *problem);
    if (m_written + bytes.size() > m_fields.size) {
        return fail(number,
                    u"size=%1, but the rows and tail lines hold %2 bytes by this line"_s.arg(m_fields.size)
                        .arg(m_written + bytes.size()));
    }
    return write(bytes);
}

bool UndumpParser::writeImage()
{
    if (m_fields.size >= MapFileSize)
        return write(m_image);
    for (qsizetype offset = m_fields.size; offset < MapFileSize; ++offset) {
        if (m_image[offset] != 0) {
            return fail(0,
                        u"size=%1, yet byte %2 is not 0: a file that short holds nothing there "
                        u"(raise size= to keep it)"_s.arg(m_fields.size)
                            .arg(offset));
        }
    }
    return write(QByteArrayView(m_image).first(m_fields.size));
}

bool UndumpParser::write(QByteArrayView bytes)
{
    // Tail lines hold 32 bytes each: they reach the sink in larger pieces.
    m_unsent += bytes;
    m_written += bytes.size();
    return m_unsent.size() < SinkPieceBytes || send();
}

bool UndumpParser::send()
{
    if (!m_unsent.isEmpty() && !m_sink(m_unsent))
        return fail(0, u"the map could not be written"_s, UndumpStatus::NotWritten);
    m_unsent.clear();
    return true;
}

UndumpResult UndumpParser::finish()
{
    if (!m_result.ok())
        return m_result;
    if (m_stage == Stage::Header)
        fail(0, u"the text is empty"_s);
    else if (m_stage == Stage::Rows)
        fail(m_row + 2, u"the dump ends before row %1"_s.arg(m_row));
    else if (m_fields.size >= MapFileSize && m_written != m_fields.size)
        fail(0, u"size=%1, but the rows and tail lines hold %2 bytes"_s.arg(m_fields.size).arg(m_written));
    else
        send();
    return m_result;
}

UndumpResult undumpMapStream(QIODevice &input, const ByteSink &sink)
{
    UndumpParser parser(sink);
    QByteArray partLine; // a line's start, read before its end
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const qint64 got = input.read(buffer.data(), qint64(buffer.size()));
        if (got < 0) {
            UndumpResult unread;
            unread.status = UndumpStatus::Unread;
            unread.reason = input.errorString();
            return unread;
        }
        if (got == 0)
            break;
        const char *start = buffer.data();
        const char *end = start + got;
        while (start < end) {
            const auto *newline = static_cast<const char *>(std::memchr(start, '\n', size_t(end - start)));
            if (!newline) {
                partLine.append(start, end - start);
                // A line too long for a dump is refused before it grows further.
                if (partLine.size() > MaxDumpLineBytes && !parser.addLine(partLine))
                    return parser.finish();
                break;
            }
            const QByteArrayView line(start, newline - start);
            bool going = true;
            if (partLine.isEmpty()) {
                going = parser.addLine(line);
            } else {
                partLine += line;
                going = parser.addLine(partLine);
                partLine.clear();
            }
            if (!going)
                return parser.finish();
            start = newline + 1;
        }
    }
    if (!partLine.isEmpty())
        parser.addLine(partLine);
    return parser.finish();
}

UndumpResult undumpMapFile(const QString &text)
{
    QBuffer buffer;
    buffer.setData(text.toUtf8());
    buffer.open(QIODevice::ReadOnly);
    QByteArray file;
    UndumpResult result = undumpMapStream(buffer, [&file](QByteArrayView bytes) {
        file += bytes;
        return true;
    });
    if (result.ok())
        result.file = file;
    return result;
}

} // namespace kestrun::kmp
