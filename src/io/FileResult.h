#pragma once

#include <QString>

namespace kestrun {

// What reading or writing a file came to: one of the reader's or writer's own
// outcomes, whose first value means it went as asked, and, when it did not,
// why, as a clause that the caller's message ends with ("Cannot open map
// file "...": " + reason, and the like for a save, the catalogue or a
// picture). Every reader and writer of the editor (maps, the catalogue,
// pictures) returns one of these; a result that carries more (the list
// entries, the picture) derives from it.
template<typename Status>
struct FileResult {
    Status status{};
    QString reason;

    bool ok() const { return status == Status{}; }
};

} // namespace kestrun
