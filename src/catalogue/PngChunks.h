#pragma once

#include <QByteArray>

namespace kestrun {

// In every PNG that `bytes` hold, renames the chunks a reader would inflate
// (compressed text, international text, colour profiles) to a private
// ancillary kind every reader passes over unread, with their checksums made
// anew: the rest of the file, offsets included, stays as it was.
void disarmInflatingChunks(QByteArray &bytes);

} // namespace kestrun
