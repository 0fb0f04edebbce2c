#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

namespace kestrun {

// Finds paths into a game folder made on Windows, as that system would find
// them: "\" is a separator like "/", and when the exact path does not exist
// each component is matched against its folder's entries ignoring letter
// case (an exact match wins; among several others, the lowest name in
// code-point order). A resolver lists each folder at most once, however many
// paths it is asked for: use one for all the names of one catalogue.
class GamePathResolver {
public:
    // The path with "/" separators and the names found; where a component
    // matches nothing, the path as given (with "/"), which then does not exist.
    QString resolve(const QString &path);

private:
    // The entry of `folder` ("" for the current one) that `name` finds
    // ignoring case, or a null string.
    QString findIgnoringCase(const QString &folder, const QString &name);

    // Per folder listed, by its identity (see fileIdentity): each
    // case-folded name -> the lowest entry with it.
    QHash<QString, QHash<QString, QString>> m_folders;
};

// A path as Windows reads it: "\\" and "/" both separate, and empty and "."
// components name nothing ("a\\\\.\\b" is "a/b"); a leading separator
// stays, and so does a trailing one. ".." is kept as it is: what it leads to depends on links.
QString normalisedGamePath(const QString &path);

// The identity of the file or folder at `path`: its device and inode, the
// same however it is reached (links, "..", another spelling); for a path
// that leads nowhere, the path itself.
QString fileIdentity(const QString &path);

// A name as QString::compare with Qt::CaseInsensitive sees it: two names
// compare equal ignoring case exactly when their keys are equal.
QString caseFoldKey(QStringView name);

} // namespace kestrun
