#pragma once

#include "NativeFileName.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kestrun::kmp {

// kmp's command line as the system gave it. Qt reads arguments as text, and
// a file name that is not valid UTF-8 then names no file. Each such argument
// that names an existing file or folder is opened by its bytes, as the
// editor opens its command line's map (NativeFileName): the subcommands get
// the name it is reached by, and messages show the name as typed.
class CommandLineNames {
public:
    // `arguments`: the program's arguments, without the program itself.
    explicit CommandLineNames(const QByteArrayList &arguments);

    // The arguments as the subcommands read them.
    const QStringList &arguments() const { return m_arguments; }
    // Arguments that are not valid UTF-8 and name nothing that exists: no
    // name Qt can give reaches them, so kmp can neither read nor make them.
    const QStringList &unreachable() const { return m_unreachable; }

    // `text` (a path, or a message naming one) with each name an argument
    // was reached by shown as the argument was typed.
    QString shown(QString text) const;

private:
    std::vector<std::unique_ptr<NativeFileName>> m_opened;
    QStringList m_arguments;
    QStringList m_unreachable;
};

} // namespace kestrun::kmp
