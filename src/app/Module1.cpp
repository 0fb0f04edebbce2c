#include "app/Module1.h"

#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <memory>

namespace kestrun::Module1 {

frmMain *MainWindow = nullptr;

void Main(PlatformServices &platform, const QStringList &arguments)
{
    auto splash = std::make_unique<frmSplash>();
    splash->showAndPaint();
    MainWindow = new frmMain(platform, arguments);
    MainWindow->Form_Load();
    splash.reset();
    MainWindow->show();
}

} // namespace kestrun::Module1
