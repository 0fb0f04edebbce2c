#pragma once

#include <QIcon>

namespace kestrun {

// The toolbar's image list: images 1..15 in the order the buttons name them
// (New, Open, Save, Delete, Undo, PlayerBase, EnemyBase, EnemyResp.,
// PlayerResp., routes, then the five terrain brushes Ground, Beton, Brick,
// Water, Ice). A null icon for an index outside 1..15.
QIcon toolbarImage(int index);

// The application icon.
QIcon applicationIcon();

} // namespace kestrun
