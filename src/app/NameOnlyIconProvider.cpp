#include "NameOnlyIconProvider.h"

#include <QFileInfo>

namespace kestrun {

QIcon NameOnlyIconProvider::icon(IconType type) const
{
    return m_styleIcons.icon(type);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    // isRoot() and isDir() only stat the file.
    if (info.isRoot())
        return m_styleIcons.icon(Drive);
    return m_styleIcons.icon(info.isDir() ? Folder : File);
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    // Qt's own words for a drive, folder, link or special file, which it
    // tells without reading; only a regular file's type would be sniffed.
    if (!info.isFile())
        return m_styleIcons.type(info);
    return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
}

} // namespace kestrun
