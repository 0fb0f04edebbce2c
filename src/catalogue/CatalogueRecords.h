#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kestrun {

// Splits the text of a catalogue (tileset.dat) into its records, in file order.
//
// A record ends at a line end (CR LF, a lone LF or a lone CR) or at a comma.
// Blanks (spaces and tabs) before a record are skipped. A record that begins
// with a double quote runs to the closing quote, line ends and commas
// included, and the quotes are not part of it; whatever stands between the
// closing quote and the next comma or line end is dropped. An unquoted record
// loses its trailing blanks.
//
// Files edited by hand are taken kindly: blank lines (and an empty field at
// the end of a line or of the file) are not records, and a last record without
// a line end is read. An empty field ended by a comma, and "", are records.
QStringList splitCatalogueRecords(QStringView text);

// One record taken apart at its first "=".
struct CatalogueRecord {
    QString indexText; // up to and including the first "="; empty without "="
    QString fileName;  // everything after the first "="; the whole record without "="
};

CatalogueRecord splitCatalogueRecord(const QString &record);

} // namespace kestrun
