#pragma once

#include <QString>

namespace kestrun {

// What reading or writing a file came to: one of the reader's or writer's own
// outcomes, whose first value means it went as asked, and, when it did not,
// why, in words that finish the sentence "Cannot open map file "...": ".
// Every reader and writer of the editor (maps, the catalogue, pictures)
// returns one of these; a result that carries more (the list entries, the
// picture) derives from it.
template<typename Status>
struct FileResult {
    Status status{};
    QString reason;

    bool ok() const { return status == Status{}; }
};

} // namespace kestrun
