#pragma once

#include <QString>

namespace kestrun {

// A path into a game folder made on Windows, as that system would find it:
// "\" is a separator like "/", and when the exact path does not exist each
// component is matched against its folder's entries ignoring letter case (an
// exact match wins; among several others, the lowest name in code-point
// order). Returns the path with "/" separators and the names found; where a
// component matches nothing, the path as given (with "/"), which then does not
// exist.
QString resolveGamePath(const QString &path);

} // namespace kestrun
