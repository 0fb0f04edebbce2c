#pragma once

#include <QByteArrayList>

#include <memory>

namespace kestrun {

class PlatformServices;
class frmMain;

// The program's entry: the splash window while the editor window loads,
// then the editor window.
namespace Module1 {

// Shows the splash, creates and loads frmMain (catalogue and first map),
// unloads the splash and shows frmMain, which it returns: the caller runs the
// event loop and owns the window for the rest of the program. `arguments`
// are the command line's arguments without the program, as the system gave
// them.
std::unique_ptr<frmMain> Main(PlatformServices &platform, const QByteArrayList &arguments);

} // namespace Module1
} // namespace kestrun
