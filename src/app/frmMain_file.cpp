// The map document's commands: start-up's first map, New, Open, Save and
// Save As, and the operations that read and write the map file. LoadMap and
// SaveMap are the one place each that turns a file's outcome into the
// user's message.
#include "frmMain.h"

#include "CommandLine.h"
#include "DialogFolder.h"
#include "PlatformServices.h"

#include <QFileInfo>

namespace kestrun {
namespace {

const QString OpenFilter = QStringLiteral("Все файлы (*.*)|*.*|Карты Kestrun (*.kmp)|*.kmp");
const QString SaveAsFilter = QStringLiteral("Все файлы (*.*)|*.*|Карта Kestrun (*.kmp)|*.kmp");
constexpr int MapFilterEntry = 2;

// What the user is told about a map file that was read: nothing when it loaded.
QString readMessage(const MapReadResult &result, const QString &shownPath)
{
    switch (result.status) {
    case MapReadStatus::Loaded: return QString();
    case MapReadStatus::NotValidMapFile: return QStringLiteral("Not valid map file");
    case MapReadStatus::WrongVersion: return QStringLiteral("Wrong version");
    case MapReadStatus::Unreadable: break;
    }
    return QStringLiteral("Cannot open map file \"%1\": %2").arg(shownPath, result.reason);
}

} // namespace

void frmMain::loadCommandLineMap()
{
    // The map from the command line does not become the map's file: its first
    // Save asks for a name.
    const QByteArrayList arguments = mapArguments(m_arguments);
    if (arguments.isEmpty()) {
        ResetMap();
        return;
    }
    const NativeFileName file(mapPathFromArgument(arguments.constFirst()));
    // A map that cannot be read at all still gives an editor: a new map.
    if (LoadMap(file.openName(), file.shownName()).status == MapReadStatus::Unreadable)
        ResetMap();
}

MapReadResult frmMain::LoadMap(const QString &path, const QString &shownPath)
{
    const MapReadResult result = m_document.read(path);
    if (result.status != MapReadStatus::Unreadable)
        rememberMapFolder(path);
    if (const QString message = readMessage(result, shownPath.isEmpty() ? path : shownPath); !message.isEmpty())
        m_platform.showMessage(this, message);
    // A loaded file is drawn on the document's announcement; a rejected one
    // is redrawn the same way by hand (the grid shown again as it was), as
    // the document announces nothing for it. One that could not be read
    // leaves the canvas alone.
    if (result.status != MapReadStatus::Unreadable && result.status != MapReadStatus::Loaded)
        RedrawMap(3);
    return result;
}

bool frmMain::SaveMap()
{
    const MapWriteResult written = m_document.write();
    if (!written.ok()) {
        m_platform.showMessage(this,
                               QStringLiteral("Cannot save map file \"%1\": %2").arg(MapFileName(), written.reason));
        return false;
    }
    rememberMapFolder(MapFileName());
    return true;
}

void frmMain::rememberMapFolder(const QString &mapPath)
{
    // A map read through /proc/self/fd, or one in /proc or /dev, leaves the
    // dialogs where they were: they never start where browsing can block.
    if (const QString folder = QFileInfo(mapPath).absolutePath(); isOrdinaryFolder(folder))
        m_mapFolder = folder;
}

FileDialogRequest frmMain::fileDialogRequest(const QString &filter) const
{
    // The last chosen name stays in the name field; its folder only when the
    // dialogs may start there (a Save As into /proc failed: not /proc).
    QString name = m_dialogFileName;
    if (const QFileInfo chosen(name); !name.isEmpty() && chosen.absolutePath() != m_mapFolder)
        name = chosen.fileName();
    return {filter, MapFilterEntry, name, m_mapFolder};
}

void frmMain::ResetMap()
{
    m_document.applyNewMapDefaults(); // drawn by showReplacedGrid: sprite layer 1 only
}

void frmMain::mnuFileNew_Click()
{
    m_document.clear();
    ResetMap();
    // A new map has no file yet: the next Save asks for a name rather than
    // writing over the file of the map edited before.
    m_document.setFileName(QString());
}

void frmMain::mnuFileOpen_Click()
{
    const auto chosen = m_platform.openFileDialog(this, fileDialogRequest(OpenFilter));
    if (!chosen)
        return;
    m_dialogFileName = *chosen;
    // The opened file becomes the map's file, so Save writes back to it.
    if (LoadMap(*chosen).status == MapReadStatus::Loaded)
        m_document.setFileName(*chosen);
}

void frmMain::mnuFileSaveAs_Click()
{
    m_dialogFileName.clear();
    const auto chosen = m_platform.saveFileDialog(this, fileDialogRequest(SaveAsFilter));
    if (!chosen)
        return;
    m_dialogFileName = *chosen;
    m_document.setFileName(*chosen);
    SaveMap();
}

void frmMain::mnuFileSave_Click()
{
    if (!MapFileName().isEmpty())
        SaveMap();
    else
        mnuFileSaveAs_Click();
}

} // namespace kestrun
