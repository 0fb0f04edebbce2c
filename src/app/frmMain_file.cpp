// The map document's commands: start-up's first map, New, Open, Save and
// Save As, and the operations that read and write the map file.
#include "app/frmMain.h"

#include "app/CommandLine.h"
#include "app/PlatformServices.h"
#include "view/MapCanvas.h"

namespace kestrun {
namespace {

const QString OpenFilter = QStringLiteral("Все файлы (*.*)|*.*|Карты Kestrun (*.kmp)|*.kmp");
const QString SaveAsFilter = QStringLiteral("Все файлы (*.*)|*.*|Карта Kestrun (*.kmp)|*.kmp");
constexpr int MapFilterEntry = 2;

} // namespace

void frmMain::loadCommandLineMap()
{
    if (m_arguments.isEmpty()) {
        ResetMap();
        return;
    }
    const QString path = mapPathFromArgument(m_arguments.constFirst());
    if (LoadMap(path) == MapReadStatus::Unreadable) {
        // The editor still comes up, with a new map.
        reportUnreadable(path, m_lastReadFailure);
        ResetMap();
    }
}

void frmMain::reportUnreadable(const QString &path, const QString &reason)
{
    m_platform.showMessage(this, QStringLiteral("Cannot open map file \"%1\": %2").arg(path, reason));
}

MapReadStatus frmMain::LoadMap(const QString &path)
{
    const MapReadResult result = readMapFile(path, MapCells);
    switch (result.status) {
    case MapReadStatus::Unreadable:
        m_lastReadFailure = result.reason;
        return result.status;
    case MapReadStatus::NotValidMapFile:
        m_platform.showMessage(this, QStringLiteral("Not valid map file"));
        break;
    case MapReadStatus::WrongVersion:
        m_platform.showMessage(this, QStringLiteral("Wrong version"));
        break;
    case MapReadStatus::Loaded:
        break;
    }
    RedrawMap(3);
    return result.status;
}

bool frmMain::SaveMap()
{
    if (const auto failure = writeMapFile(MapFileName, MapCells)) {
        m_platform.showMessage(
            this, QStringLiteral("Cannot save map file \"%1\": %2").arg(MapFileName, *failure));
        return false;
    }
    return true;
}

void frmMain::ResetMap()
{
    picMap->parkFrame();
    applyNewMapDefaults(MapCells);
    // A new map shows sprite 1 in every cell and no terrain colours: the
    // opaque blocks cover the cells whole.
    showLastSpriteDrawn(picMap->drawSpriteLayer(MapCells, Sprites, Layer::Sprite1));
}

void frmMain::mnuFileNew_Click()
{
    MapCells.clear();
    ResetMap();
    // A new map has no file yet: the next Save asks for a name rather than
    // writing over the file of the map edited before.
    MapFileName.clear();
}

void frmMain::mnuFileOpen_Click()
{
    const auto chosen = m_platform.openFileDialog(this, {OpenFilter, MapFilterEntry, m_dialogFileName});
    if (!chosen)
        return;
    m_dialogFileName = *chosen;
    switch (LoadMap(*chosen)) {
    case MapReadStatus::Loaded:
        // The opened file becomes the map's file, so Save writes back to it.
        MapFileName = *chosen;
        break;
    case MapReadStatus::Unreadable:
        reportUnreadable(*chosen, m_lastReadFailure);
        break;
    case MapReadStatus::NotValidMapFile:
    case MapReadStatus::WrongVersion:
        break;
    }
}

void frmMain::mnuFileSaveAs_Click()
{
    m_dialogFileName.clear();
    const auto chosen = m_platform.saveFileDialog(this, {SaveAsFilter, MapFilterEntry, m_dialogFileName});
    if (!chosen)
        return;
    m_dialogFileName = *chosen;
    MapFileName = *chosen;
    SaveMap();
}

void frmMain::mnuFileSave_Click()
{
    if (!MapFileName.isEmpty())
        SaveMap();
    else
        mnuFileSaveAs_Click();
}

} // namespace kestrun
