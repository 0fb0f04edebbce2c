#include "app/Artwork.h"

// Placeholder until the artwork lands.
namespace kestrun {
QIcon toolbarImage(int) { return {}; }
QIcon applicationIcon() { return {}; }
} // namespace kestrun
