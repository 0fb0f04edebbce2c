#pragma once

#include <QByteArray>

namespace kestrun {

// In every PNG that `bytes` hold, renames the ancillary chunks but the
// transparency (text, compressed or not, colour profiles and the rest) to a
// private ancillary kind every reader passes over unread, with their
// checksums made anew: the rest of the file, offsets included, stays as it was.
void disarmAncillaryChunks(QByteArray &bytes);

} // namespace kestrun
