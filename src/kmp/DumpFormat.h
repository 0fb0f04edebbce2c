#pragma once

#include "FileResult.h"
#include "StreamedWrite.h"
#include "MapFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QTextStream>

namespace kestrun::kmp {

// The text form of a map file, lossless for every file, valid or not:
//
//   kmp-dump 1 size=726 signature=0x12345678 version=2 MaxX=15 MaxY=10 reserved=0000000000000000
//   row 0: 1.1.0.0 1.1.0.0 ... (16 cells)
//   ...
//   row 10: ...
//   tail 726: 0a0b0c... (only for bytes past 726: 32 bytes a line, hex)
//   tail 758: ...
//
// The header line gives the file's size and its header fields as the file
// holds them: the signature in hex, the version, MaxX and MaxY as signed
// decimals, the eight reserved bytes in hex. Each of the 11 rows holds its 16
// cells left to right, each cell terrain.sprite1.sprite2.sprite3 in decimal,
// so a change to one cell changes one line. A file shorter than 726 bytes
// shows zeros for what it lacks (its size says where it ends); one longer
// shows the rest in the tail lines, each led by its offset.
inline constexpr int DumpTailBytesPerLine = 32;
// The largest file a dump describes, and the longest line it has (a row line
// is under 300 bytes; spaces between cells are free, within reason).
inline constexpr qint64 MaxDumpedFileBytes = qint64(16) << 30;
inline constexpr qsizetype MaxDumpLineBytes = 64 * 1024;

// The dump of the `size` bytes read from `file`, written to `out` as they are
// read: memory does not grow with the file. The empty string, or why the file
// could not be read whole (it shrank meanwhile, a read failed).
QString dumpMapStream(QIODevice &file, qint64 size, QTextStream &out);
QString dumpMapFile(const QByteArray &file);

// Unread: the text could not be read; NotWritten: the sink refused bytes.
enum class UndumpStatus { Read, Malformed, Unread, NotWritten };
struct UndumpResult : FileResult<UndumpStatus> {
    QByteArray file; // the map file's bytes, when read by undumpMapFile
    int line = 0;    // the line at fault (1-based), or 0 for the text as a whole
};

struct DumpHeaderFields {
    qint64 size = 0;
    MapHeader header;
};

// A dump's lines, one at a time, turned into the file's bytes as they come:
// the header and cells once the last row is read, then each tail line's
// bytes. Accepts CR LF line ends and blank lines at the end.
class UndumpParser {
public:
    explicit UndumpParser(ByteSink sink);
    // One line, without its line end; false from the first fault on, which
    // stops at once: no line after it is needed.
    bool addLine(QByteArrayView line);
    // At the end of the text: Read when the sink got the whole file.
    UndumpResult finish();

private:
    enum class Stage { Header, Rows, Tail };
    bool parseLine(qint64 number, const QString &line);
    bool writeImage();
    bool write(QByteArrayView bytes);
    bool send();
    bool fail(qint64 line, QString reason, UndumpStatus status = UndumpStatus::Malformed);

    ByteSink m_sink;
    UndumpResult m_result;
    Stage m_stage = Stage::Header;
    DumpHeaderFields m_fields;
    QByteArray m_image; // the header and cells, until the last row
    int m_row = 0;
    qint64 m_lines = 0;
    qint64 m_firstBlank = 0; // the first of the blank lines just read, or 0
    qint64 m_written = 0;    // bytes of the file parsed so far
    QByteArray m_unsent;     // the last of them, not yet in the sink
    static constexpr qsizetype SinkPieceBytes = 64 * 1024;
};

// Reads a dump from `input` line by line into `sink`, stopping at the first
// line that cannot belong to it.
UndumpResult undumpMapStream(QIODevice &input, const ByteSink &sink);
// The file a dump describes, byte for byte; or the first fault in the text.
UndumpResult undumpMapFile(const QString &text);

} // namespace kestrun::kmp
