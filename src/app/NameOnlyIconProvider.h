#pragma once

#include <QAbstractFileIconProvider>
#include <QFileIconProvider>
#include <QMimeDatabase>

namespace kestrun {

// The file dialogs' icons and file types, told from the names alone. Qt's
// own provider asks the MIME database, which reads a file whose name does
// not decide its type: a named pipe or /proc/kmsg then blocks the dialog for
// ever (and the editor with it, since Qt waits for its file-information
// thread when the dialog closes).
class NameOnlyIconProvider final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;

private:
    QFileIconProvider m_styleIcons; // the generic file, folder and drive icons
    QMimeDatabase m_types;
};

} // namespace kestrun
