#include "app/Module1.h"

#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <memory>

namespace kestrun::Module1 {

frmMain *MainWindow = nullptr;

void Main(PlatformServices &platform, const QStringList &arguments)
{
    auto splash = std::make_unique<frmSplash>();
    splash->show();
    // The editor window's widgets are built while the display maps the
    // splash; the splash is on screen and painted before the load begins.
    MainWindow = new frmMain(platform, arguments);
    splash->waitUntilPainted();
    MainWindow->Form_Load();
    splash.reset();
    MainWindow->show();
}

} // namespace kestrun::Module1
