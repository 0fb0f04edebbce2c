#include "Module1.h"

#include "frmMain.h"
#include "frmSplash.h"

namespace kestrun::Module1 {

std::unique_ptr<frmMain> Main(PlatformServices &platform, const QByteArrayList &arguments)
{
    auto splash = std::make_unique<frmSplash>();
    splash->showAtStartUp();
    // The editor window's widgets are built while the display maps the
    // splash; the splash is on screen and painted before the load begins.
    auto mainWindow = std::make_unique<frmMain>(platform, arguments);
    splash->waitUntilPainted();
    mainWindow->Form_Load();
    splash.reset();
    mainWindow->show();
    return mainWindow;
}

} // namespace kestrun::Module1
