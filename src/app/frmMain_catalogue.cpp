// The game folder and the sprite catalogue, read once while the window loads.
#include "frmMain.h"

#include "AppIdentity.h"
#include "PlatformServices.h"
#include "SpriteList.h"

namespace kestrun {
namespace {
const QString GameFolderPrompt = QStringLiteral("Где лежит tileset.dat? (e.g. C:\\Ex\\cprogs\\borvaneNDX\\dist\\)");
} // namespace

void frmMain::LoadSpriteCatalogue()
{
    QString gameFolder = m_platform.setting(AppTitle, GameFolderSection, GameFolderKey, QString());
    if (gameFolder.isEmpty()) {
        // Asked over the splash window (this window is not shown yet); the
        // answer is stored at once, even when empty, and used as typed.
        gameFolder = m_platform.inputBox(nullptr, GameFolderPrompt, QString());
        m_platform.saveSetting(AppTitle, GameFolderSection, GameFolderKey, gameFolder);
    }

    const CatalogueLoadResult result = m_platform.loadSpriteCatalogue(gameFolder, Sprites);
    lstSP->addEntries(result.listEntries);
    if (!result.ok()) {
        // Forget the folder so the next start asks again; start-up goes on
        // with what was loaded, and no entry is selected.
        m_platform.deleteSetting(AppTitle, GameFolderSection, GameFolderKey);
        return;
    }
    lstSP->setCurrentRow(0); // runs lstSP_Click: the first sprite becomes the brush
}

} // namespace kestrun
