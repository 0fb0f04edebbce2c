#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

namespace kestrun::kmp {

// One level on the gallery page.
struct GalleryCard {
    QString name;    // the map's file name, shown as text
    QString path;    // the map as given on the command line
    QString picture; // the thumbnail's file name in the page's thumbs/ folder; empty when none was drawn
    QSize pictureSize;
    QString status;       // check's status: clean, warnings, errors or unchecked
    QStringList findings; // check's findings, repeats grouped
    int sprites = -1;     // sprites placed on layers 1 to 3; -1 when the map could not be read
};

// The gallery's index.html: one card per level, filtered by name and status
// by a script in the page itself. Nothing is fetched but the thumbnails: no
// network, no outside script, style or font; every name is escaped, so a level
// named "<img onerror=...>.kmp" shows as text. Opened with "?selftest", the
// page writes into its <body data-selftest> which thumbnails did not load and
// which cards a filter given as "&name=TEXT&status=STATUS" leaves shown.
QByteArray galleryPage(const QString &title, const std::vector<GalleryCard> &cards);

} // namespace kestrun::kmp
