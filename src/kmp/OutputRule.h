#pragma once

#include "Console.h"

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <optional>
#include <utility>
#include <vector>

class QCommandLineParser;
class QCommandLineOption;

namespace kestrun::kmp {

// What a file holds, told by its first bytes: a map (the signature and
// version that start every map the editor writes), a PNG picture, or
// anything else (an empty file included).
enum class FileKind { Map, Picture, Other };

// The rule every file kmp writes follows:
// - it never replaces one of the command's own inputs, compared by device and
//   inode (a hard link or a symbolic link to an input is that input); a game
//   folder's tileset.dat and pictures are inputs too. --force does not lift
//   this; only commands that edit maps in place skip the rule;
// - it replaces an existing file only with one of the same kind (a picture
//   over a picture, a map over a map), unless --force is given.
// "-" (the standard output) is never refused.
class OutputRule {
public:
    // `path` is read by the command; a path that names nothing is ignored.
    void addInput(const QString &path);
    void addInputs(const QStringList &paths);

    // Why `path` may not be written as a file of `kind`, as a clause naming
    // the option that lifts it when there is one; nothing when it may.
    std::optional<QString> refusal(const QString &path, FileKind kind, bool force) const;

private:
    std::vector<std::pair<dev_t, ino_t>> m_inputs;
};

// The kind of the regular file at `path`; nothing when it names no regular
// file, or one the write would refuse (nothing there, a folder, a device,
// another user's link in a shared sticky folder: the writer itself refuses
// those).
std::optional<FileKind> existingKind(const QString &path);

// --force and -o FILE, shared by the commands that write one file.
QCommandLineOption forceOption(const QString &description);
QCommandLineOption outputOption();

// The one output of a command that writes one file after `inputs`
// positional inputs: -o FILE, or else the positional argument after the
// inputs. `positional` is left holding the inputs only. A command line with
// another count of arguments is a problem, told in `problem`, with `usage`
// (such as "give the text and the map file to write") as its message; so is
// "-" for a command that writes only files (`toStandardOutput` false).
QString chosenOutput(const QCommandLineParser &parser, const QCommandLineOption &output, QStringList &positional,
                     qsizetype inputs, const QString &usage, QString &problem, bool toStandardOutput = false);

} // namespace kestrun::kmp
