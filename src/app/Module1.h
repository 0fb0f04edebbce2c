#pragma once

#include <QStringList>

namespace kestrun {

class PlatformServices;
class frmMain;

// The program's entry: the splash window while the editor window loads,
// then the editor window.
namespace Module1 {

// The one editor window Main creates; set once, never cleared.
extern frmMain *MainWindow;

// Shows the splash, creates and loads frmMain (catalogue and first map),
// unloads the splash and shows frmMain. `arguments` are the command line's
// arguments without the program. The caller runs the event loop and owns
// MainWindow.
void Main(PlatformServices &platform, const QStringList &arguments);

} // namespace Module1
} // namespace kestrun
